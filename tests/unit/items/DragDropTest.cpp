// Files dragged from the shell onto the ring: the indicator and effect over each kind of
// position, and what a drop makes of a shortcut, a blank, a group, the centre and the recycle bin.
#include <gtest/gtest.h>

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

using Calls = std::vector<std::string>;
using Op = test::CanvasCall::Op;

class FakeDropHost : public IDropHost {
public:
    explicit FakeDropHost(Calls& calls) : m_calls(calls) {}
    test::RecordingCanvas canvas;
    ICanvas* PaintCanvas() override { return &canvas; }
    void ToTopmost() override { m_calls.push_back("ToTopmost"); }
    void ToBottom(bool) override { m_calls.push_back("ToBottom"); }
    bool SaveMenu() override {
        m_calls.push_back("SaveMenu");
        return true;
    }

private:
    Calls& m_calls;
};

// A ring of 8: the centre's user item, My Computer, the recycle bin, All Programs, a shortcut to
// "C:\Files\old.txt" on 4, blanks on 5 and 7, a group of two on 6 and an empty group on 8.
// Position k's icon square is 48 pixels at (100 k, 100).
struct DragDrop : ::testing::Test {
    test::ShellTestApp t;
    AppState& app = t.app;
    Calls calls;
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
            Item(i).IconRef = i;
            app.geo.Slots[i] = DockSlot{48, 100 * i, 100};
        }
        Item(4).Target = File("old");
        Item(6).Title = "Tools";
        Item(8).Title = "Empty (Empty)";
        for (const char* m : {"m1", "m2"})
            AddPathToItem(app, File(m), 6);
        IniIconParam(app);
        calls.clear();
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    // "C:\Files\<name>.txt", created.
    std::string File(const std::string& name) {
        const std::string path = "C:\\Files\\" + name + ".txt";
        t.fs.AddFile(path, "x");
        return path;
    }
    std::vector<std::string> Files(int n) {
        std::vector<std::string> out;
        for (int i = 1; i <= n; ++i)
            out.push_back(File("f" + std::to_string(i)));
        return out;
    }
    // Group g holds `count` members (stand-in items, no files).
    void Fill(int g, int count) {
        for (int j = Group(g).Count + 1; j <= count; ++j) {
            const int m = FindFreeItem(app, 0);
            Item(m).Kind = kind::Member;
            Item(m).Target = "C:\\Stand-in\\" + std::to_string(j);
            Group(g).Members[j] = m;
        }
        Group(g).Count = count;
    }
    std::vector<std::string> Targets(int g) {
        std::vector<std::string> out;
        for (int j = 1; j <= Group(g).Count; ++j)
            out.push_back(Item(Group(g).Members[j]).Target.Peek());
        return out;
    }
    // A drop on position `slot`, after the drag passed over it.
    void DropOn(int slot, const std::vector<std::string>& files, std::size_t refused = 0) {
        target.DragOver(100 * slot + 10, 110, true);
        calls.clear();
        target.Drop(files, true, refused);
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& m : t.ui.messages)
            out.push_back(m.text);
        return out;
    }
};

TEST_F(DragDrop, IndicatorAndEffectOverEachPosition) {
    using I = DropIndicator;
    const uint32_t all = dropeffect::Copy | dropeffect::Move | dropeffect::Link;
    struct Row {
        const char* what;
        int slot;
        bool hasFiles = true;
        int fill8 = 0, fillAllPrograms = 0, lock = 0;
        uint32_t allowed = dropeffect::Copy | dropeffect::Move | dropeffect::Link;
        I indicator;
        uint32_t effect;
    };
    const Row rows[] = {
        {"shortcut", 4, true, 0, 0, 0, all, I::ReplaceIcon, dropeffect::Link},
        {"blank", 5, true, 0, 0, 0, all, I::AddIcon, dropeffect::Link},
        {"blank, the source allows no link", 5, true, 0, 0, 0, dropeffect::Copy, I::AddIcon,
         dropeffect::Copy},
        {"recycle bin", 2, true, 0, 0, 0, all, I::AddIcon, dropeffect::Move},
        {"group with room", 8, true, 35, 0, 0, all, I::AddIcon, dropeffect::Link},
        {"full group", 8, true, 36, 0, 0, all, I::NoDrop, dropeffect::None},
        {"All Programs", 3, true, 0, 500, 0, all, I::AddIcon, dropeffect::Link},
        {"full All Programs", 3, true, 0, 1024, 0, all, I::NoDrop, dropeffect::None},
        {"My Computer", 1, true, 0, 0, 0, all, I::NoDrop, dropeffect::None},
        {"no file list", 5, false, 0, 0, 0, all, I::NoDrop, dropeffect::None},
        {"dragging locked", 5, true, 0, 0, 1, all, I::NoDrop, dropeffect::None},
        {"centre, a blank is free", 0, true, 0, 0, 0, all, I::AddIcon, dropeffect::Link},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        Fill(8, r.fill8);
        Fill(kAllProgramsGroup, r.fillAllPrograms);
        app.cfg.LockDragging = static_cast<int16_t>(r.lock);
        EXPECT_EQ(ChooseDropIndicator(app, r.slot, r.hasFiles), r.indicator);
        EXPECT_EQ(DropEffectFor(r.indicator, r.slot, r.allowed), r.effect);
    }
    // The centre with every ring position in use and All Programs full refuses.
    for (int s : {5, 7})
        Item(s).Kind = kind::Shortcut;
    Fill(kAllProgramsGroup, 1024);
    EXPECT_EQ(ChooseDropIndicator(app, 0, true), I::NoDrop);
    // A position whose kind takes nothing shows no indicator.
    app.dock.SlotKind[7] = kind::Member;
    EXPECT_EQ(ChooseDropIndicator(app, 7, true), I::None);
}

