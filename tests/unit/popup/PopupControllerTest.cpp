#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dock/Skin.h"
#include "fakes/FakeShell.h"
#include "icons/IconResolve.h"
#include "popup/PopupController.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

using test::CanvasCall;
using Op = CanvasCall::Op;
using Log = std::vector<std::string>;

// The pop-up window as the controller sees it: a recording canvas, its two timers and every
// request written down in one list.
class FakePopupHost final : public IPopupHost {
public:
    test::RecordingCanvas canvas;
    Log actions;
    std::map<PopupTimer, uint32_t> timers;
    ScreenPoint cursor{0, 0};
    bool foreground = true;
    std::function<void()> onItemMenu;
    Rect area; // what the window shows

    ICanvas* PaintCanvas() override { return &canvas; }
    void StartTimer(PopupTimer t, uint32_t ms) override { timers[t] = ms; }
    void StopTimer(PopupTimer t) override { timers.erase(t); }
    void PrepareImages() override { actions.push_back("prepare-images"); }
    void ShowPanel() override { actions.push_back("show"); }
    void HidePanel() override { actions.push_back("hide"); }
    void ShowArea(const Rect& shown) override { area = shown; }
    bool CursorPos(ScreenPoint& where) override { return where = cursor, true; }
    bool ForegroundIsPanel() override { return foreground; }
    void PumpMessages() override {}
    void FocusDock() override { actions.push_back("focus-dock"); }
    void Launch(int item) override { actions.push_back("launch " + std::to_string(item)); }
    void RunCommand(int code) override { actions.push_back("command " + std::to_string(code)); }
    void OpenItemMenu() override {
        actions.push_back("item-menu");
        if (onItemMenu)
            onItemMenu();
    }
    bool SaveMenu() override { return actions.push_back("save"), true; }
};

// All Programs (position 3, at 6 o'clock on an 8-position ring of a 1366 x 728 work area whose
// top-left is (100, 50)) holds members, items 129.. titled "Member k"; member 2 runs built-in
// command 71. 18 rows fit.
class PopupControllerTest : public ::testing::Test {
protected:
    test::ShellTestApp t;
    AppState& app = t.app;
    FakePopupHost host;
    PopupController popup{app, host};

