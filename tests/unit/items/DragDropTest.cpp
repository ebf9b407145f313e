// Files dragged from the shell onto the ring: the indicator and effect over each kind of
// position, and what a drop makes of a shortcut, a blank, a group, the centre and the recycle bin.
#include <gtest/gtest.h>

#include <tuple>

#include "core/AppState.h"
#include "dock/Paint.h"
#include "dock/Skin.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "icons/IconResolve.h"
#include "items/DragDrop.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

using Strings = std::vector<std::string>;

struct FakeDropHost : IDropHost {
    Strings& calls;
    test::RecordingCanvas canvas;
    explicit FakeDropHost(Strings& c) : calls(c) {}
    ICanvas* PaintCanvas() override { return &canvas; }
    void ToTopmost() override { calls.push_back("ToTopmost"); }
    void ToBottom(bool) override { calls.push_back("ToBottom"); }
    bool SaveMenu() override { return calls.push_back("SaveMenu"), true; }
};

// The centre's user item, My Computer, the recycle bin, All Programs, a shortcut to
// "C:\Files\old.txt" on 4, blanks on 5 and 7, a group of two on 6, an empty group on 8.
// Position k's icon square is 48 pixels at (100 k, 100).
struct DragDrop : ::testing::Test {
    test::ShellTestApp t;
    AppState& app = t.app;
    Strings calls;
    FakeDropHost host{calls};
    test::RecordingProgram program{calls};
    DropTarget target{app, host, &program};

    void SetUp() override {
        app.run.IconCount = 8;
        const int32_t kinds[] = {kind::User,        kind::System,   kind::RecycleBin,
                                 kind::AllPrograms, kind::Shortcut, kind::Blank,
                                 kind::Group,       kind::Blank,    kind::Group};
        for (int i = 0; i <= 8; ++i) {
            Item(i).Kind = kinds[i];
            app.geo.Slots[i] = DockSlot{48, 100 * i, 100};
        }
        Item(4).Target = File("old");
        Item(8).Title = "Empty (Empty)";
        AddPathToItem(app, File("m1"), 6);
        AddPathToItem(app, File("m2"), 6);
        IniIconParam(app);
        calls.clear();
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    std::string File(const std::string& name) {
        t.fs.AddFile("C:\\Files\\" + name + ".txt", "x");
        return "C:\\Files\\" + name + ".txt";
    }
    Strings Files(int n) {
        Strings out;
        for (int i = 1; i <= n; ++i)
            out.push_back(File("f" + std::to_string(i)));
        return out;
    }
    // Group g holds `count` members (stand-ins).
    void Fill(int g, int count) {
        for (int j = Group(g).Count + 1; j <= count; ++j)
            Item(Group(g).Members[j] = FindFreeItem(app, 0)).Kind = kind::Member;
        Group(g).Count = count;
    }
    Strings Targets(int g) {
        Strings out;
        for (int j = 1; j <= Group(g).Count; ++j)
            out.push_back(Item(Group(g).Members[j]).Target.Peek());
        return out;
    }
    void DropOn(int slot, const Strings& files, std::size_t refused = 0) {
        app.dock.DragSlot = slot;
        calls.clear();
        target.Drop(files, true, refused);
    }
    Strings Messages() {
        Strings out;
        for (const auto& m : t.ui.messages)
            out.push_back(m.text);
        t.ui.messages.clear();
        return out;
    }
};

TEST_F(DragDrop, IndicatorAndEffectOverEachPosition) {
    using I = DropIndicator;
    const uint32_t all = dropeffect::Copy | dropeffect::Move | dropeffect::Link;
    // slot, files?, members in group 8 and in All Programs, LockDragging, allowed effects
    const std::tuple<int, bool, int, int, int16_t, uint32_t, I, uint32_t> rows[] = {
        {4, true, 0, 0, 0, all, I::ReplaceIcon, dropeffect::Link},
        {5, true, 0, 0, 0, dropeffect::Copy, I::AddIcon, dropeffect::Copy}, // the source allows no link
        {2, true, 0, 0, 0, all, I::AddIcon, dropeffect::Move},              // the recycle bin
        {8, true, 35, 0, 0, all, I::AddIcon, dropeffect::Link},
        {8, true, 36, 0, 0, all, I::NoDrop, dropeffect::None}, // full
        {3, true, 0, 500, 0, all, I::AddIcon, dropeffect::Link},
        {3, true, 0, 1024, 0, all, I::NoDrop, dropeffect::None},
        {1, true, 0, 0, 0, all, I::NoDrop, dropeffect::None},  // My Computer
        {5, false, 0, 0, 0, all, I::NoDrop, dropeffect::None}, // no file list
        {5, true, 0, 0, 1, all, I::NoDrop, dropeffect::None},  // dragging locked
        {0, true, 0, 0, 0, all, I::AddIcon, dropeffect::Link}, // the centre, a blank is free
    };
    for (const auto& [slot, hasFiles, fill8, fillAllPrograms, lock, allowed, indicator, effect] : rows) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        SetUp();
        Fill(8, fill8);
        Fill(kAllProgramsGroup, fillAllPrograms);
        app.cfg.LockDragging = lock;
        EXPECT_EQ(ChooseDropIndicator(app, slot, hasFiles), indicator);
        EXPECT_EQ(DropEffectFor(indicator, slot, allowed), effect);
    }
    Item(5).Kind = Item(7).Kind = kind::Shortcut; // nothing free, All Programs full
    Fill(kAllProgramsGroup, 1024);
    EXPECT_EQ(ChooseDropIndicator(app, 0, true), I::NoDrop);
}

