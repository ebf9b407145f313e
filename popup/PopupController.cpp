#include "popup/PopupController.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/AppState.h"
#include "dock/Paint.h"
#include "icons/IconResolve.h"
#include "popup/PopupPaint.h"

namespace qor {

namespace {

constexpr int kDragSlack = 5;         // a press may wander this far before a member is dragged
constexpr uint32_t kCloseWaitMs = 50; // lets the panel leave the screen before what follows

} // namespace

// ---- timers ------------------------------------------------------------------------------------

void PopupController::StartTimer(PopupTimer timer) {
    bool& running = m_timers[Index(timer)];
    if (running)
        return;
    running = true;
    m_host.StartTimer(timer, kPopupTimerMs);
}

void PopupController::StopTimer(PopupTimer timer) {
    bool& running = m_timers[Index(timer)];
    if (!running)
        return;
    running = false;
    m_host.StopTimer(timer);
}

void PopupController::OnTimer(PopupTimer timer) {
    if (!m_timers[Index(timer)])
        return; // a tick queued before the timer stopped
    if (timer == PopupTimer::Foreground)
        ForegroundTick();
    else
        PointerLeftTick();
}

void PopupController::ForegroundTick() {
    // The item menu takes the foreground for its tray window while it is open: that is no reason
    // to close the panel the menu acts on.
    if (m_itemMenuOpen || m_host.ForegroundIsPanel())
        return;
    StopTimer(PopupTimer::Foreground);
    EscCancel(false);
}

// Moves over transparent pixels of the window never arrive, so this is how the highlight goes
// away when the pointer leaves the panel.
void PopupController::PointerLeftTick() {
    DockRuntime& d = m_app.dock;
    if (!d.PopupOpen)
        m_panel.LastHoverRow = -1;
    if (m_panel.LastHoverRow == -1 || d.PopupDragging)
        return;
    ScreenPoint p;
    if (!m_host.CursorPos(p))
        return;
    const Rect& work = m_app.screen.WorkArea;
    if (HitTest(p.x - work.left, p.y - work.top) != -1)
        return;
    PaintNormal(true);
    m_panel.LastHoverRow = -1;
    d.PopupHoverRow = -1;
}

// ---- opening, closing, re-laying ---------------------------------------------------------------

int PopupController::Rows() const {
    return std::clamp(m_app.geo.PopupRows, 1, kMaxPopupRows);
}

int PopupController::HitTest(int x, int y) const {
    return HitTestRows(m_panel, Rows(), x, y);
}

Rect PopupController::PanelRect() const {
    const int height = PanelHeight(m_panel.EntryCount, Rows());
    return Rect{m_panel.MenuLeft, m_panel.MenuTop, m_panel.MenuLeft + kPanelWidth, m_panel.MenuTop + height};
}

void PopupController::Layout(int count) {
    m_panel.MenuLeft = GetMenuLoc(m_app, m_panel, true, count, -1);
    m_panel.MenuTop = GetMenuLoc(m_app, m_panel, false, count, -1);
    m_panel.EntryCount = count;
    FillRowRects(m_panel, Rows());
    m_host.ShowArea(PanelRect());
}

void PopupController::MenuFocus(int slot) {
    const int n = GroupMemberCount(m_app, slot);
    Trace("popup open slot=%d entries=%d", slot, n);
    if (n == 0 || slot < 0 || slot > kSlotBound)
        return;
    DockRuntime& d = m_app.dock;
    EndDrag();
    d.PopupHoverRow = -1;
    m_panel.LastHoverRow = -1;
    m_wheelRest = 0;
    m_panel.GroupSlot = slot;
    m_panel.TopIndex = 0;
    Layout(n);
    m_panel.CanScrollUp = false;
    m_panel.CanScrollDown = m_panel.ScrollLayout(Rows());
    IniMenuParam(m_app, m_panel);
    // Painted and presented before the window comes to the front, so it never shows an old picture.
    m_host.PrepareImages();
    PaintNormal(true);
    m_host.ShowPanel();
    StartTimer(PopupTimer::Foreground);
    StartTimer(PopupTimer::PointerLeft);
    d.PopupOpen = true;
    Trace("popup shown left=%d top=%d height=%d", m_panel.MenuLeft, m_panel.MenuTop, PanelHeight(n, Rows()));
}

void PopupController::Close() {
    EndDrag();
    if (ICanvas* canvas = m_host.PaintCanvas()) {
        RestoreGDIPlus(*canvas);
        canvas->Present(255);
        ForgetPanelPictures(*canvas);
    }
    m_host.HidePanel();
    StopTimer(PopupTimer::Foreground);
    StopTimer(PopupTimer::PointerLeft);
    m_app.dock.PopupOpen = false;
    Trace("popup closed slot=%d", m_panel.GroupSlot);
    if (m_app.sys.clock)
        m_app.sys.clock->Sleep(kCloseWaitMs);
}

void PopupController::EscCancel(bool noFormMainFocus) {
    DockRuntime& d = m_app.dock;
    Trace("popup esc-cancel open=%d dock-focus=%d", d.PopupOpen ? 1 : 0, noFormMainFocus ? 0 : 1);
    if (d.PopupOpen)
        Close();
    d.PopupHoverRow = -1;
    m_panel.LastHoverRow = -1;
    d.PopupOpen = false;
    if (!noFormMainFocus)
        m_host.FocusDock();
}

// After the shown group changed: the panel at its new size and place. The highlight stays on its
// row while that row still exists; otherwise none is shown.
void PopupController::MenuResize() {
    DockRuntime& d = m_app.dock;
    if (!d.PopupOpen)
        return;
    const int n = GroupMemberCount(m_app, m_panel.GroupSlot);
    Trace("popup resize slot=%d entries=%d", m_panel.GroupSlot, n);
    if (n == 0) {
        EscCancel(false);
        return;
    }
    const int r = Rows();
    Layout(n);
    if (m_panel.ScrollLayout(r)) {
        if (m_panel.TopIndex + r > n)
            m_panel.TopIndex = n - r;
        m_panel.CanScrollUp = m_panel.TopIndex > 0;
        m_panel.CanScrollDown = m_panel.TopIndex + r < n;
    } else {
        m_panel.TopIndex = 0;
        m_panel.CanScrollUp = m_panel.CanScrollDown = false;
    }
    IniMenuParam(m_app, m_panel);
    const int lastRow = m_panel.ScrollLayout(r) ? r + 1 : n;
    const int firstRow = m_panel.ScrollLayout(r) ? 0 : 1;
    const auto valid = [&](int row) { return row >= firstRow && row <= lastRow; };
    if (!valid(d.PopupHoverRow))
        d.PopupHoverRow = -1;
    if (!valid(m_panel.LastHoverRow))
        m_panel.LastHoverRow = -1;
    if (d.PopupHoverRow == -1)
        PaintNormal(true);
    else
        PaintAction(false);
}

// ---- mouse -------------------------------------------------------------------------------------

void PopupController::OnMouseDown(int button, int x, int y) {
    DockRuntime& d = m_app.dock;
    if (!d.PopupOpen)
        return;
    // The press acts on the row under it even when no move announced it.
    d.PopupHoverRow = HitTest(x, y);
    if (d.PopupHoverRow != -1)
        m_panel.LastHoverRow = d.PopupHoverRow;
    const int r = d.PopupHoverRow;
    if (button == mouse::Left && r >= 1 && r <= m_panel.RowsShown(Rows())) {
        const int e = m_panel.TopIndex + r;
        const int item = e < static_cast<int>(m_panel.EntryItem.size()) ? m_panel.EntryItem[e] : -1;
        if (m_app.store.IsItem(item) && m_app.store.Items[item].Kind == kind::Member) {
            m_dragCandidate = true;
            m_dragItem = item;
            m_pressX = x;
            m_pressY = y;
        }
    }
    if (r != -1)
        PaintAction(true);
}

void PopupController::OnMouseMove(int buttons, int x, int y) {
    DockRuntime& d = m_app.dock;
    d.IdleTicks = 0;
    if (!d.PopupOpen)
        return;
    if ((buttons & mouse::Left) && m_dragCandidate && m_app.cfg.LockDragging == 0 &&
        (std::abs(x - m_pressX) > kDragSlack || std::abs(y - m_pressY) > kDragSlack)) {
        if (!d.PopupDragging) // the dragged picture may go anywhere on the screen
            m_host.ShowArea(Rect{0, 0, m_app.screen.ScreenWidth, m_app.screen.ScreenHeight});
        d.PopupDragging = true;
        if (ICanvas* canvas = m_host.PaintCanvas())
            MenuDragPaint(m_app, m_panel, *canvas, m_dragItem, x, y);
    }
    d.PopupHoverRow = HitTest(x, y);
    // While a member is dragged the rows are not lit: the dragged picture stays on screen.
    if (d.PopupHoverRow != -1 && d.PopupHoverRow != m_panel.LastHoverRow && !d.PopupDragging) {
        m_panel.LastHoverRow = d.PopupHoverRow;
        PaintAction(false);
    }
}

void PopupController::OnMouseUp(int button, int x, int y) {
    DockRuntime& d = m_app.dock;
    if (!d.PopupOpen) {
        EndDrag();
        return;
    }
    d.PopupHoverRow = HitTest(x, y);
    if (m_dragCandidate && d.PopupDragging) {
        DropOutside(x, y);
        return;
    }
    EndDrag();
    const int r = d.PopupHoverRow;
    if (r == -1)
        return;
    const int rows = Rows();
    const bool scroll = m_panel.ScrollLayout(rows);
    if (button == mouse::Left) {
        if (scroll && r == 0) {
            MenuUpAndDown(m_panel, rows, true);
            PaintAfterScroll();
        } else if (scroll && r == rows + 1) {
            MenuUpAndDown(m_panel, rows, false);
            PaintAfterScroll();
        } else {
            MenuClick(m_panel.TopIndex + r);
        }
        return;
    }
    // The item menu belongs to the rows; the buttons have none.
    if (r < 1 || r > m_panel.RowsShown(rows))
        return;
    const int e = m_panel.TopIndex + r;
    d.ClickedEntry = e;
    d.CurrentItem = m_panel.EntryItem[e];
    d.ClickedSlot = m_panel.GroupSlot; // the menu's moves act on this group
    Trace("popup item-menu entry=%d item=%d", e, d.CurrentItem);
    m_itemMenuOpen = true;
    m_host.OpenItemMenu();
    m_itemMenuOpen = false;
    // The menu's window held the foreground; a panel the menu left open takes it back.
    if (d.PopupOpen)
        m_host.ShowPanel();
}

// A member released after a drag: off every row and button it is removed from the group.
void PopupController::DropOutside(int x, int y) {
    DockRuntime& d = m_app.dock;
    const int item = m_dragItem;
    if (d.PopupHoverRow == -1) {
        const int removed = ClearItem(m_app, item, false);
        Trace("popup delete item=%d removed=%d", item, removed);
        if (removed == 1)
            if (ICanvas* canvas = m_host.PaintCanvas())
                MenuDelEffect(m_app, m_panel, *canvas, x, y, [this] { m_host.PumpMessages(); });
    }
    const int slot = m_panel.GroupSlot;
    EndDrag();
    MenuResize(); // closes the pop-up when the group has no members left
    // The group's caption (its " (Full)" / " (Empty)" suffix) may have changed.
    IniIconParam(m_app);
    const bool saved = m_host.SaveMenu();
    Trace("popup save menu ok=%d slot=%d", saved ? 1 : 0, slot);
}

void PopupController::EndDrag() {
    m_app.dock.PopupDragging = false;
    m_dragItem = -1;
    m_dragCandidate = false;
}

void PopupController::OnCaptureLost() {
    const bool wasDragging = m_app.dock.PopupDragging;
    EndDrag();
    if (wasDragging && m_app.dock.PopupOpen) {
        m_host.ShowArea(PanelRect());
        PaintNormal(true); // the dragged picture goes; the member stays
    }
}

void PopupController::MenuClick(int entry) {
    const bool valid =
        entry >= 1 && entry <= m_panel.EntryCount && entry < static_cast<int>(m_panel.EntryItem.size());
    const int item = valid ? m_panel.EntryItem[entry] : -1;
    const int param = valid ? m_panel.EntryParam[entry] : 0;
    Trace("popup click entry=%d item=%d", entry, item);
    EscCancel(false);
    if (valid && m_app.store.IsItem(item)) {
        if (m_app.store.Items[item].IsSystem != 0)
            m_host.RunCommand(param);
        else
            m_host.Launch(item);
    }
    m_app.dock.PopupOpen = false;
}

// ---- keys and wheel ----------------------------------------------------------------------------

void PopupController::OnKeyDown(int keyCode) {
    DockRuntime& d = m_app.dock;
    if (!d.PopupOpen)
        return;
    const int rows = Rows();
    switch (keyCode) {
    case key::Enter: {
        // Only a row runs: Enter on a lit button would name an entry that is not on screen.
        const int r = d.PopupHoverRow;
        if (r >= 1 && r <= m_panel.RowsShown(rows) && m_panel.TopIndex + r <= m_panel.EntryCount)
            MenuClick(m_panel.TopIndex + r);
        return;
    }
    case key::Escape:
        EscCancel(false);
        return;
    case key::PageUp:
    case key::PageDown:
        MenuUpAndDown(m_panel, rows, keyCode == key::PageUp);
        PaintAfterScroll();
        return;
    case key::Up:
    case key::Down:
        d.PopupHoverRow = MenuArrow(m_panel, rows, keyCode == key::Up, d.PopupHoverRow);
        PaintAfterScroll();
        return;
    default:
        break;
    }
    // Letters choose by entry number, whatever is scrolled into view.
    if (keyCode >= key::Digit0 && keyCode <= key::Digit9)
        MenuClick(keyCode - 47);
    else if (keyCode >= key::A && keyCode <= key::Z)
        MenuClick(keyCode - 54);
}

void PopupController::OnMouseWheel(int delta) {
    if (!m_app.dock.PopupOpen)
        return;
    // A turn the other way starts a new count.
    if ((delta < 0 && m_wheelRest > 0) || (delta > 0 && m_wheelRest < 0))
        m_wheelRest = 0;
    m_wheelRest += delta;
    int steps = 0;
    const int rows = Rows();
    while (m_wheelRest >= kWheelDelta) {
        MenuWheelStep(m_panel, rows, true);
        m_wheelRest -= kWheelDelta;
        ++steps;
    }
    while (m_wheelRest <= -kWheelDelta) {
        MenuWheelStep(m_panel, rows, false);
        m_wheelRest += kWheelDelta;
        ++steps;
    }
    if (steps > 0)
        PaintAfterScroll();
}

// ---- paints ------------------------------------------------------------------------------------

void PopupController::PaintAfterScroll() {
    Trace("popup top=%d up=%d down=%d", m_panel.TopIndex, m_panel.CanScrollUp ? 1 : 0,
          m_panel.CanScrollDown ? 1 : 0);
    if (m_app.dock.PopupHoverRow < 0)
        PaintNormal(true);
    else
        PaintAction(false);
}

void PopupController::PaintNormal(bool present) {
    if (ICanvas* canvas = m_host.PaintCanvas()) {
        qor::MenuNormal(m_app, m_panel, *canvas);
        if (present)
            canvas->Present(255);
    }
}

void PopupController::PaintAction(bool isMouseDown) {
    if (ICanvas* canvas = m_host.PaintCanvas())
        qor::MenuAction(m_app, m_panel, *canvas, isMouseDown);
}

void PopupController::Trace(const char* format, int a, int b, int c) const {
    ITrace* trace = m_app.sys.trace;
    if (!trace || !trace->Enabled())
        return;
    char line[128];
    std::snprintf(line, sizeof line, format, a, b, c);
    trace->Line(line);
}

} // namespace qor
