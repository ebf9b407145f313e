#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dock/DockController.h"
#include "dock/Paint.h"
#include "dock/Skin.h"
#include "fakes/FakeShell.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

using test::CanvasCall;
using Op = CanvasCall::Op;

// The dock's window as the controller sees it: a recording canvas, the five timers run by a fake
// clock, and every request written down.
class FakeDockHost final : public IDockHost {
public:
    explicit FakeDockHost(test::FakeClock& clock) : m_clock(clock) {}

    test::RecordingCanvas canvas;
    std::vector<std::string> actions;  // launches, commands, pop-up, menus, saves, windows
    std::vector<std::string> order;    // window order and focus
    std::map<DockTimer, uint64_t> due; // running timers and their next tick
    ScreenPoint cursor{5, 5};
    bool foregroundOurs = true;
    DockController* dock = nullptr;

    ICanvas* PaintCanvas() override { return &canvas; }
    void StartTimer(DockTimer timer, uint32_t intervalMs) override {
        intervals[timer] = intervalMs;
        due[timer] = m_clock.now + intervalMs;
    }
    void StopTimer(DockTimer timer) override { due.erase(timer); }
    void ToBottom(bool quietly) override { order.push_back(quietly ? "bottom-quiet" : "bottom"); }
    void ToTopmost() override { order.push_back("topmost"); }
    void Focus() override { order.push_back("focus"); }
    bool CursorPos(ScreenPoint& where) override {
        where = cursor;
        return true;
    }
    bool ForegroundIsOurs() override { return foregroundOurs; }
    void PumpMessages() override {}
    void Launch(int item) override { actions.push_back("launch " + std::to_string(item)); }
    void RunCommand(int code) override { actions.push_back("command " + std::to_string(code)); }
    void OpenPopup(int slot) override { actions.push_back("popup " + std::to_string(slot)); }
    void ClosePopup(bool keepDockAway) override {
        actions.push_back(keepDockAway ? "close-popup away" : "close-popup");
    }
    void OpenItemMenu() override { actions.push_back("item-menu"); }
    void ShowGetStarted() override { actions.push_back("get-started"); }
    void SwitchDesktop() override { actions.push_back("switch"); }
    bool SaveMenu() override {
        actions.push_back("save");
        return true;
    }

    // Lets `ms` milliseconds pass, ticking every timer that falls due in time order. A tick that
    // blocks (an animation sleeps on the clock) delays the others, which then tick once, as
    // Windows merges timer messages.
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
    std::map<DockTimer, uint32_t> intervals;

private:
    test::FakeClock& m_clock;
};

// Eight positions on a 1366 x 728 work area whose top-left is (100, 50) on the screen:
//   1 shortcut "C:\Apps\one.exe"   2 the recycle bin (empty)   3 All Programs group
//   4 group without target         5 blank                     6 "My Computer" (system, 81)
//   7 shortcut running command 70  8 shortcut "C:\Apps\eight.exe"
// Position i shows image 100 + i; the centre item has no picture of its own yet (Kind 0).
class DockControllerTest : public ::testing::Test {
protected:
    test::ShellTestApp t;
    AppState& app = t.app;
    FakeDockHost host{t.clock};
    DockController dock{app, host};

