#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dock/DockController.h"
#include "dock/Paint.h"
#include "dock/Skin.h"
#include "fakes/FakeShell.h"
#include "items/Catalogue.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

using test::CanvasCall;
using Op = CanvasCall::Op;
using Log = std::vector<std::string>;

// The dock's window as the controller sees it: a recording canvas, timers run by the fake
// clock, and every request written down.
class FakeDockHost final : public IDockHost {
public:
    explicit FakeDockHost(test::FakeClock& clock) : m_clock(clock) {}

    test::RecordingCanvas canvas;
    Log actions;                       // launches, commands, pop-up, menus, saves
    Log order;                         // window order and focus
    std::map<DockTimer, uint64_t> due; // running timers and their next tick
    std::map<DockTimer, uint32_t> intervals;
    ScreenPoint cursor{5, 5};
    bool foregroundOurs = true;
    DockController* dock = nullptr;

    ICanvas* PaintCanvas() override { return &canvas; }
    void StartTimer(DockTimer t, uint32_t ms) override { intervals[t] = ms, due[t] = m_clock.now + ms; }
    void StopTimer(DockTimer t) override { due.erase(t); }
    void ToBottom(bool quietly) override { order.push_back(quietly ? "bottom-quiet" : "bottom"); }
    void ToTopmost() override { order.push_back("topmost"); }
    void Focus() override { order.push_back("focus"); }
    bool CursorPos(ScreenPoint& where) override { return where = cursor, true; }
    bool ForegroundIsOurs() override { return foregroundOurs; }
    void PumpMessages() override {}
    void Launch(int item) override { actions.push_back("launch " + std::to_string(item)); }
    void RunCommand(int code) override { actions.push_back("command " + std::to_string(code)); }
    void OpenPopup(int slot) override { actions.push_back("popup " + std::to_string(slot)); }
    void ClosePopup(bool away) override { actions.push_back(away ? "close-popup away" : "close-popup"); }
    void OpenItemMenu(std::optional<ScreenPoint> at) override {
        actions.push_back(at ? "item-menu at " + std::to_string(at->x) + "," + std::to_string(at->y)
                             : "item-menu");
    }
    void ShowGetStarted() override { actions.push_back("get-started"); }
    void SwitchDesktop() override { actions.push_back("switch"); }
    bool SaveMenu() override { return actions.push_back("save"), true; }
    void FollowScreen(bool rescaled) override { actions.push_back(rescaled ? "follow rescaled" : "follow"); }
    void Announce(AccessEvent event, int element) override {
        events.push_back(std::string(AccessEventName(event)) + " " + std::to_string(element));
    }
    Log events; // what assistive technology was told

    // Lets `ms` pass, ticking the running timers in time order. A tick that blocks (an animation
    // sleeps on the clock) delays the others, which then tick once, as Windows merges them.
    void Advance(uint64_t ms) {
        const uint64_t end = m_clock.now + ms;
        for (;;) {
            auto next = due.end();
            for (auto it = due.begin(); it != due.end(); ++it)
                if (it->second <= end && (next == due.end() || it->second < next->second))
                    next = it;
            if (next == due.end())
                break;
            const DockTimer timer = next->first;
            m_clock.now = std::max(m_clock.now, next->second);
            next->second = m_clock.now + intervals[timer];
            dock->OnTimer(timer);
        }
        m_clock.now = std::max(m_clock.now, end);
    }
    bool Running(DockTimer timer) const { return due.count(timer) != 0; }

private:
    test::FakeClock& m_clock;
};

// Eight positions on a 1366 x 728 work area whose top-left is (100, 50) on the screen:
//   1 shortcut            2 recycle bin (empty)     3 All Programs        4 group, no target
//   5 blank               6 My Computer (81)        7 shortcut to command 70   8 shortcut
// Position i shows image 100 + i; the centre item has no picture of its own yet (Kind 0).
class DockControllerTest : public ::testing::Test {
protected:
    test::ShellTestApp t;
    AppState& app = t.app;
    FakeDockHost host{t.clock};
    DockController dock{app, host};

