#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "core/ConfigFiles.h"
#include "core/Main_win.h"
#include "platform/Handles_win.h"

namespace qor {
namespace {

TEST(SingleInstanceWin, SecondHolderOfTheNameIsRefusedUntilTheFirstEnds) {
    const std::string name = SingleInstanceMutexName("tester" + std::to_string(GetCurrentProcessId()));
    EXPECT_EQ(name.rfind("Local\\", 0), 0u); // per logon session
    {
        const win::NamedMutex first(name.c_str());
        ASSERT_TRUE(first.Acquired());
        const win::NamedMutex second(name.c_str());
        EXPECT_TRUE(second.AlreadyExists());
        EXPECT_FALSE(second.Acquired());
    }
    const win::NamedMutex again(name.c_str());
    EXPECT_TRUE(again.Acquired());
    // Other users get their own name.
    EXPECT_NE(SingleInstanceMutexName("alice"), SingleInstanceMutexName("bob"));
    EXPECT_EQ(SingleInstanceMutexName("dom\\user").find('\\', 6), std::string::npos);
}

TEST(SingleInstanceWin, AMutexThisUserMayNotOpenMeansAnotherInstanceRuns) {
    // An instance running elevated creates the mutex with a security descriptor that an ordinary
    // process may not open: CreateMutex then fails with ERROR_ACCESS_DENIED. An empty access list
    // refuses everyone, which gives the same answer here.
    const std::string name = SingleInstanceMutexName("denied" + std::to_string(GetCurrentProcessId()));
    SECURITY_DESCRIPTOR descriptor{};
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    alignas(ACL) BYTE aclBytes[64] = {};
    auto* emptyAcl = reinterpret_cast<ACL*>(aclBytes);
    ASSERT_TRUE(InitializeAcl(emptyAcl, sizeof aclBytes, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, emptyAcl, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    const win::Handle elevated(CreateMutexA(&attributes, FALSE, name.c_str()));
    ASSERT_TRUE(elevated);

    const win::NamedMutex second(name.c_str());
    EXPECT_TRUE(second.AlreadyExists());
    EXPECT_FALSE(second.Acquired());
}

TEST(ShutdownPrivilegeWin, EnablesTheShutdownPrivilegeOfTheProcess) {
    ASSERT_TRUE(EnableShutdownPrivilege(19, true));
    HANDLE raw = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw));
    const win::Handle token(raw);
    LUID shutdown{};
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
    PRIVILEGE_SET set{};
    set.PrivilegeCount = 1;
    set.Control = PRIVILEGE_SET_ALL_NECESSARY;
    set.Privilege[0].Luid = shutdown;
    BOOL enabled = FALSE;
    ASSERT_TRUE(PrivilegeCheck(token.get(), &set, &enabled));
    EXPECT_TRUE(enabled);
}

TEST(PumpMessagesWin, RunsPendingMessagesAndKeepsAQuitRequest) {
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 0, 0);
    PostQuitMessage(3);
    PumpPendingMessages();
    // The posted message ran; the quit request is the one message left. (A WM_QUIT is returned
    // whatever the filter, so the queue is read unfiltered.)
    MSG msg{};
    std::vector<UINT> left;
    WPARAM quitCode = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        left.push_back(msg.message);
        if (msg.message == WM_QUIT)
            quitCode = msg.wParam;
    }
    EXPECT_EQ(left, std::vector<UINT>{WM_QUIT});
    EXPECT_EQ(quitCode, 3u);
}

// The whole program in this process: start-up, then the close request "taskkill" sends.
TEST(ProgramWin, StartsAndEndsInOrderOnWmClose) {
    SetEnvironmentVariableA("QOR_TRACE", nullptr);
    Program program(GetModuleHandleA(nullptr));
    ASSERT_TRUE(program.Main());
    AppState& app = program.App();

    const HWND dock = FindWindowA(FrmMain::kClassName, nullptr);
    const HWND tray = FindWindowA(FrmTray::kClassName, nullptr);
    const HWND popup = FindWindowA(FrmSubMenu::kClassName, nullptr);
    ASSERT_NE(dock, nullptr);
    ASSERT_NE(tray, nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(IsWindowVisible(dock));
    EXPECT_FALSE(IsWindowVisible(tray));
    EXPECT_FALSE(IsWindowVisible(popup));

    // The dock covers the work area exactly.
    RECT work{}, rect{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(dock, &rect);
    EXPECT_EQ(rect.left, work.left);
    EXPECT_EQ(rect.top, work.top);
    EXPECT_EQ(rect.right, work.right);
    EXPECT_EQ(rect.bottom, work.bottom);
    EXPECT_EQ(app.screen.ScreenWidth, work.right - work.left);
    EXPECT_EQ(app.screen.ScreenHeight, work.bottom - work.top);
    const LONG_PTR ex = GetWindowLongPtrA(dock, GWL_EXSTYLE);
    EXPECT_NE(ex & WS_EX_LAYERED, 0);
    EXPECT_NE(ex & WS_EX_TOOLWINDOW, 0);

    // The data folders exist.
    ASSERT_FALSE(app.paths.IconCacheFolder.empty());
    EXPECT_NE(GetFileAttributesA(app.paths.IconCacheFolder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    // A close request to the hidden window ends the program in order: files saved, windows gone,
    // the message loop told to end.
    DeleteFileA(app.paths.SettingsFile.c_str());
    SendMessageA(tray, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.Exited());
    EXPECT_FALSE(IsWindow(dock));
    EXPECT_FALSE(IsWindow(tray));
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_NE(GetFileAttributesA(app.paths.SettingsFile.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(app.run.DesktopIconsHidden);

    // A second request (taskkill posts one to every window) does nothing more.
    program.ExitProgram();
    EXPECT_EQ(program.RunMessageLoop(), 0);
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

} // namespace
} // namespace qor
