#include "icons/IconParse.h"

#include <algorithm>
#include <cstdio>

#include "icons/ImageFiles.h"

namespace qor {

namespace {

// Little-endian reads; callers check the range first.
uint16_t U16(ByteView b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t U32(ByteView b, std::size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
bool Fits(ByteView b, std::size_t at, std::size_t length) {
    return at <= b.size() && length <= b.size() - at;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Icon groups

std::vector<IconGroupEntry> ParseIconGroup(ByteView group) {
    std::vector<IconGroupEntry> entries;
    if (group.size() < kMinIconGroupSize)
        return entries;
    const std::size_t count = (group.size() - kIconDirHeaderSize) / kIconGroupEntrySize;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kIconDirHeaderSize + i * kIconGroupEntrySize;
        IconGroupEntry e;
        e.widthByte = group[at];
        e.heightByte = group[at + 1];
        e.colorCount = group[at + 2];
        e.planes = U16(group, at + 4);
        e.bitCount = U16(group, at + 6);
        e.bytesInRes = U32(group, at + 8);
        e.id = U16(group, at + 12);
        entries.push_back(e);
    }
    return entries;
}

std::optional<IconGroupEntry> ChooseIconGroupEntry(ByteView group) {
    // The best starts as a pseudo-entry one pixel wide with no colour, so any real entry beats it.
    IconGroupEntry best;
    best.widthByte = 1;
    best.bitCount = 0;
    bool found = false;
    for (const IconGroupEntry& e : ParseIconGroup(group)) {
        if (e.bitCount < 1 || e.bitCount > 32)
            continue;
        const bool wider = (e.widthByte == 0 && best.widthByte != 0) ||
                           (e.widthByte != 0 && best.widthByte != 0 && e.widthByte > best.widthByte);
        const bool deeper = e.widthByte == best.widthByte && e.bitCount > best.bitCount;
        if (wider || deeper) {
            best = e;
            found = true;
        }
    }
    if (!found)
        return std::nullopt;
    return best;
}

void IconGroupNamePicker::Add(const std::string& name) {
    m_last = name;
    if (m_counter == m_wanted)
        m_chosen = name;
    ++m_counter;
}

std::optional<std::string> IconGroupNamePicker::Result() const {
    return m_chosen ? m_chosen : m_last;
}

std::string ResourceIdName(uint32_t id) {
    return std::to_string(id);
}

std::optional<std::string> IconGroupNameFromIndex(int32_t negativeIndex) {
    const int64_t id = -static_cast<int64_t>(negativeIndex);
    if (id < 1 || id > 0xFFFF)
        return std::nullopt;
    return ResourceIdName(static_cast<uint32_t>(id));
}

// ---------------------------------------------------------------------------------------------
// Icon images

Bytes SafeIconImage(ByteView image) {
    if (IsPngSignature(image))
        return Bytes(image.begin(), image.end());
    if (!Fits(image, 0, 40))
        return {};
    const uint32_t headerSize = U32(image, 0);
    const auto width = static_cast<int32_t>(U32(image, 4));
    const auto height = static_cast<int32_t>(U32(image, 8)); // colour and mask rows together
    const uint16_t bits = U16(image, 14);
    const uint32_t compression = U32(image, 16);
    const uint32_t colorsUsed = U32(image, 32);
    if (headerSize < 40 || headerSize > 1024)
        return {};
    // Icon images are at most 256 pixels square (the height counts colour and mask rows).
    if (width < 1 || width > 256 || height < 1 || height > 512)
        return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return {};
    constexpr uint32_t kBiRgb = 0, kBiBitfields = 3;
    if (compression != kBiRgb && compression != kBiBitfields)
        return {};
    uint64_t colors = 0;
    if (bits <= 8) {
        if (colorsUsed > (1u << bits))
            return {};
        colors = colorsUsed ? colorsUsed : (1u << bits);
    } else if (colorsUsed > 256) {
        return {};
    } else {
        colors = colorsUsed;
    }
    const uint64_t masks = (compression == kBiBitfields && headerSize == 40) ? 12 : 0;
    // Count every row of both the colour and the mask bitmap over the full stored height: more
    // than the reader takes (it uses half), so it can never run out of bytes.
    const uint64_t rows = static_cast<uint64_t>(height);
    const uint64_t colorStride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    const uint64_t maskStride = ((static_cast<uint64_t>(width) + 31) / 32) * 4;
    const uint64_t needed = headerSize + masks + colors * 4 + (colorStride + maskStride) * rows;
    Bytes safe(image.begin(), image.end());
    if (safe.size() < needed)
        safe.resize(static_cast<std::size_t>(needed), 0);
    return safe;
}

// ---------------------------------------------------------------------------------------------
// Icon files

std::vector<IconFileEntry> ParseIconFileDirectory(ByteView file) {
    std::vector<IconFileEntry> entries;
    if (!Fits(file, 0, kIconDirHeaderSize))
        return entries;
    const std::size_t declared = U16(file, 4);
    const std::size_t room = (file.size() - kIconDirHeaderSize) / kIconFileEntrySize;
    const std::size_t count = std::min(declared, room);
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kIconDirHeaderSize + i * kIconFileEntrySize;
        IconFileEntry e;
        e.widthByte = file[at];
        e.heightByte = file[at + 1];
        e.colorCount = file[at + 2];
        e.planes = U16(file, at + 4);
        e.bitCount = U16(file, at + 6);
        e.size = U32(file, at + 8);
        e.offset = U32(file, at + 12);
        entries.push_back(e);
    }
    return entries;
}

namespace {

// The data of an entry, cut at the end of the file; empty when it starts outside.
ByteView EntryData(ByteView file, const IconFileEntry& e) {
    if (e.offset >= file.size() || e.size == 0)
        return {};
    const std::size_t length = std::min<std::size_t>(e.size, file.size() - e.offset);
    return file.subspan(e.offset, length);
}

// A bitmap header (the classic 40 bytes, or the larger V4 and V5 ones) at the start of data.
bool StartsWithBitmapHeader(ByteView data) {
    if (!Fits(data, 0, 16))
        return false;
    const uint32_t size = U32(data, 0);
    return size == 40 || size == 108 || size == 124;
}

IconFilePlan PlanFor(ByteView file, ByteView data, int width, int height, bool keepAlpha) {
    IconFilePlan plan;
    if (data.empty())
        return plan;
    plan.offset = static_cast<std::size_t>(data.data() - file.data());
    plan.size = data.size();
    plan.width = width;
    plan.height = height;
    plan.keepAlpha = keepAlpha;
    plan.outcome = IsPngSignature(data) ? IconFileOutcome::Png : IconFileOutcome::Bitmap;
    return plan;
}

} // namespace

IconFilePlan PlanIconFileConversion(ByteView file) {
    if (IsPngSignature(file)) {
        IconFilePlan plan;
        plan.outcome = IconFileOutcome::ImageFile;
        plan.size = file.size();
        return plan;
    }
    const std::vector<IconFileEntry> entries = ParseIconFileDirectory(file);
    if (entries.empty())
        return {};

    // The entries after the first, by their directory fields.
    const IconFileEntry* best = nullptr;
    for (std::size_t k = 1; k < entries.size(); ++k) {
        const IconFileEntry& e = entries[k];
        if (e.widthByte == 0 && e.bitCount == 32)
            return PlanFor(file, EntryData(file, e), e.Width(), e.Height(), true);
        const uint16_t bestBits = best ? best->bitCount : 0;
        const int bestWidth = best ? best->Width() : 0;
        if (e.bitCount > bestBits || (e.bitCount == bestBits && e.Width() >= bestWidth))
            best = &e;
    }

    // The first image, by its own data.
    const ByteView first = EntryData(file, entries[0]);
    if (first.size() >= 2 && first[0] == 0x89 && first[1] == 0x50) {
        if (!IsPngSignature(first))
            return {};
        return PlanFor(file, first, entries[0].Width(), entries[0].Height(), true);
    }
    if (StartsWithBitmapHeader(first)) {
        const uint16_t bits = U16(first, 14);
        const int width = U16(first, 4);
        const bool beatsBest = !best || bits > best->bitCount ||
                               (bits == best->bitCount && best->widthByte != 0 && best->widthByte < width);
        if (beatsBest && width > 0)
            return PlanFor(file, first, width, width, bits >= 32);
    }
    if (!best)
        return {};
    return PlanFor(file, EntryData(file, *best), best->Width(), best->Height(), best->bitCount >= 32);
}

// ---------------------------------------------------------------------------------------------
// Version resources

std::string_view VersionKey(int number) {
    if (number < 0 || number >= static_cast<int>(kVersionKeys.size()))
        return {};
    return kVersionKeys[static_cast<std::size_t>(number)];
}

std::string VersionSubBlockPath(uint16_t language, uint16_t codePage, std::string_view key) {
    char pair[16];
    std::snprintf(pair, sizeof pair, "%04X%04X", static_cast<unsigned>(language),
                  static_cast<unsigned>(codePage));
    std::string path = "\\StringFileInfo\\";
    path += pair;
    path += '\\';
    path += key;
    return path;
}

std::u16string FindVersionStringRaw(ByteView block, std::string_view key) {
    if (key.empty())
        return {};
    const std::size_t units = block.size() / 2;
    const std::size_t keyUnits = key.size();
    auto unit = [&](std::size_t i) { return U16(block, i * 2); };
    // The type word 1, the key, its NUL.
    for (std::size_t p = 0; p + keyUnits + 1 < units; ++p) {
        if (unit(p) != 1)
            continue;
        bool match = true;
        for (std::size_t k = 0; k < keyUnits && match; ++k)
            match = unit(p + 1 + k) == static_cast<uint8_t>(key[k]);
        if (!match || unit(p + 1 + keyUnits) != 0)
            continue;
        // The entry starts 4 bytes before its type word (length, value length); its value
        // starts at the next 32-bit boundary after the key's NUL.
        const std::size_t typeAt = p * 2;
        std::size_t valueAt = (p + keyUnits + 2) * 2;
        if ((valueAt - typeAt + 4) % 4 != 0)
            valueAt += 2;
        if (typeAt >= 4 && U16(block, typeAt - 2) == 0)
            return {}; // an entry with no value
        std::u16string value;
        for (std::size_t at = valueAt; at + 1 < block.size(); at += 2) {
            const char16_t c = static_cast<char16_t>(U16(block, at));
            if (c == 0)
                break;
            value.push_back(c);
        }
        return value;
    }
    return {};
}

} // namespace qor
