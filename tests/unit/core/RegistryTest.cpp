#include <gtest/gtest.h>

#include "core/Registry.h"
#include "fakes/Fakes.h"

namespace qor {
namespace {

constexpr const char* kSystemKey = "HKEY_CURRENT_USER\\SOFTWARE\\QOR Desktop\\System";
constexpr const char* kRunKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSystemSub = "SOFTWARE\\QOR Desktop\\System";
const std::string kRunSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kExe = "C:\\Program Files\\QOR Desktop\\QORDesktop.exe";

TEST(RegistryPath, SplitsRootSubKeyAndLastPart) {
    struct Case {
        const char* path;
        std::optional<uint32_t> root;
        const char* subKey;
        const char* last;
    };
    const Case cases[] = {
        {"HKEY_CLASSES_ROOT\\.txt", reg::ClassesRoot, ".txt", ".txt"},
        {"HKEY_CURRENT_USER\\Software\\A\\B", reg::CurrentUser, "Software\\A\\B", "B"},
        {"hkey_local_machine\\SOFTWARE", reg::LocalMachine, "SOFTWARE", "SOFTWARE"},
        {"HKEY_USERS", reg::Users, "", "HKEY_USERS"},
        {"HKEY_PERFORMANCE_DATA\\x", reg::PerformanceData, "x", "x"},
        {"HKEY_CURRENT_CONFIG\\x", reg::CurrentConfig, "x", "x"},
        {"HKEY_DYN_DATA\\x", reg::DynData, "x", "x"},
        {"HKCU\\Software", std::nullopt, "Software", "Software"},
        {"HKLM\\Software", std::nullopt, "Software", "Software"},
        {"", std::nullopt, "", ""},
    };
    for (const Case& c : cases) {
        const RegistryPath p = SplitRegistryPath(c.path);
        EXPECT_EQ(p.root, c.root) << c.path;
        EXPECT_EQ(p.subKey, c.subKey) << c.path;
        EXPECT_EQ(p.lastPart, c.last) << c.path;
    }
}

TEST(RegistryValues, TextIsStoredWithoutTerminatorAndReadBackByType) {
    test::FakeRegistry reg;
    EXPECT_EQ(WriteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "s", "abc", 1), 0);
    auto raw = reg.Query(reg::CurrentUser, "Software\\T", "s", 1024);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, reg::Sz);
    EXPECT_EQ(raw->data, (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(ReadRegistryText(reg, "HKEY_CURRENT_USER\\Software\\T", "s"), "abc");

    WriteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "e", "%x%", 2);
    EXPECT_EQ(reg.Query(reg::CurrentUser, "Software\\T", "e", 1024)->type, reg::ExpandSz);

    WriteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "d", "2.5", 4); // rounds to even
    EXPECT_EQ(std::get<int32_t>(ReadRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "d")), 2);
    WriteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "d", "-7abc", 4);
    EXPECT_EQ(std::get<int32_t>(ReadRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "d")), -7);

    EXPECT_EQ(WriteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "b", "x", 3), 0); // other types: nothing
    EXPECT_FALSE(reg.Query(reg::CurrentUser, "Software\\T", "b", 1024));
}

TEST(RegistryValues, ReadsTheStringTypesAndRefusesOthers) {
    test::FakeRegistry reg;
    reg.keys[{reg::ClassesRoot, ".x"}].values[""] = RegValue{reg::Sz, Bytes{'t', 'x', 't', 0}};
    reg.keys[{reg::ClassesRoot, ".x"}].values["m"] = RegValue{reg::MultiSz, Bytes{'a', 0, 'b', 0, 0}};
    reg.keys[{reg::ClassesRoot, ".x"}].values["q"] = RegValue{11, Bytes(8, 1)}; // REG_QWORD
    reg.keys[{reg::ClassesRoot, ".x"}].values["big"] = RegValue{reg::Sz, Bytes(1025, 'a')};
    reg.keys[{reg::ClassesRoot, ".x"}].values["short"] = RegValue{reg::Dword, Bytes{1, 2}};
    // The raw text includes the terminator; callers clean it.
    EXPECT_EQ(std::get<std::string>(ReadRegistryValue(reg, "HKEY_CLASSES_ROOT\\.x", "")), std::string("txt\0", 4));
    EXPECT_EQ(ReadRegistryText(reg, "HKEY_CLASSES_ROOT\\.x", ""), "txt");
    EXPECT_EQ(ReadRegistryText(reg, "HKEY_CLASSES_ROOT\\.x", "m"), "a");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ReadRegistryValue(reg, "HKEY_CLASSES_ROOT\\.x", "q")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ReadRegistryValue(reg, "HKEY_CLASSES_ROOT\\.x", "big")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ReadRegistryValue(reg, "HKEY_CLASSES_ROOT\\.x", "short")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ReadRegistryValue(reg, "HKEY_CLASSES_ROOT\\.y", "")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ReadRegistryValue(reg, "HKCR\\.x", "")));
}

