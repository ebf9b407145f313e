#include "popup/FrmSubMenu_win.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "dock/FrmMain_win.h"
#include "items/Commands.h"
#include "items/Launch.h"
#include "tray/FrmTray_win.h"

namespace qor {

namespace {

// The buttons held during a mouse message (its wParam).
int HeldButtons(WPARAM wParam) {
    int buttons = 0;
    if (wParam & MK_LBUTTON)
        buttons |= mouse::Left;
    if (wParam & MK_RBUTTON)
        buttons |= mouse::Right;
    if (wParam & MK_MBUTTON)
        buttons |= mouse::Middle;
    return buttons;
}

bool IsPopupTimer(UINT_PTR id) {
    return id == static_cast<UINT_PTR>(PopupTimer::Foreground) ||
           id == static_cast<UINT_PTR>(PopupTimer::PointerLeft);
}

} // namespace

bool FrmSubMenu::Load(HINSTANCE instance) {
    if (m_hwnd)
        return true;
    if (!win::RegisterWindowClass<FrmSubMenu>(instance, kClassName))
        return false;
    const ScreenMetrics& s = m_app.screen;
    // WS_EX_TOOLWINDOW keeps the panel off the taskbar and out of Alt+Tab.
    CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_LAYERED, kClassName, kCaption, WS_POPUP, s.WorkArea.left,
                    s.WorkArea.top, s.ScreenWidth, s.ScreenHeight, nullptr, nullptr, instance, this);
    if (!m_hwnd)
        return false;
    m_canvas = DockCanvas::Create(nullptr, s.ScreenWidth, s.ScreenHeight, s.Dpi);
    if (m_canvas)
        m_canvas->SetPresenter([this](const CanvasFrame& frame) { PresentFrame(frame); });
    // No input-method editor may open on the panel.
    ImmAssociateContext(m_hwnd, nullptr);
    return true;
}

void FrmSubMenu::Unload() noexcept {
    if (!m_hwnd)
        return;
    // Closed without a word: the window and the canvas go, the program is ending.
    KillTimer(m_hwnd, static_cast<UINT_PTR>(PopupTimer::Foreground));
    KillTimer(m_hwnd, static_cast<UINT_PTR>(PopupTimer::PointerLeft));
    m_app.dock.PopupOpen = false;
    m_canvas.reset();
    m_access.Disconnect();
    DestroyWindow(m_hwnd); // m_hwnd is cleared at WM_NCDESTROY
}

void FrmSubMenu::Connect(FrmMain* dock, FrmTray* tray, IProgramActions* program) {
    m_dock = dock;
    m_tray = tray;
    m_actions = program;
    // One set of pictures for both windows: the dock's caches draw on the panel's canvas too.
    if (m_canvas && dock)
        m_canvas->SetCaches(dock->Images(), dock->Skin());
}

void FrmSubMenu::FollowScreen() {
    const ScreenMetrics& s = m_app.screen;
    if (m_canvas)
        m_canvas->Resize(s.ScreenWidth, s.ScreenHeight, s.Dpi);
    if (m_hwnd)
        SetWindowPos(m_hwnd, nullptr, s.WorkArea.left, s.WorkArea.top, s.ScreenWidth, s.ScreenHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    m_area = Rect{};
    m_areaChanged = true;
}

void FrmSubMenu::ShowArea(const Rect& area) {
    const int width = m_canvas ? m_canvas->Width() : 0;
    const int height = m_canvas ? m_canvas->Height() : 0;
    const Rect clipped{std::clamp(area.left, 0, width), std::clamp(area.top, 0, height),
                       std::clamp(area.right, 0, width), std::clamp(area.bottom, 0, height)};
    if (clipped == m_area)
        return;
    m_area = clipped;
    m_areaChanged = true;
}

int FrmSubMenu::CanvasX(LPARAM lParam) const {
    return GET_X_LPARAM(lParam) + m_area.left;
}

int FrmSubMenu::CanvasY(LPARAM lParam) const {
    return GET_Y_LPARAM(lParam) + m_area.top;
}

void FrmSubMenu::PresentFrame(const CanvasFrame& frame) {
    ITrace* trace = m_app.sys.trace;
    IClock* clock = m_app.sys.clock;
    const double start = clock ? clock->NowMs() : 0.0;
    bool ok = false;
    RECT shown{m_area.left, m_area.top, m_area.right, m_area.bottom};
    if (m_area.Width() <= 0 || m_area.Height() <= 0) {
        ok = true; // nothing to show yet
    } else if (m_area.Width() == frame.size.cx && m_area.Height() == frame.size.cy) {
        // The whole canvas: only what changed is copied, unless the window had another size.
        CanvasFrame whole = frame;
        whole.partial = frame.partial && !m_areaChanged;
        if (!whole.partial)
            whole.dirty = RECT{0, 0, frame.size.cx, frame.size.cy};
        ok = PresentLayered(m_hwnd, whole);
        shown = whole.dirty;
    } else {
        // The window is moved and sized to the area in the same call that gives it the pixels.
        const Rect& work = m_app.screen.WorkArea;
        POINT destination{work.left + m_area.left, work.top + m_area.top};
        SIZE size{m_area.Width(), m_area.Height()};
        POINT source{m_area.left, m_area.top};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, frame.alpha, AC_SRC_ALPHA};
        ok = UpdateLayeredWindow(m_hwnd, nullptr, &destination, &size, frame.dc, &source, 0, &blend,
                                 ULW_ALPHA) != FALSE;
    }
    if (ok)
        m_areaChanged = false;
    if (trace && trace->Enabled()) {
        const double ms = clock ? clock->NowMs() - start : 0.0;
        char line[160];
        std::snprintf(line, sizeof line,
                      "present window=FrmSubMenu alpha=%u ok=%d area=%ld,%ld,%ld,%ld ms=%.3f", frame.alpha,
                      ok ? 1 : 0, shown.left, shown.top, shown.right, shown.bottom, ms);
        trace->Line(line);
    }
}