    void SetUp() override {
        app.store.Create();
        app.dock = DockRuntime{};
        app.cfg = DockSettings{};
        app.screen = MeasureScreen(ScreenInfo{{100, 50, 1466, 778}, 15, 15});
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.run.IconCount = 8;
        FillSizeLevels(app.geo, app.run);
        ComputeSlotTable(app.geo, app.screen, app.run);
        app.geo.PopupRows = 18;
        for (int g = 0; g <= kGroupBound; ++g)
            app.store.Groups[g].Members[0] = g;
        app.store.Items[3].Kind = kind::AllPrograms;
        app.store.Items[3].Title = "All Programs Group";
        Members(5);
        app.store.Items[130].IsSystem = kTrue;
        app.store.Items[130].Param = 71;
    }
    void Members(int count) {
        DockGroup& g = app.store.Groups[3];
        g.Count = count;
        for (int k = 1; k <= count; ++k) {
            const int item = 128 + k;
            g.Members[k] = item;
            DockItem& d = app.store.Items[item];
            d.Kind = kind::Member;
            d.Title = "Member " + std::to_string(k);
            d.Target = d.TargetPath = "C:\\Apps\\" + std::to_string(k) + ".exe";
            d.IconRef = item;
        }
    }
    void Open(int count) {
        Members(count);
        popup.MenuFocus(3);
        host.actions.clear();
        host.canvas.Reset();
    }
    // The middle of row k, in window pixels.
    std::pair<int, int> Row(int k) const {
        const Rect& r = popup.Panel().RowRects[k];
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(int k, int button = mouse::Left) {
        const auto [x, y] = Row(k);
        popup.OnMouseMove(0, x, y);
        popup.OnMouseDown(button, x, y);
        popup.OnMouseUp(button, x, y);
    }
    // Presses row k and drags it to (x, y), releasing there.
    void Drag(int k, int x, int y) {
        const auto [px, py] = Row(k);
        popup.OnMouseMove(0, px, py);
        popup.OnMouseDown(mouse::Left, px, py);
        popup.OnMouseMove(mouse::Left, (px + x) / 2, (py + y) / 2);
        popup.OnMouseMove(mouse::Left, x, y);
        popup.OnMouseUp(mouse::Left, x, y);
    }
    // The row the last painted frame shows lit (-1 none), read from the row backdrops.
    int LitRow() const {
        int lit = -1;
        for (const CanvasCall& c : host.canvas.calls) {
            if (c.op == Op::Clear || (c.op == Op::Restore && c.level == 0))
                lit = -1; // a new frame, or the panel at rest put back
            if (c.IsImage(SkinImage(skin::MenuSelect)) || c.IsImage(SkinImage(skin::MenuMouseDown)))
                for (int k = 1; k <= 18; ++k)
                    if (c.y == popup.Panel().RowRects[k].top)
                        lit = k;
        }
        return lit;
    }
    int PanelHeightShown() const { return PanelHeight(popup.Panel().EntryCount, 18); }
};

TEST_F(PopupControllerTest, OpeningPaintsBeforeShowingAndClosingHidesAndGivesTheDockTheFocus) {
    popup.MenuFocus(3);
    EXPECT_EQ(host.actions, (Log{"prepare-images", "show"}));
    EXPECT_TRUE(app.dock.PopupOpen);
    EXPECT_EQ(host.canvas.Count(Op::Present), 1) << "presented before the window shows";
    EXPECT_EQ(host.timers, (std::map<PopupTimer, uint32_t>{{PopupTimer::Foreground, 100},
                                                           {PopupTimer::PointerLeft, 100}}));
    const Rect panel = popup.PanelRect();
    EXPECT_EQ(panel.left, app.geo.Slots[3].IconLeft + 48) << "beside the icon, outward";
    EXPECT_EQ(panel.Height(), 38 * 5 + 20);
    EXPECT_EQ(host.area, panel) << "the window shows the panel only";

    host.actions.clear();
    popup.OnKeyDown(key::Escape);
    EXPECT_EQ(host.actions, (Log{"hide", "focus-dock"}));
    EXPECT_FALSE(app.dock.PopupOpen);
    EXPECT_TRUE(host.timers.empty());
    const auto& calls = host.canvas.calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[calls.size() - 4].op, Op::Clear);
    EXPECT_EQ(calls[calls.size() - 3].op, Op::Present) << "the empty canvas presented before hiding";
    EXPECT_FALSE(host.canvas.kept[0].valid) << "the kept panel forgotten";

    host.actions.clear();
    Members(0);
    popup.MenuFocus(3);
    EXPECT_FALSE(app.dock.PopupOpen) << "an empty group opens nothing";
    EXPECT_EQ(host.actions, Log{});
}

