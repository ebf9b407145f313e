// The item store: every icon the dock shows is a DockItem addressed by its index in Items,
// and every group is a DockGroup whose Members list item indices. An item never moves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Text.h"

namespace qor {

// Bounds of the arrays (upper bounds, lower bound 0).
constexpr int kItemBound = 1024;     // Items 0..1024 are created and stored; more may be added
constexpr int kGroupBound = 36;      // Groups 0..36
constexpr int kAllProgramsGroup = 3; // the group with room for 1024 members
constexpr int kAllProgramsCapacity = 1024;
constexpr int kGroupCapacity = 36;
constexpr int kFirstPoolItem = 129; // group members of user groups live from here up
constexpr int kFirstUserGroup = 3;

// Index ranges of Items.
constexpr int kCentreItem = 0;
constexpr int kFirstRingSlot = 1;
constexpr int kLastRingSlot = 36;
constexpr int kFirstTemplate = 37;
constexpr int kRecycleEmptyItem = 37;
constexpr int kRecycleFullItem = 38;
constexpr int kFileTemplate = 39;
constexpr int kBlankTemplate = 40;
constexpr int kApplicationTemplate = 41;
constexpr int kGroupTemplate = 42;
constexpr int kLastTemplate = 64;
constexpr int kFirstCommandItem = 65;
constexpr int kLastCommandItem = 128;

// Kind codes of DockItem.
namespace kind {
constexpr int32_t Free = 0;
constexpr int32_t Shortcut = 1;
constexpr int32_t Blank = 2;
constexpr int32_t Group = 4;
constexpr int32_t Member = 5;
constexpr int32_t AllPrograms = 6;
constexpr int32_t RecycleBin = 9;
constexpr int32_t System = 10;
constexpr int32_t Command = 11;
constexpr int32_t User = 12;
} // namespace kind

// 16-bit booleans of the stored records.
constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

struct DockItem {
    int32_t Kind = 0;
    uint8_t Category = 0; // 0 link or web shortcut, 1 program, 2 document
    int16_t IsSystem = 0; // -1 for built-in and system items
    int32_t Param = 0;    // command code of built-in items
    int16_t Spare = 0;
    int32_t IconRef = 0; // index of the item whose image is drawn for this one
    FixedText<255> Target;
    FixedText<128> Title;
    FixedText<255> LargeIconPath;
    FixedText<255> IconPath;
    FixedText<255> TargetPath;
    FixedText<128> Arguments;
    int32_t RunMode = 0; // 0 normal, 1 minimized, 2 maximized

    bool operator==(const DockItem&) const = default;
};

struct DockGroup {
    // Members[0] is the group's own index; Members[1..Count] are the members in display order.
    std::vector<int32_t> Members;
    int32_t Count = 0;
    // Dimension count as stored: 1 for a created array, 0 for one that was never created.
    int16_t Dimensions = 1;

    bool operator==(const DockGroup&) const = default;
};

// Room of a group's Members array: 1024 members for group 3, 36 for the others.
int GroupCapacity(int group);

struct Store {
    std::vector<DockItem> Items;   // 0..1024 at start, may grow
    std::vector<DockGroup> Groups; // 0..36

    // Creates the arrays with their fixed bounds, every record free and every Count 0; position 0
    // of each group's Members holds the group's own index. The store's invariants hold.
    void Create();

    int LastItem() const { return static_cast<int>(Items.size()) - 1; }
    bool IsItem(int index) const { return index >= 0 && index < static_cast<int>(Items.size()); }
    bool IsGroup(int index) const { return index >= 0 && index < static_cast<int>(Groups.size()); }
};

// True when group `group` can take one more member: it is below its capacity and a free pool
// item that the menu file can store (129..1024) is left. Whatever adds members asks this first.
bool GroupHasRoom(const Store& store, int group);

// Describes the first broken invariant of the store, or returns empty text when all hold.
std::string CheckStoreInvariants(const Store& store);

} // namespace qor
