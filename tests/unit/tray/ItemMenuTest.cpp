// The item menu: which entries a right click offers, and what each entry does to the store, the
// pictures, the ring, the pop-up and the item file.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "popup/PopupActions.h"
#include "tray/ItemMenu.h"

namespace qor {
namespace {

using Calls = std::vector<std::string>;
using Order = std::vector<int>;
const Order kMembers{129, 130, 131, 132, 133};

struct RecordingPopup : IPopupActions {
    explicit RecordingPopup(Calls& calls) : m_calls(calls) {}
    void MenuFocus(int slot) override { m_calls.push_back("Popup MenuFocus " + std::to_string(slot)); }
    void EscCancel(bool noDockFocus) override {
        m_calls.push_back("Popup EscCancel " + std::to_string(noDockFocus));
    }
    void MenuResize() override { m_calls.push_back("Popup MenuResize"); }
    Calls& m_calls;
};

// A ring of 8: My Computer, the recycle bin, All Programs, shortcuts on 4, 5, 7 and 8, and on 6
// a group of members 129..133; command 65 in group 0. Each item has its own picture "P<index>".
struct ItemMenuTest : ::testing::Test {
    test::ShellTestApp t;
    test::RecordingTrace trace;
    AppState& app = t.app;
    Calls calls;
    test::RecordingDock dock{calls, &t.app};
    test::RecordingProgram program{calls};
    RecordingPopup popup{calls};
    ItemMenu menu{app, dock, program, &popup};