    void SetUp() override {
        // Called again by the table tests: every row starts from the same dock.
        host.dock = &dock;
        host.foregroundOurs = true;
        host.canvas.Reset();
        app.store.Create();
        app.dock = DockRuntime{};
        app.cfg = DockSettings{};
        app.screen = MeasureScreen(ScreenInfo{{100, 50, 1466, 778}, 15, 15});
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.run.IconCount = 8;
        FillSizeLevels(app.geo, app.run);
        ComputeSlotTable(app.geo, app.screen, app.run);
        Store& s = app.store;
        s.Items[0].Title = "Ring";
        for (int g = 0; g <= kGroupBound; ++g)
            s.Groups[g].Members[0] = g;
        for (int t : {kRecycleEmptyItem, kRecycleFullItem}) {
            s.Items[t].Kind = kind::RecycleBin;
            s.Items[t].IsSystem = kTrue;
            s.Items[t].Param = 101;
            s.Items[t].IconRef = t;
            s.Items[t].Title = t == kRecycleEmptyItem ? "Recycle Bin (Empty)" : "Recycle Bin (Full)";
        }
        Shortcut(1, "C:\\Apps\\one.exe");
        s.Items[2] = s.Items[kRecycleEmptyItem];
        s.Items[3].Kind = kind::AllPrograms;
        s.Items[4].Kind = kind::Group;
        s.Items[5].Kind = kind::Blank;
        s.Items[6].Kind = kind::System;
        s.Items[6].IsSystem = kTrue;
        s.Items[6].Param = 81;
        Shortcut(7, "");
        s.Items[7].IsSystem = kTrue;
        s.Items[7].Param = 70;
        Shortcut(8, "C:\\Apps\\eight.exe");
        for (int i = 1; i <= 8; ++i)
            if (i != 2)
                s.Items[i].IconRef = 100 + i;
        dock.DockFocus(true);
        host.actions.clear();
        host.order.clear();
    }

    void Shortcut(int i, const std::string& target) {
        DockItem& d = app.store.Items[i];
        d.Kind = kind::Shortcut;
        d.Target = target;
        d.TargetPath = target;
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
    void Click(int slot, int button = mouse::Left) {
        auto [x, y] = At(slot);
        MoveTo(x, y);
        dock.OnMouseDown(button, 0, x, y);
        dock.OnMouseUp(button, 0, x, y);
    }
    void Key(int code, int shiftState = 0) {
        dock.OnKeyDown(code, shiftState);
        dock.OnKeyUp(code, shiftState);
    }

    // What the screen shows now, read from the canvas: the position drawn enlarged in the last
    // painted frame (-1 none), whether that frame has the dimmed backdrop, the last alpha.
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
    int DeleteFrames() const {
        int n = 0;
        for (const CanvasCall& c : host.canvas.calls)
            n += c.op == Op::DrawSource && c.image == SkinImage(skin::DelIcon);
        return n;
    }
};

// ---- clicks, keys and what they start --------------------------------------------------------

TEST_F(DockControllerTest, ClicksAndKeysRunWhatThePositionHolds) {
    enum How { Left, Right, KeyInKeyboardMode, KeyOutsideKeyboardMode };
    struct Row {
        const char* what;
        How how;
        int slot;    // the position clicked, or the key pressed
        int keyCode; // for the key rows
        std::vector<std::string> actions;
        int state = dockstate::Expanded;
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
    };
    // Position 36 and 9 hold shortcuts too: only the ring's size keeps their keys from running.
    Shortcut(36, "C:\\Apps\\hidden.exe");
    Shortcut(9, "C:\\Apps\\nine.exe");
    IniIconParam(app);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        host.actions.clear();
        app.dock.State = dockstate::Expanded;
        app.dock.KeyboardMode = false;
        switch (row.how) {
        case Left:
        case Right:
            if (row.slot < 0) {
                MoveTo(3, 3);
                dock.OnMouseDown(row.how == Left ? mouse::Left : mouse::Right, 0, 3, 3);
                dock.OnMouseUp(row.how == Left ? mouse::Left : mouse::Right, 0, 3, 3);
            } else {
                Click(row.slot, row.how == Left ? mouse::Left : mouse::Right);
            }
            EXPECT_EQ(app.dock.ClickedSlot, row.slot);
            break;
        case KeyInKeyboardMode:
            dock.AltSpace();
            MoveTo(3, 3);
            Key(row.keyCode);
            EXPECT_EQ(app.dock.HoverSlot, -1) << "the key's position is not left hovered";
            break;
        case KeyOutsideKeyboardMode:
            Key(row.keyCode);
            break;
        }
        EXPECT_EQ(host.actions, row.actions);
        EXPECT_EQ(app.dock.State, row.state);
    }
    EXPECT_EQ(app.store.Items[0].Kind, kind::Free) << "the centre's stored Kind is left as it is";
}