void FrmSubMenu::TraceLine(const char* text) {
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line(text);
}

void FrmSubMenu::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    const int x = CanvasX(lParam);
    const int y = CanvasY(lParam);
    ITrace* trace = m_app.sys.trace;
    if (trace && trace->Enabled()) {
        char line[96];
        // How long the message waited in the queue (the tick counter's resolution).
        const long queued = static_cast<long>(GetTickCount() - static_cast<DWORD>(GetMessageTime()));
        std::snprintf(line, sizeof line, "input popup-mousemove x=%d y=%d queued=%ld", x, y, queued);
        trace->Line(line);
    }
    m_popup.OnMouseMove(HeldButtons(wParam), x, y);
}

void FrmSubMenu::OnMouseButton(int button, bool down, WPARAM wParam, LPARAM lParam) {
    // Signed: with the mouse captured, a pointer left of or above the window is negative.
    const int x = CanvasX(lParam);
    const int y = CanvasY(lParam);
    if (down) {
        // Captured until the release: a member dragged out is released over transparent pixels
        // or another window, where the release would otherwise go to the window below.
        SetCapture(m_hwnd);
        m_popup.OnMouseDown(button, x, y);
        return;
    }
    m_releasing = true;
    m_popup.OnMouseUp(button, x, y);
    m_releasing = false;
    if (HeldButtons(wParam) == 0 && m_hwnd && GetCapture() == m_hwnd)
        ReleaseCapture();
}

void FrmSubMenu::OnCaptureChanged() {
    if (!m_releasing)
        m_popup.OnCaptureLost();
}

// ---- the controller's host ---------------------------------------------------------------------

ICanvas* FrmSubMenu::PaintCanvas() {
    return m_canvas.get();
}

void FrmSubMenu::StartTimer(PopupTimer timer, uint32_t intervalMs) {
    if (m_hwnd)
        SetTimer(m_hwnd, static_cast<UINT_PTR>(timer), intervalMs, nullptr);
}

void FrmSubMenu::StopTimer(PopupTimer timer) {
    if (m_hwnd)
        KillTimer(m_hwnd, static_cast<UINT_PTR>(timer));
}

void FrmSubMenu::PrepareImages() {
    if (m_dock)
        m_dock->FinishPendingImages();
}

void FrmSubMenu::ShowPanel() {
    if (!m_hwnd)
        return;
    ShowWindow(m_hwnd, SW_SHOW);
    SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // Allowed: the program has the last input (the click or key that opened the panel).
    SetForegroundWindow(m_hwnd);
    SetFocus(m_hwnd);
}

