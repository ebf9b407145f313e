#include "dock/DockController.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/AppState.h"
#include "dock/Paint.h"
#include "icons/IconResolve.h"
#include "platform/Shell.h"

namespace qor {

namespace {

constexpr int kIdleSecondsBeforeHide = 6; // hides on the seventh idle second
constexpr int kDwellTicks = 4;            // 4 x 50 ms of rest before the centre cross-fades
constexpr int kDragSlack = 1;             // a press may wander this far and still be a click
constexpr int kRecycleBinSlot = 2;        // the ring position the default catalogue gives the bin
constexpr int kEmptyRecycleBinCommand = 101;
// Kinds up to 3 are plain shortcuts and blanks; above are groups and the special items, whose
// click opens their group. Below 7 a right click opens the item menu instead.
constexpr int kLastPlainKind = 3;
constexpr int kFirstSpecialKind = 7;

bool IsRecycleBinItem(const DockItem& item) {
    return item.IconRef == kRecycleEmptyItem || item.IconRef == kRecycleFullItem ||
           (item.Kind == kind::RecycleBin && item.Param == kEmptyRecycleBinCommand);
}

} // namespace

uint32_t DockTimerInterval(DockTimer timer) {
    switch (timer) {
    case DockTimer::PointerLeft:
    case DockTimer::Foreground:
        return 100;
    case DockTimer::RecycleBin:
    case DockTimer::AutoHide:
        return 1000;
    case DockTimer::Dwell:
        return 50;
    }
    return 1000;
}

const char* DockTimerName(DockTimer timer) {
    switch (timer) {
    case DockTimer::PointerLeft:
        return "PointerLeft";
    case DockTimer::Foreground:
        return "Foreground";
    case DockTimer::RecycleBin:
        return "RecycleBin";
    case DockTimer::AutoHide:
        return "AutoHide";
    case DockTimer::Dwell:
        return "Dwell";
    }
    return "?";
}

// ---- timers ------------------------------------------------------------------------------------

void DockController::StartTimer(DockTimer timer) {
    bool& running = m_timers[Index(timer)];
    if (running)
        return; // a running timer keeps its rhythm
    running = true;
    m_host.StartTimer(timer, DockTimerInterval(timer));
    TraceTimer(timer, true);
}

void DockController::StopTimer(DockTimer timer) {
    bool& running = m_timers[Index(timer)];
    if (!running)
        return;
    running = false;
    m_host.StopTimer(timer);
    TraceTimer(timer, false);
}

void DockController::StartAllTimers() {
    for (DockTimer t : {DockTimer::PointerLeft, DockTimer::Foreground, DockTimer::RecycleBin,
                        DockTimer::AutoHide, DockTimer::Dwell})
        StartTimer(t);
}

void DockController::StopAllTimers() {
    for (DockTimer t : {DockTimer::PointerLeft, DockTimer::Foreground, DockTimer::RecycleBin,
                        DockTimer::AutoHide, DockTimer::Dwell})
        StopTimer(t);
}

void DockController::OnTimer(DockTimer timer) {
    if (!m_timers[Index(timer)])
        return; // a tick that was already queued when the timer stopped
    switch (timer) {
    case DockTimer::PointerLeft:
        PointerLeftTick();
        break;
    case DockTimer::Foreground:
        ForegroundTick();
        break;
    case DockTimer::RecycleBin:
        RecycleBinTick();
        break;
    case DockTimer::AutoHide:
        AutoHideTick();
        break;
    case DockTimer::Dwell:
        DwellTick();
        break;
    }
}

// Repaints the ring once the pointer has left every icon (moves over transparent pixels of the
// window never arrive, so this is how the hover picture goes away).
void DockController::PointerLeftTick() {
    DockRuntime& d = m_app.dock;
    if (d.State > dockstate::Expanded)
        d.LastHoverSlot = -1;
    if (d.LastHoverSlot == -1) {
        StopTimer(DockTimer::PointerLeft); // nothing hovered: a move onto an icon starts it again
        return;
    }
    if (d.Dragging)
        return;
    ScreenPoint p;
    if (!m_host.CursorPos(p))
        return;
    const Rect& work = m_app.screen.WorkArea;
    if (HitTest(p.x - work.left, p.y - work.top) != -1)
        return;
    d.LastHoverSlot = -1;
    d.HoverSlot = -1;
    // In keyboard mode the selection stays lit where the pointer left it.
    if (LitSlot(m_app) >= 0)
        PaintHover(false);
    else
        PaintResting();
    StopTimer(DockTimer::PointerLeft);
    // The pointer may have left without a move the dock saw: the centre goes back to its own
    // picture once the dwell timer sees the pointer still.
    StartTimer(DockTimer::Dwell);
}

void DockController::ForegroundTick() {
    if (m_host.ForegroundIsOurs())
        return;
    EscCancel();
    if (m_app.cfg.AutoHide == 1)
        MinWindows(dockstate::Hidden);
    StopTimer(DockTimer::Foreground);
}

// Ring position 2 shows the bin as full or empty. Only a recycle-bin item there is kept in step:
// whatever else the user put on that position stays.
void DockController::RecycleBinTick() {
    Store& store = m_app.store;
    if (!store.IsItem(kRecycleFullItem))
        return;
    DockItem& item = store.Items[kRecycleBinSlot];
    if (!IsRecycleBinItem(item)) {
        StopTimer(DockTimer::RecycleBin); // started again when the ring's items change
        return;
    }
    const int wanted = IsRecycleBinFull(m_app.sys.shell) ? kRecycleFullItem : kRecycleEmptyItem;
    if (item.IconRef == wanted)
        return;
    item = store.Items[wanted];
    RefreshSlots();
    PaintRepaint();
    Trace("dock recycle-bin item=%d", wanted);
}

void DockController::AutoHideTick() {
    DockRuntime& d = m_app.dock;
    if (m_app.cfg.AutoHide != 1) {
        d.IdleTicks = 0;
        StopTimer(DockTimer::AutoHide); // auto-hide is off: DockFocus starts it again
        return;
    }
    if (d.HoverSlot != -1 || d.PopupHoverRow != -1 || d.Dragging || d.PopupDragging)
        d.IdleTicks = 0;
    else
        ++d.IdleTicks;
    if (d.IdleTicks <= kIdleSecondsBeforeHide)
        return;
    d.IdleTicks = 0;
    if (d.PopupOpen)
        m_host.ClosePopup(true);
    const bool fade = d.FadeOnHide;
    // An expanded ring fades out; the minimized icon goes at once.
    d.FadeOnHide = d.State != dockstate::Minimized;
    EscCancel();
    MinWindows(dockstate::Hidden);
    d.FadeOnHide = fade;
    StopTimer(DockTimer::AutoHide);
}

// About 200 ms after the pointer stops, the centre cross-fades to the hovered item's picture
// (back to its own when nothing is hovered). Then there is nothing to wait for until it moves.
void DockController::DwellTick() {
    if (m_pointerX != m_dwell.x || m_pointerY != m_dwell.y) {
        m_dwell = {m_pointerX, m_pointerY, 0};
        return;
    }
    if (++m_dwell.ticks < kDwellTicks)
        return;
    m_dwell = {};
    if (ICanvas* canvas = m_host.PaintCanvas())
        EffectAction(m_app, *canvas, LitSlot(m_app));
    StopTimer(DockTimer::Dwell);
}

// ---- mouse -------------------------------------------------------------------------------------

int DockController::HitTest(int x, int y) const {
    return qor::HitTest(m_app.geo, m_app.run.IconCount, x, y);
}

int DockController::ClickKind(int slot) const {
    if (slot == kCentreItem)
        return kind::User; // the centre opens the program's own commands, picture or not
    if (!m_app.store.IsItem(slot))
        return kind::Free;
    return m_app.store.Items[slot].Kind;
}

bool DockController::DragAllowed() const {
    return m_app.cfg.LockDragging == 0;
}

void DockController::OnMouseDown(int button, int shiftState, int x, int y) {
    DockRuntime& d = m_app.dock;
    // The press acts on the icon under it even when no move announced it (the system skips the
    // move when the pointer comes back to where it last saw it, after the hover was cleared).
    OnMouseMove(0, shiftState, x, y);
    StartTimer(DockTimer::Foreground);
    const int h = d.HoverSlot;
    // Only the expanded ring's shortcuts and groups can be dragged: while minimized the centre
    // icon may lie over a ring position the user cannot see.
    if (button == mouse::Left && d.State == dockstate::Expanded && h > 0 && h <= kSlotBound) {
        const int k = d.SlotKind[h];
        if (k == kind::Shortcut || k == kind::Group || k == kind::AllPrograms) {
            m_dragCandidate = true;
            d.DragSlot = h;
            m_dragStartX = x;
            m_dragStartY = y;
        }
    }
    if (h == -1 && d.KeyboardMode)
        EscCancel(); // a press on the dimmed backdrop dismisses it
    if (h != -1 && d.State != dockstate::Minimized && button == mouse::Left)
        PaintHover(true);
    (void)shiftState;
}

void DockController::OnMouseMove(int buttons, int shiftState, int x, int y) {
    DockRuntime& d = m_app.dock;
    d.IdleTicks = 0;
    m_pointerX = x;
    m_pointerY = y;
    StartTimer(DockTimer::Dwell);

    if ((buttons & mouse::Left) && m_dragCandidate && DragAllowed()) {
        const bool near =
            std::abs(x - m_dragStartX) <= kDragSlack && std::abs(y - m_dragStartY) <= kDragSlack;
        if (near) {
            if (d.Dragging) {
                d.Dragging = false;
                // Back where it was pressed: the pressed picture again instead of the dragged one.
                d.HoverSlot = d.DragSlot;
                PaintHover(true);
            }
        } else {
            d.Dragging = true;
            if (ICanvas* canvas = m_host.PaintCanvas())
                DockDragPaint(m_app, *canvas, x, y);
        }
    }

    d.HoverSlot = HitTest(x, y);
    if (d.HoverSlot != -1 && d.HoverSlot != d.LastHoverSlot) {
        d.LastHoverSlot = d.HoverSlot;
        // In keyboard mode the pointer takes the selection along, as in a menu.
        if (d.KeyboardMode)
            d.SelectedSlot = d.HoverSlot;
        StartTimer(DockTimer::PointerLeft);
        if (!d.Dragging && d.State != dockstate::Minimized)
            PaintHover(false);
        if (d.State == dockstate::Expanded)
            m_host.Announce(AccessEvent::Focus, d.HoverSlot);
    }
    (void)shiftState;
}

void DockController::OnMouseUp(int button, int shiftState, int x, int y) {
    DockRuntime& d = m_app.dock;
    if (m_dragCandidate && d.Dragging && DragAllowed() && d.HoverSlot == -1) {
        DropToDelete(x, y);
        return;
    }
    m_dragCandidate = false;
    d.DragSlot = -1;

    if (d.State == dockstate::Minimized) {
        MinWindows(dockstate::Expanded); // any click on the minimized icon expands the ring
        d.Dragging = false;
        return;
    }
    d.ClickedSlot = d.HoverSlot;
    const int h = d.HoverSlot;

    if (button == mouse::Left) {
        if (h == kCentreItem && d.State == dockstate::Expanded) {
            MinWindows(dockstate::Minimized);
            m_host.ToBottom(false);
        } else {
            PaintHover(false);
            if (!d.Dragging) // released over another icon after a drag: no click
                IconClick(0);
        }
    } else {
        PaintHover(false);
        if (h >= 0 && m_app.store.IsItem(h)) {
            if (ClickKind(h) < kFirstSpecialKind) { // shortcuts, blanks, groups, All Programs
                d.CurrentItem = h;
                m_host.OpenItemMenu(std::nullopt);
            } else {
                IconClick(1);
            }
        }
    }
    d.Dragging = false;
    if (d.HoverSlot == -1 && m_app.cfg.AutoHide == 1)
        MinWindows(dockstate::Hidden);
    (void)shiftState;
}

// Released off every icon after a drag: the item is cleared (its confirmation may ask first),
// the delete animation plays where it was dropped, and the item file is written.
void DockController::DropToDelete(int x, int y) {
    DockRuntime& d = m_app.dock;
    const int slot = d.DragSlot;
    const int removed = ClearItem(m_app, slot, false);
    Trace("dock delete slot=%d removed=%d", slot, removed);
    if (removed == 1) {
        if (ICanvas* canvas = m_host.PaintCanvas())
            DockDelEffect(m_app, *canvas, x, y, [this] { m_host.PumpMessages(); });
        RefreshSlots();
    }
    d.DragSlot = -1;
    PaintResting();
    d.Dragging = false;
    const bool saved = m_host.SaveMenu();
    Trace("dock save menu ok=%d", saved ? 1 : 0);
    m_dragCandidate = false;
}

void DockController::OnCaptureLost() {
    DockRuntime& d = m_app.dock;
    if (!m_dragCandidate && !d.Dragging)
        return;
    const bool wasDragging = d.Dragging;
    m_dragCandidate = false;
    d.Dragging = false;
    d.DragSlot = -1;
    if (wasDragging)
        PaintRepaint(); // the dragged icon goes back to its place
}

void DockController::IconClick(int mouseButton) {
    const int h = m_app.dock.HoverSlot;
    if (!m_app.store.IsItem(h) || h > kSlotBound)
        return;
    const int k = ClickKind(h);
    if (k == kind::Free || k == kind::Blank)
        return;
    DockItem& item = m_app.store.Items[h];
    const int param = item.Param;
    const bool hasTarget = !item.Target.Clean().empty();
    const bool isSystem = item.IsSystem != 0;

    const auto runOrLaunch = [&] {
        if (isSystem)
            m_host.RunCommand(param);
        else
            m_host.Launch(h);
    };
    switch (mouseButton) {
    case 1:
        if (k > kLastPlainKind)
            OpenPopupFor(h);
        break;
    case 2:
        if (k == kind::Shortcut)
            runOrLaunch();
        else if (k > kLastPlainKind)
            OpenPopupFor(h);
        break;
    default:
        if (k == kind::Shortcut) {
            runOrLaunch();
        } else if (k == kind::Group || k == kind::AllPrograms || k == kind::RecycleBin || k == kind::System) {
            if (isSystem)
                m_host.RunCommand(param);
            else if (hasTarget)
                m_host.Launch(h);
            else
                OpenPopupFor(h);
        } else if (k == kind::User) {
            OpenPopupFor(h);
        }
        break;
    }
}

void DockController::OpenPopupFor(int slot) {
    Trace("dock open pop-up slot=%d", slot);
    m_host.OpenPopup(slot);
}

// ---- keys --------------------------------------------------------------------------------------

void DockController::OnKeyDown(int keyCode, int shiftState) {
    DockRuntime& d = m_app.dock;
    if (d.PopupOpen)
        m_host.ClosePopup(false);

    if (keyCode == key::Escape) {
        const int hover = d.HoverSlot;
        EscCancel();
        if (m_app.cfg.AutoHide == 1)
            MinWindows(dockstate::Hidden);
        d.HoverSlot = hover;
    } else if (keyCode == key::Space && shiftState == shift::Alt) {
        AltSpace();
    } else if (d.KeyboardMode) {
        int slot = -1;
        if (keyCode >= key::Digit0 && keyCode <= key::Digit9)
            slot = keyCode - 47;
        else if (keyCode >= key::A && keyCode <= key::Z)
            slot = keyCode - 54;
        else if (keyCode == key::Tilde)
            slot = kCentreItem;
        else if (keyCode == key::Enter)
            slot = d.SelectedSlot;
        if (keyCode == key::Right || keyCode == key::Down || keyCode == key::Left || keyCode == key::Up)
            MoveSelection(keyCode == key::Right || keyCode == key::Down);
        else if (keyCode == key::Apps || (keyCode == key::F10 && shiftState == shift::Shift))
            ContextMenuFor(d.SelectedSlot);
        // A letter beyond the ring's positions is not drawn anywhere: it runs nothing.
        else if (slot >= 0 && slot <= m_app.run.IconCount)
            KeyClick(slot);
    }
}

void DockController::KeyClick(int slot) {
    DockRuntime& d = m_app.dock;
    const int hover = d.HoverSlot;
    d.HoverSlot = slot;
    Trace("dock key slot=%d", slot);
    IconClick(2);
    d.HoverSlot = hover;
}

void DockController::MoveSelection(bool forward) {
    DockRuntime& d = m_app.dock;
    const int count = std::clamp(m_app.run.IconCount, 0, kSlotBound);
    if (count < 1 || d.State != dockstate::Expanded)
        return;
    int slot = d.SelectedSlot;
    if (slot < 1 || slot > count) // none yet, or the centre: onto the ring at its start or end
        slot = forward ? 1 : count;
    else
        slot = forward ? slot % count + 1 : (slot + count - 2) % count + 1;
    d.SelectedSlot = slot;
    // The selection is lit instead of the icon under the pointer until the pointer moves on.
    d.HoverSlot = -1;
    d.LastHoverSlot = -1;
    Trace("dock select slot=%d", slot);
    PaintHover(false);
    StartTimer(DockTimer::Dwell); // the centre cross-fades to it as it does under a resting pointer
    m_host.Announce(AccessEvent::Focus, slot);
}

// A right click's work for the keyboard: the item menu for shortcuts, blanks and groups, shown at
// the item; the special items' pop-ups. The dock keeps the keyboard afterwards.
void DockController::ContextMenuFor(int slot) {
    DockRuntime& d = m_app.dock;
    if (slot < 0 || slot > std::clamp(m_app.run.IconCount, 0, kSlotBound) || !m_app.store.IsItem(slot))
        return;
    d.ClickedSlot = slot;
    Trace("dock context-menu slot=%d", slot);
    if (ClickKind(slot) >= kFirstSpecialKind) {
        const int hover = d.HoverSlot;
        d.HoverSlot = slot;
        IconClick(1);
        d.HoverSlot = hover;
        return;
    }
    d.CurrentItem = slot;
    const Rect r = ElementBounds(slot);
    m_host.OpenItemMenu(ScreenPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    // The menu's window held the foreground; a dock still in keyboard mode takes it back.
    if (d.KeyboardMode && d.State == dockstate::Expanded && !d.PopupOpen) {
        m_host.Focus();
        AnnounceFocus();
    }
}

void DockController::OnKeyUp(int keyCode, int shiftState) {
    (void)shiftState;
    if (keyCode != key::F1)
        return;
    EscCancel();
    m_app.cfg.HideGetStarted = 0;
    m_host.ShowGetStarted();
}

// ---- display states ----------------------------------------------------------------------------

void DockController::EscCancel() {
    DockRuntime& d = m_app.dock;
    if (d.PopupOpen)
        m_host.ClosePopup(true);
    m_host.ToBottom(false);
    if (d.KeyboardMode) {
        d.KeyboardMode = false;
        EndSelection();
        Trace("dock keyboard=%d", 0);
        if (d.State == dockstate::Expanded)
            PaintRepaint();
    }
    m_host.ToBottom(true);
}

void DockController::AltSpace() {
    DockRuntime& d = m_app.dock;
    const bool starts = !d.KeyboardMode;
    if (starts) {
        FollowPointer();
        d.KeyboardMode = true;
        // The selection starts on the icon under the pointer, if any.
        d.SelectedSlot = d.State == dockstate::Expanded ? d.HoverSlot : -1;
        Trace("dock keyboard=%d", 1);
        StartTimer(DockTimer::Foreground);
        if (d.State != dockstate::Expanded)
            MinWindows(dockstate::Expanded);
        else
            PaintRepaint();
    }
    m_host.Focus();
    m_host.ToTopmost();
    if (starts)
        AnnounceFocus();
}

void DockController::ToggleKeyboardDock() {
    DockRuntime& d = m_app.dock;
    const bool fade = d.FadeOnHide;
    d.FadeOnHide = false; // hiding from the hot key is instant
    if (d.PopupOpen)
        m_host.ClosePopup(false);
    if (d.KeyboardMode)
        MinWindows(dockstate::Hidden);
    else
        AltSpace();
    d.FadeOnHide = fade;
}

void DockController::OnHotKey(HotKey hotKey) {
    Trace("dock hot-key %d", static_cast<int>(hotKey));
    switch (hotKey) {
    case HotKey::KeyboardDock:
        ToggleKeyboardDock();
        break;
    case HotKey::Switch:
        if (m_app.dock.DockHidden)
            FollowPointer(); // the switch brings the ring back
        m_host.SwitchDesktop();
        break;
    case HotKey::Minimize:
        MinWindows(dockstate::Minimized);
        m_host.ToBottom(false); // also when it was minimized already
        break;
    }
}

void DockController::MinWindows(int state) {
    DockRuntime& d = m_app.dock;
    if (state == d.State || state < dockstate::Expanded || state > dockstate::Hidden)
        return;
    d.State = state;
    if (state != dockstate::Expanded) {
        d.KeyboardMode = false;
        EndSelection();
    }
    Trace("dock state=%d", state);
    ICanvas* canvas = m_host.PaintCanvas();

    switch (state) {
    case dockstate::Minimized:
        d.DockHidden = false;
        DockFocus(false);
        m_host.PumpMessages();
        if (canvas)
            PaintMinimizedPicture(m_app, *canvas);
        d.HoverSlot = -1;
        d.PopupHoverRow = -1;
        m_host.ToBottom(false);
        if (m_app.cfg.AutoHide == 1)
            StartTimer(DockTimer::AutoHide);
        break;
    case dockstate::Hidden:
        if (canvas)
            PaintHiddenPicture(m_app, *canvas);
        StopTimer(DockTimer::AutoHide);
        d.IdleTicks = 0;
        d.DockHidden = true;
        m_host.ToBottom(false);
        break;
    default:
        d.DockHidden = false;
        DockFocus(true);
        m_host.Focus();
        m_host.ToTopmost();
        break;
    }
}

void DockController::DockFocus(bool getFocus) {
    IniIconParam(m_app);
    if (!getFocus)
        return;
    PaintResting();
    m_app.dock.IdleTicks = 0;
    StartAllTimers();
}

void DockController::Repaint() {
    RefreshSlots();
    PaintRepaint();
    StartTimer(DockTimer::RecycleBin); // the item on the bin's position may have changed
}

// ---- screens -----------------------------------------------------------------------------------

void DockController::FollowPointer() {
    ScreenPoint p;
    if (m_app.sys.sys && m_host.CursorPos(p))
        OnDisplayChange(m_app.sys.sys->GetScreenInfoAt(p.x, p.y));
}

void DockController::OnDisplayChange(const ScreenInfo& screen) {
    if (m_followingScreen)
        return; // a message sent while the windows move to the screen just applied
    DockRuntime& d = m_app.dock;
    const int oldDpi = m_app.screen.Dpi;
    if (!ApplyScreen(m_app, screen))
        return;
    if (ITrace* trace = m_app.sys.trace; trace && trace->Enabled()) {
        const Rect& w = m_app.screen.WorkArea;
        char line[160];
        std::snprintf(line, sizeof line, "dock display-change work=%d,%d,%d,%d dpi=%d radius=%d state=%d",
                      w.left, w.top, w.right, w.bottom, m_app.screen.Dpi, RingRadius(m_app.run, m_app.screen),
                      d.State);
        trace->Line(line);
    }
    if (d.PopupOpen)
        m_host.ClosePopup(true); // laid out for the old screen
    // Whatever the pointer was on lies elsewhere now; a drag ends where it is.
    m_dragCandidate = false;
    d.Dragging = false;
    d.DragSlot = -1;
    d.HoverSlot = -1;
    d.LastHoverSlot = -1;
    m_followingScreen = true;
    m_host.FollowScreen(m_app.screen.Dpi != oldDpi);
    m_followingScreen = false;

    ICanvas* canvas = m_host.PaintCanvas();
    if (!canvas)
        return;
    switch (d.State) {
    case dockstate::Minimized:
        PaintMinimizedPicture(m_app, *canvas);
        break;
    case dockstate::Hidden: {
        const bool fade = d.FadeOnHide;
        d.FadeOnHide = false; // the new canvas has nothing to fade
        PaintHiddenPicture(m_app, *canvas);
        d.FadeOnHide = fade;
        break;
    }
    default:
        PaintResting(); // keyboard mode keeps its backdrop and letters
        break;
    }
}

void DockController::EndSelection() {
    m_app.dock.SelectedSlot = -1;
}

void DockController::RefreshSlots() {
    const auto before = m_app.dock.SlotCaption;
    IniIconParam(m_app);
    const int count = std::clamp(m_app.run.IconCount, 0, kSlotBound);
    for (int slot = 0; slot <= count; ++slot)
        if (m_app.dock.SlotCaption[slot] != before[slot])
            m_host.Announce(AccessEvent::NameChange, slot);
}

// ---- what assistive technology sees ------------------------------------------------------------

Rect DockController::ElementBounds(int slot) const {
    const Rect& work = m_app.screen.WorkArea;
    int left = 0, top = 0, side = 0;
    if (slot == kCentreItem && m_app.dock.State == dockstate::Minimized) {
        left = m_app.geo.MiniIconLeft;
        top = m_app.geo.MiniIconTop;
        side = m_app.run.MaxIconSize;
    } else {
        const DockSlot& s = m_app.geo.Slots[slot];
        left = s.IconLeft;
        top = s.IconTop;
        side = s.IconSide;
    }
    return Rect{work.left + left, work.top + top, work.left + left + side, work.top + top + side};
}

std::string DockController::DefaultActionOf(int slot) const {
    const DockRuntime& d = m_app.dock;
    if (slot == kCentreItem) { // a click on the centre minimizes the ring, on the icon expands it
        if (d.State == dockstate::Hidden)
            return {};
        return d.State == dockstate::Expanded ? "Minimize" : "Expand";
    }
    if (d.State != dockstate::Expanded)
        return {}; // the ring is not on the screen
    // IconClick's rules for a left click: commands run, shortcuts and groups open (a group
    // without a target opens its pop-up), the program's own group opens its pop-up.
    const int k = ClickKind(slot);
    if (k == kind::User)
        return "Open";
    if (k == kind::Shortcut || k == kind::Group || k == kind::AllPrograms || k == kind::RecycleBin ||
        k == kind::System)
        return m_app.store.Items[slot].IsSystem != 0 ? "Run" : "Open";
    return {};
}

std::vector<AccessibleElement> DockController::Elements() const {
    const DockRuntime& d = m_app.dock;
    const int count = std::clamp(m_app.run.IconCount, 0, kSlotBound);
    std::vector<AccessibleElement> list;
    list.reserve(static_cast<std::size_t>(count) + 1);
    for (int slot = 0; slot <= count; ++slot) {
        AccessibleElement e;
        e.Name = d.SlotCaption[slot];
        e.Role = AccessRole::PushButton;
        e.Shortcut = std::string(1, SlotLetter(slot));
        e.Bounds = ElementBounds(slot);
        e.DefaultAction = DefaultActionOf(slot);
        e.States = access::Focusable;
        const bool shown =
            d.State == dockstate::Expanded || (slot == kCentreItem && d.State == dockstate::Minimized);
        if (!shown)
            e.States |= access::Invisible;
        const int k = ClickKind(slot);
        if (k == kind::Free || k == kind::Blank)
            e.States |= access::Unavailable;
        else if (k > kLastPlainKind)
            e.States |= access::HasPopup;
        if (shown && d.HoverSlot == slot)
            e.States |= access::HotTracked;
        if (shown && d.KeyboardMode && d.SelectedSlot == slot)
            e.States |= access::Focused;
        list.push_back(std::move(e));
    }
    return list;
}

AccessibleElement DockController::Window() const {
    AccessibleElement w;
    w.Name = "QOR Desktop";
    w.Role = AccessRole::List;
    w.Bounds = m_app.screen.WorkArea;
    w.States = access::Focusable;
    if (m_app.dock.State == dockstate::Hidden)
        w.States |= access::Invisible;
    return w;
}

bool DockController::DoDefaultAction(int element) {
    const int count = std::clamp(m_app.run.IconCount, 0, kSlotBound);
    if (element < 0 || element > count || DefaultActionOf(element).empty())
        return false;
    DockRuntime& d = m_app.dock;
    Trace("dock default-action slot=%d", element);
    d.ClickedSlot = element;
    if (element == kCentreItem) {
        if (d.State == dockstate::Expanded) {
            MinWindows(dockstate::Minimized);
            m_host.ToBottom(false);
        } else {
            MinWindows(dockstate::Expanded);
        }
        return true;
    }
    const int hover = d.HoverSlot;
    d.HoverSlot = element;
    IconClick(0);
    d.HoverSlot = hover;
    return true;
}

void DockController::AnnounceFocus() {
    const DockRuntime& d = m_app.dock;
    m_host.Announce(AccessEvent::Focus, d.KeyboardMode ? d.SelectedSlot : -1);
}

// ---- paints ------------------------------------------------------------------------------------

void DockController::PaintHover(bool isMouseDown) {
    if (ICanvas* canvas = m_host.PaintCanvas())
        DockAction(m_app, *canvas, isMouseDown);
}

void DockController::PaintResting() {
    if (ICanvas* canvas = m_host.PaintCanvas())
        DockNormal(m_app, *canvas, false);
}

void DockController::PaintRepaint() {
    if (ICanvas* canvas = m_host.PaintCanvas())
        DockRepaint(m_app, *canvas);
}

void DockController::TraceTimer(DockTimer timer, bool on) const {
    ITrace* trace = m_app.sys.trace;
    if (trace && trace->Enabled())
        trace->Line(std::string("dock timer ") + DockTimerName(timer) + (on ? " on" : " off"));
}

void DockController::Trace(const char* format, int a, int b) const {
    ITrace* trace = m_app.sys.trace;
    if (!trace || !trace->Enabled())
        return;
    char line[96];
    std::snprintf(line, sizeof line, format, a, b);
    trace->Line(line);
}

} // namespace qor
