// The behaviour of the group pop-up FrmSubMenu: opening the panel of a group beside its icon and
// closing it, highlighting the row under the pointer or the keyboard, pressing and running an
// entry, paging with the two buttons, the wheel and the arrow keys, dragging a member out to
// delete it, the entry's context menu, and closing when another program takes the foreground.
//
// Like the dock's controller it owns no window: it takes one call per input and acts through
// IPopupHost (the canvas, the window, its two timers, the dock, launching, the item menu and
// saving). The dock and the item menu reach it through IPopupActions.
#pragma once

#include <array>
#include <cstdint>

#include "dock/Canvas.h"
#include "dock/DockController.h"
#include "popup/PopupActions.h"
#include "popup/PopupLayout.h"

namespace qor {

struct AppState;

// The pop-up's two timers (ids 1 and 2 of its window), both 100 ms, running while it is open.
enum class PopupTimer {
    Foreground = 1,  // closes the pop-up once another window is in front
    PointerLeft = 2, // takes the highlight away once the pointer left the rows
};
constexpr uint32_t kPopupTimerMs = 100;

// Virtual-key codes the pop-up answers beyond the dock's.
namespace key {
constexpr int Enter = 13;
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int Up = 38;
constexpr int Down = 40;
} // namespace key

constexpr int kWheelDelta = 120; // one notch of the wheel

// What the pop-up asks of its window and of the rest of the program.
class IPopupHost {
public:
    virtual ~IPopupHost() = default;

    // The canvas the paint procedures draw on; null when the window has none.
    virtual ICanvas* PaintCanvas() = 0;
    virtual void StartTimer(PopupTimer timer, uint32_t intervalMs) = 0;
    virtual void StopTimer(PopupTimer timer) = 0;
    // The pictures of group members and commands that are still being built, finished now.
    virtual void PrepareImages() = 0;
    // Shows the window as it was last presented, above every other window, with the keyboard focus.
    virtual void ShowPanel() = 0;
    // Takes the window (already presented empty) off the screen: the bottom of the window order,
    // no longer topmost.
    virtual void HidePanel() = 0;
    // The part of the canvas the window shows from the next present on, in canvas pixels: the
    // panel, or the whole work area while a member is dragged out of it. A small window is
    // presented many times faster than one over the whole screen.
    virtual void ShowArea(const Rect& area) = 0;
    // Where the pointer is, in screen coordinates; false when it cannot be read.
    virtual bool CursorPos(ScreenPoint& where) = 0;
    // True while the pop-up window is the foreground window.
    virtual bool ForegroundIsPanel() = 0;
    // Lets pending window messages run once.
    virtual void PumpMessages() = 0;

    // The dock window becomes the foreground window with the keyboard focus.
    virtual void FocusDock() = 0;
    // Opens an ordinary item / runs a built-in command, as the dock does.
    virtual void Launch(int item) = 0;
    virtual void RunCommand(int code) = 0;
    // The item context menu for CurrentItem at the pointer; returns when it has closed.
    virtual void OpenItemMenu() = 0;
    // Writes the item file; false when it could not be written.
    virtual bool SaveMenu() = 0;
};

class PopupController final : public IPopupActions {
public:
    PopupController(AppState& app, IPopupHost& host) : m_app(app), m_host(host) {}
    PopupController(const PopupController&) = delete;
    PopupController& operator=(const PopupController&) = delete;

    // Input, in pixels of the pop-up window (signed). `buttons` of a move is the set of held
    // buttons (mouse::Left ...), `button` of a press or release the one button.
    void OnMouseDown(int button, int x, int y);
    void OnMouseMove(int buttons, int x, int y);
    void OnMouseUp(int button, int x, int y);
    // Another window took the mouse capture while a button was held: a drag ends without a delete.
    void OnCaptureLost();
    void OnKeyDown(int keyCode);
    // A wheel message: `delta` in the system's units, 120 a notch, negative towards the user.
    // Several notches in one message move several entries; smaller steps add up to a notch.
    void OnMouseWheel(int delta);
    void OnTimer(PopupTimer timer);

    // IPopupActions
    void MenuFocus(int slot) override;
    void EscCancel(bool noFormMainFocus) override;
    void MenuResize() override;

    // Closes the panel (MenuFocus with false): cleared, hidden, timers off.
    void Close();
    // Runs entry `entry`: the pop-up closes and the dock gets the focus, then the entry's command
    // or item runs. An entry outside 1..EntryCount only closes the pop-up.
    void MenuClick(int entry);

    const PopupPanel& Panel() const { return m_panel; }
    // The open panel's rectangle in window pixels.
    Rect PanelRect() const;
    bool TimerRunning(PopupTimer timer) const { return m_timers[Index(timer)]; }
    bool DragCandidate() const { return m_dragCandidate; }

private:
    static int Index(PopupTimer timer) { return static_cast<int>(timer) - 1; }
    void StartTimer(PopupTimer timer);
    void StopTimer(PopupTimer timer);
    int Rows() const;
    int HitTest(int x, int y) const;
    // Lays the panel out for the shown group's members at the group's place.
    void Layout(int count);
    // After a page, wheel or arrow request: the panel with the highlight, or without one.
    void PaintAfterScroll();
    void PaintNormal(bool present);
    void PaintAction(bool isMouseDown);
    void EndDrag();
    void DropOutside(int x, int y);
    void ForegroundTick();
    void PointerLeftTick();
    void Trace(const char* format, int a = 0, int b = 0, int c = 0) const;

    AppState& m_app;
    IPopupHost& m_host;
    PopupPanel m_panel;
    std::array<bool, 2> m_timers{};
    bool m_dragCandidate = false; // PopupDragCandidate
    int m_dragItem = -1;          // PopupDragItem
    int m_pressX = 0;
    int m_pressY = 0;
    int m_wheelRest = 0; // wheel units short of a notch
    bool m_itemMenuOpen = false;
};

} // namespace qor