TEST_F(DockControllerTest, RightClickMenuKnowsWhichItem) {
    Click(8, mouse::Right);
    EXPECT_EQ(app.dock.CurrentItem, 8);
    EXPECT_EQ(app.dock.ClickedSlot, 8);
    Click(3, mouse::Middle); // any button but the left one
    EXPECT_EQ(app.dock.CurrentItem, 3);
    EXPECT_EQ(host.actions, (std::vector<std::string>{"item-menu", "item-menu"}));
}

// ---- dragging an item off the ring -------------------------------------------------------------

TEST_F(DockControllerTest, DraggingDeletesOnlyWhenDroppedOffEveryIcon) {
    struct Row {
        const char* what;
        int slot;
        std::vector<std::pair<int, int>> moves; // offsets from the press point, left button held
        int release;                            // position released over; -1 off every icon
        bool locked = false;
        int answer = mb::IdYes; // to "delete the selected group?"
        bool minimized = false;
        // What the user sees:
        std::vector<std::string> actions;
        int kindAfter = kind::Shortcut;
        int deleteFrames = 0;
    };
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
         {{2, 0}, {-400, -200}},
         -1,
         false,
         mb::IdYes,
         false,
         {"save"},
         kind::Blank,
         kDelIconFrames},
        {"dropped over another icon nothing happens", 1, {{30, 0}}, 8, false, mb::IdYes, false, {}},
        {"a group kept by the user is only repainted and saved",
         4,
         {{-400, -200}},
         -1,
         false,
         mb::IdNo,
         false,
         {"save"},
         kind::Group},
        {"a group the user lets go is deleted",
         4,
         {{-400, -200}},
         -1,
         false,
         mb::IdYes,
         false,
         {"save"},
         kind::Blank,
         kDelIconFrames},
        {"locked: a moved press still clicks", 1, {{3, 0}}, 1, true, mb::IdYes, false, {"launch 1"}},
        {"locked: nothing is dragged off", 1, {{-400, -200}}, -1, true, mb::IdYes, false, {}},
        {"a blank cannot be dragged", 5, {{-400, -200}}, -1, false, mb::IdYes, false, {}, kind::Blank},
        {"the minimized icon cannot drag a hidden position",
         1,
         {{-400, -200}},
         -1,
         false,
         mb::IdYes,
         true,
         {},
         kind::Shortcut},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        Shortcut(1, "C:\\Apps\\one.exe");
        app.store.Items[1].IconRef = 101;
        app.cfg.LockDragging = row.locked ? kTrue : kFalse;
        t.ui.answers = {row.answer};
        t.ui.messages.clear();
        if (row.minimized) {
            dock.MinWindows(dockstate::Minimized);
            host.actions.clear();
        }
        host.canvas.Reset();

        const int picture = app.dock.SlotImage[row.slot];
        auto [x, y] = At(row.slot);
        MoveTo(x, y);
        dock.OnMouseDown(mouse::Left, 0, x, y);
        bool dragPictureSeen = false;
        for (auto [dx, dy] : row.moves) {
            host.canvas.Reset();
            MoveTo(x + dx, y + dy, mouse::Left);
            // While dragged the item's picture follows the pointer and its place stays empty.
            for (const CanvasCall& c : host.canvas.calls)
                if (c.op == Op::DrawCached && c.image == ItemImage(picture) && c.x == x + dx - 24 &&
                    c.y == y + dy - 24)
                    dragPictureSeen = true;
        }
        auto [rx, ry] = row.release >= 0 ? At(row.release) : std::pair<int, int>{x - 400, y - 200};
        MoveTo(rx, ry, mouse::Left);
        dock.OnMouseUp(mouse::Left, 0, rx, ry);

        EXPECT_EQ(host.actions, row.actions);
        EXPECT_EQ(app.store.Items[row.slot].Kind, row.kindAfter);
        EXPECT_EQ(DeleteFrames(), row.deleteFrames);
        EXPECT_FALSE(app.dock.Dragging);
        EXPECT_EQ(app.dock.DragSlot, -1);
        if (row.release == -1 && !row.locked && !row.minimized && row.slot != 5) {
            EXPECT_TRUE(dragPictureSeen) << "no picture followed the pointer";
            EXPECT_EQ(LastAlpha(), 255);
            EXPECT_EQ(HoverShown(), -1) << "the ring is repainted at rest";
        }
        if (row.kindAfter == kind::Blank && row.slot != 5) {
            EXPECT_EQ(app.store.Items[row.slot].Title.Clean(), "Blank Shortcut");
            EXPECT_EQ(app.dock.SlotKind[row.slot], kind::Blank) << "the ring shows the blank";
            const auto frames = host.canvas.Of(Op::DrawSource);
            ASSERT_FALSE(frames.empty());
            EXPECT_EQ(frames.front().dx, static_cast<float>(rx - 64)); // centred on the drop
            EXPECT_EQ(frames.front().dy, static_cast<float>(ry - 64));
        }
    }
}