TEST_F(DragDrop, DragOverDrawsBesideThePointerAndRaisesTheDock) {
    EXPECT_EQ(target.DragOver(510, 120, true), DropIndicator::AddIcon);
    EXPECT_EQ(app.dock.DragSlot, 5);
    EXPECT_EQ(calls, Calls{"ToTopmost"});
    ASSERT_GE(host.canvas.calls.size(), 2u);
    const auto& drawn = host.canvas.calls[host.canvas.calls.size() - 2];
    EXPECT_TRUE(drawn.IsImage(SkinImage(skin::AddIcon))) << drawn;
    EXPECT_EQ(drawn.x, 510 - 24);
    EXPECT_EQ(drawn.y, 120 - 24);
    EXPECT_EQ(host.canvas.Of(Op::Present).size(), 1u); // drawn first, presented once

    // Off every icon: the resting ring, at the bottom again.
    calls.clear();
    host.canvas.calls.clear();
    EXPECT_EQ(target.DragOver(20, 20, true), DropIndicator::None);
    EXPECT_EQ(app.dock.DragSlot, -1);
    EXPECT_EQ(calls, (Calls{"ToTopmost", "ToBottom"}));
    EXPECT_EQ(host.canvas.Of(Op::Present).size(), 1u);

    // In keyboard mode the dock stays where it is; minimized, nothing happens at all.
    calls.clear();
    app.dock.KeyboardMode = true;
    target.DragOver(410, 120, true);
    target.DragLeave();
    EXPECT_TRUE(calls.empty());
    app.dock.KeyboardMode = false;
    app.dock.State = dockstate::Minimized;
    host.canvas.calls.clear();
    EXPECT_EQ(target.DragOver(410, 120, true), DropIndicator::None);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(host.canvas.calls.empty());
}