TEST_F(PopupControllerTest, ClicksKeysAndTheWheelRunAndScrollAsTheUserExpects) {
    enum How { LeftClick, RightClickOnPgUp, Key, Wheel };
    struct Case {
        const char* what;
        int count;
        How how;
        int arg; // row, key code or wheel delta
        Log actions;
        int topIndex = 0;
        bool open = false;
    };
    const Case rows[] = {
        {"a click on row 1 opens member 1", 5, LeftClick, 1, {"hide", "focus-dock", "launch 129"}},
        {"a click on a command row runs it", 5, LeftClick, 2, {"hide", "focus-dock", "command 71"}},
        {"a click on PgDn pages down", 40, LeftClick, 19, {}, 18, true},
        {"a right click on PgUp opens no menu", 40, RightClickOnPgUp, 0, {}, 0, true},
        {"'0' runs entry 1", 5, Key, '0', {"hide", "focus-dock", "launch 129"}},
        {"'Z' runs entry 36 wherever the page is", 40, Key, 'Z', {"hide", "focus-dock", "launch 164"}},
        {"a letter beyond the group only closes", 5, Key, 'A', {"hide", "focus-dock"}},
        {"Enter with nothing lit does nothing", 5, Key, key::Enter, {}, 0, true},
        {"Page Down", 40, Key, key::PageDown, {}, 18, true},
        {"Page Up at the top", 40, Key, key::PageUp, {}, 0, true},
        {"Down lights row 1 without scrolling", 40, Key, key::Down, {}, 0, true},
        {"two notches towards the user in one message", 40, Wheel, -240, {}, 2, true},
        {"half a notch does nothing yet", 40, Wheel, -60, {}, 0, true},
        {"a notch away from the user at the top", 40, Wheel, 120, {}, 0, true},
        {"five members: the wheel changes nothing visible", 5, Wheel, -360, {}, 0, true},
    };
    for (const Case& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        Open(r.count);
        switch (r.how) {
        case LeftClick:
            Click(r.arg);
            break;
        case RightClickOnPgUp:
            Click(0, mouse::Right);
            break;
        case Key:
            popup.OnKeyDown(r.arg);
            break;
        case Wheel:
            popup.OnMouseWheel(r.arg);
            break;
        }
        EXPECT_EQ(host.actions, r.actions);
        EXPECT_EQ(app.dock.PopupOpen, r.open);
        if (r.open) {
            EXPECT_EQ(popup.Panel().TopIndex, r.topIndex);
        }
    }
    // Smaller wheel steps add up to a notch; after a click on row 2, the same row still runs
    // member 2 in a group of five whatever the wheel did.
    SetUp();
    Open(5);
    popup.OnMouseWheel(-60);
    popup.OnMouseWheel(-60);
    EXPECT_TRUE(popup.Panel().CanScrollUp) << "two halves made one step";
    Click(2);
    EXPECT_EQ(host.actions.back(), "command 71");
}

TEST_F(PopupControllerTest, APressShowsThePressedRowUntilTheReleaseRunsIt) {
    Open(5);
    const auto [x, y] = Row(2);
    popup.OnMouseMove(0, x, y);
    EXPECT_EQ(LitRow(), 2);
    popup.OnMouseDown(mouse::Left, x, y);
    EXPECT_TRUE(host.canvas.calls[host.canvas.calls.size() - 5].IsImage(SkinImage(skin::MenuMouseDown)));
    EXPECT_EQ(host.actions, Log{});
    popup.OnMouseUp(mouse::Left, x, y);
    EXPECT_EQ(host.actions.back(), "command 71");
}

TEST_F(PopupControllerTest, AMemberDraggedOutIsRemovedThePanelShrinksAndTheFileIsSaved) {
    Open(3);
    const int height = PanelHeightShown();
    Drag(1, 20, 20); // out of the panel
    EXPECT_EQ(app.store.Groups[3].Count, 2);
    EXPECT_EQ(app.store.Groups[3].Members[1], 130);
    EXPECT_EQ(app.store.Items[129].Kind, kind::Free);
    EXPECT_EQ(host.canvas.Count(Op::DrawSource), 5) << "the delete animation";
    EXPECT_EQ(PanelHeightShown(), height - 38);
    EXPECT_EQ(host.actions, (Log{"save"}));
    EXPECT_FALSE(app.dock.PopupDragging);

    host.actions.clear();
    const auto [x, y] = Row(2);
    Drag(1, x, y); // dropped on another row: nothing removed
    EXPECT_EQ(app.store.Groups[3].Count, 2);
    EXPECT_EQ(host.actions, (Log{"save"}));

    app.cfg.LockDragging = 1;
    host.actions.clear();
    Drag(1, 20, 20);
    EXPECT_EQ(app.store.Groups[3].Count, 2) << "dragging is locked";

    app.cfg.LockDragging = 0;
    Open(1);
    Drag(1, 20, 20);
    EXPECT_EQ(app.store.Groups[3].Count, 0);
    EXPECT_FALSE(app.dock.PopupOpen) << "the last member gone closes the pop-up";
    EXPECT_EQ(host.actions, (Log{"hide", "focus-dock", "save"}));
    EXPECT_EQ(app.dock.SlotCaption[3], "All Programs Group (Empty)") << "the dock's slot data refreshed";

    Open(3);
    const auto [px, py] = Row(1);
    popup.OnMouseDown(mouse::Left, px, py);
    popup.OnMouseMove(mouse::Left, 20, 20);
    EXPECT_TRUE(app.dock.PopupDragging);
    EXPECT_EQ(host.area, (Rect{0, 0, 1366, 728})) << "the dragged picture may go anywhere";
    popup.OnCaptureLost();
    EXPECT_FALSE(app.dock.PopupDragging) << "a capture taken away ends the drag";
    EXPECT_EQ(host.area, popup.PanelRect());
    popup.OnMouseUp(mouse::Left, 20, 20);
    EXPECT_EQ(app.store.Groups[3].Count, 3);
}

