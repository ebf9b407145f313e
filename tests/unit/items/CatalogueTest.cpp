#include <gtest/gtest.h>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "icons/Associations.h"
#include "items/Catalogue.h"

namespace qor {
namespace {

using test::ShellTestApp;

const std::string kSys = "C:\\Program Files\\QOR Desktop\\SysIcons\\";

struct Catalogue : ::testing::Test {
    ShellTestApp t;
    AppState& app = t.app;
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    std::vector<std::string> MemberTargets(int g) {
        std::vector<std::string> out;
        for (int j = 1; j <= Group(g).Count; ++j)
            out.push_back(Item(Group(g).Members[j]).Target.Peek());
        return out;
    }
};

struct CommandRow {
    int index;
    const char* title;
    const char* icon;
};

// Every built-in command item: caption and picture (defaults: icons shown, dragging allowed).
const CommandRow kCommandRows[] = {
    {65, "Open user's Documents", "UserDoc.png"},
    {66, "Modify User Name & User Icon", "UserIcon.png"},
    {67, "Settings", "Setting.png"},
    {68, "About QOR Desktop", "About.png"},
    {69, "Minimize", "Minimize.png"},
    {70, "Hide QOR Desktop", "HideQOR.png"},
    {71, "Exit", "Exit.png"},
    {72, "Always Hide Desktop Icons", "Desktop.png"},
    {73, "Switch Desktop", "Switch.png"},
    {74, "Get Started", "Get Started.png"},
    {75, "Lock Dragging", "Lock Dragging.png"},
    {76, "Shut Down", "Shutdown.png"},
    {77, "Restart", "Restart.png"},
    {78, "Log Off", "LogOff.png"},
    {79, "Lock This Computer", "LockWorkstation.png"},
    {80, "Monitor Off", "MonitorOff.png"},
    {81, "My Computer", "My Computer.png"},
    {82, "Properties", "Properties.png"},
    {83, "Personalize", "Personal.png"},
    {84, "Screen Resolution", "Display.png"},
    {85, "Uninstall a Program", "Uninstall.png"},
    {86, "Network", "Network.png"},
    {87, "IE Properties", "IEProperty.png"},
    {88, "Control Panel", "CPanel.png"},
    {89, "Workgroup", "Workgroup.png"},
    {90, "Printers and Faxes", "Printer.png"},
    {91, "Device Manager", "DeviceManager.png"},
    {92, "Search", "Search.png"},
    {93, "Run", "Run.png"},
    {94, "Network Connections", "Network Connection.png"},
    {101, "Empty Recycle Bin", "TrashEmpty.png"},
    {102, "Open Recycle Bin", "TrashFull.png"},
    {103, "Recycle Bin Status", "TrashCheck.png"},
};

TEST_F(Catalogue, EveryCommandItem) {
    BuildDefaultCatalogue(app);
    for (const CommandRow& r : kCommandRows) {
        const DockItem& d = Item(r.index);
        EXPECT_EQ(d.Title.Peek(), r.title) << r.index;
        EXPECT_EQ(d.IconPath.Peek(), kSys + r.icon) << r.index;
        EXPECT_EQ(d.Kind, kind::Command) << r.index;
        EXPECT_EQ(d.IsSystem, kTrue) << r.index;
        EXPECT_EQ(d.Param, r.index) << r.index;
        EXPECT_EQ(d.IconRef, r.index) << r.index;
    }
    for (int i : {95, 96, 97, 98, 99, 100, 104, 128})
        EXPECT_EQ(Item(i).Kind, kind::Free) << i;
}

TEST_F(Catalogue, SystemGroupsListTheirCommands) {
    BuildDefaultCatalogue(app);
    const struct { int group, first, last; } groups[] = {{0, 65, 80}, {1, 81, 94}, {2, 101, 103}};
    for (const auto& g : groups) {
        ASSERT_EQ(Group(g.group).Count, g.last - g.first + 1);
        for (int j = 1; j <= Group(g.group).Count; ++j)
            EXPECT_EQ(Group(g.group).Members[j], g.first + j - 1);
    }
    for (int g = 0; g <= kGroupBound; ++g)
        EXPECT_EQ(Group(g).Members[0], g);
    for (int g = 3; g <= kGroupBound; ++g)
        EXPECT_EQ(Group(g).Count, 0);
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

TEST_F(Catalogue, TemplatesRingSlotsAndCentre) {
    const struct {
        int index;
        const char* title;
        int32_t kind;
        int16_t system;
        int32_t param;
        const char* icon;
    } rows[] = {
        {1, "My Computer", kind::System, kTrue, 81, "My Computer.png"},
        {37, "Recycle Bin (Empty)", kind::RecycleBin, kTrue, 101, "RecycleEmpty.png"},
        {38, "Recycle Bin (Full)", kind::RecycleBin, kTrue, 101, "RecycleFull.png"},
        {39, "File", kind::System, kFalse, 0, "File.png"},
        {40, "Blank Shortcut", kind::System, kFalse, 0, "Shortcut.png"},
        {41, "Application", kind::System, kFalse, 0, "Application.png"},
        {42, "Group", kind::System, kFalse, 0, "Group.png"},
    };
    BuildDefaultCatalogue(app);
    for (const auto& r : rows) {
        EXPECT_EQ(Item(r.index).Title.Peek(), r.title) << r.index;
        EXPECT_EQ(Item(r.index).Kind, r.kind) << r.index;
        EXPECT_EQ(Item(r.index).IsSystem, r.system) << r.index;
        EXPECT_EQ(Item(r.index).Param, r.param) << r.index;
        EXPECT_EQ(Item(r.index).IconPath.Peek(), kSys + r.icon) << r.index;
    }
    for (int i = 9; i <= 36; ++i) {
        EXPECT_EQ(Item(i).Title.Peek(), "Blank Shortcut");
        EXPECT_EQ(Item(i).Kind, kind::Blank);
        EXPECT_EQ(Item(i).IconPath.Peek(), kSys + "Shortcut.png");
    }
    for (int i = 1; i <= kItemBound; ++i) {
        if (i != 2) {
            ASSERT_EQ(Item(i).IconRef, i) << i;
        }
    }
    EXPECT_EQ(Item(0).Title.Peek(), "user");
    EXPECT_EQ(Item(0).IconPath.Peek(), "");
    EXPECT_EQ(Item(0).Kind, kind::Free); // left as it was
}

TEST_F(Catalogue, RingRecycleBinFollowsTheBin) {
    BuildDefaultCatalogue(app);
    EXPECT_EQ(Item(2), Item(37));
    EXPECT_EQ(Item(2).Title.Peek(), "Recycle Bin (Empty)");

    t.shell.recycleBin = RecycleBinQuery{1536, 3};
    BuildDefaultCatalogue(app);
    EXPECT_EQ(Item(2), Item(38));
    EXPECT_EQ(Item(2).IconPath.Peek(), kSys + "RecycleFull.png");
}

TEST_F(Catalogue, CaptionsFollowUserStateAndSettings) {
    t.sys.userName = "Ann";
    t.fs.AddFile(app.paths.UserIconFile, "png");
    app.run.DesktopIconsHidden = true;
    app.cfg.LockDragging = kTrue;
    BuildDefaultCatalogue(app);
    EXPECT_EQ(Item(0).Title.Peek(), "Ann");
    EXPECT_EQ(Item(0).IconPath.Peek(), app.paths.UserIconFile);
    EXPECT_EQ(Item(65).Title.Peek(), "Open Ann's Documents");
    EXPECT_EQ(Item(72).Title.Peek(), "Always Show Desktop Icons");
    EXPECT_EQ(Item(75).Title.Peek(), "Allow Dragging");
    EXPECT_EQ(Item(75).IconPath.Peek(), kSys + "Allow Dragging.png");
}

TEST_F(Catalogue, AllProgramsFromBothDesktopsWithoutHiddenFiles) {
    BuildDefaultCatalogue(app);
    t.fs.AddFile("C:\\Users\\Public\\Desktop\\Shared.txt", "s");
    t.fs.AddFile("C:\\Users\\user\\Desktop\\Mine.txt", "m");
    t.fs.AddFile("C:\\Users\\user\\Desktop\\desktop.ini", "h");
    t.fs.extraAttributes["C:\\Users\\user\\Desktop\\desktop.ini"] = kAttrHidden | kAttrSystem;
    SetDefaultEntry(app, 3, 0);
    EXPECT_EQ(Item(3).Kind, kind::AllPrograms);
    EXPECT_EQ(Item(3).Title.Peek(), "All Programs Group");
    EXPECT_EQ(Item(3).IconPath.Peek(), kSys + "All Programs Group.png");
    EXPECT_EQ(MemberTargets(3), (std::vector<std::string>{"C:\\Users\\Public\\Desktop\\Shared.txt",
                                                          "C:\\Users\\user\\Desktop\\Mine.txt"}));
    for (int j = 1; j <= Group(3).Count; ++j)
        EXPECT_EQ(Item(Group(3).Members[j]).Kind, kind::Member);
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

TEST_F(Catalogue, EmptyDesktopsLeaveAnEmptyGroup) {
    BuildDefaultCatalogue(app);
    SetDefaultEntry(app, 3, 3);
    EXPECT_EQ(Item(3).Title.Peek(), "All Programs Group (Empty)");
    EXPECT_EQ(Group(3).Count, 0);
}

TEST_F(Catalogue, AccessoriesInTheirOrder) {
    const char* all[] = {
        "C:\\Windows\\system32\\notepad.exe",
        "C:\\Windows\\system32\\mspaint.exe",
        "C:\\Windows\\system32\\calc.exe",
        "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe",
        "C:\\Program Files\\Windows Media Player\\wmplayer.exe",
        "C:\\Windows\\system32\\cmd.exe",
        "C:\\Windows\\system32\\msconfig.exe",
        "C:\\Windows\\system32\\SoundRecorder.exe",
        "C:\\Windows\\system32\\sndrec32.exe",
        "C:\\Windows\\system32\\SnippingTool.exe",
        "C:\\Windows\\system32\\StikyNot.exe",
        "C:\\Windows\\system32\\magnify.exe",
        "C:\\Windows\\system32\\osk.exe",
        "C:\\Windows\\system32\\mstsc.exe",
        "C:\\Windows\\system32\\taskmgr.exe",
        "C:\\Windows\\regedit.exe",
        "C:\\Windows\\system32\\cleanmgr.exe",
        "C:\\Windows\\system32\\dfrgui.exe",
        "C:\\Windows\\system32\\dfrg.msc",
        "C:\\Windows\\system32\\rstrui.exe",
        "C:\\Windows\\system32\\ntbackup.exe",
    };
    // Offered in reverse-created order to be sure the order is the list's, not the disk's.
    for (int i = 20; i >= 0; --i)
        t.fs.AddFile(all[i], "MZ");
    BuildDefaultCatalogue(app);
    SetDefaultEntry(app, 5, 0);
    EXPECT_EQ(Item(5).Kind, kind::Group);
    EXPECT_EQ(Item(5).Title.Peek(), "Accessories Group");
    EXPECT_EQ(Item(5).IconPath.Peek(), kSys + "WinGroup.png");
    EXPECT_EQ(MemberTargets(5), std::vector<std::string>(std::begin(all), std::end(all)));
}

TEST_F(Catalogue, MissingAccessoriesAreLeftOut) {
    t.fs.AddFile("C:\\Windows\\system32\\notepad.exe", "MZ");
    t.fs.AddFile("C:\\Windows\\system32\\SoundRecorder.exe", "MZ");
    t.fs.AddFile("C:\\Windows\\regedit.exe", "MZ");
    BuildDefaultCatalogue(app);
    SetDefaultEntry(app, 5, 5);
    EXPECT_EQ(MemberTargets(5), (std::vector<std::string>{"C:\\Windows\\system32\\notepad.exe",
                                                          "C:\\Windows\\system32\\SoundRecorder.exe",
                                                          "C:\\Windows\\regedit.exe"}));
}

TEST_F(Catalogue, DrivesAndOfficeEntries) {
    BuildDefaultCatalogue(app);
    app.WindowsMajor = 6;
    t.fs.AddFolder("C:\\");
    SetDefaultEntry(app, 4, 0);
    EXPECT_EQ(Item(4).Kind, kind::Group);
    EXPECT_EQ(Item(4).Title.Peek(), "System Folders & Drives Group");
    EXPECT_EQ(Item(4).IconPath.Peek(), kSys + "Library.png");
    EXPECT_EQ(MemberTargets(4).back(), "C:\\");

    SetDefaultEntry(app, 6, 0);
    EXPECT_EQ(Item(6).Kind, kind::Group);
    EXPECT_EQ(Item(6).Title.Peek(), "Microsoft Office Suite Group");
    EXPECT_EQ(Item(6).IconPath.Peek(), kSys + "Microsoft Office Group.png");
    EXPECT_EQ(Group(6).Count, 0); // no office here; the caption has no suffix of its own
}

TEST_F(Catalogue, InternetAndMailByPlace) {
    // The system's programs for web and mail addresses.
    t.reg.SetString(reg::ClassesRoot, "http\\shell\\open\\command", "",
                    "\"C:\\Program Files\\Browser\\browser.exe\" -url \"%1\"");
    t.reg.SetString(reg::ClassesRoot, "mailto\\shell\\open\\command", "", "C:\\Mail\\mail.exe /to %1");
    BuildDefaultCatalogue(app);
    SetDefaultEntry(app, 7, 0);
    EXPECT_EQ(Item(7).Title.Peek(), "Internet");
    EXPECT_EQ(Item(7).Kind, kind::Shortcut);
    EXPECT_EQ(Item(7).IconPath.Peek(), kSys + "Internet.png");
    EXPECT_EQ(Item(7).Target.Peek(), "C:\\Program Files\\Browser\\browser.exe");

    SetDefaultEntry(app, 8, 200);
    EXPECT_EQ(Item(200).Title.Peek(), "Check Email");
    EXPECT_EQ(Item(200).Kind, kind::Member);
    EXPECT_EQ(Item(200).IconPath.Peek(), kSys + "Mailbox.png");
    EXPECT_EQ(Item(200).Target.Peek(), "C:\\Mail\\mail.exe");

    SetDefaultEntry(app, 7, 36);
    EXPECT_EQ(Item(36).Kind, kind::Shortcut);
    SetDefaultEntry(app, 7, 37);
    EXPECT_EQ(Item(37).Kind, kind::Member);
}

TEST_F(Catalogue, EntriesOutsideTheirRangeDoNothing) {
    BuildDefaultCatalogue(app);
    const Store before = app.store;
    SetDefaultEntry(app, 2, 0);
    SetDefaultEntry(app, 9, 0);
    SetDefaultEntry(app, 3, 200); // a group entry needs a ring slot of its own
    SetDefaultEntry(app, 7, 5000);
    EXPECT_EQ(app.store.Items, before.Items);
}

struct VersionCase {
    uint32_t platform, major, minor;
    const char* name; // null: empty text
};

std::ostream& operator<<(std::ostream& os, const VersionCase& c) {
    return os << "platform " << c.platform << " " << c.major << "." << c.minor;
}

class WindowsVersion : public Catalogue, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(WindowsVersion, NamesTheNtLine) {
    const VersionCase& c = GetParam();
    t.sys.version = OsVersion{c.major, c.minor, 2600, c.platform, " Service Pack 3 ", true};
    int major = -5;
    bool refused = true;
    const std::string text = CheckWindowsVersion(app, major, refused);
    EXPECT_FALSE(refused);
    EXPECT_EQ(major, static_cast<int>(c.major));
    EXPECT_EQ(text, c.name ? std::string(c.name) + "Service Pack 3 (Build 2600)" : std::string());
    EXPECT_TRUE(t.ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowsVersion,
                         ::testing::Values(VersionCase{2, 3, 51, "Microsoft Windows NT 3.51 "},
                                           VersionCase{2, 4, 0, "Microsoft Windows NT 4.0 "},
                                           VersionCase{2, 5, 0, "Microsoft Windows 2000 "},
                                           VersionCase{2, 5, 1, "Microsoft Windows XP "},
                                           VersionCase{2, 5, 2, "Microsoft Windows 2003 "},
                                           VersionCase{2, 6, 0, "Microsoft Windows Vista "},
                                           VersionCase{2, 6, 1, "Microsoft Windows 7 "},
                                           VersionCase{2, 6, 2, "Microsoft Windows 2008 "},
                                           VersionCase{2, 6, 3, nullptr}, VersionCase{2, 10, 0, nullptr},
                                           VersionCase{2, 5, 3, nullptr}));

TEST_F(Catalogue, TheConsumerLineIsRefused) {
    const struct {
        uint32_t minor;
        const char* name;
    } rows[] = {
        {0, "Microsoft Windows 95 "}, {10, "Microsoft Windows 98 "}, {90, "Microsoft Windows Mellennium "}};
    for (const auto& r : rows) {
        t.ui.messages.clear();
        t.sys.version = OsVersion{4, r.minor, 2222, 1, "A", true};
        int major = -5;
        bool refused = false;
        const std::string text = CheckWindowsVersion(app, major, refused);
        EXPECT_TRUE(refused);
        EXPECT_EQ(major, -5);
        EXPECT_EQ(text, std::string(r.name) + "A (Build 2222)");
        ASSERT_EQ(t.ui.messages.size(), 1u);
        EXPECT_EQ(t.ui.messages[0].text, "Sorry! QOR Desktop doesn't support " + text);
        EXPECT_EQ(t.ui.messages[0].caption, "Warning !");
        EXPECT_EQ(t.ui.messages[0].flags, mb::IconExclamation);
    }
}

TEST_F(Catalogue, NoVersionRecordGivesNothing) {
    t.sys.version.valid = false;
    int major = -5;
    bool refused = true;
    EXPECT_EQ(CheckWindowsVersion(app, major, refused), "");
    EXPECT_EQ(major, -5);
    EXPECT_FALSE(refused);
}

TEST_F(Catalogue, DefaultRingEndToEndKeepsTheStoreSound) {
    for (const char* f : {"C:\\Windows\\system32\\notepad.exe", "C:\\Windows\\regedit.exe"}) {
        t.fs.AddFile(f, "MZ");
        t.icons.resourceIcons.insert(f);
    }
    t.fs.AddFile("C:\\Users\\user\\Desktop\\a.txt", "a");
    t.fs.AddFolder("C:\\");
    app.WindowsMajor = 6;
    BuildDefaultCatalogue(app);
    for (int entry = 3; entry <= 8; ++entry)
        SetDefaultEntry(app, entry, entry);
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
    EXPECT_EQ(Group(5).Count, 2);
    // Generated pictures are numbered from 0 without gaps.
    std::vector<std::string> pictures;
    for (const auto& [path, bytes] : t.fs.files)
        if (path.rfind(app.paths.IconCacheFolder, 0) == 0)
            pictures.push_back(path.substr(app.paths.IconCacheFolder.size()));
    EXPECT_EQ(pictures, (std::vector<std::string>{"0.png", "1.png"}));
}

} // namespace
} // namespace qor
