#include <gtest/gtest.h>

#include "core/Store.h"

namespace qor {
namespace {

Store MadeStore() {
    Store s;
    s.Create();
    return s;
}

TEST(Store, CreatedWithItsBounds) {
    Store s;
    s.Create();
    EXPECT_EQ(s.Items.size(), 1025u);
    EXPECT_EQ(s.Groups.size(), 37u);
    EXPECT_EQ(s.Groups[3].Members.size(), 1025u); // the All Programs group holds 1024 members
    for (int g : {0, 1, 2, 4, 36})
        EXPECT_EQ(s.Groups[g].Members.size(), 37u) << g;
    for (const DockItem& item : s.Items)
        ASSERT_EQ(item, DockItem{});
    for (int g = 0; g <= kGroupBound; ++g)
        EXPECT_EQ(s.Groups[g].Members[0], g) << g; // each group stands for its own item
    EXPECT_EQ(CheckStoreInvariants(s), "");
    EXPECT_TRUE(s.IsItem(1024));
    EXPECT_FALSE(s.IsItem(1025));
    EXPECT_FALSE(s.IsItem(-1));
    EXPECT_FALSE(s.IsGroup(37));
    EXPECT_EQ(GroupCapacity(3), 1024);
    EXPECT_EQ(GroupCapacity(4), 36);
}

TEST(Store, InvariantsHoldForAConsistentStore) {
    Store s = MadeStore();
    s.Items[129].Kind = kind::Member;
    s.Groups[4].Members[1] = 129;
    s.Groups[4].Count = 1;
    s.Items[65].Kind = kind::Command;
    s.Groups[0].Members[1] = 65; // built-in groups list built-in items below the pool
    s.Groups[0].Count = 1;
    EXPECT_EQ(CheckStoreInvariants(s), "");
}

TEST(Store, InvariantViolationsAreNamed) {
    struct Case {
        const char* what;
        void (*breakIt)(Store&);
    };
    const Case cases[] = {
        {"own index", [](Store& s) { s.Groups[5].Members[0] = 0; }},
        {"count above capacity", [](Store& s) { s.Groups[5].Count = 37; }},
        {"negative count", [](Store& s) { s.Groups[5].Count = -1; }},
        {"free member",
         [](Store& s) {
             s.Groups[5].Count = 1;
             s.Groups[5].Members[1] = 200;
         }},
        {"index outside Items",
         [](Store& s) {
             s.Groups[5].Count = 1;
             s.Groups[5].Members[1] = 5000;
         }},
        {"member outside the pool",
         [](Store& s) {
             s.Items[50].Kind = kind::System;
             s.Groups[5].Count = 1;
             s.Groups[5].Members[1] = 50;
         }},
        {"short members array", [](Store& s) { s.Groups[3].Members.resize(37); }},
        {"too few items", [](Store& s) { s.Items.resize(1000); }},
    };
    for (const Case& c : cases) {
        Store s = MadeStore();
        c.breakIt(s);
        EXPECT_NE(CheckStoreInvariants(s), "") << c.what;
    }
}

TEST(Store, FullGroupsAndGrownItemsAreAllowed) {
    Store s = MadeStore();
    s.Items.resize(1200); // the pool may grow past 1024
    for (int j = 1; j <= 1024; ++j) {
        s.Items[128 + j].Kind = kind::Member;
        s.Groups[3].Members[j] = 128 + j; // up to item 1152
    }
    s.Groups[3].Count = 1024;
    EXPECT_EQ(CheckStoreInvariants(s), "");
}

} // namespace
} // namespace qor