TEST_F(DockControllerTest, ACaptureTakenAwayEndsTheDragWithoutDeleting) {
    auto [x, y] = At(1);
    MoveTo(x, y);
    dock.OnMouseDown(mouse::Left, 0, x, y);
    MoveTo(x - 300, y, mouse::Left);
    EXPECT_TRUE(app.dock.Dragging);
    dock.OnCaptureLost();
    MoveTo(x - 300, y);
    dock.OnMouseUp(mouse::Left, 0, x - 300, y);
    EXPECT_EQ(app.store.Items[1].Kind, kind::Shortcut);
    EXPECT_TRUE(host.actions.empty());
}

// ---- display states, keyboard mode and the hot keys --------------------------------------------

TEST_F(DockControllerTest, KeyboardModeMinimizeHideAndTheHotKeys) {
    // Alt+Space: dimmed backdrop with letters, above everything, focused.
    host.canvas.Reset();
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_TRUE(app.dock.KeyboardMode);
    EXPECT_TRUE(Dimmed());
    EXPECT_EQ(host.canvas.Texts().back(), "~");
    EXPECT_EQ(host.order, (std::vector<std::string>{"focus", "topmost"}));
    EXPECT_TRUE(host.Running(DockTimer::Foreground));

    // Escape: back to the plain ring at the bottom.
    host.order.clear();
    Key(key::Escape);
    EXPECT_FALSE(app.dock.KeyboardMode);
    EXPECT_FALSE(Dimmed());
    EXPECT_EQ(LastAlpha(), 255);
    EXPECT_EQ(host.order, (std::vector<std::string>{"bottom", "bottom-quiet"}));

    // Alt+Space twice: the second hides at once, without the fade.
    dock.OnHotKey(HotKey::KeyboardDock);
    t.clock.sleeps.clear();
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_EQ(app.dock.State, dockstate::Hidden);
    EXPECT_TRUE(app.dock.DockHidden);
    EXPECT_FALSE(app.dock.KeyboardMode);
    EXPECT_EQ(LastAlpha(), 0);
    EXPECT_TRUE(t.clock.sleeps.empty());

    // Alt+Space from hidden: expanded again, in keyboard mode.
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_TRUE(app.dock.KeyboardMode);
    EXPECT_TRUE(Dimmed());
    EXPECT_FALSE(app.dock.DockHidden);

    // Ctrl+Tab: the centre icon at the minimized position, sent to the bottom; again: only the
    // bottom move.
    app.geo.MiniIconLeft = 14, app.geo.MiniIconTop = 20;
    host.order.clear();
    dock.OnHotKey(HotKey::Minimize);
    EXPECT_EQ(app.dock.State, dockstate::Minimized);
    EXPECT_FALSE(app.dock.KeyboardMode);
    const auto scaled = host.canvas.Of(Op::DrawScaled);
    ASSERT_GE(scaled.size(), 2u);
    EXPECT_EQ(scaled[scaled.size() - 2].x, 14);
    EXPECT_EQ(scaled[scaled.size() - 2].y, 20);
    EXPECT_EQ(host.order.back(), "bottom");
    const std::size_t presents = host.canvas.Of(Op::Present).size();
    host.order.clear();
    dock.OnHotKey(HotKey::Minimize);
    EXPECT_EQ(host.canvas.Of(Op::Present).size(), presents);
    EXPECT_EQ(host.order, std::vector<std::string>{"bottom"});

    // A click on the minimized icon expands the ring (whatever position lies under it).
    Click(0);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_EQ(host.order.back(), "topmost");
    EXPECT_TRUE(host.actions.empty());

    // Shift+Tab is the desktop switch's; F1 asks for the "Get Started" window again.
    dock.OnHotKey(HotKey::Switch);
    app.cfg.HideGetStarted = kTrue;
    Key(key::F1);
    EXPECT_EQ(host.actions, (std::vector<std::string>{"switch", "get-started"}));
    EXPECT_EQ(app.cfg.HideGetStarted, 0);
}

