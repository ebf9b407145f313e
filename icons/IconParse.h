// Byte-level reading of the icon and version data found in other programs' files: icon group
// resources, ".ico" files and version resources. These bytes come from outside, so every
// reader takes a byte span, checks each offset and count against it and never reads past it;
// damaged data gives "no icon" or empty text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace qor {

using ByteView = std::span<const uint8_t>;

// ---------------------------------------------------------------------------------------------
// Icon group resources (type 14): a 6-byte header and one 14-byte entry per image.

constexpr std::size_t kIconDirHeaderSize = 6;
constexpr std::size_t kIconGroupEntrySize = 14;
constexpr std::size_t kIconFileEntrySize = 16;
// Groups of 19 bytes or less are not used (a header and one entry take 20).
constexpr std::size_t kMinIconGroupSize = 20;

struct IconGroupEntry {
    uint8_t widthByte = 0; // 0 means 256
    uint8_t heightByte = 0;
    uint8_t colorCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytesInRes = 0;
    uint16_t id = 0; // identifier of the image's icon resource (type 3)

    int Width() const { return widthByte == 0 ? 256 : widthByte; }
    int Height() const { return heightByte == 0 ? 256 : heightByte; }
    // Only 32-bit images carry an alpha channel worth keeping.
    bool KeepAlpha() const { return bitCount > 31; }
};

// The entries of a group. The count is what the bytes hold, (size - 6) / 14; the header's own
// count is not trusted. Empty for groups of 19 bytes or less.
std::vector<IconGroupEntry> ParseIconGroup(ByteView group);

// The image to extract from a group: the widest (a 0 width byte, 256 pixels, above all), then
// the deepest colour; among equal entries the first. Only bit counts 1 to 32 take part.
std::optional<IconGroupEntry> ChooseIconGroupEntry(ByteView group);

// Picks the name of the wanted icon group while the names of all type-14 resources are
// enumerated in order: the name at position `wanted` (from 0), or the last name seen when the
// position is past the end.
class IconGroupNamePicker {
public:
    explicit IconGroupNamePicker(int32_t wanted) : m_wanted(wanted) {}
    void Add(const std::string& name);
    std::optional<std::string> Result() const;

private:
    int32_t m_wanted;
    int64_t m_counter = 0;
    std::optional<std::string> m_chosen;
    std::optional<std::string> m_last;
};

// A group name as text: numeric identifiers (below 0x10000) become decimal digits.
std::string ResourceIdName(uint32_t id);
// The group named by a negative icon index: the identifier -index in decimal; nothing when that
// is not a possible resource identifier (1 to 65535).
std::optional<std::string> IconGroupNameFromIndex(int32_t negativeIndex);

// ---------------------------------------------------------------------------------------------
// Icon images (one image of a group or of an ".ico" file).

// The bytes of one icon image made safe for the system's icon reader: PNG data passes
// unchanged; a bitmap image (bitmap header, colour table, colour bits, mask) must have a sane
// header and is padded with zero bytes to the length that header implies, so that the reader
// never runs past the buffer (a missing mask becomes an all-opaque one). Empty when the bytes
// are not an icon image.
Bytes SafeIconImage(ByteView image);

// ---------------------------------------------------------------------------------------------
// Icon files (".ico"): the same 6-byte header and 16-byte entries whose last field is the file
// offset of the image data.

struct IconFileEntry {
    uint8_t widthByte = 0; // 0 means 256
    uint8_t heightByte = 0;
    uint8_t colorCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t size = 0;
    uint32_t offset = 0;

    int Width() const { return widthByte == 0 ? 256 : widthByte; }
    int Height() const { return heightByte == 0 ? 256 : heightByte; }
};

// The directory entries that lie inside the file (at most the header's count).
std::vector<IconFileEntry> ParseIconFileDirectory(ByteView file);

enum class IconFileOutcome {
    None,      // nothing usable: the conversion fails
    ImageFile, // the file is a PNG stream under an ".ico" name: re-encode it as a whole
    Png,       // the chosen image is PNG data: write it unchanged
    Bitmap,    // the chosen image is bitmap data: draw it into a PNG
};

struct IconFilePlan {
    IconFileOutcome outcome = IconFileOutcome::None;
    std::size_t offset = 0; // the image data, always inside the file
    std::size_t size = 0;
    int width = 0;
    int height = 0;
    bool keepAlpha = false;
};

// Which image of an icon file becomes the PNG. The entries after the first are compared by
// their directory fields: a 256-pixel 32-bit entry is taken at once, otherwise the deepest
// colour, then the widest, wins, the later of equal entries. The first image is judged by its
// own data (PNG data wins outright; a bitmap wins with a deeper colour, or an equal one and a
// larger width than the best entry's). Every image is read by its own offset and size.
IconFilePlan PlanIconFileConversion(ByteView file);

// ---------------------------------------------------------------------------------------------
// Version resources.

// Key names of the version resource's string table by number.
inline constexpr std::array<std::string_view, 12> kVersionKeys{
    "Comments",        "InternalName",    "ProductName",  "CompanyName", "LegalCopyright",   "ProductVersion",
    "FileDescription", "LegalTrademarks", "PrivateBuild", "FileVersion", "OriginalFilename", "SpecialBuild",
};
constexpr int kFileDescriptionKey = 6;

// The key of `number`, or empty text for a number outside 0..11.
std::string_view VersionKey(int number);

// "\StringFileInfo\" + language and code page as four upper-case hex digits each + "\" + key.
std::string VersionSubBlockPath(uint16_t language, uint16_t codePage, std::string_view key);

// Reads a string of a version block without the system's help: finds the key as UTF-16 text
// preceded by the type word 1 of a text entry and followed by its terminating NUL; the value
// starts at the next 32-bit boundary of the entry and runs to the next NUL. Empty when absent.
std::u16string FindVersionStringRaw(ByteView block, std::string_view key);

} // namespace qor
