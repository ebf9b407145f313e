#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "platform/FileSystem_win.h"
#include "win/platform/WinTestFolder.h"

namespace qor {
namespace {

Bytes B(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class FileSystemWin : public ::testing::Test {
protected:
    WinFileSystem fs;
    test::WinTestFolder dir;

    void Put(const std::string& name, const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(fs, dir / name, B(text)));
    }
    std::string Get(const std::string& name) {
        const auto bytes = fs.ReadAll(dir / name);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
    }
    bool Exists(const std::string& name) { return fs.GetAttributes(dir / name) != kNoAttributes; }
};

TEST_F(FileSystemWin, WritesFlushesClosesAndReadsBack) {
    auto file = fs.Create(dir / "a.cfg");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->Write("hello ", 6));
    EXPECT_TRUE(file->Write("world", 5));
    EXPECT_TRUE(file->Flush());
    EXPECT_TRUE(file->Close());
    // A closed file refuses further work instead of writing through a dead handle.
    EXPECT_FALSE(file->Write("x", 1));
    EXPECT_FALSE(file->Flush());
    EXPECT_FALSE(file->Close());

    EXPECT_EQ(Get("a.cfg"), "hello world");
    EXPECT_EQ(fs.GetLength(dir / "a.cfg"), 11);
    const uint32_t attributes = fs.GetAttributes(dir / "a.cfg");
    EXPECT_NE(attributes, kNoAttributes);
    EXPECT_EQ(attributes & kAttrDirectory, 0u);
}

TEST_F(FileSystemWin, CreateTruncatesAndEmptyFilesWork) {
    Put("t.bin", "a much longer first content");
    Put("t.bin", "");
    EXPECT_EQ(fs.GetLength(dir / "t.bin"), 0);
    const auto bytes = fs.ReadAll(dir / "t.bin");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(bytes->empty());
}

TEST_F(FileSystemWin, LargeFileRoundTrips) {
    Bytes big(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 31 + 7);
    ASSERT_TRUE(WriteWholeFile(fs, dir / "big.bin", big));
    EXPECT_EQ(fs.GetLength(dir / "big.bin"), static_cast<int64_t>(big.size()));
    EXPECT_EQ(fs.ReadAll(dir / "big.bin"), big);
}

TEST_F(FileSystemWin, MissingThingsGiveClearAnswers) {
    EXPECT_EQ(fs.GetAttributes(dir / "none.cfg"), kNoAttributes);
    EXPECT_FALSE(fs.ReadAll(dir / "none.cfg").has_value());
    EXPECT_EQ(fs.GetLength(dir / "none.cfg"), -1);
    EXPECT_EQ(fs.GetLength(dir.Path()), -1); // a folder is not a file
    EXPECT_FALSE(fs.Delete(dir / "none.cfg"));
    EXPECT_EQ(fs.Create(dir / "no such folder\\x.cfg"), nullptr);
    EXPECT_FALSE(fs.Copy(dir / "none.cfg", dir / "copy.cfg"));
    EXPECT_FALSE(Exists("copy.cfg"));
}

TEST_F(FileSystemWin, ReplaceIsOneStepAndLeavesNoSource) {
    Put("QORMenu.cfg", "old contents");
    Put("QORMenu.cfg.new", "new contents");
    ASSERT_TRUE(fs.Replace(dir / "QORMenu.cfg.new", dir / "QORMenu.cfg"));
    EXPECT_EQ(Get("QORMenu.cfg"), "new contents");
    EXPECT_FALSE(Exists("QORMenu.cfg.new"));

    // Onto a missing target it is a plain rename.
    Put("b.new", "b");
    ASSERT_TRUE(fs.Replace(dir / "b.new", dir / "b.cfg"));
    EXPECT_EQ(Get("b.cfg"), "b");
    EXPECT_FALSE(Exists("b.new"));
}

TEST_F(FileSystemWin, ReplaceWithMissingSourceKeepsTheTarget) {
    Put("keep.cfg", "precious");
    EXPECT_FALSE(fs.Replace(dir / "gone.new", dir / "keep.cfg"));
    EXPECT_EQ(Get("keep.cfg"), "precious");
}

TEST_F(FileSystemWin, ReplaceOverReadOnlyTarget) {
    Put("ro.cfg", "old");
    ASSERT_TRUE(SetFileAttributesA((dir / "ro.cfg").c_str(), FILE_ATTRIBUTE_READONLY));
    Put("ro.new", "new");
    // Either the target is replaced or it is left whole; never half of each.
    if (fs.Replace(dir / "ro.new", dir / "ro.cfg")) {
        EXPECT_EQ(Get("ro.cfg"), "new");
        EXPECT_FALSE(Exists("ro.new"));
    } else {
        EXPECT_EQ(Get("ro.cfg"), "old");
        EXPECT_EQ(Get("ro.new"), "new");
    }
}

TEST_F(FileSystemWin, CopyOverwritesAndKeepsTheSource) {
    Put("from.bak", "backup copy");
    Put("to.cfg", "older");
    ASSERT_TRUE(fs.Copy(dir / "from.bak", dir / "to.cfg"));
    EXPECT_EQ(Get("to.cfg"), "backup copy");
    EXPECT_EQ(Get("from.bak"), "backup copy");
    EXPECT_TRUE(fs.Delete(dir / "from.bak"));
    EXPECT_FALSE(Exists("from.bak"));
}

TEST_F(FileSystemWin, FoldersAndTheirAttributes) {
    const std::string sub = dir / "QorIcons";
    EXPECT_TRUE(fs.CreateFolder(sub));
    EXPECT_TRUE(fs.CreateFolder(sub)); // already there counts as done
    EXPECT_EQ(fs.GetAttributes(sub), kAttrDirectory);
    EXPECT_EQ(fs.GetAttributes(sub + "\\"), kAttrDirectory);

    ASSERT_TRUE(SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(fs.GetAttributes(sub), kAttrDirectory | kAttrHidden);

    Put("plain.txt", "x");
    EXPECT_FALSE(fs.CreateFolder(dir / "plain.txt")); // a file is in the way
    EXPECT_FALSE(fs.CreateFolder(dir / "a\\b\\c"));   // no parents are made
}

TEST_F(FileSystemWin, FindMatchesPatternsAndReportsAttributes) {
    Put("1.png", "p");
    Put("22.PNG", "p");
    Put("notes.txt", "t");
    ASSERT_TRUE(fs.CreateFolder(dir / "folder.png"));
    Put("hidden.png", "h");
    ASSERT_TRUE(SetFileAttributesA((dir / "hidden.png").c_str(), FILE_ATTRIBUTE_HIDDEN));

    auto found = fs.Find(dir / "*.png");
    std::sort(found.begin(), found.end(),
              [](const FindEntry& a, const FindEntry& b) { return a.name < b.name; });
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].name, "1.png");
    EXPECT_EQ(found[1].name, "22.PNG"); // the pattern matches without regard to case
    EXPECT_EQ(found[2].name, "folder.png");
    EXPECT_NE(found[2].attributes & kAttrDirectory, 0u);
    EXPECT_EQ(found[3].name, "hidden.png");
    EXPECT_NE(found[3].attributes & kAttrHidden, 0u);
    EXPECT_EQ(found[0].attributes & kAttrDirectory, 0u);

    const auto all = fs.Find(dir / "*");
    const auto has = [&](const char* name) {
        return std::any_of(all.begin(), all.end(), [&](const FindEntry& e) { return e.name == name; });
    };
    EXPECT_TRUE(has("notes.txt"));
    EXPECT_TRUE(has(".") && has(".."));

    EXPECT_TRUE(fs.Find(dir / "*.ico").empty());
    EXPECT_TRUE(fs.Find(dir / "missing folder\\*.png").empty());
}

} // namespace
} // namespace qor
