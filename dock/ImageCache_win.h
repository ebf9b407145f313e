// The GDI+ side of the item and skin image caches. Each index holds up to five renderings:
// level 0 an ordinary image drawn scaled into any rectangle, levels 1..4 cached bitmaps made for
// the dock's graphics object and drawn only at their own size. Every handle has one owner here;
// the canvas only reads them.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dock/ImageCache.h"
#include "dock/Skin.h"
#include "platform/FileSystem.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"

struct IWICBitmapDecoder;

namespace qor {

struct AppState;

struct CachedLevel {
    gdip::CachedBitmap bitmap;
    int width = 0;
    int height = 0;
};

// The renderings of one image index.
struct ImageLevels {
    gdip::Image image; // level 0
    int width = 0;
    int height = 0;
    int scalePercent = 100;                           // a skin picture drawn for another scale than 100 %
    std::array<CachedLevel, kImageLevels - 1> cached; // levels 1..4
    // A picture file whose own-size rendering is still to be made as level 0 (the rest level
    // came from its pre-scaled copy); empty when level 0 is made or not wanted.
    std::string level0Source;

    bool Has(int level) const;
    void Free(int level);
    void FreeAll();
    // The cached rendering of a level 1..4, or null.
    const CachedLevel* Cached(int level) const;
};

// Index-addressed renderings; grows when an index beyond the end is written.
class ImageStore {
public:
    explicit ImageStore(int count) : m_entries(static_cast<std::size_t>(count)) {}
    // The entry of an index, or null outside the store.
    const ImageLevels* Find(int index) const;
    ImageLevels* Find(int index);
    // The entry of an index >= 0, growing the store as needed; null for a negative index.
    ImageLevels* Entry(int index);
    void FreeAll();
    int Count() const { return static_cast<int>(m_entries.size()); }

private:
    std::vector<ImageLevels> m_entries;
};

// Renders `source` into one level of `entry` with high-quality bicubic interpolation. With
// `ownSize` the source's own size is kept. Level 0 receives an ordinary 32-bit ARGB image; levels
// 1..4 a cached bitmap of width x height made for `target` (nothing without a target). A failing
// step leaves the level empty. True when the level was filled.
bool ScaleIntoCache(gdip::GpImage* source, ImageLevels& entry, int level, int width, int height, bool ownSize,
                    gdip::GpGraphics* target);

// A picture decoded from bytes (PNG, BMP, JPEG, GIF, ICO...) through a memory stream, copied into a
// 32-bit ARGB bitmap that no longer needs the stream. Empty when the bytes do not decode.
gdip::Image DecodeImage(const Bytes& bytes);
// Decodes pictures (files, or bytes in memory) through the Windows imaging component without
// reading their metadata: GDI+'s own loader parses every metadata chunk of a PNG (gamma,
// chromaticity...), which costs several times the decoding itself, and start-up loads hundreds
// of pictures. Needs COM on the calling thread; without it Decode always fails and the caller
// falls back to GDI+.
class PictureDecoder {
public:
    PictureDecoder();
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;
    // The first frame as a 32-bit ARGB bitmap; empty when the file does not decode.
    gdip::Image Decode(const std::string& path) const;
    // The same for a picture in memory (the skin pictures among the program's resources).
    gdip::Image Decode(const Bytes& bytes) const;

private:
    gdip::Image FirstFrame(IWICBitmapDecoder* decoder) const;

    win::WicFactory m_factory;
};

// A picture file decoded as a 32-bit ARGB bitmap that no longer needs the file: through
// `decoder` when given and it succeeds, else through GDI+. Empty when both fail.
gdip::Image LoadImageFile(const std::string& path, const PictureDecoder* decoder = nullptr);

// The item images. A picture file in the icon cache folder may have a pre-scaled copy beside it
// (see ScaledCopyOf): the picture rendered at the size its item is drawn at rest, saved as PNG
// with the picture's own last-write time. While the two times agree the copy is that rendering,
// pixel for pixel, and a few kilobytes decode instead of a whole picture; the picture at its own
// size (level 0, for the enlarged and centre views) is then made later, at the latest when it is
// first drawn. A copy that is missing, stale, damaged or of another size is written afresh.
class ImageCache final : public IImageCache {
public:
    // `target`: the dock canvas's graphics object, for which the cached levels are made.
    explicit ImageCache(gdip::GpGraphics* target) : m_target(target) {}

    bool LoadWorkingFromFile(const std::string& path) override;
    bool LoadWorkingFromShellIcon(const std::string& path) override;
    void ScaleIntoCache(int index, int level, int width, int height, bool ownSize) override;
    void DisposeWorking() override { m_working.reset(); }
    bool BuildFromPicture(int index, const std::string& path, const std::string& copy, int level, int side,
                          bool withLevel0) override;
    void FreeEntries(int index) override;
    void SwapEntries(int a, int b) override;
    // Level 0 left for later counts as absent.
    bool HasEntry(int index, int level) const override;

