// The behaviour of the dock window FrmMain: hover tracking, clicks and what they start, dragging
// an item off the ring to delete it, the keyboard mode and its shortcut keys, the three display
// states (expanded, minimized, hidden), the centre cross-fade after the pointer rests, auto-hide
// after idle time, the watch on the foreground window and on the recycle bin.
//
// The controller takes one call per input (mouse, keys, timer ticks, hot keys) and acts through
// IDockHost: the canvas the paint procedures of dock/Paint.h draw on, the window order, focus,
// the cursor, the five timers, and the requests that leave the dock (launch an item, run a
// command, the pop-up, the item menu, the "Get Started" window, saving the item file). The state
// the pop-up and the menus read lives in AppState::dock; what only the dock needs is kept here.
//
// A timer that has nothing left to do stops itself and is started again by the event that gives
// it work, so a dock at rest costs nothing but the foreground and recycle-bin watches.
//
// The dock lives on one monitor at a time: the primary one at start, and the one under the
// pointer whenever Alt+Space, the notification icon or the switch hot key brings the ring up.
// When the displays change (resolution, work area, scale) it is laid out again there.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dock/Accessible.h"
#include "dock/Canvas.h"
#include "dock/DockActions.h"
#include "platform/System.h"

namespace qor {

struct AppState;

// The dock's five timers (ids 1..5 of the window).
enum class DockTimer {
    PointerLeft = 1, // notices that the pointer left every icon
    Foreground = 2,  // notices that another program took the foreground
    RecycleBin = 3,  // keeps the recycle-bin item in step with the bin
    AutoHide = 4,    // hides the dock after seven idle seconds
    Dwell = 5,       // cross-fades the centre once the pointer rests
};
constexpr int kDockTimerCount = 5;
// Their fixed intervals in milliseconds: 100, 100, 1000, 1000, 50.
uint32_t DockTimerInterval(DockTimer timer);
const char* DockTimerName(DockTimer timer);

// Mouse buttons, as one button of a press or release, or a set of held buttons.
namespace mouse {
constexpr int Left = 1;
constexpr int Right = 2;
constexpr int Middle = 4;
} // namespace mouse

// Modifier keys held with a key or a click.
namespace shift {
constexpr int Shift = 1;
constexpr int Ctrl = 2;
constexpr int Alt = 4;
} // namespace shift

// Virtual-key codes the dock and the pop-up answer.
namespace key {
constexpr int Enter = 13;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Digit0 = 48;
constexpr int Digit9 = 57;
constexpr int A = 65;
constexpr int Z = 90;
constexpr int Apps = 93; // the context-menu key
constexpr int F1 = 112;
constexpr int F10 = 121;   // with Shift: the context menu
constexpr int Tilde = 192; // the key carrying "~" (VK_OEM_3)
} // namespace key

// The three system-wide hot keys, in the order of their identifiers.
enum class HotKey {
    KeyboardDock = 0, // Alt+Space: raise the dock in keyboard mode, or hide it
    Switch = 1,       // Shift+Tab: the dock or the plain desktop with its icons
    Minimize = 2,     // Ctrl+Tab: the dock minimized to its centre icon
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// What the dock asks of its window and of the rest of the program.
class IDockHost {
public:
    virtual ~IDockHost() = default;

    // The canvas the paint procedures draw on; null when the window has none (nothing is painted).
    virtual ICanvas* PaintCanvas() = 0;
    // Starts a timer with its interval, or stops it. The controller starts a running timer again
    // only after stopping it, so a start never shifts a running timer's ticks.
    virtual void StartTimer(DockTimer timer, uint32_t intervalMs) = 0;
    virtual void StopTimer(DockTimer timer) = 0;
    // Bottom of the window order (no move, no size, no activation); `quietly` also sends no
    // position-changing messages.
    virtual void ToBottom(bool quietly) = 0;
    // Above every window that is not topmost (no move, no size).
    virtual void ToTopmost() = 0;
    // The dock becomes the foreground window with the keyboard focus.
    virtual void Focus() = 0;
    // Where the pointer is, in screen coordinates; false when it cannot be read.
    virtual bool CursorPos(ScreenPoint& where) = 0;
    // True when the foreground window belongs to this program (any of its windows or boxes).
    virtual bool ForegroundIsOurs() = 0;
    // Lets pending window messages run once.
    virtual void PumpMessages() = 0;

    // Opens an ordinary item (a shortcut) / runs a built-in command, with the dock as the dock.
    virtual void Launch(int item) = 0;
    virtual void RunCommand(int code) = 0;
    // The group pop-up: opened for a ring position (it shows only when the group has members),
    // closed (`keepDockAway` true: the dock does not get the focus back).
    virtual void OpenPopup(int slot) = 0;
    virtual void ClosePopup(bool keepDockAway) = 0;
    // The item context menu for CurrentItem, at `at` (screen coordinates; a menu asked for from
    // the keyboard opens at its item) or else at the pointer.
    virtual void OpenItemMenu(std::optional<ScreenPoint> at) = 0;
    // The "Get Started" window, modeless.
    virtual void ShowGetStarted() = 0;
    // The Shift+Tab action: the dock or the plain desktop.
    virtual void SwitchDesktop() = 0;
    // Writes the item file; false when it could not be written.
    virtual bool SaveMenu() = 0;
    // The screen (AppState::screen) changed: both windows move to its work area with canvases
    // of its size and scale, fully transparent until the next paint. With `rescaled` every
    // picture is made again for the new scale (skin, centre, items); the ring's geometry is
    // already laid out for it.
    virtual void FollowScreen(bool rescaled) = 0;
    // Tells assistive technology what changed: `element` indexes Elements(), -1 the window.
    virtual void Announce(AccessEvent event, int element) = 0;
};

class DockController final : public IDockActions {
public:
    DockController(AppState& app, IDockHost& host) : m_app(app), m_host(host) {}
    DockController(const DockController&) = delete;
    DockController& operator=(const DockController&) = delete;