TEST_F(DockControllerTest, AnOpenPopupClosesFirst) {
    app.dock.PopupOpen = true;
    dock.OnHotKey(HotKey::KeyboardDock);
    EXPECT_EQ(host.actions, std::vector<std::string>{"close-popup"});
    host.actions.clear();
    app.dock.PopupOpen = true;
    Key('0'); // the pop-up goes, then the key runs position 1
    EXPECT_EQ(host.actions, (std::vector<std::string>{"close-popup", "launch 1"}));
    host.actions.clear();
    app.dock.PopupOpen = true;
    dock.EscCancel(); // as a launch from elsewhere returns the dock to rest
    EXPECT_EQ(host.actions, std::vector<std::string>{"close-popup away"});
}

TEST_F(DockControllerTest, EscapeAndEmptyClicksHideOnlyWithAutoHide) {
    for (const bool autoHide : {false, true}) {
        SCOPED_TRACE(autoHide);
        SetUp();
        app.cfg.AutoHide = autoHide ? 1 : 0;
        dock.AltSpace();
        dock.OnMouseDown(mouse::Left, 0, 3, 3); // a press on the dimmed backdrop dismisses it
        EXPECT_FALSE(app.dock.KeyboardMode);
        dock.OnMouseUp(mouse::Left, 0, 3, 3);
        EXPECT_EQ(app.dock.State, autoHide ? dockstate::Hidden : dockstate::Expanded);
        dock.MinWindows(dockstate::Expanded);
        Key(key::Escape);
        EXPECT_EQ(app.dock.State, autoHide ? dockstate::Hidden : dockstate::Expanded);
    }
}

// ---- the five timers ---------------------------------------------------------------------------

TEST_F(DockControllerTest, HoverShowsAtOnceAndGoesWithinATickOfLeaving) {
    auto [x, y] = At(1);
    host.canvas.Reset();
    MoveTo(x, y);
    EXPECT_EQ(HoverShown(), 1);
    EXPECT_EQ(host.canvas.Texts(), std::vector<std::string>{"Item 1"}); // the caption under the centre
    EXPECT_TRUE(host.Running(DockTimer::PointerLeft));
    const std::size_t presents = host.canvas.Of(Op::Present).size();
    MoveTo(x + 1, y + 1); // the same position: no repaint
    EXPECT_EQ(host.canvas.Of(Op::Present).size(), presents);

    // The pointer leaves over transparent pixels: the window sees no move, the timer notices.
    host.cursor = {3, 3};
    host.Advance(100);
    EXPECT_EQ(HoverShown(), -1);
    EXPECT_EQ(app.dock.HoverSlot, -1);
    EXPECT_FALSE(host.Running(DockTimer::PointerLeft)) << "nothing hovered: the timer rests";
}

