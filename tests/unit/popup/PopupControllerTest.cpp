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

// The pop-up window as the controller sees it: a recording canvas, its timers, the part of the
// canvas it shows and every request in one list.
class FakePopupHost final : public IPopupHost {
public:
    test::RecordingCanvas canvas;
    Log actions;
    std::map<PopupTimer, uint32_t> timers;
    ScreenPoint cursor{0, 0};
    bool foreground = true;
    std::function<void()> onItemMenu;
    Rect area;

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
    void OpenItemMenu(std::optional<ScreenPoint> at) override {
        actions.push_back(at ? "item-menu at " + std::to_string(at->x) + "," + std::to_string(at->y)
                             : "item-menu");
        if (onItemMenu)
            onItemMenu();
    }
    bool SaveMenu() override { return actions.push_back("save"), true; }
    void Announce(AccessEvent event, int element) override {
        events.push_back(std::string(AccessEventName(event)) + " " + std::to_string(element));
    }
    Log events; // what assistive technology was told
};

// All Programs (position 3, at 6 o'clock of 8 on a 1366 x 728 work area at (100, 50)) holds
// members 129.. titled "Member k"; member 2 runs built-in command 71. 18 rows fit.
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
        app.store.Groups[3].Count = count;
        for (int k = 1; k <= count; ++k) {
            app.store.Groups[3].Members[k] = 128 + k;
            DockItem& d = app.store.Items[128 + k];
            d.Kind = kind::Member;
            d.Title = "Member " + std::to_string(k);
            d.IconRef = 128 + k;
        }
    }
    void Open(int count) {
        Members(count);
        popup.MenuFocus(3);
        host.actions.clear();
        host.canvas.Reset();
    }
    std::pair<int, int> Row(int k) const { // the middle of row k
        const Rect& r = popup.Panel().RowRects[k];
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(int k, int button = mouse::Left) {
        const auto [x, y] = Row(k);
        popup.OnMouseMove(0, x, y);
        popup.OnMouseDown(button, x, y);
        popup.OnMouseUp(button, x, y);
    }
    void Drag(int k, int x, int y) { // row k pressed, dragged to (x, y) and released there
        const auto [px, py] = Row(k);
        popup.OnMouseDown(mouse::Left, px, py);
        popup.OnMouseMove(mouse::Left, (px + x) / 2, (py + y) / 2);
        popup.OnMouseMove(mouse::Left, x, y);
        popup.OnMouseUp(mouse::Left, x, y);
    }
    // The row the last frame shows lit (-1 none), read from the row backdrops.
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
};

TEST_F(PopupControllerTest, OpeningPaintsBeforeShowingAndClosingHidesAndGivesTheDockTheFocus) {
    popup.MenuFocus(3);
    EXPECT_EQ(host.actions, (Log{"prepare-images", "show"}));
    EXPECT_TRUE(app.dock.PopupOpen);
    EXPECT_EQ(host.canvas.Count(Op::Present), 1) << "presented before the window shows";
    EXPECT_EQ(host.timers.size(), 2u);
    const Rect panel = popup.PanelRect();
    EXPECT_EQ(panel.left, app.geo.Slots[3].IconLeft + 48) << "beside the icon, outward";
    EXPECT_EQ(host.area, panel) << "the window shows the panel only";

    host.actions.clear();
    popup.OnKeyDown(key::Escape);
    EXPECT_EQ(host.actions, (Log{"hide", "focus-dock"}));
    EXPECT_FALSE(app.dock.PopupOpen);
    EXPECT_TRUE(host.timers.empty());
    EXPECT_EQ(host.canvas.Of(Op::Present).back().alpha, 255);
    EXPECT_EQ(host.canvas.Of(Op::Clear).size(), 2u) << "the empty canvas presented before hiding";
    EXPECT_EQ(host.canvas.keptTag[0], 0u) << "the kept panel forgotten";

    host.actions.clear();
    Members(0);
    popup.MenuFocus(3);
    EXPECT_FALSE(app.dock.PopupOpen) << "an empty group opens nothing";
    EXPECT_EQ(host.actions, Log{});
}

