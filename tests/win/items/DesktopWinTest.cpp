#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "fakes/Fakes.h"
#include "items/Desktop.h"
#include "platform/Handles_win.h"
#include "platform/Shell_win.h"
#include "win/platform/WinTestFolder.h"

namespace qor {
namespace {

// Stand-ins for the shell's windows, made in this process under the shell's class names.
class FakeShellWindows : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"Progman", "WorkerW", "SHELLDLL_DefView", "SysListView32", "Shell_TrayWnd", "Button"}) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = name;
            // An existing class of that name serves as well. A class registered here shadows
            // the system's class of the same name ("Button") for the whole process, so it goes
            // again after the test: later tests create real buttons.
            if (RegisterClassA(&wc))
                m_registered.push_back(name);
        }
        t.app.store.Items[72].Title.Set("Always Hide Desktop Icons");
        t.app.sys.shell = &shell;
    }
    void TearDown() override {
        for (const char* name : m_registered)
            UnregisterClassA(name, GetModuleHandleA(nullptr));
    }
    static HWND TopLevel(const char* cls, const char* text = nullptr) {
        return CreateWindowExA(WS_EX_TOOLWINDOW, cls, text, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    static HWND Child(HWND parent, const char* cls, const char* text = nullptr) {
        return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    test::TestApp t;
    WinShell shell;

private:
    std::vector<const char*> m_registered;
};

TEST_F(FakeShellWindows, HidesAndShowsTheIconViewOfProgman) {
    if (FindWindowA("Progman", nullptr))
        GTEST_SKIP() << "a desktop shell is running";
    const win::Window progman(TopLevel("Progman"));
    const HWND view = Child(Child(progman.get(), "SHELLDLL_DefView"), "SysListView32");
    ASSERT_TRUE(IsWindowVisible(view) || !IsWindowVisible(progman.get()));

    SetDesktopIconsVisible(t.app, true);
    EXPECT_FALSE(GetWindowLongPtrA(view, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(t.app.run.DesktopIconsHidden);
    EXPECT_EQ(t.app.cfg.HideDesktopIcons, 1);
    EXPECT_EQ(t.app.store.Items[72].Title.Peek(), "Always Show Desktop Icons");

    SetDesktopIconsVisible(t.app, false);
    EXPECT_TRUE(GetWindowLongPtrA(view, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(t.app.run.DesktopIconsHidden);
    EXPECT_EQ(t.app.cfg.HideDesktopIcons, 0);
    EXPECT_EQ(t.app.store.Items[72].Title.Peek(), "Always Hide Desktop Icons");
}

TEST_F(FakeShellWindows, FindsTheViewInAWorkerWindow) {
    if (FindWindowA("Progman", nullptr) || FindWindowA("WorkerW", nullptr))
        GTEST_SKIP() << "a desktop shell is running";
    const win::Window progman(TopLevel("Progman")); // no view of its own
    const win::Window emptyWorker(TopLevel("WorkerW"));
    const win::Window worker(TopLevel("WorkerW"));
    const HWND defView = Child(worker.get(), "SHELLDLL_DefView");
    const HWND other = Child(defView, "SysListView32", "Other");
    const HWND view = Child(defView, "SysListView32", "FolderView");

    SetDesktopIconsVisible(t.app, true);
    EXPECT_FALSE(GetWindowLongPtrA(view, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrA(other, GWL_STYLE) & WS_VISIBLE); // only the one named "FolderView"
    EXPECT_EQ(t.app.cfg.HideDesktopIcons, 1);
    SetDesktopIconsVisible(t.app, false);
    EXPECT_TRUE(GetWindowLongPtrA(view, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(FakeShellWindows, WithoutAnIconViewNothingChanges) {
    if (FindWindowA("Progman", nullptr) || FindWindowA("WorkerW", nullptr))
        GTEST_SKIP() << "a desktop shell is running";
    const win::Window progman(TopLevel("Progman"));
    SetDesktopIconsVisible(t.app, true);
    EXPECT_FALSE(t.app.run.DesktopIconsHidden);
    EXPECT_EQ(t.app.cfg.HideDesktopIcons, 0);
    EXPECT_EQ(t.app.store.Items[72].Title.Peek(), "Always Hide Desktop Icons");
}

TEST_F(FakeShellWindows, TaskbarIsRestoredOnlyAfterTheProgramHidIt) {
    if (const HWND shellTaskbar = FindWindowA("Shell_TrayWnd", nullptr)) {
        // Wine's shell keeps a hidden tray window when the X desktop has no taskbar of its own:
        // the program's exit must not put it on the screen.
        if (IsWindowVisible(shellTaskbar))
            GTEST_SKIP() << "a visible taskbar is running";
        SetTaskbarVisible(t.app, false);
        EXPECT_FALSE(IsWindowVisible(shellTaskbar));
        return;
    }
    const win::Window taskbar(TopLevel("Shell_TrayWnd"));
    const win::Window start(TopLevel("Button", "Start"));
    ShowWindow(taskbar.get(), SW_SHOWNOACTIVATE);
    ShowWindow(start.get(), SW_SHOWNOACTIVATE);

    SetTaskbarVisible(t.app, true);
    EXPECT_FALSE(IsWindowVisible(taskbar.get()));
    EXPECT_FALSE(IsWindowVisible(start.get()));
    SetTaskbarVisible(t.app, false);
    EXPECT_TRUE(IsWindowVisible(taskbar.get()));
    EXPECT_TRUE(IsWindowVisible(start.get()));

    // A taskbar the shell keeps hidden is not shown by the program's exit.
    ShowWindow(taskbar.get(), SW_HIDE);
    SetTaskbarVisible(t.app, false);
    EXPECT_FALSE(IsWindowVisible(taskbar.get()));
}

// A file dropped on the recycle-bin position goes to the recycle bin, without a question from the
// shell (the program asked its own), and can be brought back from there.
TEST(RecycleBinWin, DeleteToRecycleBinMovesTheFileThere) {
    test::WinTestFolder folder;
    const std::string file = folder / "dropped.txt";
    ASSERT_TRUE(win::Handle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    WinShell shell;
    EXPECT_EQ(shell.DeleteToRecycleBin(file, 0x50), 0);
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(shell.DeleteToRecycleBin(folder / "missing.txt", 0x50), 0);
    const auto bin = shell.QueryRecycleBin();
    ASSERT_TRUE(bin.has_value());
    EXPECT_GT(bin->items, 0);
}

} // namespace
} // namespace qor
