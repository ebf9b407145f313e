#include "core/Store.h"

namespace qor {

int GroupCapacity(int group) {
    return group == kAllProgramsGroup ? kAllProgramsCapacity : kGroupCapacity;
}

void Store::Create() {
    Items.assign(kItemBound + 1, DockItem{});
    Groups.assign(kGroupBound + 1, DockGroup{});
    for (int g = 0; g <= kGroupBound; ++g) {
        Groups[g].Members.assign(GroupCapacity(g) + 1, 0);
        Groups[g].Members[0] = g; // position 0 stands for the group's own item
    }
}

bool GroupHasRoom(const Store& store, int group) {
    if (!store.IsGroup(group))
        return false;
    const DockGroup& g = store.Groups[group];
    if (g.Count < 0 || g.Count >= GroupCapacity(group) || g.Count + 1 >= static_cast<int>(g.Members.size()))
        return false;
    for (int i = kFirstPoolItem; i <= kItemBound && i <= store.LastItem(); ++i)
        if (store.Items[i].Kind == kind::Free)
            return true;
    return false;
}

std::string CheckStoreInvariants(const Store& store) {
    if (store.Items.size() < kItemBound + 1)
        return "Items has fewer than 1025 records";
    if (store.Groups.size() != kGroupBound + 1)
        return "Groups does not have 37 records";
    for (int g = 0; g <= kGroupBound; ++g) {
        const DockGroup& group = store.Groups[g];
        const auto broken = [g](const char* what) { return "group " + std::to_string(g) + " " + what; };
        if (group.Members.size() != static_cast<std::size_t>(GroupCapacity(g) + 1))
            return broken("has a Members array of the wrong size");
        if (group.Members[0] != g)
            return broken("does not hold its own index at position 0");
        if (group.Count < 0 || group.Count > GroupCapacity(g))
            return broken("has a Count outside its capacity");
        for (int j = 1; j <= group.Count; ++j) {
            const int m = group.Members[j];
            if (!store.IsItem(m))
                return broken("lists an index outside Items");
            if (store.Items[m].Kind == kind::Free)
                return broken("lists a free item");
            if (g >= kFirstUserGroup && m < kFirstPoolItem)
                return broken("lists an item outside the member pool");
        }
    }
    return {};
}

} // namespace qor
