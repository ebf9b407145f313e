#include <gtest/gtest.h>

#include "core/Paths.h"
#include "fakes/Fakes.h"

namespace qor {
namespace {

class PathsTest : public ::testing::Test {
protected:
    test::TestApp t;
    std::string Normalize(const std::string& path, bool search = true) {
        return NormalizePath(path, search, t.sys, t.fs, t.app.paths);
    }
};

TEST_F(PathsTest, QuotesAndDoubledBackslashes) {
    EXPECT_EQ(Normalize("\"C:\\\\Program Files\\\\x.exe\"", false), "C:\\Program Files\\x.exe");
}

TEST_F(PathsTest, EnvironmentExpansionSkipsTheMarkerRules) {
    // Fully expanded: the marker rules are skipped, so the "\windows\" marker of the value is not touched
    // and a leading "@" stays.
    t.sys.environment["SystemRoot"] = "c:\\windows";
    EXPECT_EQ(Normalize("%SystemRoot%\\system32\\shell32.dll"), "c:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(Normalize("@%SystemRoot%\\a.dll"), "@c:\\windows\\a.dll");
    // Every occurrence of the same reference is replaced.
    t.sys.environment["X"] = "y";
    EXPECT_EQ(Normalize("%X%\\%X%", false), "y\\y");
    // Two different variables one after the other.
    t.sys.environment["A"] = "C:\\a";
    t.sys.environment["B"] = "b";
    EXPECT_EQ(Normalize("%A%\\%B%.txt", false), "C:\\a\\b.txt");
}

TEST_F(PathsTest, UnknownOrUnmatchedReferenceGoesOnWithTheMarkers) {
    EXPECT_EQ(Normalize("%NOPE%\\systemroot\\x", false), "%NOPE%C:\\Windows\\x");
    EXPECT_EQ(Normalize("%NOPE%\\??\\C:\\x", false), "%NOPE%C:\\x");
    EXPECT_EQ(Normalize("50% \\windows\\x.dll", false), "50% C:\\Windows\\x.dll");
}

TEST_F(PathsTest, SelfReferringVariablesStop) {
    t.sys.environment["L"] = "%L%%L%";
    const std::string out = Normalize("%L%", false); // must return, not loop or grow without end
    EXPECT_NE(out.find('%'), std::string::npos);
}

TEST_F(PathsTest, MarkerRulesInOrder) {
    EXPECT_EQ(Normalize("\\systemroot\\system32\\drivers\\x.sys"), "C:\\Windows\\system32\\drivers\\x.sys");
    EXPECT_EQ(Normalize("\\??\\C:\\tools\\x.exe"), "C:\\tools\\x.exe");
    EXPECT_EQ(Normalize("\\windows\\notepad.exe"), "C:\\Windows\\notepad.exe");
    EXPECT_EQ(Normalize("\\winnt\\notepad.exe"), "C:\\Windows\\notepad.exe");
    EXPECT_EQ(Normalize("@shell32.dll,-21"), "shell32.dll,-21");
    EXPECT_EQ(Normalize("@a@b"), "ab");
    // "\systemroot\" wins over "\??\": only the first matching rule applies.
    EXPECT_EQ(Normalize("\\??\\\\systemroot\\x"), "\\??C:\\Windows\\x");
}

TEST_F(PathsTest, MarkersAreReplacedOnlyInLowerCase) {
    // Found without regard to case, so the rule matches and the system-folder search is skipped,
    // but nothing is replaced.
    t.fs.AddFile("C:\\Windows\\system32\\C:\\Windows\\notepad.exe", "x");
    EXPECT_EQ(Normalize("C:\\Windows\\notepad.exe"), "C:\\Windows\\notepad.exe");
    EXPECT_EQ(Normalize("\\SystemRoot\\System32\\x.dll"), "\\SystemRoot\\System32\\x.dll");
    EXPECT_EQ(Normalize("\\WINNT\\x.dll"), "\\WINNT\\x.dll");
}

TEST_F(PathsTest, LowerCaseMarkerAfterADriveDoesNotDoubleTheDrive) {
    EXPECT_EQ(Normalize("c:\\windows\\notepad.exe"), "C:\\Windows\\notepad.exe");
    EXPECT_EQ(Normalize("c:\\systemroot\\x.dll"), "C:\\Windows\\x.dll");
}

TEST_F(PathsTest, AWindowsFolderEndingInTheMarkerIsNotReplacedAgain) {
    // Wine reports its Windows folder in lower case.
    t.app.paths.WindowsFolder = "C:\\windows\\";
    EXPECT_EQ(Normalize("C:\\windows\\system32\\notepad.exe"), "C:\\windows\\system32\\notepad.exe");
    EXPECT_EQ(Normalize("\\windows\\a\\windows\\b.dll"), "C:\\windows\\aC:\\windows\\b.dll");
}

TEST_F(PathsTest, BareNamesAreFoundInTheSystemFolders) {
    t.fs.AddFolder("C:\\Windows\\system32\\Drivers");
    t.fs.AddFile("C:\\Windows\\system32\\Drivers\\beep.sys", "x");
    t.fs.AddFile("C:\\Windows\\system32\\beep.sys", "x");
    t.fs.AddFile("C:\\Windows\\system32\\calc.exe", "x");
    t.fs.AddFile("C:\\Windows\\regedit.exe", "x");
    EXPECT_EQ(Normalize("beep.sys"), "C:\\Windows\\system32\\Drivers\\beep.sys"); // drivers first
    EXPECT_EQ(Normalize("calc.exe"), "C:\\Windows\\system32\\calc.exe");
    EXPECT_EQ(Normalize("regedit.exe"), "C:\\Windows\\regedit.exe");
    EXPECT_EQ(Normalize("missing.exe"), "missing.exe");
    EXPECT_EQ(Normalize("calc.exe", false), "calc.exe"); // search off
}

TEST_F(PathsTest, ExistenceOfFilesAndFolders) {
    t.fs.AddFile("C:\\Temp\\a.txt", "x");
    std::string folder = "  C:\\Temp  ";
    EXPECT_TRUE(PathExists(folder, t.fs));
    EXPECT_EQ(folder, "C:\\Temp"); // cleaned in place
    std::string plainFolder = "C:\\Temp";
    EXPECT_FALSE(FileExists(plainFolder, t.fs)); // a folder with only the directory attribute
    t.fs.AddFolder("C:\\Temp\\ro", kAttrDirectory | kAttrReadOnly);
    std::string roFolder = "C:\\Temp\\ro";
    EXPECT_TRUE(FileExists(roFolder, t.fs)); // a folder with another attribute counts
    std::string file = "C:\\Temp\\a.txt";
    EXPECT_TRUE(FileExists(file, t.fs));
    std::string empty = "   ";
    EXPECT_FALSE(PathExists(empty, t.fs));
    std::string viaEnv = "%SystemRoot%";
    EXPECT_TRUE(PathExists(viaEnv, true, t.sys, t.fs, t.app.paths));
    EXPECT_EQ(viaEnv, "C:\\Windows"); // the normalised form is written back
}

TEST_F(PathsTest, FolderAndFileNames) {
    EXPECT_EQ(FolderOf("C:\\tools\\run.exe"), "C:\\tools\\");
    EXPECT_EQ(FolderOf("run.exe"), "");
    EXPECT_EQ(FileNameOf("C:\\tools\\run.exe"), "run.exe");
}

TEST_F(PathsTest, OnlyGeneratedPicturesHavePreScaledCopies) {
    t.app.paths.IconCacheFolder = "C:\\Data\\QorIcons\\";
    const std::pair<std::string, std::string> rows[] = {
        {"C:\\Data\\QorIcons\\12.png", "C:\\Data\\QorIcons\\12.png.48.scaled"},
        {"c:\\data\\qoricons\\3.PNG", "c:\\data\\qoricons\\3.PNG.48.scaled"}, // any letter case
        {"C:\\Data\\QorIcons\\User Icon.ico", "C:\\Data\\QorIcons\\User Icon.ico.48.scaled"},
        {"C:\\Data\\QorIcons\\12.png.48.scaled", ""}, // a copy has no copy
        {"C:\\Data\\QorIcons\\12.png.48.SCALED", ""},
        {"C:\\Data\\QorIcons\\sub\\1.png", ""}, // only directly in the folder
        {"C:\\Data\\QorIcons\\..\\QORMenu.cfg", ""},
        {"C:\\Data\\QorIcons\\*.png", ""},
        {"C:\\Data\\QorIcons\\", ""},
        {"C:\\Program Files\\QOR\\SysIcons\\Shortcut.png", ""}, // shipped pictures
        {"D:\\Pictures\\mine.png", ""},
        {"", ""},
    };
    for (const auto& [picture, copy] : rows) {
        EXPECT_EQ(ScaledCopyOf(t.app.paths, picture, 48), copy) << picture;
        EXPECT_EQ(ScaledCopiesPattern(t.app.paths, picture).empty(), copy.empty()) << picture;
    }
    EXPECT_EQ(ScaledCopyOf(t.app.paths, "C:\\Data\\QorIcons\\12.png", 32),
              "C:\\Data\\QorIcons\\12.png.32.scaled");
    EXPECT_EQ(ScaledCopyOf(t.app.paths, "C:\\Data\\QorIcons\\12.png", 0), "");
    EXPECT_EQ(ScaledCopiesPattern(t.app.paths, "C:\\Data\\QorIcons\\12.png"),
              "C:\\Data\\QorIcons\\12.png.*.scaled");
    t.app.paths.IconCacheFolder.clear();
    EXPECT_EQ(ScaledCopyOf(t.app.paths, "C:\\Data\\QorIcons\\12.png", 48), "");
}

} // namespace
} // namespace qor
