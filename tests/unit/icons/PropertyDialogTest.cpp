// The property dialog: what it enables for each kind of item, its link list, and what its type
// buttons, link entries, Browse, icon buttons and OK do to the store and the files.
#include <gtest/gtest.h>

#include <tuple>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "icons/IconResolve.h"
#include "icons/PropertyDialog.h"
#include "items/DragDrop.h"

namespace qor {
namespace {

using Strings = std::vector<std::string>;

struct FakeHost : IPropertyHost {
    test::FakeUi* ui;
    std::string caption = kPropertyCaption, focused;
    PropertyFields fields;
    Strings entries;
    int selected = -2;
    PropertyControls controls;
    IconSource picture;
    explicit FakeHost(test::FakeUi& u) : ui(&u) {}
    void ShowCaption(const std::string& c) override { caption = c; }
    void ShowFields(const PropertyFields& f) override { fields = f; }
    void ShowLinkEntries(const Strings& e, int s) override { entries = e, selected = s; }
    void ShowControls(const PropertyControls& c) override { controls = c; }
    void ShowPicture(const IconSource& s) override { picture = s; }
    int Message(const std::string& t, const std::string& c, unsigned f) override {
        return ui->ShowMessage(t, c, f);
    }
    std::string OpenFile(const FileDialogRequest& r) override { return ui->FileDialog(r); }
    void FocusField(const std::string& f) override { focused = f; }
};

const std::string kSys = "C:\\Program Files\\QOR Desktop\\SysIcons\\";

// My Computer on 1, a shortcut to "C:\Apps\tool.exe" on 4, a blank on 5, a group of two on 6, an
// empty group on 7.
struct Properties : ::testing::Test {
    test::ShellTestApp t;
    AppState& app = t.app;
    Strings calls;
    test::RecordingDock dock{calls};
    FakeHost host{t.ui};

