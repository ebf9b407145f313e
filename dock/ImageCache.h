// The item and skin image caches as the rest of the program sees them: index-addressed
// renderings at size levels 0..4 (level 0 a 128-pixel image drawn scaled; 1..4 cached bitmaps
// at SizeLevels 1..4). The GDI+ implementation owns the handles.
#pragma once

#include <string>

namespace qor {

constexpr int kImageLevels = 5; // levels 0..4

class IImageCache {
public:
    virtual ~IImageCache() = default;
    // Loads the working image from a picture file (any format GDI+ reads); false when it fails.
    virtual bool LoadWorkingFromFile(const std::string& path) = 0;
    // Loads the working image from the shell's large icon of a file; false when it fails.
    virtual bool LoadWorkingFromShellIcon(const std::string& path) = 0;
    // Renders the working image into an entry: ownSize keeps the image's size (level 0),
    // otherwise a cached bitmap of width x height.
    virtual void ScaleIntoCache(int index, int level, int width, int height, bool ownSize) = 0;
    virtual void DisposeWorking() = 0;
    // Fills rest level `level` (1..4) of an index with a picture file drawn at side x side and,
    // with `withLevel0`, level 0 with the picture at its own size; the index's other entries are
    // freed. `copy` names the file's pre-scaled copy ("" for none): a copy written from this
    // version of the file at this side gives the rest level without decoding the file, and level
    // 0 is then made later, at the latest when it is first drawn; otherwise the file is decoded
    // and the copy written afresh. False, with the entries untouched, when the file gives no
    // picture.
    virtual bool BuildFromPicture(int index, const std::string& path, const std::string& copy, int level,
                                  int side, bool withLevel0) = 0;
    // Frees the entries of an image index at levels 0..4.
    virtual void FreeEntries(int index) = 0;
    // Exchanges every rendering of two image indices (an item moved to another ring slot takes
    // its pictures along).
    virtual void SwapEntries(int a, int b) = 0;
    virtual bool HasEntry(int index, int level) const = 0;
};

} // namespace qor