TEST_F(DragDrop, DragOverDrawsBesideThePointerAndRaisesTheDock) {
    EXPECT_EQ(target.DragOver(510, 120, true), DropIndicator::AddIcon);
    EXPECT_EQ(app.dock.DragSlot, 5);
    const auto& drawn = host.canvas.calls[host.canvas.calls.size() - 2];
    EXPECT_TRUE(drawn.IsImage(SkinImage(skin::AddIcon)));
    EXPECT_EQ((std::pair{drawn.x, drawn.y}), (std::pair{510 - 24, 120 - 24}));
    EXPECT_EQ(host.canvas.Of(test::CanvasCall::Op::Present).size(), 1u);
    EXPECT_EQ(target.DragOver(20, 20, true), DropIndicator::None); // off every icon
    EXPECT_EQ(app.dock.DragSlot, -1);
    EXPECT_EQ(calls, (Strings{"ToTopmost", "ToTopmost", "ToBottom"}));
    // In keyboard mode the dock stays where it is; minimized, nothing happens.
    calls.clear();
    app.dock.KeyboardMode = true;
    target.DragOver(410, 120, true);
    target.DragLeave();
    app.dock.KeyboardMode = false;
    app.dock.State = dockstate::Minimized;
    EXPECT_EQ(target.DragOver(410, 120, true), DropIndicator::None);
    EXPECT_TRUE(calls.empty());
}

TEST_F(DragDrop, SeveralFilesMakeAGroupOrJoinOne) {
    // On a blank: a group named by the user, holding exactly the three files.
    program.answers = {"Games"};
    const Strings three = Files(3);
    DropOn(5, three);
    EXPECT_EQ(program.prompts.size(), 1u);
    EXPECT_EQ((std::pair{Item(5).Kind, Item(5).Title.Peek()}),
              (std::pair{kind::Group, std::string("Games")}));
    EXPECT_EQ(Targets(5), three);
    EXPECT_EQ(calls, (Strings{"ToBottom", "InputText", "SaveMenu", "ToBottom"}));
    // On a shortcut its own target is the first member; a cancelled input gives "New Group".
    DropOn(4, three);
    EXPECT_EQ(Item(4).Title.Peek(), "New Group");
    EXPECT_EQ(Targets(4), (Strings{File("old"), three[0], three[1], three[2]}));
    // On a group they join it; one already there is skipped.
    DropOn(6, {File("m1"), File("new")});
    EXPECT_EQ(Targets(6), (Strings{File("m1"), File("m2"), File("new")}));
    // Forty files on an empty group: thirty-six are added.
    DropOn(8, Files(40));
    EXPECT_EQ((std::pair{Group(8).Count, Item(8).Title.Peek()}),
              (std::pair{36, std::string("Empty (Full)")}));
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
    // The centre fills the first free position, then All Programs after telling the user.
    DropOn(0, {File("c1")});
    EXPECT_EQ(Item(7).Target.Peek(), File("c1"));
    DropOn(0, {File("c2")});
    EXPECT_EQ(Messages(), Strings{kDesktopGroupFullText});
    EXPECT_EQ(Targets(kAllProgramsGroup), Strings{File("c2")});
}

TEST_F(DragDrop, OneFileAndTheRefusedDrops) {
    // Every question is answered No.
    const std::tuple<int, Strings, bool> rows[] = {
        {4, {kReplaceShortcutText}, true}, // one file on a shortcut asks first
        {2, {kDeleteFilesText}, false},
        {8, {kGroupFullText}, false},
        {1, {}, false},
        {0, {}, false}, // the centre with nothing free anywhere
    };
    for (const auto& [slot, messages, saved] : rows) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        SetUp();
        t.ui.answers = {mb::IdNo};
        Fill(8, 36);
        Item(5).Kind = Item(7).Kind = kind::Shortcut;
        Fill(kAllProgramsGroup, 1024);
        const DockItem before = Item(slot);
        DropOn(slot, slot == 4 ? Strings{File("a")} : Strings{File("a"), File("b")});
        EXPECT_EQ(Messages(), messages);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "SaveMenu"), saved ? 1 : 0);
        EXPECT_EQ(Item(slot), before);
        EXPECT_EQ(app.dock.DragSlot, -1);
    }
    EXPECT_TRUE(t.shell.recycled.empty());
    // Yes on the recycle bin: each file goes there, with undo and no second question.
    t.ui.answers = {mb::IdYes};
    DropOn(2, {File("a"), File("b")});
    EXPECT_EQ(t.shell.recycled,
              (std::vector<std::pair<std::string, unsigned>>{{File("a"), 0x50}, {File("b"), 0x50}}));
    // While dragging is locked a drop does nothing.
    app.cfg.LockDragging = 1;
    DropOn(5, {File("a")});
    EXPECT_TRUE(calls.empty());
}

TEST_F(DragDrop, PathsTheCodePageCannotHoldAreRefused) {
    const DroppedFiles dropped = StorableDroppedPaths({SingleByteChars(File("a")),
                                                       {"C", ":", "\\", "", "x"}, // a character it lacks
                                                       SingleByteChars("C:\\" + std::string(253, 'a')),
                                                       SingleByteChars(File("b"))});
    EXPECT_EQ(dropped.paths, (Strings{File("a"), File("b")}));
    EXPECT_EQ(dropped.refused, 2u);
    DropOn(5, dropped.paths, dropped.refused);
    EXPECT_EQ(Messages(), Strings{RefusedDropText(2)});
    EXPECT_EQ(Targets(5), dropped.paths);
    EXPECT_EQ(StorableDroppedPaths(std::vector<CodePageChars>(1100, SingleByteChars("C:\\x"))).paths.size(),
              kMaxDroppedFiles);
}

} // namespace
} // namespace qor