void FrmSubMenu::HidePanel() {
    if (!m_hwnd)
        return;
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
    // The window keeps its place on the screen, fully transparent (the controller presented the
    // empty canvas), so the mouse passes through it as through the resting dock. It is not
    // unmapped: a full-screen window that was active is one the X11 driver waits up to two
    // seconds to see withdrawn, with the whole program frozen, where no window manager answers.
    // Bottom of the order also takes the topmost state away.
    SetWindowPos(m_hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool FrmSubMenu::CursorPos(ScreenPoint& where) {
    POINT p{};
    if (!GetCursorPos(&p))
        return false;
    where = {p.x, p.y};
    return true;
}

bool FrmSubMenu::ForegroundIsPanel() {
    return m_hwnd && GetForegroundWindow() == m_hwnd;
}

void FrmSubMenu::PumpMessages() {
    PumpPendingMessages();
}

void FrmSubMenu::FocusDock() {
    if (!m_dock)
        return;
    m_dock->Activate();
    m_dock->Controller().AnnounceFocus();
}

void FrmSubMenu::Launch(int item) {
    if (!m_dock)
        return;
    const bool ok = LaunchItem(m_app, item, m_dock->Controller());
    char line[64];
    std::snprintf(line, sizeof line, "popup launch item=%d ok=%d", item, ok ? 1 : 0);
    TraceLine(line);
}

void FrmSubMenu::RunCommand(int code) {
    char line[64];
    std::snprintf(line, sizeof line, "popup command code=%d", code);
    TraceLine(line);
    if (m_dock && m_actions)
        RunBuiltInCommand(m_app, code, m_dock->Controller(), *m_actions);
}

void FrmSubMenu::OpenItemMenu(std::optional<ScreenPoint> at) {
    if (!m_tray)
        return;
    if (at)
        m_tray->ShowItemMenu(POINT{at->x, at->y});
    else
        m_tray->ShowItemMenu();
}

bool FrmSubMenu::SaveMenu() {
    const bool ok = qor::SaveMenu(m_app);
    char line[64];
    std::snprintf(line, sizeof line, "save file=menu reason=popup ok=%d", ok ? 1 : 0);
    TraceLine(line);
    return ok;
}

void FrmSubMenu::Announce(AccessEvent event, int element) {
    win::RaiseAccessEvent(m_hwnd, "FrmSubMenu", event, element, *this, m_app.sys.trace);
}

// ---- what assistive technology reads -------------------------------------------------------------

AccessibleElement FrmSubMenu::AccessWindow() {
    return m_popup.Window();
}

std::vector<AccessibleElement> FrmSubMenu::AccessElements() {
    return m_popup.Elements();
}

int FrmSubMenu::AccessSelected() {
    const std::vector<AccessibleElement> list = m_popup.Elements();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].States & access::Focused)
            return static_cast<int>(i);
    return -1;
}

void FrmSubMenu::AccessRequestAction(int element) {
    if (m_hwnd)
        PostMessageA(m_hwnd, kAccessActionMessage, static_cast<WPARAM>(element), 0);
}

void FrmSubMenu::OnAccessAction(WPARAM element) {
    const bool ok = m_popup.DoDefaultAction(static_cast<int>(element));
    char line[64];
    std::snprintf(line, sizeof line, "access action window=FrmSubMenu child=%d ok=%d",
                  static_cast<int>(element) + 1, ok ? 1 : 0);
    TraceLine(line);
}

// ---- messages ----------------------------------------------------------------------------------

LRESULT FrmSubMenu::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (msg) {
        case WM_CLOSE:
            m_program.ExitProgram();
            return 0;
        case WM_QUERYENDSESSION:
            m_program.QueryEndSession();
            return TRUE;
        case WM_ENDSESSION:
            m_program.EndSession(wParam != FALSE);
            return 0;
        case WM_TIMER:
            if (IsPopupTimer(wParam))
                m_popup.OnTimer(static_cast<PopupTimer>(wParam));
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, lParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            OnMouseButton(mouse::Left, msg == WM_LBUTTONDOWN, wParam, lParam);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            OnMouseButton(mouse::Right, msg == WM_RBUTTONDOWN, wParam, lParam);
            return 0;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            OnMouseButton(mouse::Middle, msg == WM_MBUTTONDOWN, wParam, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            OnCaptureChanged();
            return 0;
        case WM_MOUSEWHEEL:
            // Signed, in units of WHEEL_DELTA: one message may carry several notches.
            m_popup.OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_KEYDOWN:
            m_popup.OnKeyDown(static_cast<int>(wParam));
            return 0;
        case WM_SYSKEYDOWN:
            // Shift+F10 is the context-menu key's twin; F10 alone has no menu bar to enter here.
            if (wParam == VK_F10) {
                if (GetKeyState(VK_SHIFT) < 0)
                    m_popup.OnKeyDown(key::Apps);
                return 0;
            }
            break;
        case WM_SYSKEYUP:
            if (wParam == VK_F10)
                return 0;
            break;
        case WM_GETOBJECT:
            if (const LRESULT object = m_access.OnGetObject(hwnd, *this, wParam, lParam))
                return object;
            break;
        case kAccessActionMessage:
            OnAccessAction(wParam);
            return 0;
        case WM_ERASEBKGND:
            return 1; // the layered picture is the only content
        case WM_PAINT:
            ValidateRect(hwnd, nullptr);
            return 0;
        default:
            break;
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace qor