    void SetUp() override { // called again by the table tests: every row starts alike
        host.dock = &dock;
        host.foregroundOurs = true;
        app.store.Create();
        app.dock = DockRuntime{};
        app.cfg = DockSettings{};
        t.sys.screen = ScreenInfo{{100, 50, 1466, 778}, 15, 15}; // the one monitor
        t.sys.otherMonitors.clear();
        app.screen = MeasureScreen(t.sys.screen);
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.run.IconCount = 8;
        FillSizeLevels(app.geo, app.run);
        ComputeSlotTable(app.geo, app.screen, app.run);
        Store& s = app.store;
        s.Items[0].Title = "Ring";
        for (int g = 0; g <= kGroupBound; ++g)
            s.Groups[g].Members[0] = g;
        for (int b : {kRecycleEmptyItem, kRecycleFullItem}) {
            s.Items[b].Kind = kind::RecycleBin;
            s.Items[b].IsSystem = kTrue;
            s.Items[b].Param = 101;
            s.Items[b].IconRef = b;
        }
        for (int i : {1, 7, 8})
            Shortcut(i, i == 7 ? "" : "C:\\Apps\\" + std::to_string(i) + ".exe");
        s.Items[2] = s.Items[kRecycleEmptyItem];
        s.Items[3].Kind = kind::AllPrograms;
        s.Items[4].Kind = kind::Group;
        s.Items[5].Kind = kind::Blank;
        s.Items[6].Kind = kind::System;
        s.Items[6].IsSystem = s.Items[7].IsSystem = kTrue;
        s.Items[6].Param = 81;
        s.Items[7].Param = 70;
        for (int i = 1; i <= 8; ++i)
            if (i != 2)
                s.Items[i].IconRef = 100 + i;
        dock.DockFocus(true);
        host.actions.clear();
        host.order.clear();
        host.canvas.Reset();
    }

    void Shortcut(int i, const std::string& target) {
        DockItem& d = app.store.Items[i];
        d.Kind = kind::Shortcut;
        d.Target = d.TargetPath = target;
        d.Title = "Item " + std::to_string(i);
    }
    // The middle of a position's rest square, in dock coordinates.
    std::pair<int, int> At(int slot) const {
        const DockSlot& s = app.geo.Slots[slot];
        return {s.IconLeft + s.IconSide / 2, s.IconTop + s.IconSide / 2};
    }
    void MoveTo(int x, int y, int buttons = 0) {
        dock.OnMouseMove(buttons, 0, x, y);
        host.cursor = {x + 100, y + 50};
    }
    void ClickAt(int x, int y, int button) {
        MoveTo(x, y);
        dock.OnMouseDown(button, 0, x, y);
        dock.OnMouseUp(button, 0, x, y);
    }
    void Click(int slot, int button = mouse::Left) { ClickAt(At(slot).first, At(slot).second, button); }
    void Key(int code) {
        dock.OnKeyDown(code, 0);
        dock.OnKeyUp(code, 0);
    }

    // What the screen shows, read from the canvas: the position drawn enlarged in the last
    // painted frame (-1 none), whether that frame is dimmed, the last window alpha.
    int HoverShown() const {
        int shown = -1;
        for (const CanvasCall& c : host.canvas.calls) {
            if (c.op == Op::Clear)
                shown = -1;
            if (c.op == Op::DrawCached && c.image == SkinImage(skin::BackSelectColor) && c.level == 2)
                for (int i = 0; i <= app.run.IconCount; ++i)
                    if (c.x == app.geo.Slots[i].HoverLeft && c.y == app.geo.Slots[i].HoverTop)
                        shown = i;
        }
        return shown;
    }
    bool Dimmed() const {
        const auto clears = host.canvas.Of(Op::Clear);
        return !clears.empty() && clears.back().argb == app.run.BackColorArgb;
    }
    int LastAlpha() const {
        const auto presents = host.canvas.Of(Op::Present);
        return presents.empty() ? -1 : presents.back().alpha;
    }
};