TEST_F(PopupControllerTest, ClicksKeysAndTheWheelRunAndScrollAsTheUserExpects) {
    enum How { LeftClick, RightClickOnPgUp, Key, Wheel };
    const struct {
        const char* what;
        int count;
        How how;
        int arg; // row, key code or wheel delta
        Log actions;
        int topIndex = 0;
        bool open = false;
    } rows[] = {
        {"a click on row 1 opens member 1", 5, LeftClick, 1, {"hide", "focus-dock", "launch 129"}},
        {"a click on a command row runs it", 5, LeftClick, 2, {"hide", "focus-dock", "command 71"}},
        {"a click on PgDn pages down", 40, LeftClick, 19, {}, 18, true},
        {"a right click on PgUp opens no menu", 40, RightClickOnPgUp, 0, {}, 0, true},
        {"'0' runs entry 1", 5, Key, '0', {"hide", "focus-dock", "launch 129"}},
        {"'Z' runs entry 36 wherever the page is", 40, Key, 'Z', {"hide", "focus-dock", "launch 164"}},
        {"a letter beyond the group only closes", 5, Key, 'A', {"hide", "focus-dock"}},
        {"Enter with nothing lit does nothing", 5, Key, key::Enter, {}, 0, true},
        {"Page Down", 40, Key, key::PageDown, {}, 18, true},
        {"two notches towards the user in one message", 40, Wheel, -240, {}, 2, true},
        {"half a notch does nothing yet", 40, Wheel, -60, {}, 0, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        Open(r.count);
        if (r.how == LeftClick || r.how == RightClickOnPgUp)
            Click(r.arg, r.how == LeftClick ? mouse::Left : mouse::Right);
        else if (r.how == Key)
            popup.OnKeyDown(r.arg);
        else
            popup.OnMouseWheel(r.arg);
        EXPECT_EQ(host.actions, r.actions);
        EXPECT_EQ(app.dock.PopupOpen, r.open);
        if (r.open) {
            EXPECT_EQ(popup.Panel().TopIndex, r.topIndex);
        }
    }
    // Two half notches make a step; a press shows the pressed row, the release runs it.
    SetUp();
    Open(5);
    popup.OnMouseWheel(-60);
    popup.OnMouseWheel(-60);
    EXPECT_TRUE(popup.Panel().CanScrollUp);
    const auto [x, y] = Row(2);
    popup.OnMouseDown(mouse::Left, x, y);
    EXPECT_EQ(LitRow(), 2);
    EXPECT_EQ(host.canvas.Of(Op::DrawCached).rbegin()[1].image, SkinImage(skin::MenuMouseDown));
    EXPECT_EQ(host.actions, Log{});
    popup.OnMouseUp(mouse::Left, x, y);
    EXPECT_EQ(host.actions.back(), "command 71");
}

TEST_F(PopupControllerTest, ElementsFollowTheScrollAndThePanelAnnouncesWhatChanged) {
    EXPECT_TRUE(popup.Elements().empty() && (popup.Window().States & access::Invisible)) << "closed";
    app.dock.SlotCaption[3] = "All Programs Group";
    Open(40);
    EXPECT_EQ(host.events, (Log{"popup-start -1", "focus -1"}));
    EXPECT_EQ(popup.Window().Name, "All Programs Group");
    EXPECT_EQ(popup.Window().Role, AccessRole::MenuPopup);
    const uint32_t F = access::Focusable, U = access::Unavailable;
    const AccessRole B = AccessRole::PushButton, M = AccessRole::MenuItem;
    const struct {
        int pages, element;
        const char *name, *key, *action;
        AccessRole role;
        uint32_t states;
    } rows[] = {
        // Scroll layout, 18 rows: PgUp, the rows, PgDn. A built-in command runs.
        {0, 0, "PgUp", "Page Up", "", B, F | U},
        {0, 1, "Member 1", "0", "Open", M, F},
        {0, 2, "Member 2", "1", "Run", M, F},
        {0, 19, "PgDn", "Page Down", "Press", B, F},
        // PgDn's default action twice: the last page starts at entry 23.
        {2, 0, "PgUp", "Page Up", "Press", B, F},
        {0, 1, "Member 23", "M", "Open", M, F},
        {0, 19, "PgDn", "Page Down", "", B, F | U},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        host.events.clear();
        for (int p = 0; p < row.pages; ++p)
            EXPECT_TRUE(popup.DoDefaultAction(19));
        EXPECT_EQ(host.events.size(), 18u * row.pages) << "every row names another entry";
        const std::vector<AccessibleElement> list = popup.Elements();
        ASSERT_EQ(list.size(), 20u);
        const AccessibleElement& e = list[row.element];
        EXPECT_EQ(e.Name + "|" + e.Shortcut + "|" + e.DefaultAction,
                  std::string(row.name) + "|" + row.key + "|" + row.action);
        EXPECT_EQ(e.Role, row.role);
        EXPECT_EQ(e.States, row.states);
        const Rect& r = popup.Panel().RowRects[row.element]; // the row's place, on the screen
        EXPECT_EQ(e.Bounds, (Rect{100 + r.left, 50 + r.top, 100 + r.right, 50 + r.bottom}));
    }
    EXPECT_FALSE(popup.DoDefaultAction(19)) << "PgDn at the end has nothing to do";

    // The arrows light a row, focused but not hot; the menu key opens its item menu at the row.
    host.events.clear();
    popup.OnKeyDown(key::Down);
    EXPECT_EQ(host.events, Log{"focus 1"});
    EXPECT_EQ(popup.Elements()[1].States, F | access::Focused);
    popup.OnKeyDown(key::Apps);
    const Rect& r = popup.Panel().RowRects[1];
    EXPECT_EQ(host.actions, (Log{"item-menu at " + std::to_string(100 + (r.left + r.right) / 2) + "," +
                                     std::to_string(50 + (r.top + r.bottom) / 2),
                                 "show"}));
    EXPECT_EQ(app.dock.CurrentItem, 128 + 23);
    // A row's default action runs its entry as a click does; the panel closes.
    host.actions.clear();
    host.events.clear();
    EXPECT_TRUE(popup.DoDefaultAction(2));
    EXPECT_EQ(host.actions, (Log{"hide", "focus-dock", "launch 152"}));
    EXPECT_EQ(host.events, Log{"popup-end -1"});

    // The normal layout lists its rows only; the pointer lights them hot.
    SetUp();
    Open(5);
    host.events.clear();
    popup.OnMouseMove(0, Row(3).first, Row(3).second);
    EXPECT_EQ(host.events, Log{"focus 2"});
    EXPECT_EQ(popup.Elements().size(), 5u);
    EXPECT_EQ(popup.Elements()[2].States, F | access::Focused | access::HotTracked);
}

TEST_F(PopupControllerTest, AMemberDraggedOutIsRemovedThePanelShrinksAndTheFileIsSaved) {
    Open(3);
    Drag(1, 20, 20); // out of the panel
    EXPECT_EQ(app.store.Groups[3].Count, 2);
    EXPECT_EQ(app.store.Groups[3].Members[1], 130);
    EXPECT_EQ(host.canvas.Count(Op::DrawSource), 5) << "the delete animation";
    EXPECT_EQ(popup.PanelRect().Height(), 38 * 2 + 20);
    EXPECT_EQ(host.area, popup.PanelRect());
    EXPECT_EQ(host.actions, (Log{"save"}));

    const auto [x, y] = Row(2);
    Drag(1, x, y); // dropped on another row
    app.cfg.LockDragging = 1;
    Drag(1, 20, 20);
    EXPECT_EQ(app.store.Groups[3].Count, 2) << "dropped on a row, or dragging locked: nothing removed";

    app.cfg.LockDragging = 0;
    Open(1);
    Drag(1, 20, 20);
    EXPECT_EQ(app.store.Groups[3].Count, 0);
    EXPECT_FALSE(app.dock.PopupOpen) << "the last member gone closes the pop-up";
    EXPECT_EQ(host.actions, (Log{"hide", "focus-dock", "save"}));
    EXPECT_EQ(app.dock.SlotCaption[3], "All Programs Group (Empty)") << "the dock's slot data refreshed";
}

TEST_F(PopupControllerTest, AMemberRemovedWhileTheGroupShowsKeepsTheLightOnARowThatExists) {
    const struct {
        const char* what;
        int count, lit, removeEntry, litAfter;
    } rows[] = {
        {"the lit last row is gone", 5, 5, 1, -1},
        {"an earlier row stays lit", 5, 2, 5, 2},
        {"the scroll layout becomes the normal one", 19, 19, 19, -1}, // PgDn of 19 entries
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        Open(r.count);
        const auto [x, y] = Row(r.lit);
        popup.OnMouseMove(0, x, y);
        RemoveFromGroup(app, app.store.Groups[3].Members[r.removeEntry]);
        host.canvas.Reset();
        popup.MenuResize();
        EXPECT_EQ(app.dock.PopupHoverRow, r.litAfter);
        EXPECT_EQ(LitRow(), r.litAfter);
        EXPECT_EQ(popup.Panel().EntryCount, r.count - 1);
    }
}

TEST_F(PopupControllerTest, ARightClickOpensTheItemMenuForItsMemberAndTheTimersCloseOrDim) {
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

    // The pointer off the rows: the light goes. Another program in front: the pop-up closes.
    host.cursor = {5, 5};
    popup.OnTimer(PopupTimer::PointerLeft);
    EXPECT_EQ(app.dock.PopupHoverRow, -1);
    EXPECT_EQ(LitRow(), -1);
    host.actions.clear();
    popup.OnTimer(PopupTimer::Foreground);
    EXPECT_FALSE(app.dock.PopupOpen);
    EXPECT_EQ(host.actions, (Log{"hide", "focus-dock"}));
}

} // namespace
} // namespace qor
