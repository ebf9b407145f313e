// The property dialog: what it shows and enables for each kind of item, its link list, and what
// its type buttons, link entries, Browse, icon buttons and OK do to the store and the files.
#include <gtest/gtest.h>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "icons/IconResolve.h"
#include "icons/PropertyDialog.h"
#include "items/DragDrop.h"

namespace qor {
namespace {

using Calls = std::vector<std::string>;

// The dialog window: remembers what it was told to show; messages and file dialogs go to the
// fake user interface, which answers them.
class FakePropertyHost : public IPropertyHost {
public:
    explicit FakePropertyHost(test::FakeUi& ui) : m_ui(&ui) {}
    std::string caption = kPropertyCaption;
    PropertyFields fields;
    std::vector<std::string> entries;
    int selected = -2;
    PropertyControls controls;
    IconSource picture;
    std::string focused;

    void ShowCaption(const std::string& c) override { caption = c; }
    void ShowFields(const PropertyFields& f) override { fields = f; }
    void ShowLinkEntries(const std::vector<std::string>& e, int s) override {
        entries = e;
        selected = s;
    }
    void ShowControls(const PropertyControls& c) override { controls = c; }
    void ShowPicture(const IconSource& s) override { picture = s; }
    int Message(const std::string& text, const std::string& c, unsigned flags) override {
        return m_ui->ShowMessage(text, c, flags);
    }
    std::string OpenFile(const FileDialogRequest& request) override { return m_ui->FileDialog(request); }
    void FocusField(const std::string& field) override { focused = field; }

private:
    test::FakeUi* m_ui;
};

const std::string kSys = "C:\\Program Files\\QOR Desktop\\SysIcons\\";
const std::string kCache = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons\\";

// Ring: My Computer on 1 (a system item), a shortcut to "C:\Apps\tool.exe" on 4, a blank on 5, a
// group of two on 6 (members 129 and 130), an empty group on 7.
struct Properties : ::testing::Test {
    test::ShellTestApp t;
    AppState& app = t.app;
    Calls calls;
    test::RecordingDock dock{calls};
    FakePropertyHost host{t.ui};

