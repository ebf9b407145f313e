// Builders of icon group resources, ".ico" files, icon images and version blocks, byte by byte,
// for the tests of the icon readers (unit tests and fuzz seeds).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qor::test {

using ByteVec = std::vector<uint8_t>;

inline void Put16(ByteVec& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(ByteVec& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Set32(ByteVec& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct GroupEntry {
    uint8_t width, height;
    uint16_t bits;
    uint16_t id;
    uint32_t size = 1000;
};

// An icon group resource: header with `count` (the entries' number unless given) and 14-byte entries.
inline ByteVec IconGroup(const std::vector<GroupEntry>& entries, int count = -1) {
    ByteVec b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, count < 0 ? static_cast<uint32_t>(entries.size()) : static_cast<uint32_t>(count));
    for (const GroupEntry& e : entries) {
        b.push_back(e.width);
        b.push_back(e.height);
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, e.bits);
        Put32(b, e.size);
        Put16(b, e.id);
    }
    return b;
}

// A bitmap icon image: 40-byte header (height doubled for the mask), colour table, pixels and mask.
// 32-bit pixels are all `pixel` (ARGB); 8-bit pixels are all palette index 1 (blue).
inline ByteVec BitmapImage(int width, int height, int bits, uint32_t pixel = 0x80FF0000u) {
    ByteVec b;
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height * 2));
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(bits));
    for (int i = 0; i < 6; ++i)
        Put32(b, 0);
    if (bits <= 8) {
        const int colors = 1 << bits;
        for (int i = 0; i < colors; ++i)
            Put32(b, i == 1 ? 0x000000FFu : 0x00FF0000u); // index 1 blue, others red
    }
    const int colorStride = ((width * bits + 31) / 32) * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < colorStride; ++x) {
            if (bits == 32)
                b.push_back(static_cast<uint8_t>(pixel >> (8 * (x % 4))));
            else
                b.push_back(bits == 8 ? 1 : 0);
        }
    }
    const int maskStride = ((width + 31) / 32) * 4;
    b.insert(b.end(), static_cast<std::size_t>(maskStride * height), 0); // all opaque
    return b;
}

// PNG-looking data: the signature followed by a few bytes (enough for the readers, which only
// look at the signature).
inline ByteVec PngLike(std::size_t length = 64) {
    ByteVec b = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    while (b.size() < length)
        b.push_back(static_cast<uint8_t>(b.size()));
    return b;
}

struct FileImage {
    uint8_t width, height;
    uint16_t bits;
    ByteVec data;
};

// An ".ico" file in the ordinary layout: directory, then the images in directory order.
inline ByteVec IconFile(const std::vector<FileImage>& images) {
    ByteVec b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const FileImage& i : images) {
        b.push_back(i.width);
        b.push_back(i.height);
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, i.bits);
        Put32(b, static_cast<uint32_t>(i.data.size()));
        Put32(b, offset);
        offset += static_cast<uint32_t>(i.data.size());
    }
    for (const FileImage& i : images)
        b.insert(b.end(), i.data.begin(), i.data.end());
    return b;
}

// The offset field of directory entry `index` of an ".ico" file.
inline std::size_t IcoOffsetField(std::size_t index) {
    return 6 + 16 * index + 12;
}
inline std::size_t IcoSizeField(std::size_t index) {
    return 6 + 16 * index + 8;
}

inline void PutText16(ByteVec& b, const std::u16string& text) {
    for (char16_t c : text)
        Put16(b, c);
    Put16(b, 0);
}
inline void Align4(ByteVec& b) {
    while (b.size() % 4)
        b.push_back(0);
}

// One text entry of a version block's string table (length, value length, type 1, key, padding,
// value, padding), starting at a 32-bit boundary of `b`.
inline void VersionString(ByteVec& b, const std::u16string& key, const std::u16string& value,
                          bool declareValue = true) {
    const std::size_t start = b.size();
    Put16(b, 0);
    Put16(b, declareValue ? static_cast<uint32_t>(value.size() + 1) : 0);
    Put16(b, 1);
    PutText16(b, key);
    Align4(b);
    PutText16(b, value);
    const std::size_t length = b.size() - start;
    b[start] = static_cast<uint8_t>(length);
    b[start + 1] = static_cast<uint8_t>(length >> 8);
    Align4(b);
}

} // namespace qor::test