TEST_F(DockControllerTest, RestingOnAPositionCrossFadesTheCentreThenTheTimerRests) {
    auto [x, y] = At(4);
    MoveTo(x, y);
    host.Advance(150);
    EXPECT_EQ(app.dock.CentreImage, -1) << "still moving: no fade yet";
    host.Advance(150);
    EXPECT_EQ(app.dock.CentreImage, 104);
    EXPECT_EQ(t.clock.sleeps, std::vector<uint32_t>(kEffectFrames, kFrameWaitMs));
    EXPECT_FALSE(host.Running(DockTimer::Dwell));

    // Leaving without a move the window sees: the centre returns to its own picture.
    host.cursor = {3, 3};
    host.Advance(1000);
    EXPECT_EQ(app.dock.CentreImage, app.dock.SlotImage[0]);
    EXPECT_FALSE(host.Running(DockTimer::Dwell));
    EXPECT_FALSE(host.Running(DockTimer::PointerLeft));
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
    struct Row {
        const char* what;
        DockItem atTwo;
        bool binFull;
        int iconRefAfter;
        bool repainted;
    };
    DockItem bin = app.store.Items[kRecycleEmptyItem];
    DockItem oddBin = bin;
    oddBin.IconRef = 7; // a bin item whose picture came from elsewhere
    DockItem user;
    user.Kind = kind::Shortcut;
    user.Target = "C:\\Apps\\two.exe";
    user.IconRef = 102;
    const Row rows[] = {
        {"empty bin stays", bin, false, kRecycleEmptyItem, false},
        {"the bin fills", bin, true, kRecycleFullItem, true},
        {"a bin item with another picture is brought in step", oddBin, false, kRecycleEmptyItem, true},
        {"the user's own item on position 2 stays", user, true, 102, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        app.store.Items[2] = row.atTwo;
        IniIconParam(app);
        t.shell.recycleBin = RecycleBinQuery{row.binFull ? 2048 : 0, row.binFull ? 2 : 0};
        host.canvas.Reset();
        host.Advance(1000);
        EXPECT_EQ(app.store.Items[2].IconRef, row.iconRefAfter);
        EXPECT_EQ(app.dock.SlotImage[2], row.iconRefAfter);
        EXPECT_EQ(host.canvas.Count(Op::Clear) > 0, row.repainted);
        EXPECT_EQ(host.Running(DockTimer::RecycleBin), row.atTwo.Kind == kind::RecycleBin);
    }
}

TEST_F(DockControllerTest, AutoHideAfterSevenIdleSeconds) {
    // Off: the idle counter never advances and the timer stops itself.
    host.Advance(20000);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_FALSE(host.Running(DockTimer::AutoHide));

    app.cfg.AutoHide = 1;
    dock.DockFocus(true);
    host.Advance(5000);
    auto [x, y] = At(1);
    MoveTo(x, y); // hovering keeps it
    host.Advance(5000);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    host.cursor = {3, 3};
    host.Advance(6000);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    host.canvas.Reset();
    host.Advance(2000);
    EXPECT_EQ(app.dock.State, dockstate::Hidden);
    // An expanded ring fades out over 32 frames to nothing.
    const auto presents = host.canvas.Of(Op::Present);
    ASSERT_EQ(presents.size(), 32u);
    EXPECT_EQ(presents.front().alpha, 247);
    EXPECT_EQ(presents.back().alpha, 0);
    EXPECT_FALSE(app.dock.FadeOnHide);
    EXPECT_FALSE(host.Running(DockTimer::AutoHide));

    // Minimized with auto-hide: the icon goes at once after seven seconds.
    dock.MinWindows(dockstate::Expanded);
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
    EXPECT_FALSE(host.Running(DockTimer::PointerLeft));
    EXPECT_FALSE(host.Running(DockTimer::AutoHide));
    EXPECT_FALSE(host.Running(DockTimer::Dwell));
    EXPECT_TRUE(host.Running(DockTimer::Foreground));
    EXPECT_TRUE(host.Running(DockTimer::RecycleBin));
    // A move gives the hover and dwell timers work again.
    auto [x, y] = At(1);
    MoveTo(x, y);
    EXPECT_TRUE(host.Running(DockTimer::PointerLeft));
    EXPECT_TRUE(host.Running(DockTimer::Dwell));
    // When the window goes every timer stops, and focusing the dock starts all five again.
    dock.StopAllTimers();
    EXPECT_TRUE(host.due.empty());
    dock.DockFocus(true);
    EXPECT_EQ(host.due.size(), 5u);
}

} // namespace
} // namespace qor