TEST_F(PopupControllerTest, AMemberRemovedWhileTheGroupShowsKeepsTheLightOnARowThatExists) {
    struct Case {
        const char* what;
        int count, lit, removeEntry;
        int litAfter;
    };
    const Case rows[] = {
        {"the lit last row is gone", 5, 5, 1, -1},
        {"an earlier row stays lit", 5, 2, 5, 2},
        {"the scroll layout becomes the normal one", 19, 19, 19, -1}, // PgDn of 19 entries
    };
    for (const Case& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        Open(r.count);
        const auto [x, y] = Row(r.lit);
        popup.OnMouseMove(0, x, y);
        // The item menu removes a member and asks the pop-up to re-lay itself.
        const int item = app.store.Groups[3].Members[r.removeEntry];
        RemoveFromGroup(app, item);
        host.canvas.Reset();
        popup.MenuResize();
        EXPECT_EQ(app.dock.PopupHoverRow, r.litAfter);
        EXPECT_EQ(LitRow(), r.litAfter);
        EXPECT_EQ(popup.Panel().EntryCount, r.count - 1);
    }
}

TEST_F(PopupControllerTest, ARightClickOpensTheItemMenuForTheRowsMemberAndTheMenuMayReorder) {
    Open(40);
    popup.OnKeyDown(key::PageDown);
    host.onItemMenu = [&] {
        host.foreground = false; // the menu's window is in front meanwhile
        popup.OnTimer(PopupTimer::Foreground);
        std::swap(app.store.Groups[3].Members[20], app.store.Groups[3].Members[19]); // "Move Up"
        popup.MenuResize();
    };
    app.dock.ClickedSlot = 5;
    Click(2, mouse::Right);
    EXPECT_EQ(app.dock.ClickedEntry, 20);
    EXPECT_EQ(app.dock.CurrentItem, 148);
    EXPECT_EQ(app.dock.ClickedSlot, 3) << "the menu moves members of the shown group";
    EXPECT_TRUE(app.dock.PopupOpen) << "the menu's own window does not close the pop-up";
    EXPECT_EQ(host.actions, (Log{"item-menu", "show"}));
    EXPECT_EQ(popup.Panel().EntryItem[19], 148);

    // Another program in front: closed within a tick, the dock focused.
    host.actions.clear();
    popup.OnTimer(PopupTimer::Foreground);
    EXPECT_FALSE(app.dock.PopupOpen);
    EXPECT_EQ(host.actions, (Log{"hide", "focus-dock"}));
}

TEST_F(PopupControllerTest, TheHighlightGoesWhenThePointerHasLeftTheRows) {
    Open(5);
    const auto [x, y] = Row(3);
    popup.OnMouseMove(0, x, y);
    host.cursor = {x + 100, y + 50};
    popup.OnTimer(PopupTimer::PointerLeft);
    EXPECT_EQ(app.dock.PopupHoverRow, 3) << "still on the row";
    host.cursor = {5, 5};
    popup.OnTimer(PopupTimer::PointerLeft);
    EXPECT_EQ(app.dock.PopupHoverRow, -1);
    EXPECT_EQ(LitRow(), -1);
}

} // namespace
} // namespace qor