    ItemMenuTest() { Reset(); }
    void Reset() {
        app.store.Create();
        app.dock = DockRuntime{};
        app.sys.trace = &trace;
        app.run.IconCount = 8;
        t.images.entries.clear();
        const int32_t kinds[] = {kind::User,        kind::System,   kind::RecycleBin,
                                 kind::AllPrograms, kind::Shortcut, kind::Shortcut,
                                 kind::Group,       kind::Shortcut, kind::Shortcut};
        for (int i = 0; i <= 8; ++i)
            Put(i, kinds[i]);
        for (int m : kMembers) {
            Put(m, kind::Member);
            Group(6).Members[++Group(6).Count] = m;
        }
        Put(65, kind::Command);
        Group(0).Members[++Group(0).Count] = 65;
        menu.dockInFront = nullptr;
        calls.clear();
        trace.lines.clear();
    }
    void Put(int i, int32_t k) {
        Item(i).Kind = k;
        Item(i).Title = "T" + std::to_string(i);
        Item(i).IconRef = i;
        t.images.working = "P" + std::to_string(i);
        t.images.ScaleIntoCache(i, 1, 48, 48, false);
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    // A right click on ring icon `slot` (entry 0) or on row `entry` of the pop-up of `slot`.
    void Click(int slot, int entry) {
        app.dock.ClickedSlot = slot;
        app.dock.ClickedEntry = entry ? entry : -1;
        app.dock.CurrentItem = entry ? Group(slot).Members[entry] : slot;
    }
    Order Members(int g) {
        return {Group(g).Members.begin() + 1, Group(g).Members.begin() + 1 + Group(g).Count};
    }
    bool Saved() {
        return std::count(trace.lines.begin(), trace.lines.end(), "save file=menu reason=item-menu ok=1") ==
               1;
    }
};

TEST_F(ItemMenuTest, EntriesOfferedByKindAndPosition) {
    struct Row {
        const char* what;
        int slot, entry, kind, count; // kind and count: -1 as set up
        bool poolFull;
        const char* offered; // Add, Delete, Up, Down, Top, Bottom, Properties
    };
    const Row rows[] = {
        {"shortcut on position 4", 4, 0, -1, -1, false, "0101011"},
        {"shortcut on the last position", 8, 0, -1, -1, false, "0110101"},
        {"blank position", 7, 0, kind::Blank, -1, false, "1011111"},
        {"group with room", 6, 0, -1, -1, false, "1111111"},
        {"full group", 6, 0, -1, kGroupCapacity, false, "0111111"},
        {"group, no storable member item left", 6, 0, -1, -1, true, "0111111"},
        {"All Programs with room", 3, 0, -1, -1, false, "1100001"},
        {"full All Programs", 3, 0, -1, kAllProgramsCapacity, false, "0100001"},
        {"a shortcut on position 3 never moves", 3, 0, kind::Shortcut, -1, false, "0100001"},
        {"My Computer", 1, 0, -1, -1, false, "0000001"},
        {"built-in command row", 0, 1, -1, -1, false, "0000001"},
        {"first member", 6, 1, -1, -1, false, "0101011"},
        {"last member", 6, 5, -1, -1, false, "0110101"},
        {"only member", 6, 1, -1, 1, false, "0100001"},
        {"a member its group no longer lists", 6, 3, -1, 2, false, "0100001"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Reset();
        Click(row.slot, row.entry);
        if (row.kind >= 0)
            Item(row.slot).Kind = row.kind;
        if (row.count >= 0)
            Group(row.slot).Count = row.count;
        for (int i = kFirstPoolItem; row.poolFull && i <= kItemBound; ++i)
            Item(i).Kind = Item(i).Kind ? Item(i).Kind : kind::Member;
        const ItemMenuState on = ItemMenuEnabled(app);
        std::string offered;
        for (int i : {0, 1, 3, 4, 5, 6, 8})
            offered += on[static_cast<std::size_t>(i)] ? '1' : '0';
        EXPECT_EQ(offered, row.offered);
    }
}

TEST_F(ItemMenuTest, MovesCarryRecordGroupAndPicturesOnTheRingAndReorderMembers) {
    struct Row {
        int slot, entry; // entry 0: ring icon `slot`; else that row of the pop-up of `slot`
        ItemEntry move;
        Order order; // ring: what stood in 4..8 before; member: the new member order
    };
    const Row rows[] = {
        {7, 0, ItemEntry::MoveTop, {7, 4, 5, 6, 8}},
        {5, 0, ItemEntry::MoveBottom, {4, 6, 7, 8, 5}},
        {6, 0, ItemEntry::MoveUp, {4, 6, 5, 7, 8}},
        {6, 0, ItemEntry::MoveDown, {4, 5, 7, 6, 8}},
        {8, 0, ItemEntry::MoveBottom, {4, 5, 6, 7, 8}},
        {6, 3, ItemEntry::MoveBottom, {129, 130, 132, 133, 131}},
        {6, 4, ItemEntry::MoveTop, {132, 129, 130, 131, 133}},
        {6, 2, ItemEntry::MoveUp, {130, 129, 131, 132, 133}},
        {6, 2, ItemEntry::MoveDown, {129, 131, 130, 132, 133}},
        {6, 1, ItemEntry::MoveUp, kMembers},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("slot " + std::to_string(row.slot) + " entry " + std::to_string(row.entry));
        Reset();
        Item(5).IconRef = kBlankTemplate; // no picture of its own: it keeps the template
        const Store before = app.store;
        Click(row.slot, row.entry);
        menu.Click(row.move);
        bool moved = false;
        if (row.entry == 0) {
            for (int slot = 4; slot <= 8; ++slot) {
                const int from = row.order[static_cast<std::size_t>(slot - 4)];
                moved |= from != slot;
                DockItem want = before.Items[from];
                want.IconRef = want.IconRef == from ? slot : want.IconRef;
                EXPECT_EQ(Item(slot), want) << "slot " << slot;
                EXPECT_EQ(Group(slot).Members[0], slot);
                EXPECT_EQ(Members(slot), from == 6 ? kMembers : Order{}) << "slot " << slot;
                EXPECT_EQ(t.images.entries[std::make_pair(slot, 1)].source, "P" + std::to_string(from));
            }
            EXPECT_EQ(calls, moved ? Calls{"Repaint"} : Calls{});
        } else {
            moved = row.order != kMembers;
            EXPECT_EQ(Members(6), row.order);
            EXPECT_EQ(app.store.Items, before.Items) << "a member move changes no record";
            EXPECT_EQ(calls, moved ? Calls{"Popup MenuResize"} : Calls{});
        }
        EXPECT_EQ(Saved(), moved);
        EXPECT_EQ(CheckStoreInvariants(app.store), "");
    }
    // A row whose entry no longer holds the item (the group changed meanwhile) moves nothing.
    Click(6, 2);
    app.dock.ClickedEntry = 3;
    menu.Click(ItemEntry::MoveTop);
    EXPECT_EQ(Members(6), kMembers);
}

TEST_F(ItemMenuTest, EntriesOpenTheDialogOrDeleteAfterTheirQuestion) {
    struct Row {
        int slot, entry;
        ItemEntry chosen;
        bool busy; // pop-up open, keyboard mode on (and the dock in front afterwards)
        int answer;
        const char* calls;
        const char* asked; // the question's caption, or ""
        bool deleted;
    };
    const Row rows[] = {
        {6, 0, ItemEntry::AddShortcut, true, 0,
         "Popup EscCancel 1, EscCancel, ShowProperties 6 add, EscCancel", "", false},
        {6, 2, ItemEntry::Properties, false, 0, "ShowProperties 130", "", false},
        {5, 0, ItemEntry::Delete, false, mb::IdNo, "", "Delete Shortcut", false},
        {6, 2, ItemEntry::Delete, true, mb::IdYes, "Popup EscCancel 1, EscCancel, Repaint, EscCancel",
         "Delete Shortcut", true},
        {6, 0, ItemEntry::Delete, false, mb::IdYes, "Repaint", "Delete Shortcut Group", true},
        {6, 0, ItemEntry::Delete, false, mb::IdNo, "", "Delete Shortcut Group", false},
        {4, 0, ItemEntry::MoveDown, true, 0, "Repaint, EscCancel", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.calls) + " " + row.asked);
        Reset();
        Click(row.slot, row.entry);
        app.dock.PopupOpen = app.dock.KeyboardMode = row.busy;
        menu.dockInFront = [&] { return row.busy; };
        t.ui.messages.clear();
        t.ui.answers = {row.answer};
        const int item = app.dock.CurrentItem;
        const int32_t kindBefore = Item(item).Kind;
        menu.Click(row.chosen);
        std::string joined;
        for (const std::string& c : calls)
            joined += (joined.empty() ? "" : ", ") + c;
        EXPECT_EQ(joined, row.calls);
        ASSERT_EQ(t.ui.messages.size(), *row.asked ? 1u : 0u);
        if (*row.asked) {
            EXPECT_EQ(t.ui.messages[0].caption, row.asked);
            EXPECT_EQ(t.ui.messages[0].flags,
                      mb::YesNo | mb::IconQuestion | mb::DefButton2 | mb::SetForeground);
        }
        EXPECT_EQ(Item(item).Kind != kindBefore, row.deleted);
        EXPECT_EQ(Saved(), row.deleted || row.chosen == ItemEntry::MoveDown);
        EXPECT_EQ(CheckStoreInvariants(app.store), "");
    }
}

} // namespace
} // namespace qor
