// The pop-up window's messages reach its controller as the user's input (the wheel with several
// notches in one message, a drag held by the mouse capture), and a hover repainted from the kept
// panel is the picture painted afresh.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "core/ConfigFiles.h"
#include "dock/FrmMain_win.h"
#include "fakes/FakeShell.h"
#include "platform/GdiPlus_win.h"
#include "popup/FrmSubMenu_win.h"
#include "popup/PopupPaint.h"
#include "win/dock/CanvasTestSupport.h"

namespace qor {
namespace {

struct QuietProgram : win::IProgram {
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override {}
};

// A 400 x 300 work area at (20, 10) with eight ring positions; All Programs (position 3, at
// 6 o'clock) holds ten members and four rows fit, so its panel scrolls.
class FrmSubMenuWin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gdiplus.Start(), 0);
        app.screen = MeasureScreen(ScreenInfo{{20, 10, 420, 310}, 15, 15});
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.run.IconCount = 8;
        app.run.Radius = 100;
        FillSizeLevels(app.geo, app.run);
        ComputeSlotTable(app.geo, app.screen, app.run);
        app.geo.PopupRows = ComputePopupRows(app.screen.ScreenHeight);
        ASSERT_EQ(app.geo.PopupRows, 4);
        for (int g = 0; g <= kGroupBound; ++g)
            app.store.Groups[g].Members[0] = g;
        app.store.Items[3].Kind = kind::AllPrograms;
        DockGroup& all = app.store.Groups[3];
        all.Count = 10;
        for (int k = 1; k <= all.Count; ++k) {
            all.Members[k] = 128 + k;
            DockItem& d = app.store.Items[128 + k];
            d.Kind = kind::Member;
            d.Title = "Member " + std::to_string(k);
        }
        ASSERT_TRUE(dock.Load(GetModuleHandleA(nullptr)));
        ASSERT_TRUE(popup.Load(GetModuleHandleA(nullptr)));
        // The skin from the source tree: the test program carries no skin resources.
        dock.LoadImages([](int) {},
                        [](const std::string& name) -> std::optional<Bytes> {
                            std::ifstream in(
                                test::HostPath(test::SourceDir() + "/resources/skin/" + name + ".png"),
                                std::ios::binary);
                            if (!in)
                                return std::nullopt;
                            return Bytes(std::istreambuf_iterator<char>(in), {});
                        });
        popup.Connect(&dock, nullptr, nullptr);
        dock.Show();
        popup.Actions().MenuFocus(3);
        ASSERT_TRUE(app.dock.PopupOpen);
    }
    void TearDown() override {
        popup.Unload();
        dock.Unload();
    }
    void Send(UINT msg, WPARAM wParam, LPARAM lParam) { SendMessageA(popup.Hwnd(), msg, wParam, lParam); }
    // The middle of row k in pixels of the window, which covers the panel only.
    LPARAM RowPoint(int k) {
        const Rect& r = popup.Controller().Panel().RowRects[k];
        const Rect panel = popup.Controller().PanelRect();
        return MAKELPARAM((r.left + r.right) / 2 - panel.left, (r.top + r.bottom) / 2 - panel.top);
    }

    gdip::Session gdiplus;
    test::ShellTestApp t;
    AppState& app = t.app;
    QuietProgram program;
    FrmMain dock{app, program};
    FrmSubMenu popup{app, program};
};

TEST_F(FrmSubMenuWin, AHoverRepaintFromTheKeptPanelEqualsOnePaintedAfresh) {
    Send(WM_MOUSEMOVE, 0, RowPoint(2));
    Send(WM_MOUSEMOVE, 0, RowPoint(3));
    ASSERT_EQ(app.dock.PopupHoverRow, 3);
    std::unique_ptr<DockCanvas> fresh =
        DockCanvas::Create(nullptr, app.screen.ScreenWidth, app.screen.ScreenHeight);
    ASSERT_TRUE(fresh);
    fresh->SetCaches(dock.Images(), dock.Skin());
    MenuAction(app, popup.Controller().Panel(), *fresh, false);
    const Rect panel = popup.Controller().PanelRect();
    int differing = 0;
    for (int y = panel.top; y < panel.bottom; ++y)
        for (int x = panel.left; x < panel.right; ++x)
            differing += popup.Canvas()->Pixel(x, y) != fresh->Pixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(FrmSubMenuWin, OneWheelMessageWithSeveralNotchesScrollsAsManyEntries) {
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-3 * WHEEL_DELTA)), 0);
    EXPECT_EQ(popup.Controller().Panel().TopIndex, 3);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(popup.Controller().Panel().TopIndex, 2);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
    EXPECT_EQ(popup.Controller().Panel().TopIndex, 3) << "two half notches make one";
}

TEST_F(FrmSubMenuWin, AMemberDraggedOutHeldByTheCaptureIsRemovedAndTheFileWritten) {
    Send(WM_MOUSEMOVE, 0, RowPoint(1));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
    EXPECT_EQ(GetCapture(), popup.Hwnd());
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5)); // left of the window
    EXPECT_TRUE(app.dock.PopupDragging);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(app.dock.PopupDragging);
    EXPECT_EQ(app.store.Groups[3].Count, 9);
    EXPECT_EQ(popup.Controller().Panel().EntryCount, 9);
    EXPECT_TRUE(t.fs.Has(app.paths.MenuFile)) << "the item file is written after a delete";

    // A capture taken away in the middle of a drag ends it without a delete.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5));
    ASSERT_TRUE(app.dock.PopupDragging);
    ReleaseCapture();
    EXPECT_FALSE(app.dock.PopupDragging);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    EXPECT_EQ(app.store.Groups[3].Count, 9);
}

} // namespace
} // namespace qor
