// The item menu: which entries a right click offers, and what each entry does to the store, the
// pictures, the ring, the pop-up and the item file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "popup/PopupActions.h"
#include "tray/ItemMenu.h"

namespace qor {
namespace {

using Calls = std::vector<std::string>;
const std::string kShots = "C:\\Shots\\";

class RecordingPopup : public IPopupActions {
public:
    explicit RecordingPopup(Calls& calls) : m_calls(calls) {}
    void MenuFocus(int slot) override { m_calls.push_back("Popup MenuFocus " + std::to_string(slot)); }
    void EscCancel(bool noFormMainFocus) override {
        m_calls.push_back(std::string("Popup EscCancel ") + (noFormMainFocus ? "1" : "0"));
    }
    void MenuResize() override { m_calls.push_back("Popup MenuResize"); }

private:
    Calls& m_calls;
};

// A ring of 8: slot 1 My Computer, 2 the recycle bin, 3 All Programs, 4..8 shortcuts named by
// their slot except 6, a group holding members 129..133. Every picture is built in the cache.
struct ItemMenuFixture : ::testing::Test {
    test::ShellTestApp t;
    test::RecordingTrace trace;
    AppState& app = t.app;
    Calls calls;
    test::RecordingDock dock{calls, &t.app};
    test::RecordingProgram program{calls};
    RecordingPopup popup{calls};
    ItemMenu menu{app, dock, program, &popup};

