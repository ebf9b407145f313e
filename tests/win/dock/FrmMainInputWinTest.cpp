// The dock window's messages reach the controller as the user's input, and the controller's
// requests reach the real window: capture, timers, window order.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/ConfigFiles.h"
#include "dock/FrmMain_win.h"
#include "dock/Paint.h"
#include "fakes/FakeShell.h"
#include "platform/GdiPlus_win.h"

namespace qor {
namespace {

struct QuietProgram : win::IProgram {
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override {}
};

// A 400 x 300 dock at (20, 10) with eight positions on a circle of 100 pixels; position 1 (at
// 3 o'clock) is a shortcut, the others blank.
class FrmMainInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gdiplus.Start(), 0);
        app.sys.trace = &trace;
        app.screen = MeasureScreen(ScreenInfo{{20, 10, 420, 310}, 15, 15});
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.run.IconCount = 8;
        app.run.Radius = 100;
        FillSizeLevels(app.geo, app.run);
        ComputeSlotTable(app.geo, app.screen, app.run);
        for (int g = 0; g <= kGroupBound; ++g)
            app.store.Groups[g].Members[0] = g;
        for (int i = 2; i <= 8; ++i)
            app.store.Items[i].Kind = kind::Blank;
        DockItem& one = app.store.Items[1];
        one.Kind = kind::Shortcut;
        one.Target = "C:\\Apps\\one.exe";
        one.Title = "One";
        one.IconRef = 5; // a picture of its own (none is built: it draws nothing)
        // The real pointer starts outside the window: where an earlier test left it, the real
        // mouse moves it would send would hover a position and keep the hover timers busy.
        SetCursorPos(0, 0);
        ASSERT_TRUE(dock.Load(GetModuleHandleA(nullptr)));
        dock.Show();
        dock.DockFocus(true);
    }
    void TearDown() override { dock.Unload(); }

    LPARAM At(int slot) const {
        const DockSlot& s = app.geo.Slots[slot];
        return MAKELPARAM(s.IconLeft + s.IconSide / 2, s.IconTop + s.IconSide / 2);
    }
    void Send(UINT msg, WPARAM wParam, LPARAM lParam) { SendMessageA(dock.Hwnd(), msg, wParam, lParam); }
    void Click(LPARAM where) {
        Send(WM_MOUSEMOVE, 0, where);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, where);
        Send(WM_LBUTTONUP, 0, where);
    }
    bool Traced(const std::string& text) const {
        return std::any_of(trace.lines.begin(), trace.lines.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }
    bool Topmost() const { return (GetWindowLongPtrA(dock.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    // Runs the window's messages (its timers among them) for `ms` milliseconds.
    static void RunMessages(DWORD ms) {
        const DWORD end = GetTickCount() + ms;
        MSG msg;
        while (static_cast<int>(end - GetTickCount()) > 0) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(5);
        }
    }

    gdip::Session gdiplus;
    test::ShellTestApp t;
    AppState& app = t.app;
    test::RecordingTrace trace;
    QuietProgram program;
    FrmMain dock{app, program};
};

TEST_F(FrmMainInput, PointerPositionsAreSignedAndHoverFollowsThem) {
    Send(WM_MOUSEMOVE, 0, At(1));
    EXPECT_EQ(app.dock.HoverSlot, 1);
    EXPECT_TRUE(Traced("paint DockAction 1"));
    // Left of and above the window (the mouse is captured while a button is held).
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, -7));
    EXPECT_TRUE(Traced("input mousemove x=-5 y=-7"));
    EXPECT_EQ(app.dock.HoverSlot, -1);
}

TEST_F(FrmMainInput, ClicksOnTheCentreMinimizeAndExpandAtTheTop) {
    Click(At(0));
    EXPECT_EQ(app.dock.State, dockstate::Minimized);
    EXPECT_EQ(GetCapture(), nullptr) << "the capture ends with the release";
    EXPECT_FALSE(Topmost());
    Click(At(0));
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_TRUE(Topmost()) << "an expanded dock comes above the other windows";
    Send(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(Topmost()) << "Escape sends it back to the bottom";
}

TEST_F(FrmMainInput, ADragHeldByTheCaptureDeletesOffTheRingUnlessTheCaptureIsTaken) {
    for (const bool taken : {true, false}) {
        SCOPED_TRACE(taken ? "capture taken" : "released off the ring");
        Send(WM_MOUSEMOVE, 0, At(1));
        Send(WM_LBUTTONDOWN, MK_LBUTTON, At(1));
        EXPECT_EQ(GetCapture(), dock.Hwnd());
        Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5)); // left of the window
        ASSERT_TRUE(app.dock.Dragging);
        if (taken) {
            ReleaseCapture(); // as when another window takes the mouse
            EXPECT_FALSE(app.dock.Dragging);
        }
        Send(WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(app.store.Items[1].Kind, taken ? kind::Shortcut : kind::Blank);
        EXPECT_EQ(t.fs.Has(app.paths.MenuFile), !taken) << "the item file is written after a delete";
    }
}

TEST_F(FrmMainInput, TimersTickThroughTheWindowAndRestWhenIdle) {
    EXPECT_TRUE(dock.Controller().TimerRunning(DockTimer::Dwell));
    RunMessages(1200);
    // Nothing hovered, auto-hide off, no recycle bin on position 2: those timers stopped
    // themselves on their own ticks.
    EXPECT_TRUE(Traced("dock timer PointerLeft off"));
    EXPECT_TRUE(Traced("dock timer Dwell off"));
    EXPECT_TRUE(Traced("dock timer AutoHide off"));
    EXPECT_TRUE(Traced("dock timer RecycleBin off"));
    EXPECT_FALSE(dock.Controller().TimerRunning(DockTimer::Dwell));
    // A move gives the hover timers work again, and their ticks reach the controller.
    trace.lines.clear();
    const DockSlot& one = app.geo.Slots[1];
    SetCursorPos(20 + one.IconLeft + one.IconSide / 2, 10 + one.IconTop + one.IconSide / 2);
    Send(WM_MOUSEMOVE, 0, At(1));
    EXPECT_TRUE(dock.Controller().TimerRunning(DockTimer::PointerLeft));
    RunMessages(400);
    EXPECT_TRUE(Traced("paint EffectAction 1")) << "the centre cross-faded after the pointer rested";
}

} // namespace
} // namespace qor