    void SetUp() override {
        app.run.IconCount = 8;
        Item(1).Kind = kind::System;
        Item(1).IsSystem = kTrue;
        AddExe("tool");
        Item(5).Kind = kind::Blank;
        Item(5).Title = "Blank Shortcut";
        Item(5).IconPath = kSys + "Shortcut.png";
        Item(4).Kind = kind::Blank;
        AddPathToItem(app, AddExe("tool"), 4);
        Item(6).Kind = kind::Group;
        Item(6).Title = "Tools";
        AddPathToItem(app, AddExe("one"), 6);
        AddPathToItem(app, AddExe("two"), 6);
        Item(7).Kind = kind::Group;
        Item(7).Title = "Empty (Empty)";
        t.fs.files.erase(kCache + "9.png");
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    std::string AddExe(const std::string& name) {
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
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& m : t.ui.messages)
            out.push_back(m.text);
        return out;
    }
    bool Saved() const { return app.sys.fs->GetAttributes(app.paths.MenuFile) != kNoAttributes; }
};

TEST(PropertyRules, EnabledControlsByDialogKind) {
    struct Row {
        int kind, item;
        int selected;
        bool title, link, browse, target, arguments, run;
        std::array<bool, 3> type;
    };
    const Row rows[] = {
        // kind          item sel  title  link   browse target args   run    type buttons
        {kAddingKind, 6, 0, true, true, true, true, true, true, {true, false, false}},
        {kind::Free, 5, 0, true, true, true, true, true, true, {true, true, false}},
        {kind::Shortcut, 4, 0, true, true, true, true, true, true, {true, true, false}},
        {kind::Blank, 5, 0, true, true, true, true, true, true, {true, true, false}},
        {kind::Member, 129, 0, true, true, true, true, true, true, {true, false, false}},
        {kind::Group, 6, 1, true, true, false, false, false, false, {true, true, false}},
        {kind::AllPrograms, 3, 2, false, false, false, false, false, false, {false, false, true}},
        {kind::System, 1, 2, false, false, false, false, false, false, {false, false, true}},
        {kind::Command, 65, 2, false, false, false, false, false, false, {false, false, true}},
        {3, 9, -1, true, true, true, true, true, true, {true, true, false}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("kind " + std::to_string(r.kind) + " item " + std::to_string(r.item));
        PropertyControls want;
        want.typeSelected = r.selected;
        want.title = r.title, want.link = r.link, want.browse = r.browse;
        want.target = r.target, want.arguments = r.arguments, want.run = r.run;
        want.type = r.type;
        EXPECT_EQ(ControlStates(r.kind, r.item), want);
    }
    // Each side of a picture is capped by itself.
    EXPECT_EQ(QorIconSize(256, 256), (PictureSize{128, 128}));
    EXPECT_EQ(QorIconSize(256, 64), (PictureSize{128, 64}));
    EXPECT_EQ(QorIconSize(32, 48), (PictureSize{32, 48}));
}

TEST_F(Properties, LinkListByKind) {
    using V = std::vector<std::string>;
    const std::string tool = "C:\\Apps\\tool.exe";
    EXPECT_EQ(LinkEntries(app, 5, kind::Blank),
              (V{"", "Add New 'Internet' Shortcut", "Add New 'Check Email' Shortcut"}));
    EXPECT_EQ(LinkEntries(app, 4, kind::Shortcut),
              (V{tool, "Replace by  New 'Internet' Shortcut", "Replace by  New 'Check Email' Shortcut"}));
    EXPECT_EQ(LinkEntries(app, Group(6).Members[1], kind::Member)[1], "Replace by  New 'Internet' Shortcut");
    EXPECT_EQ(LinkEntries(app, 7, kind::Group),
              (V{"", "Add New 'System Folders & Drives Group'", "Add New 'Accessories Group'",
                 "Add New 'Microsoft Office Suite Group'"}));
    EXPECT_EQ(LinkEntries(app, 6, kind::Group)[3], "Replace by  New 'Microsoft Office Suite Group'");
    EXPECT_EQ(LinkEntries(app, 1, kind::System), V{""});
    EXPECT_EQ(LinkEntries(app, 6, kAddingKind), V{});
    EXPECT_EQ(LinkEntries(app, 4, 3), V{});
}

TEST_F(Properties, OpensOnTheItemOrOnANewMember) {
    Open(4);
    EXPECT_EQ(host.caption, "Properties");
    EXPECT_EQ(host.fields.link, "C:\\Apps\\tool.exe");
    EXPECT_EQ(host.fields.target, "C:\\Apps\\tool.exe");
    EXPECT_EQ(host.selected, 0);
    EXPECT_EQ(host.picture, (IconSource{IconSource::From::File, Item(4).IconPath.Peek()}));

    // "&Add Shortcut" on a group: empty texts, "Shortcut" selected, "Group" off; it stays so
    // whatever type button is clicked before a file is chosen.
    host = FakePropertyHost(t.ui);
    PropertyDialog adding = Open(6, true);
    EXPECT_EQ(host.caption, "Add Shortcut");
    EXPECT_EQ(host.fields.title, "");
    EXPECT_TRUE(host.entries.empty());
    EXPECT_EQ(host.controls, ControlStates(kAddingKind, 6));
    adding.ChooseType(ItemType::Shortcut);
    EXPECT_EQ(adding.DialogKind(), kAddingKind);
    EXPECT_EQ(host.fields.title, "");
    EXPECT_TRUE(adding.Store({SingleByteChars("Renamed"), {}, {}, {}, 0}));
    EXPECT_EQ(Item(6).Title.Peek(), "Tools");
}

TEST_F(Properties, BrowseAddsAMemberOnlyWhereThereIsRoom) {
    t.ui.dialogAnswers = {AddExe("three")};
    PropertyDialog adding = Open(6, true);
    adding.Browse();
    ASSERT_EQ(t.ui.dialogs.size(), 1u);
    EXPECT_EQ(t.ui.dialogs[0].title, "QOR Desktop - Properties");
    EXPECT_EQ(t.ui.dialogs[0].filter, "*.lnk;*.exe;*.*|*.lnk;*.exe;*.*");
    EXPECT_EQ(t.ui.dialogs[0].initialFolder, app.paths.ProgramFilesFolder);
    ASSERT_EQ(Group(6).Count, 3);
    const int member = Group(6).Members[3];
    EXPECT_EQ(adding.Item(), member);
    EXPECT_EQ(app.dock.CurrentItem, member);
    EXPECT_EQ(adding.DialogKind(), kind::Member);
    EXPECT_EQ(host.fields.link, "C:\\Apps\\three.exe");
    EXPECT_TRUE(Saved());

    // A file already in the group, and a full group, are refused with a message.
    struct Row {
        std::string file;
        int fill;
        const char* message;
    };
    const Row rows[] = {{"C:\\Apps\\one.exe", 0, kAlreadyMemberText}, {AddExe("four"), 36, kGroupFullText}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file);
        for (int j = Group(7).Count + 1; j <= r.fill; ++j) {
            Group(7).Members[j] = FindFreeItem(app, 0);
            Item(Group(7).Members[j]).Kind = kind::Member;
            Group(7).Count = j;
        }
        const int group = r.fill ? 7 : 6;
        const int count = Group(group).Count;
        t.ui.messages.clear();
        t.ui.dialogAnswers = {r.file};
        PropertyDialog d = Open(group, true);
        d.Browse();
        EXPECT_EQ(Messages(), std::vector<std::string>{r.message});
        EXPECT_EQ(Group(group).Count, count);
        EXPECT_EQ(d.DialogKind(), kAddingKind);
    }
    // Browse on a ring shortcut points it elsewhere, starting in the folder of its target.
    t.ui.dialogAnswers = {AddExe("five")};
    Open(4).Browse();
    EXPECT_EQ(t.ui.dialogs.back().initialName, "C:\\Apps\\tool.exe");
    EXPECT_EQ(t.ui.dialogs.back().initialFolder, "C:\\Apps\\");
    EXPECT_EQ(Item(4).Target.Peek(), "C:\\Apps\\five.exe");
}

TEST_F(Properties, TypeButtons) {
    struct Row {
        const char* what;
        int item;
        ItemType type;
        std::vector<int> answers;
        int32_t kind;
        std::string title;
        std::vector<std::string> questions;
    };
    const Row rows[] = {
        {"blank to group", 5, ItemType::Group, {}, kind::Group, "New Group  (Empty)", {}},
        {"shortcut to group, Yes",
         4,
         ItemType::Group,
         {mb::IdYes},
         kind::Group,
         "New Group  (Empty)",
         {kDeleteShortcutQuestion}},
        {"shortcut to group, No",
         4,
         ItemType::Group,
         {mb::IdNo},
         kind::Shortcut,
         "tool",
         {kDeleteShortcutQuestion}},
        {"empty group to shortcut", 7, ItemType::Shortcut, {}, kind::Blank, "Blank Shortcut", {}},
        {"group to shortcut, Yes",
         6,
         ItemType::Shortcut,
         {mb::IdYes},
         kind::Blank,
         "Blank Shortcut",
         {kDeleteGroupItemsQuestion}},
        {"group to shortcut, No",
         6,
         ItemType::Shortcut,
         {mb::IdNo},
         kind::Group,
         "Tools",
         {kDeleteGroupItemsQuestion}},
        {"system stays", 1, ItemType::Shortcut, {}, kind::System, "", {}},
        {"shortcut to shortcut", 4, ItemType::Shortcut, {}, kind::Shortcut, "tool", {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        t.ui.messages.clear();
        t.ui.answers = r.answers;
        calls.clear();
        PropertyDialog d = Open(r.item);
        d.ChooseType(r.type);
        EXPECT_EQ(Item(r.item).Kind, r.kind);
        EXPECT_EQ(Item(r.item).Title.Peek(), r.title);
        EXPECT_EQ(Messages(), r.questions);
        // The buttons show the item's type again, the dock shows the item; nothing is saved.
        EXPECT_EQ(host.controls, ControlStates(r.kind, r.item));
        EXPECT_EQ(calls, Calls{"Repaint"});
        EXPECT_FALSE(Saved());
    }
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

TEST_F(Properties, LinkEntriesTurnTheItemIntoACatalogueEntry) {
    // Declined: back on the first entry, nothing changed.
    t.ui.answers = {mb::IdNo};
    PropertyDialog d = Open(4);
    host.selected = -2;
    d.ChooseLink(1);
    EXPECT_EQ(Messages(), std::vector<std::string>{kReplaceQuestion});
    EXPECT_EQ(t.ui.messages[0].caption, "Properties");
    EXPECT_EQ(host.selected, 0);
    EXPECT_EQ(Item(4).Title.Peek(), "tool");

    // Confirmed: the shortcut is the internet shortcut now, its old picture gone.
    const std::string oldPicture = Item(4).IconPath.Peek();
    t.ui.answers = {mb::IdYes};
    d.ChooseLink(1);
    EXPECT_EQ(Item(4).Kind, kind::Shortcut);
    EXPECT_EQ(Item(4).Title.Peek(), "Internet");
    EXPECT_EQ(Item(4).IconPath.Peek(), kSys + "Internet.png");
    EXPECT_FALSE(t.fs.Has(oldPicture));
    EXPECT_TRUE(Saved());

    // A member keeps its place and nothing of what it opened before.
    const int member = Group(6).Members[1];
    const std::string memberPicture = Item(member).IconPath.Peek();
    t.ui.answers = {mb::IdYes};
    Open(member).ChooseLink(2);
    EXPECT_EQ(Group(6).Members[1], member);
    EXPECT_EQ(Item(member).Kind, kind::Member);
    EXPECT_EQ(Item(member).Title.Peek(), "Check Email");
    EXPECT_EQ(Item(member).TargetPath.Peek(), "");
    EXPECT_FALSE(t.fs.Has(memberPicture));

    // An empty group is not asked about.
    t.ui.messages.clear();
    Open(7).ChooseLink(2);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(Item(7).Title.Peek().rfind("Accessories Group", 0), 0u);
}

TEST_F(Properties, IconButtons) {
    const std::string chosen = "C:\\Pictures\\mine.ico";
    t.fs.AddFile(chosen, "icon");
    t.ui.dialogAnswers = {chosen};
    PropertyDialog d = Open(4);
    d.ChangeIcon();
    EXPECT_EQ(t.ui.dialogs.back().title, "QOR Desktop - Change Icon");
    EXPECT_EQ(t.ui.dialogs.back().filter, "*.ico;*.png|*.ico;*.png");
    const std::string custom = Item(4).LargeIconPath.Peek();
    ASSERT_TRUE(t.fs.Has(custom));
    EXPECT_EQ(host.picture, (IconSource{IconSource::From::File, custom}));

    // A file that gives no picture: "Change icon failed", and the picture chosen before stays.
    t.fs.AddFile("C:\\Pictures\\broken.ico", "junk");
    t.icons.brokenFiles.insert("C:\\Pictures\\broken.ico");
    t.ui.dialogAnswers = {"C:\\Pictures\\broken.ico"};
    d.ChangeIcon();
    ASSERT_EQ(Messages(), std::vector<std::string>{kChangeIconFailedText});
    EXPECT_EQ(t.ui.messages[0].caption, "QOR Desktop");
    EXPECT_EQ(t.ui.messages[0].flags, mb::Ok | mb::IconExclamation);
    EXPECT_EQ(Item(4).LargeIconPath.Peek(), custom);
    EXPECT_TRUE(t.fs.Has(custom));
    EXPECT_TRUE(t.images.HasEntry(4, 1));

    // Reset: the custom picture is deleted and the item's own one made again.
    d.ResetIcon();
    EXPECT_EQ(Item(4).LargeIconPath.Peek(), "");
    EXPECT_FALSE(t.fs.Has(custom));
    EXPECT_TRUE(t.fs.Has(Item(4).IconPath.Peek()));
    EXPECT_EQ(host.picture.path, Item(4).IconPath.Peek());
}

TEST_F(Properties, OkStoresWhatFitsTheFields) {
    PropertyDialog d = Open(4);
    PropertyInput in{SingleByteChars("My Tool"), SingleByteChars("C:\\nowhere.exe"),
                     SingleByteChars("C:\\Apps\\two.exe"), SingleByteChars("/x"), 2};
    EXPECT_TRUE(d.Store(in));
    EXPECT_EQ(Item(4).Title.Peek(), "My Tool");
    EXPECT_EQ(Item(4).Target.Peek(), "C:\\Apps\\tool.exe"); // no such path: the link stays
    EXPECT_EQ(Item(4).TargetPath.Peek(), "C:\\Apps\\two.exe");
    EXPECT_EQ(Item(4).Arguments.Peek(), "/x");
    EXPECT_EQ(Item(4).RunMode, 2);
    EXPECT_TRUE(Saved());
    EXPECT_EQ(calls, Calls{"Repaint"});

    // A character the code page lacks: refused, the dialog stays, the item is unchanged.
    in.title = {"A", "", "B"};
    in.arguments = SingleByteChars("/y");
    EXPECT_FALSE(d.Store(in));
    EXPECT_EQ(Messages(),
              std::vector<std::string>{FieldRefusedText("title", FieldFitStatus::NotInCodePage, 128)});
    EXPECT_EQ(host.focused, "title");
    EXPECT_EQ(Item(4).Arguments.Peek(), "/x");

    // An overlong title is cut between characters; an overlong path is refused.
    in.title = SingleByteChars(std::string(130, 't'));
    in.target = SingleByteChars("C:\\" + std::string(260, 'p'));
    EXPECT_FALSE(d.Store(in));
    EXPECT_EQ(host.focused, "target");
    in.target = SingleByteChars("C:\\Apps\\two.exe");
    EXPECT_TRUE(d.Store(in));
    EXPECT_EQ(Item(4).Title.Peek(), std::string(128, 't'));

    // A renamed empty group still says so.
    EXPECT_TRUE(Open(7).Store({SingleByteChars("Games"), {}, {}, {}, 0}));
    EXPECT_EQ(Item(7).Title.Peek(), "Games (Empty)");
}

} // namespace
} // namespace qor
