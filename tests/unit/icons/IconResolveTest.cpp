#include <gtest/gtest.h>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "icons/IconResolve.h"
#include "items/ShellLinks.h"

namespace qor {
namespace {

using test::FakeIconTools;
using test::ShellTestApp;

const std::string kSys = "C:\\Program Files\\QOR Desktop\\SysIcons\\";
const std::string kCache = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons\\";

// A fresh store with a user group in slot 4, the All Programs group in slot 3 and a blank slot 9.
struct Resolve : ::testing::Test {
    ShellTestApp t;
    AppState& app = t.app;

    void SetUp() override {
        MakeGroup(3, kind::AllPrograms, "All Programs Group (Empty)");
        MakeGroup(4, kind::Group, "Tools (Empty)");
        app.store.Items[9].Kind = kind::Blank;
        app.store.Items[9].Title = "Blank Shortcut";
        app.store.Items[9].IconPath = kSys + "Shortcut.png";
        for (int i = 1; i <= kItemBound; ++i)
            app.store.Items[i].IconRef = i;
    }
    void MakeGroup(int slot, int32_t k, const char* title) {
        app.store.Items[slot].Kind = k;
        app.store.Items[slot].Title = title;
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    DockGroup& Group(int g) { return app.store.Groups[g]; }
    test::FakeImageCache::Entry ImageAt(int index, int level) {
        return t.images.entries[std::make_pair(index, level)];
    }
    // The member item added last to a group.
    DockItem& LastMember(int g) { return Item(Group(g).Members[Group(g).Count]); }
    void AddExe(const std::string& path, const std::string& description = "") {
        t.fs.AddFile(path, "MZ");
        t.icons.resourceIcons.insert(path);
        if (!description.empty())
            t.icons.descriptions[path] = description;
    }
};

// ---- cache file names -------------------------------------------------------------------------

TEST_F(Resolve, CacheNumbersCountFromZeroAndReuseFreedNumbers) {
    EXPECT_EQ(NextCacheFileName(app), kCache + "0.png");
    AddExe("C:\\Apps\\one.exe");
    AddExe("C:\\Apps\\two.exe");
    AddExe("C:\\Apps\\three.exe");
    AddPathToItem(app, "C:\\Apps\\one.exe", 4);
    AddPathToItem(app, "C:\\Apps\\two.exe", 4);
    ASSERT_EQ(Group(4).Count, 2);
    const int first = Group(4).Members[1];
    EXPECT_EQ(Item(first).IconPath.Peek(), kCache + "0.png");
    EXPECT_EQ(LastMember(4).IconPath.Peek(), kCache + "1.png");
    EXPECT_TRUE(t.fs.Has(kCache + "0.png"));
    EXPECT_TRUE(t.fs.Has(kCache + "1.png"));

    // Deleting the first frees number 0 and the next item takes it.
    EXPECT_EQ(ClearItem(app, first, false), 1);
    EXPECT_FALSE(t.fs.Has(kCache + "0.png"));
    AddPathToItem(app, "C:\\Apps\\three.exe", 4);
    EXPECT_EQ(LastMember(4).IconPath.Peek(), kCache + "0.png");
    EXPECT_EQ(t.icons.MarkerAt(kCache + "0.png"),
              FakeIconTools::Marker("resource", "C:\\Apps\\three.exe", 0));
}

TEST_F(Resolve, FailedConversionDoesNotClaimACacheNumber) {
    // A shortcut whose ".ico" cannot be converted falls back to "Problem.png"; the number it
    // was offered stays free for the next item instead of being named by two items.
    t.fs.AddFile("C:\\Apps\\bad.ico", "junk");
    t.icons.brokenFiles.insert("C:\\Apps\\bad.ico");
    t.fs.AddFile("C:\\Links\\tool.lnk", "L");
    t.shell.AddLink("C:\\Links\\tool.lnk", {"C:\\Apps\\tool.exe", "", "", "C:\\Apps\\bad.ico", 0, 1, ""});
    AddExe("C:\\Apps\\tool.exe");
    AddPathToItem(app, "C:\\Links\\tool.lnk", 4);
    EXPECT_EQ(LastMember(4).IconPath.Peek(), kSys + "Problem.png");
    EXPECT_EQ(NextCacheFileName(app), kCache + "0.png");
}

// ---- drive table ------------------------------------------------------------------------------

struct DriveCase {
    const char* root;
    int type;
    const char* windowsFolder;
    const char* title; // null: left unset
    const char* icon;
};

std::ostream& operator<<(std::ostream& os, const DriveCase& c) {
    return os << c.root << " type " << c.type;
}

class DriveTable : public Resolve, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(DriveTable, RootGetsTitleAndPicture) {
    const DriveCase& c = GetParam();
    app.paths.WindowsFolder = c.windowsFolder;
    t.fs.AddFolder(std::string(c.root, 2)); // "X:" names the drive's root folder
    t.shell.driveTypes[c.root] = c.type;
    AddPathToItem(app, c.root, 4);
    ASSERT_EQ(Group(4).Count, 1);
    DockItem& m = LastMember(4);
    EXPECT_EQ(m.Kind, kind::Member);
    EXPECT_EQ(m.IconRef, Group(4).Members[1]);
    if (c.title) {
        EXPECT_EQ(m.Title.Peek(), c.title);
        EXPECT_EQ(m.IconPath.Peek(), kSys + c.icon);
    } else {
        EXPECT_EQ(m.Title.Peek(), "");
    }
    EXPECT_EQ(m.Target.Peek(), c.root);
    EXPECT_EQ(m.TargetPath.Peek(), c.root);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DriveTable,
    ::testing::Values(
        DriveCase{"A:\\", drive::Removable, "C:\\Windows\\", "Floppy Disk (A:)", "FloppyDrive.png"},
        DriveCase{"B:\\", drive::Removable, "C:\\Windows\\", "Floppy Disk (B:)", "FloppyDrive.png"},
        DriveCase{"E:\\", drive::Removable, "C:\\Windows\\", "Removable Disk (E:)", "RemDrive.png"},
        DriveCase{"C:\\", drive::Fixed, "C:\\Windows\\", "Local Disk (C:)", "WinDrive.png"},
        DriveCase{"C:\\", drive::Fixed, "c:\\windows\\", "Local Disk (C:)", "WinDrive.png"},
        DriveCase{"D:\\", drive::Fixed, "C:\\Windows\\", "Local Disk (D:)", "FixedDrive.png"},
        DriveCase{"C:\\", drive::Fixed, "D:\\Windows\\", "Local Disk (C:)", "FixedDrive.png"},
        DriveCase{"N:\\", drive::Remote, "C:\\Windows\\", "Remote Disk (N:)", "RemoteDrive.png"},
        DriveCase{"F:\\", drive::CdRom, "C:\\Windows\\", "DVD/CD - Drive (F:)", "DVDDrive.png"},
        DriveCase{"R:\\", drive::RamDisk, "C:\\Windows\\", "RAM Disk (R:)", "RamDrive.png"},
        DriveCase{"U:\\", drive::Unknown, "C:\\Windows\\", "Unknown Drive (U:)", "UnknownDrive.png"},
        DriveCase{"V:\\", 7, "C:\\Windows\\", "Unknown Drive (V:)", "UnknownDrive.png"},
        DriveCase{"W:\\", drive::NoRootDir, "C:\\Windows\\", nullptr, nullptr}));

TEST_F(Resolve, DriveRootWithoutBackslashIsStillADrive) {
    t.fs.AddFolder("D:");
    AddPathToItem(app, "D:", 4);
    EXPECT_EQ(LastMember(4).Title.Peek(), "Local Disk (D:)");
}

// ---- special folders --------------------------------------------------------------------------

struct FolderCase {
    const char* path;
    const char* title;
    const char* icon;
};

std::ostream& operator<<(std::ostream& os, const FolderCase& c) {
    return os << c.path;
}

class SpecialFolderTable : public Resolve, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(SpecialFolderTable, FolderGetsTitleAndPicture) {
    const FolderCase& c = GetParam();
    t.fs.AddFolder(c.path);
    AddPathToItem(app, c.path, 4);
    ASSERT_EQ(Group(4).Count, 1);
    EXPECT_EQ(LastMember(4).Title.Peek(), c.title);
    EXPECT_EQ(LastMember(4).IconPath.Peek(), kSys + c.icon);
    EXPECT_EQ(LastMember(4).Category, 0); // folders leave the category alone
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpecialFolderTable,
    ::testing::Values(FolderCase{"C:\\Users\\user", "user", "UserFolder.png"},
                      FolderCase{"C:\\Users\\user\\Documents", "My Documents", "DocFolder.png"},
                      FolderCase{"C:\\Users\\user\\Documents\\", "My Documents", "DocFolder.png"},
                      FolderCase{"c:\\users\\USER\\documents", "My Documents", "DocFolder.png"},
                      FolderCase{"C:\\Users\\user\\Pictures", "My Pictures", "PicFolder.png"},
                      FolderCase{"C:\\Users\\user\\Music\\", "My Music", "MusicFolder.png"},
                      FolderCase{"C:\\Users\\user\\Videos", "My Videos", "VideoFolder.png"},
                      FolderCase{"C:\\Users\\user\\Favorites", "My Favorites", "FavFolder.png"},
                      FolderCase{"C:\\Windows", "Windows Directory", "Directory.png"},
                      FolderCase{"C:\\Program Files\\", "Program Files Directory", "Directory.png"},
                      FolderCase{"C:\\Windows\\system32", "System Directory", "Directory.png"},
                      FolderCase{"C:\\Work\\Projects", "Projects", "Folder.png"},
                      FolderCase{"C:\\Work\\Old.Stuff\\", "Old.Stuff", "Folder.png"}));

// ---- branches by extension --------------------------------------------------------------------

TEST_F(Resolve, ProgramTakesItsDescriptionAndFirstIcon) {
    AddExe("C:\\Apps\\Edit.EXE", "Text Editor");
    AddPathToItem(app, "C:\\Apps\\Edit.EXE", 4);
    DockItem& m = LastMember(4);
    EXPECT_EQ(m.Title.Peek(), "Text Editor");
    EXPECT_EQ(m.Category, 1);
    EXPECT_EQ(m.Target.Peek(), "C:\\Apps\\Edit.EXE");
    EXPECT_EQ(m.TargetPath.Peek(), "C:\\Apps\\Edit.EXE");
    EXPECT_EQ(m.Arguments.Peek(), "");
    EXPECT_EQ(m.IconPath.Peek(), kCache + "0.png");
    EXPECT_EQ(t.icons.MarkerAt(kCache + "0.png"), FakeIconTools::Marker("resource", "C:\\Apps\\Edit.EXE", 0));
}

TEST_F(Resolve, ProgramWithoutDescriptionIsNamedByFileAndProblemWhenNoIcon) {
    t.fs.AddFile("C:\\Apps\\bare.exe", "MZ"); // no icon groups, no version resource
    AddPathToItem(app, "C:\\Apps\\bare.exe", 4);
    EXPECT_EQ(LastMember(4).Title.Peek(), "bare");
    EXPECT_EQ(LastMember(4).IconPath.Peek(), kSys + "Problem.png");
    EXPECT_FALSE(t.fs.Has(kCache + "0.png"));
}

TEST_F(Resolve, ScreenSaverIsAProgramAndInstallerUsesTheShellIcon) {
    AddExe("C:\\Apps\\stars.scr");
    AddPathToItem(app, "C:\\Apps\\stars.scr", 4);
    EXPECT_EQ(LastMember(4).Category, 1);
    EXPECT_EQ(t.icons.MarkerAt(LastMember(4).IconPath.Peek()),
              FakeIconTools::Marker("resource", "C:\\Apps\\stars.scr", 0));

    t.fs.AddFile("C:\\Setup\\tool.msi", "MSI");
    AddPathToItem(app, "C:\\Setup\\tool.msi", 4);
    EXPECT_EQ(LastMember(4).Category, 1);
    EXPECT_EQ(LastMember(4).Title.Peek(), "tool.msi");
    EXPECT_EQ(t.icons.MarkerAt(LastMember(4).IconPath.Peek()),
              FakeIconTools::Marker("shell", "C:\\Setup\\tool.msi", 0));
}

TEST_F(Resolve, DocumentWithoutAssociationShowsFile) {
    t.fs.AddFile("C:\\Docs\\Readme.txt", "hi");
    AddPathToItem(app, "C:\\Docs\\Readme.txt", 4);
    DockItem& m = LastMember(4);
    EXPECT_EQ(m.Title.Peek(), "Readme.txt");
    EXPECT_EQ(m.Category, 2);
    EXPECT_EQ(m.IconPath.Peek(), kSys + "File.png");
    EXPECT_EQ(m.TargetPath.Peek(), "C:\\Docs\\Readme.txt");
}

TEST_F(Resolve, ShortcutToProgramKeepsTheShortcutBranch) {
    AddExe("C:\\Apps\\tool.exe");
    t.fs.AddFile("C:\\x\\app.dll", "MZ");
    t.icons.resourceIcons.insert("C:\\x\\app.dll");
    t.fs.AddFile("C:\\Users\\user\\Desktop\\Tool.lnk", "L");
    t.shell.AddLink("C:\\Users\\user\\Desktop\\Tool.lnk",
                    {"C:\\Apps\\tool.exe", "C:\\Apps", "-fast", "C:\\x\\app.dll", -101, 1, "Tool"});
    AddPathToItem(app, "C:\\Users\\user\\Desktop\\Tool.lnk", 4);
    DockItem& m = LastMember(4);
    EXPECT_EQ(m.Title.Peek(), "Tool");
    EXPECT_EQ(m.Category, 0);
    EXPECT_EQ(m.Target.Peek(), "C:\\Users\\user\\Desktop\\Tool.lnk");
    EXPECT_EQ(m.TargetPath.Peek(), "C:\\Apps\\tool.exe");
    EXPECT_EQ(m.Arguments.Peek(), "-fast");
    EXPECT_EQ(t.icons.MarkerAt(m.IconPath.Peek()), FakeIconTools::Marker("resource", "C:\\x\\app.dll", -101));
}

TEST_F(Resolve, LinkIconFallsBackToTheTargetWithTheSameIndex) {
    AddExe("C:\\Apps\\tool.exe");
    t.fs.AddFile("C:\\x\\noicons.dll", "MZ"); // exists but holds no icon group
    t.fs.AddFile("C:\\Links\\Tool.lnk", "L");
    t.shell.AddLink("C:\\Links\\Tool.lnk", {"C:\\Apps\\tool.exe", "", "", "C:\\x\\noicons.dll", 3, 1, ""});
    AddPathToItem(app, "C:\\Links\\Tool.lnk", 4);
    EXPECT_EQ(t.icons.MarkerAt(LastMember(4).IconPath.Peek()),
              FakeIconTools::Marker("resource", "C:\\Apps\\tool.exe", 3));
}

TEST_F(Resolve, ShortcutWithIcoFileConvertsIt) {
    AddExe("C:\\Apps\\tool.exe");
    t.fs.AddFile("C:\\Apps\\tool.ico", "ICO");
    t.fs.AddFile("C:\\Links\\Tool.lnk", "L");
    t.shell.AddLink("C:\\Links\\Tool.lnk", {"C:\\Apps\\tool.exe", "", "", "C:\\Apps\\tool.ico", 0, 1, ""});
    AddPathToItem(app, "C:\\Links\\Tool.lnk", 4);
    EXPECT_EQ(t.icons.MarkerAt(LastMember(4).IconPath.Peek()),
              FakeIconTools::Marker("ico", "C:\\Apps\\tool.ico", 0));
}

TEST_F(Resolve, ShortcutToDocumentIsTreatedAsTheDocument) {
    t.fs.AddFile("C:\\Docs\\Plan.txt", "plan");
    t.fs.AddFile("C:\\Links\\Plan.lnk", "L");
    t.shell.AddLink("C:\\Links\\Plan.lnk", {"C:\\Docs\\Plan.txt", "", "", "", 0, 1, ""});
    AddPathToItem(app, "C:\\Links\\Plan.lnk", 4);
    DockItem& m = LastMember(4);
    EXPECT_EQ(m.Category, 2);
    EXPECT_EQ(m.Title.Peek(), "Plan");
    EXPECT_EQ(m.Target.Peek(), "C:\\Links\\Plan.lnk");
    EXPECT_EQ(m.TargetPath.Peek(), "C:\\Docs\\Plan.txt");
    EXPECT_EQ(m.IconPath.Peek(), kSys + "File.png");
}

TEST_F(Resolve, ShortcutToFolderIsTheFolderNamedLikeAFolder) {
    // A folder's caption is the file name of the path given, kept whole: for a shortcut to a
    // folder that is the shortcut's own name with its extension.
    t.fs.AddFolder("C:\\Work\\Projects");
    t.fs.AddFile("C:\\Links\\Projects.lnk", "L");
    t.shell.AddLink("C:\\Links\\Projects.lnk", {"C:\\Work\\Projects", "", "", "", 0, 1, ""});
    AddPathToItem(app, "C:\\Links\\Projects.lnk", 4);
    EXPECT_EQ(LastMember(4).Title.Peek(), "Projects.lnk");
    EXPECT_EQ(LastMember(4).IconPath.Peek(), kSys + "Folder.png");
    EXPECT_EQ(LastMember(4).TargetPath.Peek(), "C:\\Work\\Projects");

    t.fs.AddFile("C:\\Links\\Docs.lnk", "L");
    t.shell.AddLink("C:\\Links\\Docs.lnk", {"C:\\Users\\user\\Documents", "", "", "", 0, 1, ""});
    AddPathToItem(app, "C:\\Links\\Docs.lnk", 4);
    EXPECT_EQ(LastMember(4).Title.Peek(), "My Documents");
}

TEST_F(Resolve, LinkToLinkEndsAtTheSecondTarget) {
    AddExe("C:\\Apps\\real.exe");
    t.fs.AddFile("C:\\Links\\inner.lnk", "L");
    t.fs.AddFile("C:\\Links\\outer.lnk", "L");
    t.shell.AddLink("C:\\Links\\outer.lnk", {"C:\\Links\\inner.lnk", "", "", "", 0, 1, ""});
    t.shell.AddLink("C:\\Links\\inner.lnk", {"C:\\Apps\\real.exe", "", "/x", "", 0, 1, ""});
    AddPathToItem(app, "C:\\Links\\outer.lnk", 4);
    EXPECT_EQ(LastMember(4).TargetPath.Peek(), "C:\\Apps\\real.exe");
    EXPECT_EQ(LastMember(4).Arguments.Peek(), "/x");
    EXPECT_EQ(LastMember(4).Title.Peek(), "outer");
}

TEST_F(Resolve, InternetShortcutIsAShortcutNamedWithItsExtension) {
    // Only ".lnk" and ".exe" leave a caption; an internet shortcut keeps its ".url".
    t.fs.AddFile("C:\\Links\\Search.url", "[InternetShortcut]");
    t.shell.AddLink("C:\\Links\\Search.url", {"http://example.invalid/", "", "", "", 0, 1, ""});
    AddPathToItem(app, "C:\\Links\\Search.url", 4);
    DockItem& m = LastMember(4);
    EXPECT_EQ(m.Title.Peek(), "Search.url");
    EXPECT_EQ(m.Category, 0);
    EXPECT_EQ(m.TargetPath.Peek(), "http://example.invalid/");
    EXPECT_EQ(m.IconPath.Peek(), kSys + "Problem.png"); // no icon file, the target is no file
}

TEST_F(Resolve, ExtensionIsTakenFromTheFileNameOnly) {
    t.fs.AddFile("C:\\My.Exe.Folder\\notes", "n");
    AddPathToItem(app, "C:\\My.Exe.Folder\\notes", 4);
    EXPECT_EQ(LastMember(4).Category, 2);
    EXPECT_EQ(LastMember(4).IconPath.Peek(), kSys + "File.png");
}

TEST_F(Resolve, APathThatExistsAsWrittenIsKeptAsWritten) {
    // Wine names its Windows folder in lower case; such paths must reach the item unchanged.
    app.paths.WindowsFolder = "C:\\windows\\";
    app.paths.SystemFolder = "C:\\windows\\system32\\";
    AddExe("C:\\windows\\system32\\notepad.exe");
    AddPathToItem(app, "C:\\windows\\system32\\notepad.exe", 4);
    ASSERT_EQ(Group(4).Count, 1);
    EXPECT_EQ(LastMember(4).Target.Peek(), "C:\\windows\\system32\\notepad.exe");

    // A path that only exists once its environment references are expanded is stored expanded.
    AddExe("C:\\Windows\\regedit.exe");
    AddPathToItem(app, "%SystemRoot%\\regedit.exe", 4);
    ASSERT_EQ(Group(4).Count, 2);
    EXPECT_EQ(LastMember(4).Target.Peek(), "C:\\Windows\\regedit.exe");
}

// ---- adding by slot kind ----------------------------------------------------------------------

TEST_F(Resolve, ReplacingARingShortcutAsksFirst) {
    AddExe("C:\\Apps\\old.exe");
    AddExe("C:\\Apps\\new.exe");
    AddPathToItem(app, "C:\\Apps\\old.exe", 9); // blank slot: no question
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(Item(9).Kind, kind::Shortcut);
    EXPECT_EQ(Item(9).IconPath.Peek(), kCache + "0.png");

    t.ui.answers = {mb::IdNo};
    AddPathToItem(app, "C:\\Apps\\new.exe", 9);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, "Are you sure to replace the selected shortcut?");
    EXPECT_EQ(t.ui.messages[0].caption, "Replace shortcut");
    EXPECT_EQ(t.ui.messages[0].flags, mb::YesNo | mb::IconExclamation | mb::DefButton2 | mb::SetForeground);
    EXPECT_EQ(Item(9).Target.Peek(), "C:\\Apps\\old.exe");

