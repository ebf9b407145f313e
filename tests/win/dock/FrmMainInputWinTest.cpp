// The dock window's messages reach the controller as the user's input, and the controller's
// requests reach the real window: capture, timers, window order, the accessible object and its
// events.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

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

struct SeenEvent {
    DWORD event;
    HWND hwnd;
    LONG object;
    LONG child;
    bool operator==(const SeenEvent&) const = default;
};
std::vector<SeenEvent> g_seen;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    g_seen.push_back({event, hwnd, object, child});
}

VARIANT Child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

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
    static void RunMessages(DWORD ms = 200) {
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

// The accessible object as the system hands it out; another process reading it is the
// end-to-end test's part (tests/e2e/test_access.py).
TEST_F(FrmMainInput, TheAccessibleObjectReadsTheRingRaisesTheSelectionsEventsAndOutlivesTheWindow) {
    win::OleSession ole;
    ASSERT_TRUE(ole.Start());
    g_seen.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &OnWinEvent,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    dock.Controller().AltSpace();
    // No window manager gives the test's window the foreground: that watch would end the
    // keyboard mode.
    dock.Controller().StopAllTimers();
    for (const WPARAM key : {VK_LEFT, VK_RIGHT, VK_RIGHT}) // wraps to position 8, back to 1, on to 2
        SendMessageA(dock.Hwnd(), WM_KEYDOWN, key, 0);
    RunMessages();
    UnhookWinEvent(hook);
    const HWND w = dock.Hwnd();
    EXPECT_EQ(g_seen, (std::vector<SeenEvent>{{EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, CHILDID_SELF},
                                              {EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, 9},
                                              {EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, 2},
                                              {EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, 3}}));
    EXPECT_TRUE(Traced("paint DockAction 2")) << "the selection is drawn lit";

    IAccessible* acc = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), win::kIidAccessible,
                                         reinterpret_cast<void**>(&acc)),
              S_OK);
    LONG count = 0, left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(acc->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 9);
    VARIANT v;
    EXPECT_EQ(acc->get_accState(Child(3), &v), S_OK);
    EXPECT_TRUE(v.lVal & STATE_SYSTEM_FOCUSED) << "the selection";
    EXPECT_TRUE(v.lVal & STATE_SYSTEM_UNAVAILABLE) << "a blank";
    BSTR name = nullptr;
    EXPECT_EQ(acc->get_accName(Child(2), &name), S_OK);
    EXPECT_STREQ(name, L"One");
    SysFreeString(name);
    // Keyboard mode brought the ring to the monitor under the pointer: places are on that screen.
    const DockSlot& one = app.geo.Slots[1];
    const Rect& work = app.screen.WorkArea;
    EXPECT_EQ(acc->accLocation(&left, &top, &width, &height, Child(2)), S_OK);
    EXPECT_EQ((std::vector<LONG>{left, top, width}),
              (std::vector<LONG>{work.left + one.IconLeft, work.top + one.IconTop, 48}));
    EXPECT_EQ(acc->accHitTest(left + 1, top + height - 1, &v), S_OK);
    EXPECT_EQ(v.lVal, 2);
    EXPECT_EQ(acc->accNavigate(NAVDIR_NEXT, Child(9), &v), S_FALSE) << "the last position has no next";
    // The default action runs from the window's own messages, after the request returned.
    EXPECT_EQ(acc->accDoDefaultAction(Child(3)), DISP_E_MEMBERNOTFOUND) << "a blank runs nothing";
    EXPECT_EQ(acc->accDoDefaultAction(Child(2)), S_OK);
    EXPECT_FALSE(Traced("dock launch item=1"));
    RunMessages();
    EXPECT_TRUE(Traced("access action window=FrmMain child=2 ok=1"));
    EXPECT_TRUE(Traced("dock launch item=1"));
    // A client holding the object after the window went gets an error, not a crash.
    dock.Unload();
    EXPECT_TRUE(FAILED(acc->get_accChildCount(&count)));
    acc->Release();
}

} // namespace
} // namespace qor