    // Input, in pixels of the dock window (signed: a pointer left of or above the window is
    // negative). `buttons` of a move is the set of held buttons.
    void OnMouseDown(int button, int shiftState, int x, int y);
    void OnMouseMove(int buttons, int shiftState, int x, int y);
    void OnMouseUp(int button, int shiftState, int x, int y);
    // The window lost the mouse capture while a button was held (another window took it): a
    // drag in progress ends without deleting anything.
    void OnCaptureLost();
    void OnKeyDown(int keyCode, int shiftState);
    void OnKeyUp(int keyCode, int shiftState);
    void OnTimer(DockTimer timer);
    void OnHotKey(HotKey hotKey);
    // The displays changed (WM_DISPLAYCHANGE, a new work area, a new scale), or the dock moves to
    // another monitor; `screen` is the monitor the dock is on now. The ring is laid out there,
    // keeping its state (expanded, minimized or hidden, keyboard mode) and repainted in it; an
    // open pop-up closes, a drag ends. Nothing is saved: a radius too large for the new screen is
    // lowered for the run only. Nothing happens when the screen is the one the dock has.
    void OnDisplayChange(const ScreenInfo& screen);

    // Which item a click on ring position `slot` acts on, and how: 0 left click, 1 right click
    // on a special item, 2 keyboard.
    void IconClick(int mouseButton);
    // Raises the dock in keyboard mode above all windows, on the monitor under the pointer.
    void AltSpace();
    // The Alt+Space hot key: keyboard mode on (raising the dock), or off by hiding it at once.
    void ToggleKeyboardDock();

    // IDockActions
    void EscCancel() override;
    void MinWindows(int state) override;
    void DockFocus(bool getFocus) override;
    void Repaint() override;

    // What assistive technology sees: the centre (element 0) and ring positions 1..IconCount as
    // push buttons named by their captions, with the shortcut letter, the rest square on the
    // screen and what a left click does; the window itself as a list.
    std::vector<AccessibleElement> Elements() const;
    AccessibleElement Window() const;
    // Does what a left click on element `element` does; false when it has nothing to run.
    bool DoDefaultAction(int element);
    // The dock has the keyboard focus back (the pop-up closed): the selection is announced.
    void AnnounceFocus();

    bool TimerRunning(DockTimer timer) const { return m_timers[Index(timer)]; }
    // Every timer stopped (the window goes); DockFocus starts them again.
    void StopAllTimers();

private:
    struct Dwell {
        int x = 0;
        int y = 0;
        int ticks = 0;
    };

    static int Index(DockTimer timer) { return static_cast<int>(timer) - 1; }
    void StartTimer(DockTimer timer);
    void StopTimer(DockTimer timer);
    void StartAllTimers();

    void PointerLeftTick();
    void ForegroundTick();
    void RecycleBinTick();
    void AutoHideTick();
    void DwellTick();

    // Hit-test of the ring in dock coordinates.
    int HitTest(int x, int y) const;
    // The Kind a click acts on: the centre counts as the centre item (Kind 12) whatever is stored.
    int ClickKind(int slot) const;
    bool DragAllowed() const;
    void DropToDelete(int x, int y);
    void OpenPopupFor(int slot);
    // A letter or Enter: IconClick 2 on `slot`, the hovered position kept.
    void KeyClick(int slot);
    // The arrow keys: the selection one position on around the ring, clockwise when `forward`.
    void MoveSelection(bool forward);
    // The context-menu key: what a right click on `slot` does, the menu at the item.
    void ContextMenuFor(int slot);
    // The keyboard selection goes with the keyboard mode.
    void EndSelection();
    // IniIconParam, announcing the positions whose captions changed.
    void RefreshSlots();
    // What a left click on `slot` does, named; empty when it does nothing.
    std::string DefaultActionOf(int slot) const;
    Rect ElementBounds(int slot) const;
    void PaintHover(bool isMouseDown);
    void PaintResting();
    void PaintRepaint();
    // The dock moves to the monitor that holds the pointer, before the ring comes up.
    void FollowPointer();
    void Trace(const char* format, int a = 0, int b = 0) const;
    void TraceTimer(DockTimer timer, bool on) const;

    AppState& m_app;
    IDockHost& m_host;
    std::array<bool, kDockTimerCount> m_timers{};
    bool m_dragCandidate = false;
    int m_dragStartX = 0;
    int m_dragStartY = 0;
    int m_pointerX = 0;
    int m_pointerY = 0;
    Dwell m_dwell;
    bool m_followingScreen = false; // the windows are moving: what they report meanwhile is old
};

} // namespace qor