    t.ui.answers = {mb::IdYes};
    AddPathToItem(app, "C:\\Apps\\new.exe", 9);
    EXPECT_EQ(Item(9).Target.Peek(), "C:\\Apps\\new.exe");
    EXPECT_EQ(Item(9).Kind, kind::Shortcut);
    // The old picture was deleted, so its number went to the new one.
    EXPECT_EQ(t.icons.MarkerAt(kCache + "0.png"), FakeIconTools::Marker("resource", "C:\\Apps\\new.exe", 0));
    EXPECT_EQ(Item(9).IconRef, 9);
}

TEST_F(Resolve, MissingPathsDuplicatesAndOtherKindsAreIgnored) {
    AddPathToItem(app, "C:\\nowhere.exe", 4);
    EXPECT_EQ(Group(4).Count, 0);

    AddExe("C:\\Apps\\a.exe");
    AddPathToItem(app, "  C:\\Apps\\a.exe  ", 4);
    AddPathToItem(app, "C:\\Apps\\a.exe", 4);
    EXPECT_EQ(Group(4).Count, 1);
    EXPECT_EQ(Item(4).Title.Peek(), "Tools");

    app.store.Items[5].Kind = kind::System;
    AddPathToItem(app, "C:\\Apps\\a.exe", 5);
    EXPECT_EQ(Item(5).Target.Peek(), "");
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

TEST_F(Resolve, IsNewGroupMemberComparesCleanedTargetsExactly) {
    AddExe("C:\\Apps\\a.exe");
    EXPECT_TRUE(IsNewGroupMember(app, 4, "C:\\Apps\\a.exe")); // empty group
    AddPathToItem(app, "C:\\Apps\\a.exe", 4);
    EXPECT_FALSE(IsNewGroupMember(app, 4, "C:\\Apps\\a.exe "));
    EXPECT_TRUE(IsNewGroupMember(app, 4, "c:\\apps\\A.EXE"));
}

TEST_F(Resolve, AFullGroupTakesNoMoreMembers) {
    for (int i = 0; i < kGroupCapacity; ++i)
        t.fs.AddFile("C:\\Docs\\f" + std::to_string(i) + ".txt", "x");
    for (int i = 0; i < kGroupCapacity; ++i)
        AddPathToItem(app, "C:\\Docs\\f" + std::to_string(i) + ".txt", 4);
    EXPECT_EQ(Group(4).Count, 36);
    EXPECT_EQ(Item(4).Title.Peek(), "Tools (Full)");
    t.fs.AddFile("C:\\Docs\\extra.txt", "x");
    AddPathToItem(app, "C:\\Docs\\extra.txt", 4);
    EXPECT_EQ(Group(4).Count, 36);
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

// Drag and drop, the item menu and the property dialog add members only through NewGroupMember
// (the tests above reach it through AddPathToItem); All Programs holds 1024 members.
TEST_F(Resolve, AllProgramsTakesMembersUpTo1024) {
    for (int count : {kAllProgramsCapacity - 1, kAllProgramsCapacity}) {
        SCOPED_TRACE(count);
        Item(kFirstPoolItem).Kind = kind::Member;
        Group(3).Count = count;
        std::fill(Group(3).Members.begin() + 1, Group(3).Members.end(), kFirstPoolItem);
        const bool room = count < kAllProgramsCapacity;
        EXPECT_EQ(GroupHasRoom(app.store, 3), room);
        EXPECT_EQ(NewGroupMember(app, 3, "C:\\Apps\\new.exe"), room ? kFirstPoolItem + 1 : -1);
        EXPECT_EQ(Group(3).Count, kAllProgramsCapacity);
        EXPECT_EQ(Item(3).Title.Peek(), "All Programs Group (Full)");
    }
}

// ---- free items ---------------------------------------------------------------------------------

TEST_F(Resolve, FreeMemberItemsComeFromThePoolAndGrowPast1024) {
    EXPECT_EQ(FindFreeItem(app, 0), 129);
    Item(129).Kind = kind::Member;
    EXPECT_EQ(FindFreeItem(app, 0), 130);
    for (int i = kFirstPoolItem; i <= kItemBound; ++i)
        Item(i).Kind = kind::Member;
    EXPECT_EQ(FindFreeItem(app, 0), 1025);
    EXPECT_EQ(app.store.Items.size(), 1026u);
    EXPECT_EQ(app.store.Items[1025], DockItem{});
}

TEST_F(Resolve, AGroupMemberIsRefusedWhenNoStorableItemIsFree) {
    // Members above 1024 could not be written to the menu file; the add is refused instead, so
    // nothing the user sees is lost at the next start.
    for (int i = kFirstPoolItem; i <= kItemBound; ++i)
        Item(i).Kind = kind::Member;
    AddExe("C:\\Apps\\late.exe");
    AddPathToItem(app, "C:\\Apps\\late.exe", 3);
    EXPECT_EQ(Group(3).Count, 0);
    EXPECT_EQ(app.store.Items.size(), static_cast<std::size_t>(kItemBound + 1));
    EXPECT_FALSE(t.fs.Has(kCache + "0.png"));
}

TEST_F(Resolve, FreeRingSlotThenAllProgramsThenNone) {
    app.run.IconCount = 8;
    for (int i = 4; i <= 8; ++i)
        Item(i).Kind = kind::Shortcut;
    Item(4).Kind = kind::Group;
    EXPECT_EQ(FindFreeItem(app, 1), 3);
    Item(7).Kind = kind::Blank;
    EXPECT_EQ(FindFreeItem(app, 1), 7);
    Item(6).Kind = kind::Free;
    EXPECT_EQ(FindFreeItem(app, 2), 6);
    Item(9).Kind = kind::Blank; // beyond the icon count
    Item(6).Kind = Item(7).Kind = kind::Shortcut;
    Group(3).Count = 1023;
    EXPECT_EQ(FindFreeItem(app, 1), 3);
    Group(3).Count = 1024;
    EXPECT_EQ(FindFreeItem(app, 1), 0);
}

// ---- group titles -----------------------------------------------------------------------------

struct TitleCase {
    int slot;
    const char* before;
    int count;
    const char* after;
};

std::ostream& operator<<(std::ostream& os, const TitleCase& c) {
    return os << "slot " << c.slot << " \"" << c.before << "\" count " << c.count;
}

class GroupTitleSuffix : public Resolve, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(GroupTitleSuffix, FollowsTheCount) {
    const TitleCase& c = GetParam();
    Item(c.slot).Title = c.before;
    Group(c.slot).Count = c.count;
    UpdateGroupTitle(app, c.slot);
    EXPECT_EQ(Item(c.slot).Title.Peek(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GroupTitleSuffix,
    ::testing::Values(TitleCase{4, "Tools", 0, "Tools (Empty)"},
                      TitleCase{4, "Tools (Empty)", 0, "Tools (Empty)"},
                      TitleCase{4, "Tools (Full)", 0, "Tools (Empty)"},
                      TitleCase{4, "Tools (Empty)", 1, "Tools"}, TitleCase{4, "Tools (Full)", 35, "Tools"},
                      TitleCase{4, "Tools", 36, "Tools (Full)"},
                      TitleCase{4, "Tools (Empty)", 36, "Tools (Full)"},
                      TitleCase{4, "  Tools  ", -1, "Tools (Empty)"}, TitleCase{4, "(Empty)", 2, "(Empty)"},
                      // The All Programs group is full at 1024, not at 36.
                      TitleCase{3, "All Programs Group (Empty)", 36, "All Programs Group"},
                      TitleCase{3, "All Programs Group", 1024, "All Programs Group (Full)"}));

// ---- clearing -----------------------------------------------------------------------------------

TEST_F(Resolve, ClearingARingShortcutLeavesABlankAndKeepsShippedPictures) {
    AddExe("C:\\Apps\\a.exe");
    AddPathToItem(app, "C:\\Apps\\a.exe", 9);
    ASSERT_TRUE(t.fs.Has(kCache + "0.png"));
    EXPECT_EQ(ClearItem(app, 9, false), 1);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(Item(9).Kind, kind::Blank);
    EXPECT_EQ(Item(9).Title.Peek(), "Blank Shortcut");
    EXPECT_EQ(Item(9).IconPath.Peek(), kSys + "Shortcut.png");
    EXPECT_EQ(Item(9).Target.Peek(), "");
    EXPECT_FALSE(t.fs.Has(kCache + "0.png"));

    t.fs.AddFile(kSys + "Shortcut.png", "png");
    Item(10) = Item(9);
    Item(10).Kind = kind::Shortcut;
    ClearItem(app, 10, false);
    EXPECT_TRUE(t.fs.Has(kSys + "Shortcut.png"));
}

TEST_F(Resolve, DeletingAGroupAsksAndCanBeDeclined) {
    AddExe("C:\\Apps\\a.exe");
    AddPathToItem(app, "C:\\Apps\\a.exe", 4);
    const int member = Group(4).Members[1];
    Item(4).LargeIconPath = kCache + "5.png"; // the group's own user picture
    t.fs.AddFile(kCache + "5.png", "user");

    t.ui.answers = {mb::IdNo};
    EXPECT_EQ(ClearItem(app, 4, false), 0);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, "Are you sure to delete the selected group?");
    EXPECT_EQ(t.ui.messages[0].caption, "Delete Shortcut Group");
    EXPECT_EQ(t.ui.messages[0].flags, mb::YesNo | mb::IconQuestion | mb::DefButton2 | mb::SetForeground);
    EXPECT_EQ(Group(4).Count, 1);

    t.ui.answers = {mb::IdYes};
    EXPECT_EQ(ClearItem(app, 4, false), 1);
    EXPECT_EQ(Group(4).Count, 0);
    EXPECT_EQ(Item(4).Kind, kind::Blank);
    EXPECT_EQ(Item(4).Title.Peek(), "Blank Shortcut");
    EXPECT_EQ(Item(4).LargeIconPath.Peek(), "");
    EXPECT_EQ(Item(member).Kind, kind::Free);
    EXPECT_FALSE(t.fs.Has(kCache + "0.png"));
    EXPECT_FALSE(t.fs.Has(kCache + "5.png"));
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

TEST_F(Resolve, SilentClearingAsksNothing) {
    AddExe("C:\\Apps\\a.exe");
    AddPathToItem(app, "C:\\Apps\\a.exe", 4);
    EXPECT_EQ(ClearItem(app, 4, true), 1);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(Item(4).Kind, kind::Blank);
}

TEST_F(Resolve, ClearingAllProgramsKeepsTheGroup) {
    AddExe("C:\\Apps\\a.exe");
    AddExe("C:\\Apps\\b.exe");
    AddPathToItem(app, "C:\\Apps\\a.exe", 3);
    AddPathToItem(app, "C:\\Apps\\b.exe", 3);
    EXPECT_EQ(Item(3).Title.Peek(), "All Programs Group");
    Item(3).Target = "C:\\stale";

    t.ui.answers = {mb::IdNo};
    EXPECT_EQ(ClearItem(app, 3, false), 0);
    EXPECT_EQ(t.ui.messages.back().caption, "Delete All Programs Group");
    EXPECT_EQ(Group(3).Count, 2);

    t.ui.answers = {mb::IdYes};
    EXPECT_EQ(ClearItem(app, 3, false), 1);
    EXPECT_EQ(Item(3).Kind, kind::AllPrograms);
    EXPECT_EQ(Item(3).Title.Peek(), "All Programs Group (Empty)");
    EXPECT_EQ(Item(3).Target.Peek(), "");
    EXPECT_EQ(Group(3).Count, 0);
    EXPECT_EQ(Item(129).Kind, kind::Free);
    EXPECT_EQ(Item(130).Kind, kind::Free);
}

TEST_F(Resolve, ClearingAMemberRemovesItFromItsGroup) {
    for (const char* name : {"a", "b", "c"})
        AddExe(std::string("C:\\Apps\\") + name + ".exe");
    for (const char* name : {"a", "b", "c"})
        AddPathToItem(app, std::string("C:\\Apps\\") + name + ".exe", 4);
    const int a = Group(4).Members[1], b = Group(4).Members[2], c = Group(4).Members[3];
    EXPECT_EQ(ClearItem(app, b, false), 1);
    EXPECT_EQ(Group(4).Count, 2);
    EXPECT_EQ(Group(4).Members[1], a);
    EXPECT_EQ(Group(4).Members[2], c);
    EXPECT_EQ(Item(b).Kind, kind::Free);
    ClearItem(app, a, false);
    ClearItem(app, c, false);
    EXPECT_EQ(Item(4).Title.Peek(), "Tools (Empty)");
    Item(1).Kind = kind::System;
    Item(1).Title = "My Computer";
    EXPECT_EQ(ClearItem(app, 1, false), 1); // a system item needs nothing
    EXPECT_EQ(Item(1).Title.Peek(), "My Computer");
    EXPECT_EQ(CheckStoreInvariants(app.store), "");
}

TEST_F(Resolve, DiscardingNeverDeletesFilesOutsideTheIconCache) {
    t.fs.AddFile("C:\\Windows\\system32\\important.dll", "MZ");
    t.fs.AddFile(kCache + "..\\QORMenu.cfg", "menu");
    t.fs.AddFile(kSys + "Folder.png", "png");
    Item(200).Kind = kind::Member;
    Item(200).IconPath = "C:\\Windows\\system32\\important.dll";
    Item(200).LargeIconPath = kCache + "..\\QORMenu.cfg";
    DiscardItem(app, 200);
    EXPECT_TRUE(t.fs.Has("C:\\Windows\\system32\\important.dll"));
    EXPECT_TRUE(t.fs.Has(kCache + "..\\QORMenu.cfg"));
    EXPECT_EQ(Item(200), DockItem{});

    Item(201).Kind = kind::Member;
    Item(201).IconPath = kSys + "Folder.png";
    DiscardItem(app, 201);
    EXPECT_TRUE(t.fs.Has(kSys + "Folder.png"));
}

TEST_F(Resolve, DiscardCustomIconKeepsTheRestOfTheRecord) {
    Item(9).Kind = kind::Shortcut;
    Item(9).Title = "Mine";
    Item(9).LargeIconPath = kCache + "3.png";
    t.fs.AddFile(kCache + "3.png", "user");
    t.fs.AddFile(kCache + "3.png.48.scaled", "copy");
    t.fs.AddFile(kCache + "3.png.32.scaled", "copy");
    t.fs.AddFile(kCache + "33.png.48.scaled", "another picture's copy");
    t.images.entries[{9, 1}] = {};
    DiscardCustomIcon(app, 9);
    EXPECT_FALSE(t.fs.Has(kCache + "3.png"));
    EXPECT_FALSE(t.fs.Has(kCache + "3.png.48.scaled")); // its pre-scaled copies go with it
    EXPECT_FALSE(t.fs.Has(kCache + "3.png.32.scaled"));
    EXPECT_TRUE(t.fs.Has(kCache + "33.png.48.scaled"));
    EXPECT_EQ(Item(9).LargeIconPath.Peek(), "");
    EXPECT_EQ(Item(9).Title.Peek(), "Mine");
    EXPECT_FALSE(t.images.HasEntry(9, 1));
}

// ---- images -------------------------------------------------------------------------------------

struct LevelCase {
    int32_t kind;
    std::vector<int> levels;
    bool copy = false; // built through the pre-scaled copy at `side`
    int side = 0;
};

std::ostream& operator<<(std::ostream& os, const LevelCase& c) {
    return os << "Kind " << c.kind;
}

class ImageLevels : public Resolve, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(ImageLevels, BuiltPerKind) {
    const LevelCase& c = GetParam();
    t.fs.AddFile(kCache + "7.png", "png");
    Item(50).Kind = c.kind;
    Item(50).IconPath = kCache + "7.png";
    BuildItemImages(app, 50, 20, 10);
    EXPECT_EQ(t.images.Levels(50), c.levels);
    EXPECT_TRUE(t.images.working.empty()); // no picture is left held
    for (int level : c.levels)
        EXPECT_EQ(ImageAt(50, level).source, kCache + "7.png");
    // Kinds drawn at rest from a cached level may take it from the picture's pre-scaled copy.
    EXPECT_EQ(t.images.copies.count(50) ? t.images.copies[50] : "",
              c.copy ? kCache + "7.png." + std::to_string(c.side) + ".scaled" : "");
}

INSTANTIATE_TEST_SUITE_P(Rows, ImageLevels,
                         ::testing::Values(LevelCase{3, {}}, LevelCase{7, {}}, LevelCase{8, {}},
                                           LevelCase{13, {}}, LevelCase{kind::Member, {4}, true, 32},
                                           LevelCase{kind::Command, {4}, true, 32},
                                           LevelCase{kind::User, {0}}, LevelCase{14, {0}},
                                           LevelCase{kind::Shortcut, {0, 1}, true, 48},
                                           LevelCase{kind::Blank, {0, 1}, true, 48},
                                           LevelCase{kind::Group, {0, 1}, true, 48},
                                           LevelCase{kind::AllPrograms, {0, 1}, true, 48},
                                           LevelCase{kind::RecycleBin, {0, 1}, true, 48},
                                           LevelCase{kind::System, {0, 1}, true, 48}));

TEST_F(Resolve, ImageSizesAndSources) {
    app.geo.SizeLevels[1] = 56;
    t.fs.AddFile(kCache + "1.png", "icon");
    t.fs.AddFile(kCache + "2.png", "large");
    Item(9).Kind = kind::Shortcut;
    Item(9).IconPath = kCache + "1.png";
    BuildItemImages(app, 9);
    EXPECT_EQ(ImageAt(9, 1), (test::FakeImageCache::Entry{56, 56, false, kCache + "1.png"}));
    EXPECT_TRUE(ImageAt(9, 0).ownSize);

    Item(9).LargeIconPath = kCache + "2.png"; // the user's picture wins
    BuildItemImages(app, 9);
    EXPECT_EQ(ImageAt(9, 1).source, kCache + "2.png");

    Item(9).LargeIconPath = "";
    t.images.unreadable.insert(kCache + "1.png");
    t.fs.AddFile("C:\\Docs\\a.txt", "a");
    Item(9).Target = "C:\\Docs\\a.txt"; // an unreadable picture falls to the target's shell icon
    BuildItemImages(app, 9);
    EXPECT_EQ(ImageAt(9, 1).source, "shell:C:\\Docs\\a.txt");

    Item(130).Kind = kind::Member;
    Item(130).IconPath = kCache + "2.png";
    BuildItemImages(app, 130);
    EXPECT_EQ(ImageAt(130, 4), (test::FakeImageCache::Entry{32, 32, false, kCache + "2.png"}));

    Item(131).Kind = 14;
    Item(131).IconPath = kCache + "2.png";
    BuildItemImages(app, 131, 20, 10);
    EXPECT_EQ(ImageAt(131, 0), (test::FakeImageCache::Entry{20, 10, false, kCache + "2.png"}));
}

TEST_F(Resolve, NoLoadablePictureFallsBackToTheCategoryTemplate) {
    const std::pair<uint8_t, int32_t> rows[] = {
        {0, kBlankTemplate}, {1, kApplicationTemplate}, {2, kFileTemplate}, {3, 60}};
    for (const auto& [category, iconRef] : rows) {
        Item(60).Kind = kind::Shortcut;
        Item(60).Category = category;
        Item(60).IconRef = 60;
        Item(60).IconPath = kCache + "missing.png";
        BuildItemImages(app, 60);
        EXPECT_EQ(Item(60).IconRef, iconRef) << int(category);
        EXPECT_TRUE(t.images.Levels(60).empty());
    }
    Item(61) = DockItem{}; // a free record builds nothing and keeps everything
    Item(61).IconRef = 61;
    BuildItemImages(app, 61);
    EXPECT_EQ(Item(61).IconRef, 61);
}

// ---- re-pointing and refreshing -----------------------------------------------------------------

TEST_F(Resolve, RepointingSetsTheKindByIndexAndDropsTheOldPicture) {
    AddExe("C:\\Apps\\a.exe");
    AddExe("C:\\Apps\\b.exe", "Bee");
    AddPathToItem(app, "C:\\Apps\\a.exe", 4);
    const int member = Group(4).Members[1];
    RepointItem(app, "C:\\Apps\\b.exe", member);
    EXPECT_EQ(Item(member).Kind, kind::Member);
    EXPECT_EQ(Item(member).Title.Peek(), "Bee");
    EXPECT_EQ(t.icons.MarkerAt(kCache + "0.png"), FakeIconTools::Marker("resource", "C:\\Apps\\b.exe", 0));
    EXPECT_EQ(Group(4).Count, 1);

    Item(12).Kind = kind::Group;
    RepointItem(app, "C:\\Apps\\a.exe", 12);
    EXPECT_EQ(Item(12).Kind, kind::Shortcut);
    RepointItem(app, "C:\\missing.exe", 12);
    EXPECT_EQ(Item(12).Target.Peek(), "C:\\Apps\\a.exe");
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(Resolve, RefreshRegeneratesOnlyTheIcon) {
    AddExe("C:\\Apps\\a.exe", "Aye");
    AddPathToItem(app, "C:\\Apps\\a.exe", 9);
    Item(9).Title = "My title";
    t.fs.files.erase(kCache + "0.png");
    EXPECT_TRUE(RefreshItemIcon(app, 9));
    EXPECT_EQ(Item(9).Title.Peek(), "My title");
    EXPECT_EQ(Item(9).IconPath.Peek(), kCache + "0.png");
    EXPECT_TRUE(t.fs.Has(kCache + "0.png"));

    // Refreshing again replaces the picture instead of leaving the old one behind.
    EXPECT_TRUE(RefreshItemIcon(app, 9));
    EXPECT_EQ(Item(9).IconPath.Peek(), kCache + "0.png");
    EXPECT_FALSE(t.fs.Has(kCache + "1.png"));

    t.fs.files.erase("C:\\Apps\\a.exe");
    EXPECT_FALSE(RefreshItemIcon(app, 9));
    EXPECT_EQ(Item(9).IconPath.Peek(), kSys + "Problem.png");
}

TEST_F(Resolve, RefreshGivesEveryFolderTheFolderPicture) {
    t.fs.AddFolder("C:\\Users\\user\\Documents");
    Item(9).Kind = kind::Shortcut;
    Item(9).Target = "C:\\Users\\user\\Documents";
    EXPECT_TRUE(RefreshItemIcon(app, 9));
    EXPECT_EQ(Item(9).IconPath.Peek(), kSys + "Folder.png");
    t.fs.AddFolder("D:");
    Item(9).Target = "D:\\";
    RefreshItemIcon(app, 9);
    EXPECT_EQ(Item(9).IconPath.Peek(), kSys + "Folder.png");
}

TEST_F(Resolve, RefreshUsesTheDocumentsShellIconThenFile) {
    t.fs.AddFile("C:\\Docs\\a.xyz", "a");
    Item(9).Kind = kind::Shortcut;
    Item(9).Title = "Kept";
    Item(9).Target = "C:\\Docs\\a.xyz";
    EXPECT_TRUE(RefreshItemIcon(app, 9));
    EXPECT_EQ(t.icons.MarkerAt(Item(9).IconPath.Peek()),
              FakeIconTools::Marker("shell", "C:\\Docs\\a.xyz", 0));
    EXPECT_EQ(Item(9).Title.Peek(), "Kept");

    t.icons.shellIcons = false;
    Item(9).IconRef = 40;
    EXPECT_TRUE(RefreshItemIcon(app, 9));
    EXPECT_EQ(Item(9).IconPath.Peek(), kSys + "File.png");
    EXPECT_EQ(Item(9).Title.Peek(), "a.xyz");
    EXPECT_EQ(Item(9).IconRef, 9);
}

TEST_F(Resolve, WorksWithoutShellIconToolsOrImages) {
    // Start-up builds the catalogue before the image cache exists: nothing may fail then.
    app.sys.shell = nullptr;
    app.sys.icons = nullptr;
    app.sys.images = nullptr;
    t.fs.AddFile("C:\\Apps\\a.exe", "MZ");
    t.fs.AddFile("C:\\Links\\x.lnk", "L");
    AddPathToItem(app, "C:\\Apps\\a.exe", 4);
    AddPathToItem(app, "C:\\Links\\x.lnk", 4);
    EXPECT_EQ(Group(4).Count, 2);
    const int member = Group(4).Members[1];
    EXPECT_EQ(Item(member).IconPath.Peek(), kSys + "Problem.png");
    // No cache yet: the item keeps its own picture index, which the cache fills later.
    EXPECT_EQ(Item(member).IconRef, member);
}

} // namespace
} // namespace qor
