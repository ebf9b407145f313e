// The hidden tray window claims the three hot keys by their global atoms, answers them in its
// own window procedure, keeps exactly one notification icon, and gives
// everything back when it goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "platform/Handles_win.h"
#include "tray/FrmTray_win.h"

namespace qor {
namespace {

struct QuietProgram : win::IProgram {
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override {}
};

// Another program's window (here: a plain window of this test) that may own a hot key first.
win::Window OtherWindow() {
    return win::Window(CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr));
}

class FrmTrayWindow : public ::testing::Test {
protected:
    void SetUp() override { t.app.sys.trace = &trace; }
    bool Load() {
        return tray.Load(GetModuleHandleA(nullptr), nullptr, [this](HotKey k) { received.push_back(k); });
    }
    test::TestApp t;
    test::RecordingTrace trace;
    QuietProgram program;
    FrmTray tray{t.app, program};
    std::vector<HotKey> received;
};

TEST_F(FrmTrayWindow, AHotKeyOwnedElsewhereIsSkippedAndTheOthersWork) {
    const win::Window other = OtherWindow();
    ASSERT_TRUE(RegisterHotKey(other.get(), 1, MOD_ALT, VK_SPACE)); // Alt+Space is taken
    ASSERT_TRUE(Load());

    EXPECT_FALSE(tray.HotKeyClaimed(HotKey::KeyboardDock));
    EXPECT_TRUE(tray.HotKeyClaimed(HotKey::Switch));
    EXPECT_TRUE(tray.HotKeyClaimed(HotKey::Minimize));
    // The identifiers are the global atoms of the three names.
    EXPECT_EQ(tray.HotKeyId(HotKey::Switch), GlobalFindAtomA("NewMacroForSwitch"));
    EXPECT_EQ(tray.HotKeyId(HotKey::Minimize), GlobalFindAtomA("NewMacroForMin"));
    EXPECT_NE(tray.HotKeyId(HotKey::Switch), 0);

    // Ctrl+Tab and Shift+Tab are this window's: another window cannot claim them now.
    EXPECT_FALSE(RegisterHotKey(other.get(), 2, MOD_CONTROL, VK_TAB));
    EXPECT_FALSE(RegisterHotKey(other.get(), 3, MOD_SHIFT, VK_TAB));

    SendMessageA(tray.Hwnd(), WM_HOTKEY, tray.HotKeyId(HotKey::Minimize), MAKELPARAM(MOD_CONTROL, VK_TAB));
    SendMessageA(tray.Hwnd(), WM_HOTKEY, tray.HotKeyId(HotKey::Switch), MAKELPARAM(MOD_SHIFT, VK_TAB));
    SendMessageA(tray.Hwnd(), WM_HOTKEY, 1234, 0); // not one of ours
    EXPECT_EQ(received, (std::vector<HotKey>{HotKey::Minimize, HotKey::Switch}));
    UnregisterHotKey(other.get(), 1);

    tray.Unload();
    EXPECT_EQ(GlobalFindAtomA("NewMacroForSwitch"), 0) << "the atoms go with the window";
    EXPECT_EQ(GlobalFindAtomA("NewMacroForMin"), 0);
    EXPECT_TRUE(RegisterHotKey(other.get(), 2, MOD_CONTROL, VK_TAB)) << "the hot keys were given back";
    UnregisterHotKey(other.get(), 2);
}

TEST_F(FrmTrayWindow, TheIconIsPutBackOnceWhenTheTaskbarIsRecreatedAndGoesWithTheWindow) {
    ASSERT_TRUE(Load());
    const std::string added = "tray icon add ok=1 size=" + std::to_string(GetSystemMetrics(SM_CXSMICON)) +
                              "x" + std::to_string(GetSystemMetrics(SM_CYSMICON));
    // After the three hot keys, the icon at the small-icon size.
    ASSERT_EQ(trace.lines.size(), 4u);
    EXPECT_EQ(trace.lines.back(), added);
    EXPECT_TRUE(tray.TrayIconShown());

    trace.lines.clear();
    ASSERT_NE(tray.TaskbarCreatedMessage(), 0u);
    EXPECT_EQ(SendMessageA(tray.Hwnd(), tray.TaskbarCreatedMessage(), 0, 0), 0);
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{"tray taskbar-created", "tray icon delete ok=1", added}));

    trace.lines.clear();
    tray.Unload();
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"tray icon delete ok=1"}));
    EXPECT_FALSE(tray.TrayIconShown());
}

} // namespace
} // namespace qor