    void SetUp() override {
        app.store.Create();
        app.dock = DockRuntime{};
        app.sys.trace = &trace;
        app.run.IconCount = 8;
        for (int g = 0; g <= kGroupBound; ++g)
            app.store.Groups[g].Members[0] = g;
        Put(1, kind::System, "My Computer");
        Put(2, kind::RecycleBin, "Recycle Bin");
        Put(3, kind::AllPrograms, "All Programs");
        for (int s : {4, 5, 7, 8})
            Put(s, kind::Shortcut, "S" + std::to_string(s));
        Put(6, kind::Group, "G6");
        for (int m = 129; m <= 133; ++m) {
            Put(m, kind::Member, "M" + std::to_string(m));
            Group(6).Members[++Group(6).Count] = m;
        }
        Put(65, kind::Command, "Shut Down");
        Group(0).Members[++Group(0).Count] = 65;
    }
    void Put(int i, int32_t k, const std::string& title) {
        DockItem& d = app.store.Items[i];
        d.Kind = k;
        d.Title = title;
        d.Target = kShots + title + ".exe";
        d.IconPath = kShots + title + ".png";
        d.IconRef = i;
        t.fs.AddFile(kShots + title + ".png", "png");
        t.images.working = kShots + title + ".png";
        t.images.ScaleIntoCache(i, 1, 48, 48, false);
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    // Right click on a ring icon, or on entry `entry` of the pop-up of `slot`.
    void OnRing(int slot) {
        app.dock.ClickedSlot = app.dock.CurrentItem = slot;
        app.dock.ClickedEntry = -1;
    }
    void OnRow(int slot, int entry) {
        app.dock.ClickedSlot = slot;
        app.dock.ClickedEntry = entry;
        app.dock.CurrentItem = Group(slot).Members[entry];
    }
    // The seven entries that can be chosen: "1" enabled, "0" disabled, in menu order.
    std::string Offered() {
        const ItemMenuState on = ItemMenuEnabled(app);
        std::string s;
        for (int i = 0; i < kItemEntries; ++i)
            if (kItemMenuCaptions[static_cast<std::size_t>(i)][0] != '-')
                s += on[static_cast<std::size_t>(i)] ? '1' : '0';
        return s;
    }
    std::vector<int> Members(int g) {
        return {Group(g).Members.begin() + 1, Group(g).Members.begin() + 1 + Group(g).Count};
    }
    int Saves() {
        return static_cast<int>(
            std::count(trace.lines.begin(), trace.lines.end(), "save file=menu reason=item-menu ok=1"));
    }
};

TEST_F(ItemMenuFixture, EntriesOfferedByKindAndPosition) {
    struct Row {
        const char* what;
        std::function<void(ItemMenuFixture&)> setUp;
        const char* offered; // Add, Delete, Up, Down, Top, Bottom, Properties
    };
    const auto fillPool = [](ItemMenuFixture& f) {
        for (int i = kFirstPoolItem; i <= kItemBound; ++i)
            if (f.Item(i).Kind == kind::Free)
                f.Item(i).Kind = kind::Member;
    };
    const Row rows[] = {
        {"shortcut on position 4", [](auto& f) { f.OnRing(4); }, "0101011"},
        {"shortcut on the last position", [](auto& f) { f.OnRing(8); }, "0110101"},
        {"shortcut in between", [](auto& f) { f.OnRing(5); }, "0111111"},
        {"blank position",
         [](auto& f) {
             f.Item(7).Kind = kind::Blank;
             f.OnRing(7);
         },
         "1011111"},
        {"empty position",
         [](auto& f) {
             f.Item(7).Kind = kind::Free;
             f.OnRing(7);
         },
         "1011111"},
        {"group with room", [](auto& f) { f.OnRing(6); }, "1111111"},
        {"full group",
         [](auto& f) {
             f.Group(6).Count = kGroupCapacity;
             f.OnRing(6);
         },
         "0111111"},
        {"group, no storable member item left",
         [&](auto& f) {
             fillPool(f);
             f.OnRing(6);
         },
         "0111111"},
        {"All Programs with room", [](auto& f) { f.OnRing(3); }, "1100001"},
        {"full All Programs",
         [](auto& f) {
             f.Group(3).Count = kAllProgramsCapacity;
             f.OnRing(3);
         },
         "0100001"},
        {"a shortcut on position 3 never moves",
         [](auto& f) {
             f.Item(3).Kind = kind::Shortcut;
             f.OnRing(3);
         },
         "0100001"},
        {"My Computer", [](auto& f) { f.OnRing(1); }, "0000001"},
        {"recycle bin", [](auto& f) { f.OnRing(2); }, "0000001"},
        {"the centre",
         [](auto& f) {
             f.Item(0).Kind = kind::User;
             f.OnRing(0);
         },
         "0000001"},
        {"built-in command row", [](auto& f) { f.OnRow(0, 1); }, "0000001"},
        {"first member", [](auto& f) { f.OnRow(6, 1); }, "0101011"},
        {"third of five members", [](auto& f) { f.OnRow(6, 3); }, "0111111"},
        {"last member", [](auto& f) { f.OnRow(6, 5); }, "0110101"},
        {"only member",
         [](auto& f) {
             f.Group(6).Count = 1;
             f.OnRow(6, 1);
         },
         "0100001"},
        {"a member its group no longer lists",
         [](auto& f) {
             f.OnRow(6, 3);
             f.Group(6).Count = 2;
         },
         "0100001"},
        {"no item",
         [](auto& f) {
             f.OnRing(4);
             f.app.dock.CurrentItem = -1;
         },
         "0000000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        row.setUp(*this);
        EXPECT_EQ(Offered(), row.offered);
    }
}

TEST_F(ItemMenuFixture, RingMovesCarryRecordGroupAndPictures) {
    struct Row {
        int slot;
        ItemEntry move;
        std::vector<int> order; // what stood where in slots 4..8 before
    };
    const Row rows[] = {
        {7, ItemEntry::MoveTop, {7, 4, 5, 6, 8}},    {5, ItemEntry::MoveBottom, {4, 6, 7, 8, 5}},
        {6, ItemEntry::MoveUp, {4, 6, 5, 7, 8}},     {6, ItemEntry::MoveDown, {4, 5, 7, 6, 8}},
        {4, ItemEntry::MoveUp, {4, 5, 6, 7, 8}},     {8, ItemEntry::MoveDown, {4, 5, 6, 7, 8}},
        {8, ItemEntry::MoveBottom, {4, 5, 6, 7, 8}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("slot " + std::to_string(row.slot) + " move " +
                     std::to_string(static_cast<int>(row.move)));
        t.images.entries.clear();
        SetUp();
        Item(5).IconRef = kBlankTemplate; // slot 5 has no picture of its own: it keeps the template
        const Store before = app.store;
        calls.clear();
        trace.lines.clear();
        OnRing(row.slot);
        menu.Click(row.move);

        const bool moved = row.order != std::vector<int>{4, 5, 6, 7, 8};
        for (int slot = 4; slot <= 8; ++slot) {
            const int from = row.order[static_cast<std::size_t>(slot - 4)];
            DockItem want = before.Items[from];
            if (want.IconRef == from)
                want.IconRef = slot;
            EXPECT_EQ(Item(slot), want) << "slot " << slot;
            EXPECT_EQ(Group(slot).Members[0], slot);
            EXPECT_EQ(Group(slot).Count, before.Groups[from].Count) << "slot " << slot;
            EXPECT_EQ(t.images.entries[std::make_pair(slot, 1)].source,
                      kShots + before.Items[from].Title.Peek() + ".png");
        }
        const int groupAt =
            4 + static_cast<int>(std::find(row.order.begin(), row.order.end(), 6) - row.order.begin());
        EXPECT_EQ(Members(groupAt), (std::vector<int>{129, 130, 131, 132, 133})) << "the group's members";
        EXPECT_EQ(calls, moved ? Calls{"Repaint"} : Calls{});
        EXPECT_EQ(Saves(), moved ? 1 : 0);
        EXPECT_EQ(CheckStoreInvariants(app.store), "");
    }
}

TEST_F(ItemMenuFixture, MemberMovesReorderTheGroupAndRelayThePopup) {
    struct Row {
        int entry;
        ItemEntry move;
        std::vector<int> order;
    };
    const Row rows[] = {
        {3, ItemEntry::MoveBottom, {129, 130, 132, 133, 131}},
        {4, ItemEntry::MoveTop, {132, 129, 130, 131, 133}},
        {2, ItemEntry::MoveUp, {130, 129, 131, 132, 133}},
        {2, ItemEntry::MoveDown, {129, 131, 130, 132, 133}},
        {1, ItemEntry::MoveUp, {129, 130, 131, 132, 133}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("entry " + std::to_string(row.entry));
        SetUp();
        const Store before = app.store;
        calls.clear();
        trace.lines.clear();
        OnRow(6, row.entry);
        menu.Click(row.move);
        EXPECT_EQ(Members(6), row.order);
        const bool moved = row.order != std::vector<int>{129, 130, 131, 132, 133};
        EXPECT_EQ(calls, moved ? Calls{"Popup MenuResize"} : Calls{});
        EXPECT_EQ(Saves(), moved ? 1 : 0);
        EXPECT_EQ(app.store.Items, before.Items) << "a member move changes no record";
    }
    // A row whose entry no longer holds the item (the group changed meanwhile) moves nothing.
    OnRow(6, 2);
    app.dock.ClickedEntry = 3;
    calls.clear();
    menu.Click(ItemEntry::MoveTop);
    EXPECT_EQ(Members(6), (std::vector<int>{129, 130, 131, 132, 133}));
    EXPECT_EQ(calls, Calls{});
}

TEST_F(ItemMenuFixture, EntriesOpenTheDialogOrDeleteAfterTheirQuestion) {
    struct Row {
        const char* what;
        std::function<void(ItemMenuFixture&)> setUp;
        ItemEntry entry;
        std::vector<int> answers;
        Calls calls;
        std::vector<std::string> questions; // captions asked
        bool saved;
    };
    const Row rows[] = {
        {"add to a group, pop-up open, keyboard mode",
         [](auto& f) {
             f.app.dock.PopupOpen = f.app.dock.KeyboardMode = true;
             f.OnRing(6);
         },
         ItemEntry::AddShortcut,
         {},
         {"Popup EscCancel 1", "EscCancel", "ShowProperties 6 add"},
         {},
         false},
        {"properties of a member",
         [](auto& f) { f.OnRow(6, 2); },
         ItemEntry::Properties,
         {},
         {"ShowProperties 130"},
         {},
         false},
        {"delete a shortcut, declined",
         [](auto& f) { f.OnRing(5); },
         ItemEntry::Delete,
         {mb::IdNo},
         {},
         {"Delete Shortcut"},
         false},
        {"delete a shortcut",
         [](auto& f) { f.OnRing(5); },
         ItemEntry::Delete,
         {mb::IdYes},
         {"Repaint"},
         {"Delete Shortcut"},
         true},
        {"delete a member from the pop-up",
         [](auto& f) {
             f.app.dock.PopupOpen = true;
             f.OnRow(6, 2);
         },
         ItemEntry::Delete,
         {mb::IdYes},
         {"Popup EscCancel 1", "Repaint"},
         {"Delete Shortcut"},
         true},
        {"delete a group: its own question",
         [](auto& f) { f.OnRing(6); },
         ItemEntry::Delete,
         {mb::IdYes},
         {"Repaint"},
         {"Delete Shortcut Group"},
         true},
        {"delete a group, declined",
         [](auto& f) { f.OnRing(6); },
         ItemEntry::Delete,
         {mb::IdNo},
         {},
         {"Delete Shortcut Group"},
         false},
        {"the dock in front goes back to rest",
         [](auto& f) {
             f.menu.dockInFront = [] { return true; };
             f.OnRing(4);
         },
         ItemEntry::MoveDown,
         {},
         {"Repaint", "EscCancel"},
         {},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        menu.dockInFront = nullptr;
        app.dock.PopupOpen = app.dock.KeyboardMode = false;
        row.setUp(*this);
        const int item = app.dock.CurrentItem;
        const int32_t kindBefore = Item(item).Kind;
        calls.clear();
        trace.lines.clear();
        t.ui.messages.clear();
        t.ui.answers = row.answers;
        menu.Click(row.entry);
        EXPECT_EQ(calls, row.calls);
        std::vector<std::string> asked;
        for (const auto& m : t.ui.messages) {
            asked.push_back(m.caption);
            EXPECT_EQ(m.flags, mb::YesNo | mb::IconQuestion | mb::DefButton2 | mb::SetForeground);
        }
        EXPECT_EQ(asked, row.questions);
        EXPECT_EQ(Saves(), row.saved ? 1 : 0);
        const bool deleted = row.entry == ItemEntry::Delete && row.saved;
        if (row.entry == ItemEntry::Delete) {
            EXPECT_EQ(Item(item).Kind != kindBefore, deleted);
        }
        EXPECT_EQ(CheckStoreInvariants(app.store), "");
    }
}

} // namespace
} // namespace qor
