#include <gtest/gtest.h>

#include <windows.h>

#include "core/Text.h"
#include "platform/Handles_win.h"
#include "platform/System_win.h"

namespace qor {
namespace {

TEST(SystemWin, SpecialFoldersEndInABackslashAndExist) {
    WinSystem sys;
    const struct {
        int csidl;
        const char* name;
    } folders[] = {
        {csidl::Windows, "Windows"},
        {csidl::System, "System"},
        {csidl::ProgramFiles, "ProgramFiles"},
        {csidl::ProgramFilesCommon, "ProgramFilesCommon"},
        {csidl::Profile, "Profile"},
        {csidl::Desktop, "Desktop"},
        {csidl::Personal, "Personal"},
        {csidl::AppData, "AppData"},
        {csidl::CommonDesktop, "CommonDesktop"},
    };
    for (const auto& f : folders) {
        SCOPED_TRACE(f.name);
        const std::string path = sys.GetSpecialFolder(f.csidl);
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path.back(), '\\');
        EXPECT_NE(path.find(':'), std::string::npos);
        const DWORD attributes = GetFileAttributesA(path.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    }

    char windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(ToLowerAscii(sys.GetSpecialFolder(csidl::Windows)), ToLowerAscii(std::string(windows) + "\\"));
    EXPECT_EQ(ToLowerAscii(sys.GetSpecialFolder(csidl::System)), ToLowerAscii(std::string(system) + "\\"));
    EXPECT_TRUE(EndsWithNoCase(sys.GetSpecialFolder(csidl::ProgramFilesCommon), "\\Common Files\\"));
    EXPECT_EQ(sys.GetSpecialFolder(0x7FFF), ""); // no such folder
}

TEST(SystemWin, TempFolderUserAndProgram) {
    WinSystem sys;
    const std::string temp = sys.GetTempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_NE(GetFileAttributesA(temp.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    const std::string user = sys.GetLogonUserName();
    EXPECT_FALSE(user.empty());
    EXPECT_LE(user.size(), 32u);
    EXPECT_EQ(user.find('\0'), std::string::npos);

    EXPECT_TRUE(EndsWithNoCase(sys.GetProgramPath(), "qor_win_tests.exe"));
}

TEST(SystemWin, EnvironmentVariables) {
    WinSystem sys;
    ASSERT_TRUE(SetEnvironmentVariableA("QOR_TEST_VALUE", "C:\\Some Folder"));
    EXPECT_EQ(sys.GetEnvVar("QOR_TEST_VALUE"), std::optional<std::string>("C:\\Some Folder"));
    EXPECT_EQ(sys.GetEnvVar("qor_test_value"), std::optional<std::string>("C:\\Some Folder"));

    SetEnvironmentVariableA("QOR_TEST_VALUE", nullptr);
    EXPECT_FALSE(sys.GetEnvVar("QOR_TEST_VALUE").has_value());

    // A value that does not fit the 1024-character buffer is treated as unknown, never cut.
    const std::string longValue(1500, 'x');
    ASSERT_TRUE(SetEnvironmentVariableA("QOR_TEST_LONG", longValue.c_str()));
    EXPECT_FALSE(sys.GetEnvVar("QOR_TEST_LONG").has_value());
    const std::string fits(1023, 'y');
    ASSERT_TRUE(SetEnvironmentVariableA("QOR_TEST_LONG", fits.c_str()));
    EXPECT_EQ(sys.GetEnvVar("QOR_TEST_LONG"), std::optional<std::string>(fits));
    SetEnvironmentVariableA("QOR_TEST_LONG", nullptr);

    EXPECT_TRUE(sys.GetEnvVar("SystemRoot").has_value());
}

TEST(SystemWin, WorkAreaIsTheScreenLessAnyTaskbar) {
    WinSystem sys;
    const ScreenInfo info = sys.GetScreenInfo();
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const Rect& work = info.workArea;
    EXPECT_GE(work.left, 0);
    EXPECT_GE(work.top, 0);
    EXPECT_LE(work.right, screenWidth);
    EXPECT_LE(work.bottom, screenHeight);
    // A taskbar takes one edge and less than a fifth of the screen.
    EXPECT_GE(work.Width() * 5, screenWidth * 4);
    EXPECT_GE(work.Height() * 5, screenHeight * 4);
    EXPECT_TRUE(work.Width() == screenWidth || work.Height() == screenHeight);

    const win::WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    EXPECT_EQ(info.twipsPerPixelX, 1440 / dpi);
    EXPECT_GT(info.twipsPerPixelY, 0);
}

TEST(SystemWin, VersionIsTheNtLine) {
    WinSystem sys;
    const OsVersion v = sys.GetOsVersion();
    ASSERT_TRUE(v.valid);
    EXPECT_EQ(v.platform, 2u); // VER_PLATFORM_WIN32_NT
    EXPECT_GE(v.major, 5u);
    EXPECT_EQ(v.servicePack.find('\0'), std::string::npos);
}

} // namespace
} // namespace qor
