// One group record of QORMenu.cfg alone (as a damaged menu file or a backup carries it), read
// and repaired against a fixed set of items: whatever the bytes, the reader stays inside them,
// the repaired group keeps every invariant of the item store (position 0 names the group, the
// count fits, members are pool items in use that no group before it lists), and it is stored
// and read back unchanged, with nothing left to repair.
//
// Input: one byte choosing the group (3 + byte % 34), then the record. The whole-file target
// (menu) covers the section of all 34 records and its join with the item records.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "SeedFiles.h"
#include "core/ConfigFormat.h"

using namespace qor;

namespace {

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

// Pool items in use, except every seventh, which is free; every fifth is listed by a group
// read before this one. Members naming either are dropped.
const std::vector<DockItem>& Items() {
    static const std::vector<DockItem>* items = [] {
        auto* v = new std::vector<DockItem>(kStoredItemCount);
        for (int i = kFirstPoolItem; i <= kItemBound; ++i)
            (*v)[static_cast<std::size_t>(i)].Kind = i % 7 == 0 ? kind::Free : kind::Member;
        return v;
    }();
    return *items;
}

const std::vector<bool>& ListedBefore() {
    static const std::vector<bool>* listed = [] {
        auto* v = new std::vector<bool>(kItemBound + 1, false);
        for (int i = kFirstPoolItem; i <= kItemBound; i += 5)
            (*v)[static_cast<std::size_t>(i)] = true;
        return v;
    }();
    return *listed;
}

Bytes Seed(int g, const DockGroup& group) {
    Bytes out{static_cast<uint8_t>(g - kFirstUserGroup)};
    AppendGroupRecord(out, group);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Store s;
    s.Create();
    DockGroup& tools = s.Groups[6];
    for (int m : {130, 131, 132, 133})
        tools.Members[static_cast<std::size_t>(++tools.Count)] = m;
    DockGroup& all = s.Groups[3];
    for (int m = kFirstPoolItem; m <= kItemBound && all.Count < 600; ++m)
        all.Members[static_cast<std::size_t>(++all.Count)] = m;
    DockGroup unmade; // an array that was never created
    unmade.Members.clear();
    fuzz::WriteSeedsIfAsked({{"tools", Seed(6, tools)},
                             {"all-programs", Seed(3, all)},
                             {"empty", Seed(20, s.Groups[20])},
                             {"unmade", Seed(9, unmade)}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int g = kFirstUserGroup + data[0] % kStoredGroupCount;
    const ByteSpan record(data + 1, size - 1);
    static DockGroup group;
    // The marks of the groups before this one; each pass below leaves them as they were.
    static std::vector<bool> listed = ListedBefore();
    int repairs = 0;
    ByteReader in(record);
    const bool read = ReadGroupRecord(in, g, group, repairs);
    Check(in.Position() <= record.size());
    if (!read)
        return 0;
    RepairGroup(g, group, Items(), listed, repairs);

    const int capacity = GroupCapacity(g);
    Check(group.Members.size() == static_cast<std::size_t>(capacity + 1));
    Check(group.Members[0] == g);
    Check(group.Count >= 0 && group.Count <= capacity);
    for (int j = 1; j <= group.Count; ++j) {
        const int m = group.Members[static_cast<std::size_t>(j)];
        Check(m >= kFirstPoolItem && m <= kItemBound);
        Check(Items()[static_cast<std::size_t>(m)].Kind != kind::Free);
        Check(!ListedBefore()[static_cast<std::size_t>(m)] && listed[static_cast<std::size_t>(m)]);
        listed[static_cast<std::size_t>(m)] = false; // each member once
    }

    // What the repair leaves is a sound record: a record that needed nothing is written back byte
    // for byte; a repaired one is read back as written, with nothing left to repair.
    static Bytes again;
    static DockGroup second;
    again.clear();
    AppendGroupRecord(again, group);
    if (repairs == 0) {
        Check(again.size() == in.Position() && std::memcmp(again.data(), record.data(), again.size()) == 0);
        return 0;
    }
    int secondRepairs = 0;
    ByteReader back{ByteSpan(again)};
    Check(ReadGroupRecord(back, g, second, secondRepairs) && back.Remaining() == 0);
    RepairGroup(g, second, Items(), listed, secondRepairs);
    Check(secondRepairs == 0 && second == group);
    for (int j = 1; j <= second.Count; ++j)
        listed[static_cast<std::size_t>(second.Members[static_cast<std::size_t>(j)])] = false;
    return 0;
}