TEST_F(DockControllerTest, ClicksAndKeysRunWhatThePositionHolds) {
    enum How { Left, Right, PressWithoutMove, KeyInKeyboardMode, KeyOutsideKeyboardMode, Escape };
    struct Row {
        const char* what;
        How how;
        int slot; // -1: empty space
        int keyCode;
        Log actions;
        int state = dockstate::Expanded;
        bool autoHide = false;
    };
    const Row rows[] = {
        {"left on a shortcut opens it", Left, 1, 0, {"launch 1"}},
        {"left on a shortcut to a command runs it", Left, 7, 0, {"command 70"}},
        {"left on a blank does nothing", Left, 5, 0, {}},
        {"left on a group without target opens its pop-up", Left, 4, 0, {"popup 4"}},
        {"left on All Programs opens its pop-up", Left, 3, 0, {"popup 3"}},
        {"left on My Computer runs its command", Left, 6, 0, {"command 81"}},
        {"left on the recycle bin empties it", Left, 2, 0, {"command 101"}},
        {"left on the centre minimizes", Left, 0, 0, {}, dockstate::Minimized},
        {"left on empty space does nothing", Left, -1, 0, {}},
        {"a press back where the hover was cleared acts there", PressWithoutMove, 8, 0, {"launch 8"}},
        {"left on empty space with auto-hide hides", Left, -1, 0, {}, dockstate::Hidden, true},
        {"right on a shortcut opens the item menu", Right, 1, 0, {"item-menu"}},
        {"right on a group opens the item menu", Right, 4, 0, {"item-menu"}},
        {"right on the recycle bin opens its group", Right, 2, 0, {"popup 2"}},
        {"right on My Computer opens its group", Right, 6, 0, {"popup 6"}},
        {"right on the centre opens the program's commands", Right, 0, 0, {"popup 0"}},
        {"right on empty space does nothing", Right, -1, 0, {}},
        {"key 0 opens position 1", KeyInKeyboardMode, 1, '0', {"launch 1"}},
        {"key 7 opens position 8", KeyInKeyboardMode, 8, '7', {"launch 8"}},
        {"key 3 on a group opens its pop-up", KeyInKeyboardMode, 4, '3', {"popup 4"}},
        {"key 4 on a blank does nothing", KeyInKeyboardMode, 5, '4', {}},
        {"key ~ opens the program's commands", KeyInKeyboardMode, 0, key::Tilde, {"popup 0"}},
        {"key Z beyond an 8-position ring does nothing", KeyInKeyboardMode, 36, 'Z', {}},
        {"key 8 beyond an 8-position ring does nothing", KeyInKeyboardMode, 9, '8', {}},
        {"key 0 outside keyboard mode does nothing", KeyOutsideKeyboardMode, 1, '0', {}},
        {"Escape leaves the ring shown", Escape, -1, key::Escape, {}},
        {"Escape with auto-hide hides", Escape, -1, key::Escape, {}, dockstate::Hidden, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        Shortcut(36, "C:\\Apps\\36.exe"); // beyond the ring: only its size keeps their keys idle
        Shortcut(9, "C:\\Apps\\9.exe");
        app.cfg.AutoHide = row.autoHide ? 1 : 0;
        const int button = row.how == Left ? mouse::Left : mouse::Right;
        if (row.how == PressWithoutMove) { // the last move was there, then the hover was cleared
            MoveTo(At(row.slot).first, At(row.slot).second);
            host.cursor = {3, 3};
            host.Advance(100);
            host.canvas.Reset();
            dock.OnMouseDown(mouse::Left, 0, At(row.slot).first, At(row.slot).second);
            EXPECT_EQ(HoverShown(), row.slot) << "the pressed look";
            dock.OnMouseUp(mouse::Left, 0, At(row.slot).first, At(row.slot).second);
        } else if (row.how == Left || row.how == Right) {
            if (row.slot < 0)
                ClickAt(3, 3, button);
            else
                Click(row.slot, button);
            EXPECT_EQ(app.dock.ClickedSlot, row.slot);
            if (row.actions == Log{"item-menu"}) {
                EXPECT_EQ(app.dock.CurrentItem, row.slot) << "the menu is for the clicked item";
            }
        } else {
            if (row.how != KeyOutsideKeyboardMode)
                dock.AltSpace();
            MoveTo(3, 3);
            Key(row.keyCode);
            EXPECT_EQ(app.dock.HoverSlot, -1) << "the key's position is not left hovered";
            EXPECT_FALSE(app.dock.KeyboardMode && row.how == Escape);
        }
        EXPECT_EQ(host.actions, row.actions);
        EXPECT_EQ(app.dock.State, row.state);
    }
    EXPECT_EQ(app.store.Items[0].Kind, kind::Free) << "the centre's stored Kind is left as it is";
}

TEST_F(DockControllerTest, DraggingDeletesOnlyWhenDroppedOffEveryIcon) {
    struct Row {
        const char* what;
        int slot;
        std::vector<std::pair<int, int>> moves; // from the press point, left button held
        int release;                            // position released over; -1 off every icon
        bool locked = false;
        int answer = mb::IdYes; // to "delete the selected group?"
        bool minimized = false;
        Log actions;
        int kindAfter = kind::Shortcut;
    };
    const std::pair<int, int> far{-400, -200};
    const Row rows[] = {
        {"a press without moving clicks", 1, {}, 1, false, mb::IdYes, false, {"launch 1"}},
        {"moving 2 pixels and back within 1 still clicks",
         1,
         {{2, 0}, {1, 1}},
         1,
         false,
         mb::IdYes,
         false,
         {"launch 1"}},
        {"dropped off the ring the shortcut goes",
         1,
         {{2, 0}, far},
         -1,
         false,
         mb::IdYes,
         false,
         {"save"},
         kind::Blank},
        {"dropped over another icon nothing happens", 1, {{30, 0}}, 8, false, mb::IdYes, false, {}},
        {"a group the user keeps is only repainted and saved",
         4,
         {far},
         -1,
         false,
         mb::IdNo,
         false,
         {"save"},
         kind::Group},
        {"a group the user lets go is deleted", 4, {far}, -1, false, mb::IdYes, false, {"save"}, kind::Blank},
        {"locked: a moved press still clicks", 1, {{3, 0}}, 1, true, mb::IdYes, false, {"launch 1"}},
        {"locked: nothing is dragged off", 1, {far}, -1, true, mb::IdYes, false, {}},
        {"a blank cannot be dragged", 5, {far}, -1, false, mb::IdYes, false, {}, kind::Blank},
        {"the minimized icon cannot drag a hidden position", 1, {far}, -1, false, mb::IdYes, true, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        app.cfg.LockDragging = row.locked ? kTrue : kFalse;
        t.ui.answers = {row.answer};
        if (row.minimized)
            dock.MinWindows(dockstate::Minimized);
        const int picture = app.dock.SlotImage[row.slot];
        const bool deletes = row.kindAfter == kind::Blank && row.slot != 5;
        auto [x, y] = At(row.slot);
        MoveTo(x, y);
        dock.OnMouseDown(mouse::Left, 0, x, y);
        bool followed = false; // the picture followed the pointer, its place left empty
        for (auto [dx, dy] : row.moves) {
            host.canvas.Reset();
            MoveTo(x + dx, y + dy, mouse::Left);
            for (const CanvasCall& c : host.canvas.calls)
                followed |= c.op == Op::DrawCached && c.image == ItemImage(picture) && c.x == x + dx - 24 &&
                            c.y == y + dy - 24;
        }
        auto [rx, ry] =
            row.release >= 0 ? At(row.release) : std::pair<int, int>{x + far.first, y + far.second};
        MoveTo(rx, ry, mouse::Left);
        dock.OnMouseUp(mouse::Left, 0, rx, ry);

        EXPECT_EQ(host.actions, row.actions);
        EXPECT_EQ(app.store.Items[row.slot].Kind, row.kindAfter);
        EXPECT_FALSE(app.dock.Dragging);
        EXPECT_EQ(app.dock.DragSlot, -1);
        const auto frames = host.canvas.Of(Op::DrawSource); // the "DELICON" strip
        EXPECT_EQ(frames.size(), deletes ? static_cast<std::size_t>(kDelIconFrames) : 0u);
        if (row.actions == Log{"save"}) {
            EXPECT_TRUE(followed);
            EXPECT_EQ(HoverShown(), -1) << "the ring is repainted at rest";
            EXPECT_EQ(LastAlpha(), 255);
        }
        if (deletes) {
            EXPECT_EQ(app.dock.SlotKind[row.slot], kind::Blank) << "the ring shows the blank";
            EXPECT_EQ(frames.front().dx, static_cast<float>(rx - 64)); // centred on the drop
            EXPECT_EQ(frames.front().dy, static_cast<float>(ry - 64));
        }
    }
}

TEST_F(DockControllerTest, KeyboardModeMinimizeHideAndTheHotKeys) {
    // Alt+Space: dimmed backdrop with letters, above everything, focused.
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_TRUE(app.dock.KeyboardMode);
    EXPECT_TRUE(Dimmed());
    EXPECT_EQ(host.canvas.Texts().back(), "~");
    EXPECT_EQ(host.order, (Log{"focus", "topmost"}));
    EXPECT_TRUE(host.Running(DockTimer::Foreground));
    // Escape: the plain ring at the bottom.
    host.order.clear();
    Key(key::Escape);
    EXPECT_FALSE(app.dock.KeyboardMode);
    EXPECT_FALSE(Dimmed());
    EXPECT_EQ(host.order, (Log{"bottom", "bottom-quiet"}));
    // Alt+Space twice: the second hides at once, without the fade.
    dock.OnHotKey(HotKey::KeyboardDock);
    t.clock.sleeps.clear();
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_EQ(app.dock.State, dockstate::Hidden);
    EXPECT_TRUE(app.dock.DockHidden);
    EXPECT_EQ(LastAlpha(), 0);
    EXPECT_TRUE(t.clock.sleeps.empty());
    // Alt+Space from hidden: expanded in keyboard mode.
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_TRUE(app.dock.KeyboardMode && Dimmed() && !app.dock.DockHidden);
    // Ctrl+Tab: the centre icon at the minimized position, at the bottom; again: only the bottom.
    app.geo.MiniIconLeft = 14, app.geo.MiniIconTop = 20;
    dock.OnHotKey(HotKey::Minimize);
    EXPECT_EQ(app.dock.State, dockstate::Minimized);
    EXPECT_FALSE(app.dock.KeyboardMode);
    const auto scaled = host.canvas.Of(Op::DrawScaled);
    EXPECT_EQ(scaled[scaled.size() - 2].x, 14);
    EXPECT_EQ(scaled[scaled.size() - 2].y, 20);
    const std::size_t presents = host.canvas.Of(Op::Present).size();
    host.order.clear();
    dock.OnHotKey(HotKey::Minimize);
    EXPECT_EQ(host.canvas.Of(Op::Present).size(), presents);
    EXPECT_EQ(host.order, Log{"bottom"});
    // A click on the minimized icon expands the ring above the other windows.
    Click(0);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_EQ(host.order.back(), "topmost");
    // Shift+Tab belongs to the desktop switch; F1 asks for "Get Started" again.
    dock.OnHotKey(HotKey::Switch);
    app.cfg.HideGetStarted = kTrue;
    Key(key::F1);
    EXPECT_EQ(host.actions, (Log{"switch", "get-started"}));
    EXPECT_EQ(app.cfg.HideGetStarted, 0);
    // An open pop-up closes first: before the hot key, before a key, with the dock's rest.
    for (auto act :
         {+[](DockController& d) { d.OnHotKey(HotKey::KeyboardDock); },
          +[](DockController& d) { d.OnKeyDown('0', 0); }, +[](DockController& d) { d.EscCancel(); }}) {
        host.actions.clear();
        app.dock.PopupOpen = true;
        act(dock);
        ASSERT_FALSE(host.actions.empty());
        EXPECT_EQ(host.actions.front().rfind("close-popup", 0), 0u);
    }
}

TEST_F(DockControllerTest, HoverShowsAtOnceGoesWithinATickAndTheCentreCrossFades) {
    auto [x, y] = At(1);
    MoveTo(x, y);
    EXPECT_EQ(HoverShown(), 1);
    EXPECT_EQ(host.canvas.Texts(), Log{"Item 1"}); // the caption under the centre
    const std::size_t presents = host.canvas.Of(Op::Present).size();
    MoveTo(x + 1, y + 1); // the same position: no repaint
    EXPECT_EQ(host.canvas.Of(Op::Present).size(), presents);
    // Resting: about 200 ms after the pointer stops the centre cross-fades, then the timer rests.
    host.Advance(150);
    EXPECT_EQ(app.dock.CentreImage, -1);
    host.Advance(150);
    EXPECT_EQ(app.dock.CentreImage, 101);
    EXPECT_EQ(t.clock.sleeps, std::vector<uint32_t>(kEffectFrames, kFrameWaitMs));
    EXPECT_FALSE(host.Running(DockTimer::Dwell));
    // The pointer leaves over transparent pixels (no move arrives): the hover timer notices
    // within a tick, and the centre returns to its own picture.
    host.cursor = {3, 3};
    host.Advance(100);
    EXPECT_EQ(HoverShown(), -1);
    EXPECT_EQ(app.dock.HoverSlot, -1);
    host.Advance(1000);
    EXPECT_EQ(app.dock.CentreImage, app.dock.SlotImage[0]);
    EXPECT_FALSE(host.Running(DockTimer::PointerLeft) || host.Running(DockTimer::Dwell));
}

TEST_F(DockControllerTest, ElementsNameEveryPositionAndTheirDefaultActionIsALeftClick) {
    const char* titles[] = {"Ring", "Item 1", "Bin", "All", "Group", "Blank Shortcut", "My Computer"};
    for (int i = 2; i <= 6; ++i)
        app.store.Items[i].Title = titles[i];
    dock.Repaint();
    EXPECT_EQ(host.events,
              (Log{"name-change 2", "name-change 3", "name-change 4", "name-change 5", "name-change 6"}));
    const uint32_t F = access::Focusable, P = access::HasPopup, U = access::Unavailable;
    const struct {
        const char *name, *key, *action;
        uint32_t states;
    } rows[] = {
        {"Ring", "~", "Minimize", F | P},   {"Item 1", "0", "Open", F},    {"Bin", "1", "Run", F | P},
        {"All", "2", "Open", F | P},        {"Group", "3", "Open", F | P}, {"Blank Shortcut", "4", "", F | U},
        {"My Computer", "5", "Run", F | P}, {"Item 7", "6", "Run", F},     {"Item 8", "7", "Open", F},
    };
    const std::vector<AccessibleElement> list = dock.Elements();
    ASSERT_EQ(list.size(), std::size(rows));
    for (int slot = 0; slot <= 8; ++slot) {
        SCOPED_TRACE(slot);
        const AccessibleElement& e = list[slot];
        EXPECT_EQ(e.Name, rows[slot].name);
        EXPECT_EQ(e.Role, AccessRole::PushButton);
        EXPECT_EQ(e.Shortcut, rows[slot].key);
        EXPECT_EQ(e.DefaultAction, rows[slot].action);
        EXPECT_EQ(e.States, rows[slot].states);
        const DockSlot& s = app.geo.Slots[slot]; // the rest square, on the screen
        EXPECT_EQ(e.Bounds, (Rect{100 + s.IconLeft, 50 + s.IconTop, 100 + s.IconLeft + s.IconSide,
                                  50 + s.IconTop + s.IconSide}));
        EXPECT_EQ(ElementAt(list, e.Bounds.left + 5, e.Bounds.bottom - 1), slot);
        // The default action does what a left click on the position does.
        SetUp();
        Click(slot);
        const Log clicked = host.actions;
        const int state = app.dock.State;
        SetUp();
        EXPECT_EQ(dock.DoDefaultAction(slot), slot != 5);
        EXPECT_EQ(host.actions, clicked);
        EXPECT_EQ(app.dock.State, state);
        EXPECT_EQ(app.dock.HoverSlot, -1) << "the pointer's hover is left as it was";
    }
    // Minimized only the centre is on the screen, at its waiting place; hidden nothing is.
    app.geo.MiniIconLeft = 14, app.geo.MiniIconTop = 20;
    dock.MinWindows(dockstate::Minimized);
    EXPECT_EQ(dock.Elements()[0].Bounds,
              (Rect{114, 70, 114 + app.run.MaxIconSize, 70 + app.run.MaxIconSize}));
    EXPECT_EQ(dock.Elements()[0].DefaultAction, "Expand");
    EXPECT_EQ(dock.Elements()[1].States & access::Invisible, access::Invisible);
    dock.MinWindows(dockstate::Hidden);
    EXPECT_EQ(dock.Elements()[0].States & dock.Window().States & access::Invisible, access::Invisible);

    // The default catalogue's ring: its captions, its empty positions blank and unavailable.
    SetUp();
    app.store.Create();
    BuildDefaultCatalogue(app);
    app.run.IconCount = 24;
    dock.Repaint();
    const std::vector<AccessibleElement> ring = dock.Elements();
    ASSERT_EQ(ring.size(), 25u);
    EXPECT_EQ(ring[1].Name + "|" + ring[2].Name, "My Computer|Recycle Bin (Empty)");
    for (int slot = 9; slot <= 24; ++slot)
        EXPECT_EQ(ring[slot].Name + (ring[slot].States & U ? "|unavailable" : ""),
                  "Blank Shortcut|unavailable");
}

TEST_F(DockControllerTest, ArrowsMoveAVisibleSelectionAroundTheRingThatEnterAndTheMenuKeyActOn) {
    Key(key::Right); // outside keyboard mode the arrows do nothing
    EXPECT_EQ(host.canvas.Count(Op::Present), 0);
    dock.AltSpace();
    EXPECT_EQ(host.events, Log{"focus -1"}) << "keyboard mode announces the ring itself";
    const DockSlot& s7 = app.geo.Slots[7];
    const std::string menuAt7 = "item-menu at " + std::to_string(100 + s7.IconLeft + s7.IconSide / 2) + "," +
                                std::to_string(50 + s7.IconTop + s7.IconSide / 2);
    const struct {
        int keyCode, shiftState, selected;
        Log actions, events;
    } steps[] = {
        {key::Right, 0, 1, {}, {"focus 1"}}, // starts at position 1
        {key::Left, 0, 8, {}, {"focus 8"}},  // wraps to the last
        {key::Down, 0, 1, {}, {"focus 1"}},  // and back to the first
        {key::Up, 0, 8, {}, {"focus 8"}},
        {key::Enter, 0, 8, {"launch 8"}, {}},
        {key::Left, 0, 7, {}, {"focus 7"}},
        {key::Apps, 0, 7, {menuAt7}, {"focus 7"}}, // at the item; the dock keeps the keyboard
        {key::F10, 0, 7, {}, {}},                  // F10 alone is no menu key
        {key::Left, 0, 6, {}, {"focus 6"}},
        {key::F10, shift::Shift, 6, {"popup 6"}, {}}, // a special item's menu key opens its group
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.selected);
        host.actions.clear();
        host.events.clear();
        dock.OnKeyDown(step.keyCode, step.shiftState);
        EXPECT_EQ(app.dock.SelectedSlot, step.selected);
        EXPECT_EQ(HoverShown(), step.selected) << "the selection is drawn with the hover picture";
        EXPECT_EQ(host.actions, step.actions);
        EXPECT_EQ(host.events, step.events);
    }
    EXPECT_EQ(app.dock.CurrentItem, 7) << "the item menu was for the selection";
    // Resting on the selection, the centre cross-fades to its picture as under the pointer.
    host.Advance(300);
    EXPECT_EQ(app.dock.CentreImage, app.dock.SlotImage[6]);

    // The pointer takes the selection along; leaving every icon it stays lit there.
    host.events.clear();
    MoveTo(At(3).first, At(3).second);
    EXPECT_EQ(host.events, Log{"focus 3"});
    EXPECT_EQ(dock.Elements()[3].States & (access::Focused | access::HotTracked),
              access::Focused | access::HotTracked);
    host.cursor = {3, 3};
    host.Advance(100);
    EXPECT_EQ(app.dock.HoverSlot, -1);
    EXPECT_EQ(HoverShown(), 3);
    Key(key::Right);
    EXPECT_EQ(app.dock.SelectedSlot, 4);
    Key(key::Escape); // the keyboard mode ends, and its selection with it
    EXPECT_EQ(app.dock.SelectedSlot, -1);
    EXPECT_EQ(HoverShown(), -1);
}

TEST_F(DockControllerTest, ForegroundLostEndsKeyboardModeAndHidesWithAutoHide) {
    for (const bool autoHide : {false, true}) {
        SCOPED_TRACE(autoHide);
        SetUp();
        app.cfg.AutoHide = autoHide ? 1 : 0;
        dock.AltSpace();
        host.Advance(500);
        EXPECT_TRUE(app.dock.KeyboardMode) << "the dock is the foreground window";
        host.foregroundOurs = false;
        host.Advance(100);
        EXPECT_FALSE(app.dock.KeyboardMode);
        EXPECT_EQ(app.dock.State, autoHide ? dockstate::Hidden : dockstate::Expanded);
        EXPECT_FALSE(host.Running(DockTimer::Foreground));
        dock.OnMouseDown(mouse::Left, 0, 3, 3); // a press watches again
        EXPECT_TRUE(host.Running(DockTimer::Foreground));
    }
}

TEST_F(DockControllerTest, RecycleBinPositionFollowsTheBinOnlyWhileItIsTheBin) {
    DockItem bin = app.store.Items[kRecycleEmptyItem], oddBin = bin, user;
    oddBin.IconRef = 7; // a bin item whose picture came from elsewhere
    user.Kind = kind::Shortcut;
    user.IconRef = 102;
    const struct {
        const char* what;
        DockItem atTwo;
        bool full;
        int iconRefAfter;
    } rows[] = {
        {"empty bin stays", bin, false, kRecycleEmptyItem},
        {"the bin fills", bin, true, kRecycleFullItem},
        {"a bin item with another picture is brought in step", oddBin, false, kRecycleEmptyItem},
        {"the user's own item on position 2 stays", user, true, 102},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        app.store.Items[2] = row.atTwo;
        IniIconParam(app);
        t.shell.recycleBin = RecycleBinQuery{row.full ? 2048 : 0, row.full ? 2 : 0};
        host.Advance(1000);
        EXPECT_EQ(app.store.Items[2].IconRef, row.iconRefAfter);
        EXPECT_EQ(app.dock.SlotImage[2], row.iconRefAfter);
        EXPECT_EQ(host.canvas.Count(Op::Clear) > 0, row.iconRefAfter != row.atTwo.IconRef) << "repainted";
        EXPECT_EQ(host.Running(DockTimer::RecycleBin), row.atTwo.Kind == kind::RecycleBin);
    }
}

TEST_F(DockControllerTest, AutoHideAfterSevenIdleSeconds) {
    host.Advance(20000); // off: the counter never advances and the timer stops itself
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_FALSE(host.Running(DockTimer::AutoHide));

    app.cfg.AutoHide = 1;
    dock.DockFocus(true);
    host.Advance(5000);
    MoveTo(At(1).first, At(1).second); // hovering keeps it
    host.Advance(5000);
    host.cursor = {3, 3};
    host.Advance(6000);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    host.canvas.Reset();
    host.Advance(2000);
    EXPECT_EQ(app.dock.State, dockstate::Hidden);
    const auto presents = host.canvas.Of(Op::Present); // faded out over 32 frames
    ASSERT_EQ(presents.size(), 32u);
    EXPECT_EQ(presents.front().alpha, 247);
    EXPECT_EQ(presents.back().alpha, 0);
    EXPECT_FALSE(app.dock.FadeOnHide);
    EXPECT_FALSE(host.Running(DockTimer::AutoHide));

    dock.MinWindows(dockstate::Expanded); // minimized, the icon goes at once
    dock.MinWindows(dockstate::Minimized);
    host.canvas.Reset();
    host.Advance(7000);
    EXPECT_EQ(app.dock.State, dockstate::Hidden);
    EXPECT_EQ(host.canvas.Of(Op::Present).size(), 1u);
    EXPECT_EQ(LastAlpha(), 0);
}

TEST_F(DockControllerTest, AtRestOnlyTheWatchesTick) {
    EXPECT_EQ(host.intervals, (std::map<DockTimer, uint32_t>{{DockTimer::PointerLeft, 100},
                                                             {DockTimer::Foreground, 100},
                                                             {DockTimer::RecycleBin, 1000},
                                                             {DockTimer::AutoHide, 1000},
                                                             {DockTimer::Dwell, 50}}));
    host.Advance(3000);
    EXPECT_FALSE(host.Running(DockTimer::PointerLeft) || host.Running(DockTimer::AutoHide) ||
                 host.Running(DockTimer::Dwell));
    EXPECT_TRUE(host.Running(DockTimer::Foreground) && host.Running(DockTimer::RecycleBin));
    MoveTo(At(1).first, At(1).second); // a move gives the hover timers work again
    EXPECT_TRUE(host.Running(DockTimer::PointerLeft) && host.Running(DockTimer::Dwell));
    dock.StopAllTimers(); // the window goes; focusing the dock starts all five again
    EXPECT_TRUE(host.due.empty());
    dock.DockFocus(true);
    EXPECT_EQ(host.due.size(), 5u);
}

// The displays change under the dock in each of its states: it is laid out on the new work area
// (or scale) and repainted as it was, the pop-up closes, and nothing is saved.
TEST_F(DockControllerTest, ADisplayChangeRepaintsEachStateOnTheNewScreen) {
    struct Row {
        const char* what;
        int state;
        bool keyboard, popup;
        int dpi;
        Log actions;
        int alpha;
    };
    const Row rows[] = {
        {"pop-up open", dockstate::Expanded, false, true, 96, {"close-popup away", "follow"}, 255},
        {"keyboard mode, 150 %", dockstate::Expanded, true, false, 144, {"follow rescaled"}, 255},
        {"minimized", dockstate::Minimized, false, false, 96, {"follow"}, 255},
        {"hidden", dockstate::Hidden, false, false, 96, {"follow"}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        app.cfg.MinimizedPosition = minpos::BottomRight;
        if (row.state != dockstate::Expanded)
            dock.MinWindows(row.state);
        if (row.keyboard)
            dock.AltSpace();
        app.dock.PopupOpen = row.popup;
        host.actions.clear();
        host.order.clear();
        host.canvas.Reset();
        const DockSettings cfg = app.cfg;
        const int fileOperations = t.fs.operations;

        dock.OnDisplayChange(ScreenInfo{{0, 0, 1024, 600}, 15, 15, row.dpi});
        EXPECT_EQ(host.actions, row.actions);
        EXPECT_TRUE(host.order.empty()) << "the window keeps its place in the window order";
        EXPECT_EQ(app.dock.State, row.state);
        EXPECT_EQ(app.dock.KeyboardMode, row.keyboard);
        EXPECT_EQ(app.cfg, cfg);
        EXPECT_EQ(t.fs.operations, fileOperations) << "nothing is written";
        EXPECT_EQ(LastAlpha(), row.alpha);
        const double scale = row.dpi / 96.0;
        const auto scaled = host.canvas.Of(Op::DrawScaled);
        if (row.state == dockstate::Minimized) { // the bottom-right corner of the new work area
            ASSERT_EQ(scaled.size(), 2u);
            EXPECT_EQ(scaled[1].x, 1024 - 154);
            EXPECT_EQ(scaled[1].y, 600 - 154);
        } else if (row.state == dockstate::Expanded) { // the centre of the new work area
            ASSERT_FALSE(scaled.empty());
            EXPECT_EQ(scaled.back().x + scaled.back().width / 2, 512);
            EXPECT_EQ(scaled[0].width, 128 * scale);
            EXPECT_EQ(Dimmed(), row.keyboard);
            EXPECT_EQ(host.canvas.Count(Op::DrawText) > 8, row.keyboard) << "letters in keyboard mode";
        } else {
            EXPECT_TRUE(scaled.empty());
        }

        host.actions.clear();
        host.canvas.Reset();
        dock.OnDisplayChange(ScreenInfo{{0, 0, 1024, 600}, 15, 15, row.dpi});
        EXPECT_TRUE(host.actions.empty()) << "the same screen again changes nothing";
        EXPECT_TRUE(host.canvas.calls.empty());
    }
}

// Alt+Space and the switch hot key bring the ring up on the monitor that holds the pointer; the
// hot keys that put it away leave it where it is.
TEST_F(DockControllerTest, TheRingComesUpOnTheMonitorUnderThePointer) {
    t.sys.otherMonitors = {ScreenInfo{{1466, 0, 3386, 1040}, 15, 15}};
    host.cursor = {2000, 500};
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_EQ(app.screen.WorkArea, (Rect{1466, 0, 3386, 1040}));
    EXPECT_EQ(host.actions, Log{"follow"});
    EXPECT_TRUE(app.dock.KeyboardMode);

    host.actions.clear();
    host.cursor = {500, 300};
    dock.OnHotKey(HotKey::KeyboardDock); // hides it
    EXPECT_EQ(app.dock.State, dockstate::Hidden);
    dock.OnHotKey(HotKey::Minimize);
    EXPECT_EQ(app.screen.WorkArea, (Rect{1466, 0, 3386, 1040}));
    dock.MinWindows(dockstate::Hidden);
    dock.OnHotKey(HotKey::Switch); // the ring again, now on the first monitor
    EXPECT_EQ(app.screen.WorkArea, (Rect{100, 50, 1466, 778}));
    EXPECT_EQ(host.actions, (Log{"follow", "switch"}));
}

} // namespace
} // namespace qor
