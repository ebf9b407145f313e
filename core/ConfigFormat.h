// Byte layouts of the two configuration files: the settings record of QORCfg.cfg and the group
// and item records of QORMenu.cfg (also parts 1 and 2 of a shortcuts-and-icons backup).
// Little-endian, ANSI text fields of fixed width, no header and no padding.
//
// The parsers take a byte span, never read past it and never size anything from a stored count
// without first checking it against the bytes that are left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "core/Settings.h"
#include "core/Store.h"
#include "platform/FileSystem.h"

namespace qor {

using ByteSpan = std::span<const uint8_t>;

constexpr std::size_t kSettingsFileSize = 564;
constexpr std::size_t kItemRecordSize = 1297;
constexpr std::size_t kGroupRecordSize = 162;                        // an ordinary group: 37 elements
constexpr std::size_t kAllProgramsRecordSize = 4114;                 // group 3: 1025 elements
constexpr int kStoredGroupCount = kGroupBound - kFirstUserGroup + 1; // groups 3..36
constexpr int kStoredItemCount = kItemBound + 1;                     // items 0..1024
constexpr std::size_t kStandardMenuFileSize =
    kAllProgramsRecordSize + (kStoredGroupCount - 1) * kGroupRecordSize + kStoredItemCount * kItemRecordSize;

// Sequential little-endian reader over a byte span. A read past the end sets the failed state,
// returns zero and leaves the position at the end.
class ByteReader {
public:
    explicit ByteReader(ByteSpan bytes) : m_bytes(bytes) {}

    bool Ok() const { return m_ok; }
    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_bytes.size() - m_pos; }

    uint8_t U8();
    int16_t I16();
    int32_t I32();
    // The next n bytes, or an empty span (and the failed state) when fewer are left.
    ByteSpan Take(std::size_t n);
    template <std::size_t N> void Text(FixedText<N>& field) {
        const ByteSpan s = Take(N);
        if (s.size() == N)
            std::memcpy(field.bytes.data(), s.data(), N);
    }

private:
    ByteSpan m_bytes;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

// Appends little-endian values to a byte buffer.
void PutU8(Bytes& out, uint8_t v);
void PutI16(Bytes& out, int16_t v);
void PutI32(Bytes& out, int32_t v);
template <std::size_t N> void PutText(Bytes& out, const FixedText<N>& field) {
    const std::size_t at = out.size();
    out.resize(at + N);
    std::memcpy(out.data() + at, field.bytes.data(), N);
}

// --- Settings record -------------------------------------------------------------------------

void AppendSettingsRecord(Bytes& out, const DockSettings& s);
Bytes SerializeSettings(const DockSettings& s);
// The record at the start of the span; nothing when the span is shorter than 564 bytes.
std::optional<DockSettings> ParseSettings(ByteSpan bytes);

// --- Menu file -------------------------------------------------------------------------------

void AppendGroupRecord(Bytes& out, const DockGroup& group);
void AppendItemRecord(Bytes& out, const DockItem& item);
bool ReadItemRecord(ByteReader& in, DockItem& item);
// Groups 3..36 then items 0..1024 of the store (a missing record is written as a free one).
void AppendMenuRecords(Bytes& out, const Store& store);
Bytes SerializeMenu(const Store& store);

// The stored groups and items of a menu file, checked and repaired so that they can be put
// into a store without breaking any of its invariants:
// - every group's Members has its standard size (1025 for group 3, 37 otherwise), position 0
//   holds the group's own index whatever was stored;
// - Count lies in 0..capacity;
// - members 1..Count are pool items (129..1024) that are in use in `items`, each listed once
//   across all groups; other entries are dropped and the list closed up.
struct MenuImage {
    std::vector<DockGroup> groups;     // groups 3..36 at positions 0..33
    std::vector<int32_t> storedCounts; // Count as read, before any repair
    std::vector<DockItem> items;       // items 0..1024
    std::size_t size = 0;              // bytes the records took
    int repairs = 0;                   // values that had to be changed

    DockGroup& Group(int g) { return groups[static_cast<std::size_t>(g - kFirstUserGroup)]; }
    const DockGroup& Group(int g) const { return groups[static_cast<std::size_t>(g - kFirstUserGroup)]; }
};

// Nothing when the records cannot be read: the span ends early, or a group record has a
// dimension count other than 0 or 1, or an element count that is negative or runs past the end.
// Bytes after the records are not looked at.
std::optional<MenuImage> ParseMenu(ByteSpan bytes);

// The group records one at a time, as ParseMenu reads them. ReadGroupRecord reads the record of
// group g into a Members array of the group's standard size (stored elements outside it are
// read and dropped); false when it cannot be read. RepairGroup then brings the group in line as
// described above against `items` (indices 0..1024); `listed` (1025 marks) holds the items that
// groups before it list, and receives this group's members. Every change counts in `repairs`.
bool ReadGroupRecord(ByteReader& in, int g, DockGroup& group, int& repairs);
void RepairGroup(int g, DockGroup& group, const std::vector<DockItem>& items, std::vector<bool>& listed,
                 int& repairs);

} // namespace qor
