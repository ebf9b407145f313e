#include "core/ConfigFormat.h"

#include <algorithm>
#include <cstring>

namespace qor {

// --- Reader and writer -----------------------------------------------------------------------

ByteSpan ByteReader::Take(std::size_t n) {
    if (!m_ok || n > Remaining()) {
        m_ok = false;
        m_pos = m_bytes.size();
        return {};
    }
    const ByteSpan s = m_bytes.subspan(m_pos, n);
    m_pos += n;
    return s;
}

uint8_t ByteReader::U8() {
    const ByteSpan s = Take(1);
    return s.empty() ? 0 : s[0];
}

int16_t ByteReader::I16() {
    const ByteSpan s = Take(2);
    if (s.empty())
        return 0;
    return static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8)));
}

namespace {

int32_t LittleEndianI32(const uint8_t* p) {
    const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(v);
}

} // namespace

int32_t ByteReader::I32() {
    const ByteSpan s = Take(4);
    return s.empty() ? 0 : LittleEndianI32(s.data());
}

void PutU8(Bytes& out, uint8_t v) {
    out.push_back(v);
}

void PutI16(Bytes& out, int16_t v) {
    const auto u = static_cast<uint16_t>(v);
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
}

void PutI32(Bytes& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>((u >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>((u >> 16) & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 24));
}

// --- Settings record -------------------------------------------------------------------------

void AppendSettingsRecord(Bytes& out, const DockSettings& s) {
    PutI32(out, s.IconSize);
    PutI32(out, s.MaxIconSize);
    PutI32(out, s.MagnifiedSize);
    PutI32(out, s.Radius);
    PutI32(out, s.IconCountCode);
    for (uint8_t b : s.BackColor)
        PutU8(out, b);
    PutI16(out, s.Spare1);
    PutI16(out, s.AutoRun);
    PutText(out, s.UserIconPath);
    PutText(out, s.Spare2);
    PutI32(out, s.Spare3);
    PutI32(out, s.WindowLeft);
    PutI32(out, s.WindowTop);
    PutI32(out, s.Spare4);
    PutI16(out, s.LockDragging);
    PutI16(out, s.HideGetStarted);
    PutU8(out, s.HideDesktopIcons);
    PutU8(out, s.AutoHide);
    PutU8(out, s.DisplayLetter);
    PutU8(out, s.MinimizedPosition);
    PutU8(out, s.ClearType);
    PutU8(out, s.Spare5);
}

Bytes SerializeSettings(const DockSettings& s) {
    Bytes out;
    out.reserve(kSettingsFileSize);
    AppendSettingsRecord(out, s);
    return out;
}

std::optional<DockSettings> ParseSettings(ByteSpan bytes) {
    if (bytes.size() < kSettingsFileSize)
        return std::nullopt;
    ByteReader in(bytes.first(kSettingsFileSize));
    DockSettings s;
    s.IconSize = in.I32();
    s.MaxIconSize = in.I32();
    s.MagnifiedSize = in.I32();
    s.Radius = in.I32();
    s.IconCountCode = in.I32();
    for (uint8_t& b : s.BackColor)
        b = in.U8();
    s.Spare1 = in.I16();
    s.AutoRun = in.I16();
    in.Text(s.UserIconPath);
    in.Text(s.Spare2);
    s.Spare3 = in.I32();
    s.WindowLeft = in.I32();
    s.WindowTop = in.I32();
    s.Spare4 = in.I32();
    s.LockDragging = in.I16();
    s.HideGetStarted = in.I16();
    s.HideDesktopIcons = in.U8();
    s.AutoHide = in.U8();
    s.DisplayLetter = in.U8();
    s.MinimizedPosition = in.U8();
    s.ClearType = in.U8();
    s.Spare5 = in.U8();
    if (!in.Ok())
        return std::nullopt;
    return s;
}

// --- Menu file -------------------------------------------------------------------------------

namespace {

// Little-endian stores at a pointer that advances; the caller has sized the buffer.
struct RecordWriter {
    uint8_t* p;
    void U8(uint8_t v) { *p++ = v; }
    void I16(int16_t v) {
        const auto u = static_cast<uint16_t>(v);
        *p++ = static_cast<uint8_t>(u & 0xFF);
        *p++ = static_cast<uint8_t>(u >> 8);
    }
    void I32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int k = 0; k < 4; ++k)
            *p++ = static_cast<uint8_t>((u >> (8 * k)) & 0xFF);
    }
    template <std::size_t N> void Text(const FixedText<N>& field) {
        std::memcpy(p, field.bytes.data(), N);
        p += N;
    }
};

} // namespace

void AppendGroupRecord(Bytes& out, const DockGroup& group) {
    if (group.Members.empty()) {
        // An array that was never created: dimension count 0, no bounds, no elements.
        PutI16(out, 0);
    } else {
        PutI16(out, 1);
        PutI32(out, static_cast<int32_t>(group.Members.size()));
        PutI32(out, 0); // lower bound
        const std::size_t at = out.size();
        out.resize(at + 4 * group.Members.size());
        RecordWriter w{out.data() + at};
        for (int32_t m : group.Members)
            w.I32(m);
    }
    PutI32(out, group.Count);
}

void AppendItemRecord(Bytes& out, const DockItem& item) {
    const std::size_t at = out.size();
    out.resize(at + kItemRecordSize);
    RecordWriter w{out.data() + at};
    w.I32(item.Kind);
    w.U8(item.Category);
    w.I16(item.IsSystem);
    w.I32(item.Param);
    w.I16(item.Spare);
    w.I32(item.IconRef);
    w.Text(item.Target);
    w.Text(item.Title);
    w.Text(item.LargeIconPath);
    w.Text(item.IconPath);
    w.Text(item.TargetPath);
    w.Text(item.Arguments);
    w.I32(item.RunMode);
}