TEST_F(DragDrop, SeveralFilesMakeAGroupOrJoinOne) {
    // Three files on a blank: a group named by the user, holding exactly those three.
    program.answers = {"Games"};
    const std::vector<std::string> three = Files(3);
    DropOn(5, three);
    ASSERT_EQ(program.prompts.size(), 1u);
    EXPECT_EQ(program.prompts[0].prompt, kNewGroupPrompt);
    EXPECT_EQ(program.prompts[0].title, "Add Shortcut Group");
    EXPECT_EQ(program.prompts[0].defaultText, "New Group");
    EXPECT_EQ(Item(5).Kind, kind::Group);
    EXPECT_EQ(Item(5).Title.Peek(), "Games");
    EXPECT_EQ(Item(5).IconPath.Peek(), app.paths.SysIconsFolder + "Group.png");
    EXPECT_EQ(Targets(5), three);
    EXPECT_EQ(app.dock.SlotKind[5], kind::Group);
    EXPECT_EQ(calls, (Calls{"ToBottom", "InputText", "SaveMenu", "ToBottom"}));
    EXPECT_EQ(app.dock.DragSlot, -1);

    // On a shortcut the shortcut's own target becomes the first member; a cancelled name input
    // still makes the group, named "New Group".
    DropOn(4, three);
    EXPECT_EQ(Item(4).Title.Peek(), "New Group");
    const std::vector<std::string> expected{File("old"), three[0], three[1], three[2]};
    EXPECT_EQ(Targets(4), expected);

    // On a group they join it, asking nothing; one already there is skipped.
    DropOn(6, {File("m1"), File("new")});
    EXPECT_EQ(Targets(6), (std::vector<std::string>{File("m1"), File("m2"), File("new")}));
    EXPECT_EQ(program.prompts.size(), 2u);

    // Forty files on an empty group: thirty-six are added, the rest ignored.
    DropOn(8, Files(40));
    EXPECT_EQ(Group(8).Count, 36);
    EXPECT_EQ(Item(8).Title.Peek(), "Empty (Full)");
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

TEST_F(DragDrop, OneFileAndTheRefusedDrops) {
    // One file on a shortcut asks before replacing it; No leaves it.
    DropOn(4, {File("one")});
    ASSERT_EQ(Messages(), std::vector<std::string>{kReplaceShortcutText});
    EXPECT_EQ(Item(4).Target.Peek(), File("old"));
    EXPECT_EQ(calls, (Calls{"ToBottom", "SaveMenu", "ToBottom"}));

    struct Row {
        const char* what;
        int slot;
        std::vector<int> answers;
        std::vector<std::string> messages;
        bool saved;
    };
    const Row rows[] = {
        {"recycle bin, No", 2, {mb::IdNo}, {kDeleteFilesText}, false},
        {"full group", 8, {}, {kGroupFullText}, false},
        {"My Computer", 1, {}, {}, false},
        {"centre, nothing free", 0, {}, {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        t.ui.messages.clear();
        t.ui.answers = r.answers;
        Fill(8, 36);
        if (r.slot == 0) {
            Item(5).Kind = Item(7).Kind = kind::Shortcut;
            Fill(kAllProgramsGroup, 1024);
            app.dock.SlotKind[0] = kind::User; // the centre as the drag saw it
        }
        const DockItem before = Item(r.slot);
        app.dock.DragSlot = r.slot;
        target.Drop({File("a"), File("b")}, true);
        EXPECT_EQ(Messages(), r.messages);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "SaveMenu"), r.saved ? 1 : 0);
        EXPECT_EQ(Item(r.slot), before);
        EXPECT_TRUE(t.shell.recycled.empty());
        EXPECT_EQ(app.dock.DragSlot, -1);
    }

    // Yes on the recycle bin: each file goes there, with undo and no second question.
    t.ui.answers = {mb::IdYes};
    DropOn(2, {File("a"), File("b")});
    EXPECT_EQ(t.shell.recycled,
              (std::vector<std::pair<std::string, unsigned>>{{File("a"), 0x50}, {File("b"), 0x50}}));

    // While dragging is locked a drop does nothing.
    SetUp();
    app.cfg.LockDragging = 1;
    app.dock.DragSlot = 5;
    target.Drop({File("a")}, true);
    EXPECT_EQ(Item(5).Kind, kind::Blank);
    EXPECT_TRUE(calls.empty());
}

TEST_F(DragDrop, TheCentreFillsAFreePositionOrAllPrograms) {
    app.dock.DragSlot = 0;
    target.Drop({File("a")}, true);
    EXPECT_EQ(Item(5).Target.Peek(), File("a"));
    EXPECT_TRUE(t.ui.messages.empty());

    Item(7).Kind = kind::Shortcut; // 5 is taken now too
    app.dock.DragSlot = 0;
    target.Drop({File("b")}, true);
    EXPECT_EQ(Messages(), std::vector<std::string>{kDesktopGroupFullText});
    EXPECT_EQ(Targets(kAllProgramsGroup), std::vector<std::string>{File("b")});
}

TEST_F(DragDrop, PathsTheCodePageCannotHoldAreRefused) {
    CodePageChars tooLong = SingleByteChars("C:\\" + std::string(253, 'a'));
    const std::vector<CodePageChars> names{
        SingleByteChars(File("a")), {"C", ":", "\\", "", "x"}, tooLong, SingleByteChars(File("b"))};
    const DroppedFiles dropped = StorableDroppedPaths(names);
    EXPECT_EQ(dropped.paths, (std::vector<std::string>{File("a"), File("b")}));
    EXPECT_EQ(dropped.refused, 2u);

    // The user is told; the files that can be stored are added.
    program.answers = {"Mixed"};
    DropOn(5, dropped.paths, dropped.refused);
    EXPECT_EQ(Messages(), std::vector<std::string>{RefusedDropText(2)});
    EXPECT_EQ(Targets(5), dropped.paths);

    // At most 1024 names of one drop are looked at.
    const DroppedFiles many =
        StorableDroppedPaths(std::vector<CodePageChars>(1100, SingleByteChars("C:\\x")));
    EXPECT_EQ(many.paths.size(), kMaxDroppedFiles);
}

} // namespace
} // namespace qor