    // The entry of an index for drawing its level 0, which is made first when it was left for
    // later; null outside the cache.
    const ImageLevels* WithLevel0(int index);
    // While on, the copies BuildFromPicture writes wait for DoPendingWork instead (at start-up,
    // so that the first frame waits for nothing it does not show).
    void SetCopiesLater(bool later) { m_copiesLater = later; }
    // The work left for later: level-0 renderings and copies to write.
    std::size_t PendingWork() const;
    // Does up to `count` pieces of it, level 0 first (lowest index first), then the copies; how
    // many were done (a level 0 whose picture no longer loads counts as done).
    std::size_t DoPendingWork(std::size_t count);

    // The working image itself, for loaders that make it elsewhere (icon extraction).
    void SetWorking(gdip::Image image) { m_working = std::move(image); }
    gdip::GpImage* Working() const { return m_working.get(); }

    // Re-renders a cached level of an index at size x size from its level-0 image (made first
    // when it was left for later).
    void RebuildLevel(int index, int level, int size);
    void FreeAll();
    const ImageStore& Store() const { return m_store; }
    gdip::GpGraphics* Target() const { return m_target; }
    // The graphics object the cached levels are made for from now on (the canvas was made anew).
    void SetTarget(gdip::GpGraphics* target) { m_target = target; }
    const PictureDecoder& Decoder() const { return m_decoder; }

private:
    // The rest level from a fresh copy of `path`, level 0 left for later; false when the copy
    // cannot serve.
    bool BuildFromCopy(ImageLevels& entry, const std::string& path, const std::string& copy,
                       const FILETIME& pictureWritten, int level, int side, bool withLevel0);
    void MakeDeferredLevel0(ImageLevels& entry);

    struct CopyToWrite {
        gdip::Image rendered;
        std::string path;
        FILETIME pictureWritten;
    };

    gdip::GpGraphics* m_target;
    ImageStore m_store{1025}; // item images 0..1024; grows with the item array
    gdip::Image m_working;
    PictureDecoder m_decoder;
    bool m_copiesLater = false;
    std::vector<CopyToWrite> m_copies;
};

// The skin pictures (elements 0..32) and the fade attributes of the dock. (The backdrop and
// clear fills need no brushes of their own: the canvas fills with the colour it is given.)
class SkinCache {
public:
    static constexpr int kElements = kSkinBound + 1;
    static constexpr int kFadeSteps = kFadeLevels;

    explicit SkinCache(gdip::GpGraphics* target) : m_target(target) {}

    const ImageStore& Store() const { return m_store; }
    ImageStore& Store() { return m_store; }
    gdip::GpGraphics* Target() const { return m_target; }
    void SetTarget(gdip::GpGraphics* target) { m_target = target; }

    // FadeAttributes(k), k 0..9: alpha times 1 - 0.1 x (k + 1). Null before CreateFadeAttributes
    // or for another k.
    gdip::GpImageAttributes* Fade(int k) const;
    bool CreateFadeAttributes();
    // Every picture and attribute object released.
    void FreeAll();

private:
    gdip::GpGraphics* m_target;
    ImageStore m_store{kElements};
    std::array<gdip::ImageAttributes, kFadeSteps> m_fade;
};

// Reads one skin picture by element name; nothing when it is missing.
using SkinReader = std::function<std::optional<Bytes>(const std::string& name)>;
// The program's resources of type "CUSTOM" in `module`.
SkinReader ResourceSkinReader(HMODULE module);

// Builds an item's renderings; the program passes BuildItemImages.
using ItemImageBuilder = std::function<void(int item)>;

// Fills the skin cache with the pictures drawn for the nearest scale to the screen's (a reader
// without them gives the 100 % ones) at the sizes of the screen; the "BORDER" width at 96 DPI
// becomes CentreBackSize and moves the centre's hover square. Creates the fade attributes,
// renders the centre image (item 0's picture, else "LOGO", at the centre's size, 128 x 128 at
// 96 DPI, as level 0 of image 0), then builds the images of items 39..42 and every other item
// from 1 up. Without a builder an item gets level 1 and level 0 from its picture file.
void LoadSkinImages(AppState& app, SkinCache& skin, ImageCache& images, const SkinReader& read,
                    const ItemImageBuilder& buildItem = {});
// Frees every rendering of both caches with the attributes.
void ReleaseImages(SkinCache& skin, ImageCache& images);
// After SizeLevels(level) changed: the ring backdrop and items 1..64 re-rendered at that size.
void RebuildSizeLevel(const AppState& app, SkinCache& skin, ImageCache& images, int level);

} // namespace qor