bool ReadItemRecord(ByteReader& in, DockItem& item) {
    if (in.Remaining() < kItemRecordSize) {
        in.Take(kItemRecordSize); // sets the failed state
        return false;
    }
    item.Kind = in.I32();
    item.Category = in.U8();
    item.IsSystem = in.I16();
    item.Param = in.I32();
    item.Spare = in.I16();
    item.IconRef = in.I32();
    in.Text(item.Target);
    in.Text(item.Title);
    in.Text(item.LargeIconPath);
    in.Text(item.IconPath);
    in.Text(item.TargetPath);
    in.Text(item.Arguments);
    item.RunMode = in.I32();
    return in.Ok();
}

void AppendMenuRecords(Bytes& out, const Store& store) {
    for (int g = kFirstUserGroup; g <= kGroupBound; ++g) {
        if (store.IsGroup(g)) {
            AppendGroupRecord(out, store.Groups[g]);
        } else {
            DockGroup empty;
            empty.Members.assign(static_cast<std::size_t>(GroupCapacity(g) + 1), 0);
            empty.Members[0] = g;
            AppendGroupRecord(out, empty);
        }
    }
    const DockItem freeItem;
    for (int i = 0; i <= kItemBound; ++i)
        AppendItemRecord(out, store.IsItem(i) ? store.Items[i] : freeItem);
}

Bytes SerializeMenu(const Store& store) {
    Bytes out;
    out.reserve(kStandardMenuFileSize);
    AppendMenuRecords(out, store);
    return out;
}

bool ReadGroupRecord(ByteReader& in, int g, DockGroup& group, int& repairs) {
    const int capacity = GroupCapacity(g);
    group.Members.assign(static_cast<std::size_t>(capacity + 1), 0);
    group.Dimensions = 1;
    const int16_t dims = in.I16();
    if (!in.Ok())
        return false;
    if (dims == 1) {
        const int32_t elements = in.I32();
        const int32_t lower = in.I32();
        if (!in.Ok() || elements < 0 || static_cast<uint64_t>(elements) * 4 > in.Remaining())
            return false;
        if (elements != capacity + 1 || lower != 0)
            ++repairs;
        // Element k holds index lower + k; only indices 0..capacity are kept, the rest is skipped.
        const int64_t first = std::clamp<int64_t>(-static_cast<int64_t>(lower), 0, elements);
        const int64_t last = std::clamp<int64_t>(static_cast<int64_t>(capacity) + 1 - lower, first, elements);
        in.Take(static_cast<std::size_t>(first) * 4);
        const ByteSpan kept = in.Take(static_cast<std::size_t>(last - first) * 4);
        int32_t* to = group.Members.data() + (lower + first);
        for (std::size_t at = 0; at + 4 <= kept.size(); at += 4)
            *to++ = LittleEndianI32(kept.data() + at);
        in.Take(static_cast<std::size_t>(elements - last) * 4);
    } else if (dims != 0) {
        return false;
    } else {
        ++repairs; // an array that was never created gets its standard size
    }
    group.Count = in.I32();
    return in.Ok();
}

void RepairGroup(int g, DockGroup& group, const std::vector<DockItem>& items, std::vector<bool>& listed,
                 int& repairs) {
    if (group.Members[0] != g) {
        group.Members[0] = g;
        ++repairs;
    }
    const int capacity = GroupCapacity(g);
    int count = group.Count;
    if (count < 0 || count > capacity) {
        count = count < 0 ? 0 : capacity;
        ++repairs;
    }
    int kept = 0;
    for (int j = 1; j <= count; ++j) {
        const int32_t m = group.Members[static_cast<std::size_t>(j)];
        const bool usable = m >= kFirstPoolItem && m <= kItemBound &&
                            items[static_cast<std::size_t>(m)].Kind != kind::Free &&
                            !listed[static_cast<std::size_t>(m)];
        if (usable) {
            listed[static_cast<std::size_t>(m)] = true;
            group.Members[static_cast<std::size_t>(++kept)] = m;
        }
    }
    if (kept != count || count != group.Count)
        ++repairs;
    for (int j = kept + 1; j <= count; ++j)
        group.Members[static_cast<std::size_t>(j)] = 0;
    group.Count = kept;
}

namespace {

bool ReadGroupSection(ByteReader& in, MenuImage& image) {
    image.groups.resize(kStoredGroupCount);
    image.storedCounts.resize(kStoredGroupCount);
    for (int g = kFirstUserGroup; g <= kGroupBound; ++g) {
        if (!ReadGroupRecord(in, g, image.Group(g), image.repairs))
            return false;
        image.storedCounts[static_cast<std::size_t>(g - kFirstUserGroup)] = image.Group(g).Count;
    }
    return true;
}

void RepairGroups(MenuImage& image) {
    std::vector<bool> listed(kItemBound + 1, false);
    for (int g = kFirstUserGroup; g <= kGroupBound; ++g)
        RepairGroup(g, image.Group(g), image.items, listed, image.repairs);
}

} // namespace

std::optional<MenuImage> ParseMenu(ByteSpan bytes) {
    ByteReader in(bytes);
    MenuImage image;
    if (!ReadGroupSection(in, image))
        return std::nullopt;
    // Checked before sizing the item array, so a short file costs nothing.
    if (in.Remaining() < kStoredItemCount * kItemRecordSize)
        return std::nullopt;
    image.items.resize(kStoredItemCount);
    for (DockItem& item : image.items)
        if (!ReadItemRecord(in, item))
            return std::nullopt;
    image.size = in.Position();
    RepairGroups(image);
    return image;
}

} // namespace qor