TEST(RegistryValues, ShortRootNamesWriteNothing) {
    test::FakeRegistry reg;
    EXPECT_EQ(WriteRegistryValue(reg, "HKCU\\Software\\T", "s", "abc", 1), 0);
    EXPECT_TRUE(reg.keys.empty());
    EXPECT_EQ(DeleteRegistryValue(reg, "HKCU\\Software\\T", "s"), 0);
}

TEST(RegistryValues, KeyThatCannotBeCreatedOrOpened) {
    test::FakeRegistry reg;
    reg.readOnlyKeys.insert({reg::CurrentUser, "software\\locked"});
    EXPECT_EQ(WriteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\Locked", "s", "x", 1), 0);
    EXPECT_FALSE(reg.Query(reg::CurrentUser, "Software\\Locked", "s", 1024));
    EXPECT_EQ(DeleteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\Missing", "s"), 0);
    WriteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "s", "x", 1);
    EXPECT_EQ(DeleteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "s"), 0);
    EXPECT_NE(DeleteRegistryValue(reg, "HKEY_CURRENT_USER\\Software\\T", "s"), 0); // already gone
}

TEST(FirstRun, OnlyAZeroMarksAFirstRun) {
    struct Case {
        std::optional<std::string> stored;
        bool first;
    };
    const Case cases[] = {{"0", true}, {"0   ", true}, {"1", false}, {" 0x", false}, {std::nullopt, false}};
    for (const Case& c : cases) {
        test::TestApp t;
        if (c.stored)
            t.reg.SetString(reg::CurrentUser, kSystemSub, "FirstRun", *c.stored);
        EXPECT_EQ(IsFirstRun(t.app), c.first) << c.stored.value_or("(missing)");
        if (c.first) {
            EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kSystemSub, "FirstRun"), "1");
        }
        EXPECT_FALSE(IsFirstRun(t.app)); // never twice
    }
}

TEST(AppInfo, PathVersionAndBuild) {
    test::TestApp t;
    EXPECT_TRUE(RegisterAppInfo(t.app));
    EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kSystemSub, "APP_PATH"), kExe);
    EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kSystemSub, "APP_VER"), "1.8.0");
    EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kSystemSub, "APP_BUILD"), "0");

    test::TestApp locked;
    locked.reg.readOnlyKeys.insert({reg::CurrentUser, ToLowerAscii(kSystemSub)});
    EXPECT_FALSE(RegisterAppInfo(locked.app)); // no key: nothing written, reported as a failure
}

TEST(AutoRun, TellsWhetherTheEntryNamesThisProgram) {
    test::TestApp t;
    EXPECT_EQ(SetAutoRun(t.app, true), 1);
    EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kRunSub, "QOR Desktop"), kExe);
    EXPECT_EQ(SetAutoRun(t.app, true), 1); // already there
    EXPECT_EQ(SetAutoRun(t.app, false), 0);
    EXPECT_FALSE(t.reg.GetString(reg::CurrentUser, kRunSub, "QOR Desktop"));
    EXPECT_EQ(SetAutoRun(t.app, false), 0);
}

TEST(AutoRun, AnotherCopysEntry) {
    test::TestApp t;
    t.reg.SetString(reg::CurrentUser, kRunSub, "QOR Desktop", "D:\\Other\\QORDesktop.exe");
    EXPECT_EQ(SetAutoRun(t.app, false), 0);
    EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kRunSub, "QOR Desktop"), "D:\\Other\\QORDesktop.exe"); // left alone
    EXPECT_EQ(SetAutoRun(t.app, true), 1);
    EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kRunSub, "QOR Desktop"), kExe); // overwritten
}

TEST(AutoRun, ThisProgramsEntryIsRecognisedInAnyLetterCase) {
    // Windows paths: the entry may have been written while the program ran under another
    // spelling of its folder.
    test::TestApp t;
    const std::string otherCase = ToUpperAscii(kExe);
    ASSERT_NE(otherCase, kExe);
    t.reg.SetString(reg::CurrentUser, kRunSub, "QOR Desktop", otherCase);
    EXPECT_EQ(SetAutoRun(t.app, true), 1);
    EXPECT_EQ(t.reg.GetString(reg::CurrentUser, kRunSub, "QOR Desktop"), otherCase); // nothing to do
    EXPECT_EQ(SetAutoRun(t.app, false), 0);
    EXPECT_FALSE(t.reg.GetString(reg::CurrentUser, kRunSub, "QOR Desktop")); // unticking removes it
}

TEST(AutoRun, RefusedWriteReportsZero) {
    test::TestApp t;
    t.reg.readOnlyKeys.insert({reg::CurrentUser, ToLowerAscii(kRunSub)});
    EXPECT_EQ(SetAutoRun(t.app, true), 0);
}

} // namespace
} // namespace qor