    void SetUp() override {
        app.run.IconCount = 8;
        Item(1).Kind = kind::System;
        Item(4).Kind = Item(5).Kind = kind::Blank;
        Item(6).Kind = Item(7).Kind = kind::Group;
        Item(5).Title = "Blank Shortcut";
        Item(6).Title = "Tools";
        Item(7).Title = "Empty (Empty)";
        AddPathToItem(app, Exe("tool"), 4);
        AddPathToItem(app, Exe("one"), 6);
        AddPathToItem(app, Exe("two"), 6);
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    std::string Exe(const std::string& name) {
        const std::string path = "C:\\Apps\\" + name + ".exe";
        t.fs.AddFile(path, "MZ");
        t.icons.resourceIcons.insert(path);
        return path;
    }
    PropertyDialog Open(int item, bool addMode = false) {
        PropertyDialog dialog(app, dock, host, item, addMode);
        dialog.Load();
        return dialog;
    }
    // The texts of the messages shown since the last call.
    Strings Messages() {
        Strings out;
        for (const auto& m : t.ui.messages)
            out.push_back(m.text);
        t.ui.messages.clear();
        return out;
    }
    bool Saved() { return t.fs.Has(app.paths.MenuFile); }
};

TEST(PropertyRules, EnabledControlsByDialogKind) {
    const std::tuple<int, int, int, bool, bool, bool, std::array<bool, 3>> rows[] = {
        {kAddingKind, 6, 0, true, true, true, {true, false, false}},
        {kind::Shortcut, 4, 0, true, true, true, {true, true, false}},  // and a blank
        {kind::Member, 129, 0, true, true, true, {true, false, false}}, // a member cannot become a group
        {kind::Group, 6, 1, true, false, false, {true, true, false}},
        {kind::AllPrograms, 3, 2, false, false, false, {false, false, true}}, // and later kinds
        {3, 9, -1, true, true, true, {true, true, false}},                    // no kind an item has
    };
    for (const auto& [dialogKind, item, selected, texts, browse, runAndTarget, type] : rows) {
        SCOPED_TRACE("kind " + std::to_string(dialogKind));
        const PropertyControls c = ControlStates(dialogKind, item);
        EXPECT_EQ(c.typeSelected, selected);
        EXPECT_EQ(c.title && c.link, texts);
        EXPECT_EQ(c.browse, browse);
        EXPECT_EQ(c.run && c.target && c.arguments, runAndTarget);
        EXPECT_EQ(c.type, type);
    }
    EXPECT_EQ(QorIconSize(256, 64), (PictureSize{128, 64})); // each side capped by itself
    EXPECT_EQ(QorIconSize(32, 48), (PictureSize{32, 48}));
}

TEST_F(Properties, LinkListByKind) {
    EXPECT_EQ(LinkEntries(app, 5, kind::Blank)[1], "Add New 'Internet' Shortcut");
    EXPECT_EQ(LinkEntries(app, 4, kind::Shortcut),
              (Strings{"C:\\Apps\\tool.exe", "Replace by  New 'Internet' Shortcut",
                       "Replace by  New 'Check Email' Shortcut"}));
    EXPECT_EQ(LinkEntries(app, 7, kind::Group)[1], "Add New 'System Folders & Drives Group'"); // empty
    EXPECT_EQ(LinkEntries(app, 6, kind::Group)[1], "Replace by  New 'System Folders & Drives Group'");
    EXPECT_EQ(LinkEntries(app, 1, kind::System), Strings{""});
    EXPECT_EQ(LinkEntries(app, 6, kAddingKind), Strings{});
}

TEST_F(Properties, TypeButtons) {
    // item, button, answer to the question, kind and title after, questions asked
    const std::tuple<int, ItemType, int, int32_t, const char*, Strings> rows[] = {
        {5, ItemType::Group, 0, kind::Group, "New Group  (Empty)", {}},
        {4, ItemType::Group, mb::IdYes, kind::Group, "New Group  (Empty)", {kDeleteShortcutQuestion}},
        {4, ItemType::Group, mb::IdNo, kind::Shortcut, "tool", {kDeleteShortcutQuestion}},
        {7, ItemType::Shortcut, 0, kind::Blank, "Blank Shortcut", {}},
        {6, ItemType::Shortcut, mb::IdYes, kind::Blank, "Blank Shortcut", {kDeleteGroupItemsQuestion}},
        {6, ItemType::Shortcut, mb::IdNo, kind::Group, "Tools", {kDeleteGroupItemsQuestion}},
        {1, ItemType::Shortcut, 0, kind::System, "", {}},
    };
    for (const auto& [item, type, answer, kindAfter, title, questions] : rows) {
        SCOPED_TRACE(std::to_string(item) + " " + title);
        SetUp();
        Messages();
        t.ui.answers = {answer};
        calls.clear();
        Open(item).ChooseType(type);
        EXPECT_EQ(Item(item).Kind, kindAfter);
        EXPECT_EQ(Item(item).Title.Peek(), title);
        EXPECT_EQ(Messages(), questions);
        EXPECT_EQ(host.controls, ControlStates(kindAfter, item)); // also after a No
        EXPECT_EQ(calls, Strings{"Repaint"});
        EXPECT_FALSE(Saved());
    }
}

TEST_F(Properties, LinkEntriesBrowseAndAddMode) {
    // Declined: back on the first entry. Confirmed: the internet shortcut, the old picture gone.
    t.ui.answers = {mb::IdNo, mb::IdYes};
    const std::string oldPicture = Item(4).IconPath.Peek();
    PropertyDialog d = Open(4);
    host.selected = -2;
    d.ChooseLink(1);
    EXPECT_EQ(host.selected, 0);
    EXPECT_EQ(Item(4).Title.Peek(), "tool");
    d.ChooseLink(1);
    EXPECT_EQ(Messages(), (Strings{kReplaceQuestion, kReplaceQuestion}));
    EXPECT_EQ((std::pair{Item(4).Title.Peek(), Item(4).IconPath.Peek()}),
              (std::pair{std::string("Internet"), kSys + "Internet.png"}));
    EXPECT_FALSE(t.fs.Has(oldPicture));
    EXPECT_TRUE(Saved());

    // A member keeps its place and nothing of what it opened before.
    const int member = Group(6).Members[1];
    t.ui.answers = {mb::IdYes};
    Open(member).ChooseLink(2);
    EXPECT_EQ((std::tuple{Group(6).Members[1], Item(member).Kind, Item(member).Title.Peek(),
                          Item(member).TargetPath.Peek()}),
              (std::tuple{member, kind::Member, std::string("Check Email"), std::string()}));

    // "&Add Shortcut" on a group: the caption, empty texts; the dialog stays on the new member,
    // whatever type button is clicked first, until Browse adds it.
    Messages();
    PropertyDialog adding = Open(6, true);
    EXPECT_EQ(host.caption, "Add Shortcut");
    adding.ChooseType(ItemType::Shortcut);
    EXPECT_EQ(adding.DialogKind(), kAddingKind);
    t.ui.dialogAnswers = {"C:\\Apps\\two.exe", Exe("three")};
    adding.Browse(); // already a member: refused
    EXPECT_EQ(Messages(), Strings{kAlreadyMemberText});
    EXPECT_EQ(t.ui.dialogs.back().initialFolder, app.paths.ProgramFilesFolder);
    adding.Browse();
    ASSERT_EQ(Group(6).Count, 3);
    EXPECT_EQ(adding.Item(), Group(6).Members[3]);
    EXPECT_EQ(adding.DialogKind(), kind::Member);
    EXPECT_EQ(host.fields.link, "C:\\Apps\\three.exe");

    // A full group refuses.
    for (int j = 1; j <= kGroupCapacity; ++j)
        Item(Group(7).Members[j] = FindFreeItem(app, 0)).Kind = kind::Member;
    Group(7).Count = kGroupCapacity;
    t.ui.dialogAnswers = {Exe("four")};
    Open(7, true).Browse();
    EXPECT_EQ(Messages(), Strings{kGroupFullText});
    EXPECT_EQ(Group(7).Count, kGroupCapacity);
}

TEST_F(Properties, IconButtonsAndOk) {
    t.fs.AddFile("C:\\Pictures\\mine.ico", "icon");
    t.fs.AddFile("C:\\Pictures\\broken.ico", "junk");
    t.icons.brokenFiles.insert("C:\\Pictures\\broken.ico");
    t.ui.dialogAnswers = {"C:\\Pictures\\mine.ico", "C:\\Pictures\\broken.ico"};
    PropertyDialog d = Open(4);
    d.ChangeIcon();
    const std::string custom = Item(4).LargeIconPath.Peek();
    EXPECT_EQ(host.picture, (IconSource{IconSource::From::File, custom}));
    // A file that gives no picture: "Change icon failed", and the picture chosen before stays.
    d.ChangeIcon();
    EXPECT_EQ(Messages(), Strings{kChangeIconFailedText});
    EXPECT_EQ(Item(4).LargeIconPath.Peek(), custom);
    EXPECT_TRUE(t.fs.Has(custom));
    EXPECT_TRUE(t.images.HasEntry(4, 1));
    d.ResetIcon();
    EXPECT_EQ(Item(4).LargeIconPath.Peek(), "");
    EXPECT_FALSE(t.fs.Has(custom));

    // OK: the texts and the run mode; a link that names no path is not taken.
    PropertyInput in{SingleByteChars("My Tool"), SingleByteChars("C:\\nowhere.exe"),
                     SingleByteChars("C:\\Apps\\one.exe"), SingleByteChars("/x"), 2};
    EXPECT_TRUE(d.Store(in));
    EXPECT_EQ(
        (std::tuple{Item(4).Title.Peek(), Item(4).Target.Peek(), Item(4).TargetPath.Peek(), Item(4).RunMode}),
        (std::tuple{std::string("My Tool"), std::string("C:\\Apps\\tool.exe"),
                    std::string("C:\\Apps\\one.exe"), 2}));
    // A character the code page lacks, or an overlong path: refused, the dialog stays.
    in.title = {"A", "", "B"};
    EXPECT_FALSE(d.Store(in));
    EXPECT_EQ(Messages(), Strings{FieldRefusedText("title", FieldFitStatus::NotInCodePage, 128)});
    EXPECT_EQ(host.focused, "title");
    in.title = SingleByteChars(std::string(130, 't'));
    in.target = SingleByteChars("C:\\" + std::string(260, 'p'));
    EXPECT_FALSE(d.Store(in));
    EXPECT_EQ(host.focused, "target");
    EXPECT_EQ(Item(4).Title.Peek(), "My Tool");
    in.target = {};
    EXPECT_TRUE(d.Store(in));
    EXPECT_EQ(Item(4).Title.Peek(), std::string(128, 't')); // cut to the field
    // A renamed empty group still says so.
    EXPECT_TRUE(Open(7).Store({SingleByteChars("Games"), {}, {}, {}, 0}));
    EXPECT_EQ(Item(7).Title.Peek(), "Games (Empty)");
}

} // namespace
} // namespace qor
