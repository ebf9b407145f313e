#include <gtest/gtest.h>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "icons/IconResolve.h"
#include "items/ShellLinks.h"

namespace qor {
namespace {

using test::ShellTestApp;

struct Links : ::testing::Test {
    ShellTestApp t;
    AppState& app = t.app;

    void SetUp() override {
        app.store.Items[4].Kind = kind::Group;
        app.store.Items[4].Title = "Group";
    }
    std::vector<std::string> MemberTargets(int g) {
        std::vector<std::string> out;
        for (int j = 1; j <= app.store.Groups[g].Count; ++j)
            out.push_back(app.store.Items[app.store.Groups[g].Members[j]].Target.Peek());
        return out;
    }
};

TEST(PathNames, DisplayNameAndFolder) {
    struct Row {
        const char* path;
        bool keep;
        const char* name;
    };
    const Row rows[] = {
        {"C:\\Users\\user\\Desktop\\Notepad.lnk", false, "Notepad"},
        {"C:\\tools\\Readme.txt", false, "Readme.txt"},
        {"C:\\tools\\run.EXE", true, "run.EXE"},
        {"C:\\tools\\run.EXE", false, "run"},
        {"C:\\tools\\Link.LnK", false, "Link"},
        {"C:\\tools\\page.url", false, "page.url"},
        {"C:\\tools\\", false, ""},
        {"plain.exe", false, "plain"},
        {".exe", false, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(PathDisplayName(r.path, r.keep), r.name) << r.path;
    EXPECT_EQ(PathFolder("C:\\tools\\run.exe"), "C:\\tools\\");
    EXPECT_EQ(PathFolder("C:\\"), "C:\\");
    EXPECT_EQ(PathFolder("run.exe"), "");
}

TEST(IconLocations, SplitAtTheLastComma) {
    struct Row {
        const char* location;
        const char* file;
        int32_t index;
    };
    const Row rows[] = {
        {"C:\\x\\app.dll,-101", "C:\\x\\app.dll", -101},
        {"C:\\x\\app.dll, 7 ", "C:\\x\\app.dll", 7},
        {"C:\\a,b\\app.dll,3", "C:\\a,b\\app.dll", 3},
        {"C:\\x\\app.ico", "C:\\x\\app.ico", 0},
        {"C:\\x\\app.dll,abc", "C:\\x\\app.dll", 0},
        {"C:\\x\\app.dll,12abc", "C:\\x\\app.dll", 12},
        {"C:\\x\\app.dll,99999999999", "C:\\x\\app.dll", 0},
        {",", "", 0},
        {"", "", 0},
    };
    for (const Row& r : rows) {
        std::string file = "stale";
        int32_t index = 55;
        SplitIconLocation(r.location, file, index);
        EXPECT_EQ(file, r.file) << r.location;
        EXPECT_EQ(index, r.index) << r.location;
    }
}

TEST(RecycleBin, AnyPositiveHalfMeansFull) {
    struct Row {
        int64_t size, items;
        bool full;
    };
    const Row rows[] = {
        {0, 0, false},
        {5, 1, true},
        {0, 1, true},
        {1536, 0, true},
        {int64_t{1} << 32, 0, true},     // only the high half of the size
        {int64_t{0x80000000}, 0, false}, // the low half alone reads negative
        {int64_t{0x80000000}, 2, true},
        {-1, -1, false}, // every half reads -1
        {0, int64_t{3} << 32, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RecycleBinHoldsAnything({r.size, r.items}), r.full) << r.size << " " << r.items;

    test::FakeShell shell;
    EXPECT_FALSE(IsRecycleBinFull(nullptr));
    EXPECT_FALSE(IsRecycleBinFull(&shell));
    shell.recycleBin = RecycleBinQuery{5, 1};
    EXPECT_TRUE(IsRecycleBinFull(&shell));
    shell.recycleBin.reset(); // the query failed
    EXPECT_FALSE(IsRecycleBinFull(&shell));
}

TEST_F(Links, FirstWayWinsWhenItFindsAFile) {
    t.fs.AddFile("C:\\Apps\\a.exe", "MZ");
    t.shell.shellLinks["C:\\L\\a.lnk"] = {"C:\\Apps\\a.exe", "C:\\Apps", "-v", "", 0, 3, "A"};
    t.shell.scriptLinks["C:\\L\\a.lnk"] = {"C:\\Other\\b.exe", "", "", "", 0, 1, ""};
    ShellLinkInfo info;
    EXPECT_EQ(ResolveShellLink(app, "C:\\L\\a.lnk", info), 1);
    EXPECT_EQ(info.target, "C:\\Apps\\a.exe");
    EXPECT_EQ(info.windowStyle, 3);
    EXPECT_EQ(info.description, "A");
    EXPECT_EQ(t.shell.linkReads.size(), 1u);
}

TEST_F(Links, SecondWayWhenTheFirstFailsOrFindsNothing) {
    t.fs.AddFile("C:\\Apps\\a.exe", "MZ");
    t.shell.scriptLinks["C:\\L\\a.lnk"] = {"C:\\Apps\\a.exe", "", "", "", 0, 1, ""};
    ShellLinkInfo info;
    EXPECT_EQ(ResolveShellLink(app, "C:\\L\\a.lnk", info), 1); // first way raised an error
    EXPECT_EQ(info.target, "C:\\Apps\\a.exe");

    t.shell.shellLinks["C:\\L\\a.lnk"] = {"C:\\Gone\\a.exe", "", "", "C:\\Gone\\a.ico", 0, 1, ""};
    t.shell.linkReads.clear();
    EXPECT_EQ(ResolveShellLink(app, "C:\\L\\a.lnk", info), 1); // first way found neither file
    ASSERT_EQ(t.shell.linkReads.size(), 2u);
    EXPECT_EQ(t.shell.linkReads[1].second, LinkWay::ScriptHost);
    EXPECT_EQ(info.target, "C:\\Apps\\a.exe");

    t.shell.scriptLinks.erase("C:\\L\\a.lnk"); // both fail: the first way's values stay
    EXPECT_EQ(ResolveShellLink(app, "C:\\L\\a.lnk", info), 0);
    EXPECT_EQ(info.iconFile, "C:\\Gone\\a.ico");
}

TEST_F(Links, IconFileCountsAndIsHandedBackExpanded) {
    t.fs.AddFile("C:\\Windows\\system32\\shell32.dll", "MZ");
    t.shell.shellLinks["C:\\L\\b.lnk"] = {"", "", "", "%SystemRoot%\\system32\\shell32.dll", -152, 1, ""};
    ShellLinkInfo info;
    EXPECT_EQ(ResolveShellLink(app, "C:\\L\\b.lnk", info), 1);
    EXPECT_EQ(info.iconFile, "C:\\Windows\\system32\\shell32.dll");
    EXPECT_EQ(info.iconIndex, -152);
}

TEST_F(Links, FillLinkResultStartsBlankAndFollowsOneLevel) {
    t.fs.AddFile("C:\\L\\outer.lnk", "L");
    t.fs.AddFile("C:\\L\\middle.lnk", "L");
    t.fs.AddFile("C:\\L\\inner.lnk", "L");
    t.fs.AddFile("C:\\Apps\\a.exe", "MZ");
    t.shell.AddLink("C:\\L\\outer.lnk", {"C:\\L\\middle.lnk", "C:\\", "-o", "", 0, 7, ""});
    t.shell.AddLink("C:\\L\\middle.lnk", {"C:\\L\\inner.lnk", "C:\\M", "-m", "", 2, 3, ""});
    t.shell.AddLink("C:\\L\\inner.lnk", {"C:\\Apps\\a.exe", "", "", "", 0, 1, ""});
    const LinkResult r = FillLinkResult(app, "C:\\L\\outer.lnk");
    EXPECT_EQ(r.source, "C:\\L\\outer.lnk");
    EXPECT_EQ(r.target, "C:\\L\\inner.lnk"); // one level only
    EXPECT_EQ(r.arguments, "-m");
    EXPECT_EQ(r.workingDirectory, "C:\\M");
    EXPECT_EQ(r.iconIndex, 2);
    EXPECT_EQ(r.windowStyle, 3);

    LinkResult missing = FillLinkResult(app, "C:\\L\\none.lnk");
    LinkResult blank;
    blank.source = "C:\\L\\none.lnk";
    EXPECT_EQ(missing, blank);
}

TEST_F(Links, InstallerShortcutNamesTargetAndIcon) {
    t.fs.AddFile("C:\\L\\Word.lnk", "L");
    t.fs.AddFile("C:\\Office\\WINWORD.EXE", "MZ");
    t.shell.installerTargets["C:\\L\\Word.lnk"] = "C:\\Office\\WINWORD.EXE";
    t.shell.AddLink("C:\\L\\Word.lnk", {"C:\\Windows\\Installer\\stub.exe", "", "", "", 0, 1, ""});
    const LinkResult r = FillLinkResult(app, "C:\\L\\Word.lnk");
    EXPECT_EQ(r.target, "C:\\Office\\WINWORD.EXE");
    EXPECT_EQ(r.iconFile, "C:\\Office\\WINWORD.EXE");
    EXPECT_TRUE(t.shell.linkReads.empty());

    // An installer answer naming a file that is not there falls back to the link itself.
    t.fs.files.erase("C:\\Office\\WINWORD.EXE");
    EXPECT_EQ(FillLinkResult(app, "C:\\L\\Word.lnk").target, "C:\\Windows\\Installer\\stub.exe");
}

TEST_F(Links, FolderEntriesSkipHiddenAndDots) {
    t.fs.AddFolder("C:\\D");
    t.fs.AddFile("C:\\D\\a.txt", "a");
    t.fs.AddFile("C:\\D\\secret.txt", "s");
    t.fs.extraAttributes["C:\\D\\secret.txt"] = kAttrHidden;
    t.fs.AddFolder("C:\\D\\Sub");
    t.fs.AddFolder("C:\\D\\HiddenSub", kAttrDirectory | kAttrHidden);
    t.fs.AddFile("C:\\D\\noext", "n");
    FillFromFolder(app, 4, "C:\\D\\", "*.*", 0);
    auto targets = MemberTargets(4);
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(targets, (std::vector<std::string>{"C:\\D\\Sub", "C:\\D\\a.txt", "C:\\D\\noext"}));
}

TEST_F(Links, ArchiveModeOffersOnlyArchivedEntries) {
    t.fs.AddFolder("C:\\D");
    t.fs.AddFile("C:\\D\\a.txt", "a"); // fake files carry the archive bit
    t.fs.AddFolder("C:\\D\\Sub");
    FillFromFolder(app, 4, "C:\\D\\", "*.*", 1);
    EXPECT_EQ(MemberTargets(4), (std::vector<std::string>{"C:\\D\\a.txt"}));
    FillFromFolder(app, 4, "", "*.*", 0); // no folder: nothing
    EXPECT_EQ(app.store.Groups[4].Count, 1);
}

TEST_F(Links, DrivesAndFoldersInOrder) {
    for (const char* f : {"C:\\Users\\user\\Pictures", "C:\\Users\\user\\Music", "C:\\Users\\user\\Videos",
                          "C:\\Users\\user\\Favorites", "C:\\", "D:\\"})
        t.fs.AddFolder(f);
    t.fs.AddFile("C:\\Windows\\Explorer.exe", "MZ");
    t.shell.drives = {"C:\\", "D:\\", "Q:\\"}; // Q: is listed but not ready
    app.WindowsMajor = 6;
    FillDrivesAndFolders(app, 4);
    EXPECT_EQ(MemberTargets(4),
              (std::vector<std::string>{
                  "C:\\Windows\\Explorer.exe", "C:\\Users\\user\\Documents\\", "C:\\Users\\user\\Pictures\\",
                  "C:\\Users\\user\\Music\\", "C:\\Users\\user\\Videos\\", "C:\\Users\\user\\Favorites\\",
                  "C:\\Program Files\\", "C:\\Windows\\", "C:\\Windows\\system32\\", "C:\\", "D:\\"}));
    EXPECT_EQ(t.shell.pumps, 3);

    app.store.Items[5].Kind = kind::Group;
    app.WindowsMajor = 5; // no Explorer entry before Vista
    FillDrivesAndFolders(app, 5);
    EXPECT_EQ(MemberTargets(5).front(), "C:\\Users\\user\\Documents\\");
}

TEST_F(Links, OfficeProgramsFromTheirClassRegistrations) {
    auto& reg = t.reg;
    reg.SetString(reg::ClassesRoot, "Word.Application\\CLSID", "", "{000209FF-0000-0000-C000-000000000046}");
    reg.SetString(reg::ClassesRoot, "CLSID\\{000209FF-0000-0000-C000-000000000046}\\LocalServer32", "",
                  "\"C:\\Office\\WINWORD.EXE\" /Automation");
    reg.SetString(reg::ClassesRoot, "Excel.Application\\CLSID", "", "{00024500-0000-0000-C000-000000000046}");
    reg.SetString(reg::ClassesRoot, "CLSID\\{00024500-0000-0000-C000-000000000046}\\LocalServer32", "",
                  "C:\\Office\\EXCEL.EXE /automation");
    reg.SetString(reg::ClassesRoot, "Access.Application\\CLSID", "",
                  "{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}");
    reg.SetString(reg::ClassesRoot, "CLSID\\{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}\\LocalServer32", "",
                  "C:\\Office\\MSACCESS.EXE"); // registered but not installed
    reg.SetString(reg::ClassesRoot, "PowerPoint.Application\\CLSID", "",
                  "{91493441-5A91-11CF-8700-00AA0060263B}");
    reg.SetString(reg::ClassesRoot, "CLSID\\{91493441-5A91-11CF-8700-00AA0060263B}\\LocalServer32", "",
                  "C:\\Office\\POWERPNT.EXE");
    for (const char* f : {"C:\\Office\\WINWORD.EXE", "C:\\Office\\EXCEL.EXE", "C:\\Office\\POWERPNT.EXE"})
        t.fs.AddFile(f, "MZ");
    FillOfficeApplications(app, 4);
    EXPECT_EQ(MemberTargets(4), (std::vector<std::string>{"C:\\Office\\WINWORD.EXE", "C:\\Office\\EXCEL.EXE",
                                                          "C:\\Office\\POWERPNT.EXE"}));
}

} // namespace
} // namespace qor
