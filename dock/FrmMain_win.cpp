#include "dock/FrmMain_win.h"

#include <imm.h>
#include <windowsx.h>

#include <cstdio>
#include <string>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "dock/Paint.h"
#include "items/Commands.h"
#include "items/Desktop.h"
#include "items/Launch.h"
#include "popup/FrmSubMenu_win.h"
#include "tray/FrmTray_win.h"

namespace qor {

namespace {

// The pending pictures are built in small batches on a timer: timer messages come after input,
// so the dock answers the mouse while they are made. A batch ends after a few milliseconds (a
// picture whose pre-scaled copy is written as well takes several times as long as one that
// comes from its copy).
constexpr UINT kImageBuildTickMs = 1;
constexpr std::size_t kImagesPerTick = 16;
constexpr double kImageBuildBudgetMs = 8.0;

// Modifier keys held now, as the controller counts them.
int ShiftState() {
    int state = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        state |= shift::Shift;
    if (GetKeyState(VK_CONTROL) < 0)
        state |= shift::Ctrl;
    if (GetKeyState(VK_MENU) < 0)
        state |= shift::Alt;
    return state;
}

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

bool IsDockTimer(UINT_PTR id) {
    return id >= static_cast<UINT_PTR>(DockTimer::PointerLeft) &&
           id <= static_cast<UINT_PTR>(DockTimer::Dwell);
}

} // namespace

bool FrmMain::Load(HINSTANCE instance) {
    if (m_hwnd)
        return true;
    if (!win::RegisterWindowClass<FrmMain>(instance, kClassName))
        return false;
    const ScreenMetrics& s = m_app.screen;
    // WS_EX_TOOLWINDOW keeps the dock off the taskbar and out of Alt+Tab; IniForm then adds
    // WS_EX_LAYERED to the window's extended style.
    CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, kCaption, WS_POPUP, s.WorkArea.left, s.WorkArea.top,
                    s.ScreenWidth, s.ScreenHeight, nullptr, nullptr, instance, this);
    if (!m_hwnd)
        return false;
    CreateGraphic();
    IniForm();
    // No input-method editor may open on the dock.
    ImmAssociateContext(m_hwnd, nullptr);
    // Files dragged from the shell (or any program) onto the ring.
    m_dropTarget = win::ComPtr<OleDropTarget>(OleDropTarget::Create(this));
    const bool registered = m_dropTarget && m_dropRegistration.Register(m_hwnd, m_dropTarget.get());
    TraceLine(registered ? "dock drop-target registered=1" : "dock drop-target registered=0");
    m_app.dock.CentreImage = -1;
    return true;
}

void FrmMain::Unload() noexcept {
    if (!m_hwnd)
        return;
    m_dock.StopAllTimers();
    StopTimer(Timer::BuildImages);
    // Revoked while the window exists; a caller in another process that still holds the target
    // is answered "no drop" from now on.
    m_dropRegistration.Revoke();
    if (m_dropTarget)
        m_dropTarget->Detach();
    m_dropTarget.Reset();
    m_pendingDrops.clear();
    DeleteGraphic();
    m_access.Disconnect();
    DestroyWindow(m_hwnd); // m_hwnd is cleared at WM_NCDESTROY
}

void FrmMain::Show() {
    if (!m_hwnd)
        return;
    // Show without activating: the dock lies on the desktop, under the other windows.
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    SendToBottom();
}

void FrmMain::SendToBottom() {
    if (m_hwnd)
        SetWindowPos(m_hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FrmMain::CreateGraphic() {
    DeleteGraphic();
    m_canvas =
        DockCanvas::Create(nullptr, m_app.screen.ScreenWidth, m_app.screen.ScreenHeight, m_app.screen.Dpi);
    if (!m_canvas)
        return;
    m_skin = std::make_unique<SkinCache>(m_canvas->Graphics());
    m_images = std::make_unique<ImageCache>(m_canvas->Graphics());
    m_canvas->SetCaches(m_images.get(), m_skin.get());
    m_canvas->SetPresenter([this](const CanvasFrame& frame) { PresentFrame(frame); });
}

void FrmMain::DeleteGraphic() noexcept {
    ReleaseImages();
    if (m_app.sys.images == m_images.get())
        m_app.sys.images = nullptr;
    m_images.reset();
    m_skin.reset();
    m_canvas.reset();
}

void FrmMain::LoadImages(const ItemImageBuilder& buildItem, const SkinReader& readSkin) {
    if (!m_canvas)
        return;
    m_app.sys.images = m_images.get();
    m_buildItem = buildItem;
    m_readSkin = readSkin ? readSkin : ResourceSkinReader(GetModuleHandleA(nullptr));
    m_pendingImages.clear();
    m_nextPending = 0;
    m_builtLater = 0;
    StopTimer(Timer::BuildImages);
    // Items below the command items are drawn on the ring (or are its templates): built now.
    // Later ones wait, except free records, which have no picture.
    const auto build = [this](int item) {
        if (item < kFirstCommandItem) {
            if (m_buildItem)
                m_buildItem(item);
        } else if (m_app.store.Items[static_cast<std::size_t>(item)].Kind != kind::Free) {
            m_pendingImages.push_back(item);
        }
    };
    LoadSkinImages(m_app, *m_skin, *m_images, m_readSkin, build);
}

void FrmMain::BuildPendingImagesLater() {
    if (PendingImages() > 0)
        StartTimer(Timer::BuildImages, kImageBuildTickMs);
}

void FrmMain::FinishPendingImages() {
    BuildPendingImages(PendingImages());
}

std::size_t FrmMain::PendingImages() const {
    return (m_images ? m_images->PendingWork() : 0) + m_pendingImages.size() - m_nextPending;
}

void FrmMain::BuildPendingImages(std::size_t count, double budgetMs) {
    IClock* clock = budgetMs > 0 ? m_app.sys.clock : nullptr;
    const double start = clock ? clock->NowMs() : 0.0;
    for (; count > 0; --count) {
        // The ring's pictures at their own size (the enlarged and centre views) and the
        // pre-scaled copies made at start-up first, then the pop-up pictures.
        if (!(m_images && m_images->DoPendingWork(1) == 1)) {
            if (m_nextPending >= m_pendingImages.size())
                break;
            if (m_buildItem)
                m_buildItem(m_pendingImages[m_nextPending]);
            ++m_nextPending;
        }
        ++m_builtLater;
        if (clock && clock->NowMs() - start >= budgetMs)
            break;
    }
    if (PendingImages() > 0)
        return;
    StopTimer(Timer::BuildImages);
    if (m_builtLater > 0)
        m_program.PendingImagesBuilt(m_builtLater);
    m_pendingImages.clear();
    m_nextPending = 0;
    m_builtLater = 0;
}

void FrmMain::ReleaseImages() noexcept {
    StopTimer(Timer::BuildImages);
    m_pendingImages.clear();
    m_nextPending = 0;
    m_builtLater = 0;
    if (m_skin && m_images)
        qor::ReleaseImages(*m_skin, *m_images);
}

void FrmMain::RebuildSizeLevel(int level) {
    if (m_skin && m_images)
        qor::RebuildSizeLevel(m_app, *m_skin, *m_images, level);
}

void FrmMain::IniForm() {
    if (!m_hwnd)
        return;
    const LONG_PTR exStyle = GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE);
    SetWindowLongPtrA(m_hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
}

void FrmMain::UpdateGDIPlus() {
    if (m_canvas)
        m_canvas->Present(255);
}

void FrmMain::ExUpdateGDIPlus(uint8_t shwAlpha) {
    if (m_canvas)
        m_canvas->Present(shwAlpha);
}

void FrmMain::RestoreGDIPlus() {
    if (m_canvas)
        qor::RestoreGDIPlus(*m_canvas);
}

void FrmMain::PresentFrame(const CanvasFrame& frame) {
    ITrace* trace = m_app.sys.trace;
    IClock* clock = m_app.sys.clock;
    const double start = clock ? clock->NowMs() : 0.0;
    const bool ok = PresentLayered(m_hwnd, frame);
    const double ms = clock ? clock->NowMs() - start : 0.0;
    if (trace && trace->Enabled()) {
        char line[160];
        const RECT& d = frame.dirty;
        std::snprintf(line, sizeof line,
                      "present window=FrmMain alpha=%u ok=%d dirty=%ld,%ld,%ld,%ld ms=%.3f", frame.alpha,
                      ok ? 1 : 0, d.left, d.top, d.right, d.bottom, ms);
        trace->Line(line);
    }
    if (ok)
        m_program.FramePresented(ms);
}

void FrmMain::DockFocus(bool isGetFocus) {
    m_dock.DockFocus(isGetFocus);
}

void FrmMain::Activate() {
    Focus();
}

void FrmMain::Connect(FrmSubMenu* popup, FrmTray* tray, IProgramActions* program) {
    m_popup = popup;
    m_tray = tray;
    m_actions = program;
}

void FrmMain::StartTimer(Timer timer, UINT ms) {
    if (m_hwnd)
        SetTimer(m_hwnd, static_cast<UINT_PTR>(timer), ms, nullptr);
}

void FrmMain::StopTimer(Timer timer) {
    if (m_hwnd)
        KillTimer(m_hwnd, static_cast<UINT_PTR>(timer));
}

void FrmMain::OnClose() {
    m_program.ExitProgram();
}

LRESULT FrmMain::OnQueryEndSession() {
    m_program.QueryEndSession();
    return TRUE;
}

void FrmMain::OnEndSession(bool ending) {
    m_program.EndSession(ending);
}

void FrmMain::OnTimer(UINT_PTR id) {
    if (id == static_cast<UINT_PTR>(Timer::BuildImages))
        BuildPendingImages(kImagesPerTick, kImageBuildBudgetMs);
    else if (IsDockTimer(id))
        m_dock.OnTimer(static_cast<DockTimer>(id));
}

void FrmMain::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    // Signed: with the mouse captured, a pointer left of or above the window is negative.
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    ITrace* trace = m_app.sys.trace;
    if (trace && trace->Enabled()) {
        char line[96];
        // How long the message waited in the queue (the tick counter's resolution).
        const long queued = static_cast<long>(GetTickCount() - static_cast<DWORD>(GetMessageTime()));
        std::snprintf(line, sizeof line, "input mousemove x=%d y=%d queued=%ld", x, y, queued);
        trace->Line(line);
    }
    m_dock.OnMouseMove(HeldButtons(wParam), ShiftState(), x, y);
}

void FrmMain::OnMouseButton(int button, bool down, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    if (down) {
        // Captured until the release: a drag off the ring ends over transparent pixels (or
        // another window), where the release would otherwise go to the window below.
        SetCapture(m_hwnd);
        m_dock.OnMouseDown(button, ShiftState(), x, y);
        return;
    }
    m_releasing = true;
    m_dock.OnMouseUp(button, ShiftState(), x, y);
    m_releasing = false;
    if ((HeldButtons(wParam) == 0) && GetCapture() == m_hwnd)
        ReleaseCapture();
}

void FrmMain::OnCaptureChanged() {
    if (!m_releasing)
        m_dock.OnCaptureLost();
}

void FrmMain::OnKey(WPARAM key, bool down) {
    if (down)
        m_dock.OnKeyDown(static_cast<int>(key), ShiftState());
    else
        m_dock.OnKeyUp(static_cast<int>(key), ShiftState());
}

IDropTarget* FrmMain::DropTargetInterface() const {
    return m_dropRegistration.Registered() ? m_dropTarget.get() : nullptr;
}

// ---- files dropped on the ring -----------------------------------------------------------------

uint32_t FrmMain::DragOver(POINTL screen, bool hasFiles, uint32_t allowed) {
    POINT p{screen.x, screen.y};
    ScreenToClient(m_hwnd, &p);
    const DropIndicator indicator = Drops().DragOver(p.x, p.y, hasFiles);
    m_dropEffect = DropEffectFor(indicator, m_app.dock.DragSlot, allowed);
    if (m_app.dock.DragSlot != m_dropTraced || indicator != m_dropTracedIndicator) {
        m_dropTraced = m_app.dock.DragSlot;
        m_dropTracedIndicator = indicator;
        char line[96];
        std::snprintf(line, sizeof line, "drop over slot=%d files=%d indicator=%d effect=%u", m_dropTraced,
                      hasFiles ? 1 : 0, static_cast<int>(indicator), m_dropEffect);
        TraceLine(line);
    }
    return m_dropEffect;
}

void FrmMain::DragLeave() {
    Drops().DragLeave();
    m_dropTraced = -2;
    TraceLine("drop leave");
}

uint32_t FrmMain::Drop(POINTL, std::vector<CodePageChars> names, bool hasFiles, uint32_t) {
    DroppedFiles files = StorableDroppedPaths(names);
    char line[128];
    std::snprintf(line, sizeof line, "drop received slot=%d files=%zu refused=%zu effect=%u",
                  m_app.dock.DragSlot, files.paths.size(), files.refused, m_dropEffect);
    TraceLine(line);
    m_dropTraced = -2;
    // The drag source waits for this answer (another program, maybe the shell): questions and the
    // group name are asked after it has it.
    m_pendingDrops.push_back({m_app.dock.DragSlot, std::move(files.paths), files.refused, hasFiles});
    PostMessageA(m_hwnd, kDroppedMessage, 0, 0);
    return m_dropEffect;
}

void FrmMain::OnDropped() {
    // A question of one drop runs a message loop, where the next drop may arrive.
    std::vector<PendingDrop> drops;
    drops.swap(m_pendingDrops);
    for (PendingDrop& drop : drops) {
        m_app.dock.DragSlot = drop.slot;
        Drops().Drop(drop.paths, drop.hasFiles, drop.refused);
    }
}

void FrmMain::TraceLine(const char* text) {
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line(text);
}

// ---- the controller's host ---------------------------------------------------------------------

ICanvas* FrmMain::PaintCanvas() {
    return m_canvas.get();
}

void FrmMain::StartTimer(DockTimer timer, uint32_t intervalMs) {
    if (m_hwnd)
        SetTimer(m_hwnd, static_cast<UINT_PTR>(timer), intervalMs, nullptr);
}

void FrmMain::StopTimer(DockTimer timer) {
    if (m_hwnd)
        KillTimer(m_hwnd, static_cast<UINT_PTR>(timer));
}

void FrmMain::ToBottom(bool quietly) {
    // Never activating: the dock goes under every window, it does not take the focus.
    if (m_hwnd)
        SetWindowPos(m_hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (quietly ? SWP_NOSENDCHANGING : 0));
}

void FrmMain::ToTopmost() {
    if (m_hwnd)
        SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FrmMain::Focus() {
    if (!m_hwnd)
        return;
    // Allowed from a hot key or a click (the program then has the last input); otherwise
    // Windows flashes instead of switching, which is what it should do.
    SetForegroundWindow(m_hwnd);
    SetFocus(m_hwnd);
}

bool FrmMain::CursorPos(ScreenPoint& where) {
    POINT p{};
    if (!GetCursorPos(&p))
        return false;
    where = {p.x, p.y};
    return true;
}

bool FrmMain::ForegroundIsOurs() {
    // Any window of this process counts: the dock, the pop-up, the dialogs and message boxes.
    const HWND foreground = GetForegroundWindow();
    if (!foreground)
        return false;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId();
}

void FrmMain::PumpMessages() {
    PumpPendingMessages();
}

void FrmMain::Launch(int item) {
    const bool ok = LaunchItem(m_app, item, m_dock);
    char line[64];
    std::snprintf(line, sizeof line, "dock launch item=%d ok=%d", item, ok ? 1 : 0);
    TraceLine(line);
}

void FrmMain::RunCommand(int code) {
    char line[64];
    std::snprintf(line, sizeof line, "dock command code=%d", code);
    TraceLine(line);
    if (m_actions)
        RunBuiltInCommand(m_app, code, m_dock, *m_actions);
}

void FrmMain::OpenPopup(int slot) {
    if (m_popup)
        m_popup->Actions().MenuFocus(slot);
}

void FrmMain::ClosePopup(bool keepDockAway) {
    if (m_popup)
        m_popup->Actions().EscCancel(keepDockAway);
}

void FrmMain::OpenItemMenu(std::optional<ScreenPoint> at) {
    if (!m_tray)
        return;
    if (at)
        m_tray->ShowItemMenu(POINT{at->x, at->y});
    else
        m_tray->ShowItemMenu();
}

void FrmMain::ShowGetStarted() {
    if (m_actions)
        m_actions->ShowGetStarted();
}

void FrmMain::SwitchDesktop() {
    TraceLine("dock switch-desktop");
    qor::SwitchDesktop(m_app, m_dock);
}

void FrmMain::OnDisplayChange() {
    ISystem* sys = m_app.sys.sys;
    if (!sys)
        return;
    const Rect& work = m_app.screen.WorkArea;
    m_dock.OnDisplayChange(sys->GetScreenInfoAt(work.left + work.Width() / 2, work.top + work.Height() / 2));
}

void FrmMain::FollowScreen(bool rescaled) {
    const ScreenMetrics& s = m_app.screen;
    if (m_hwnd)
        SetWindowPos(m_hwnd, nullptr, s.WorkArea.left, s.WorkArea.top, s.ScreenWidth, s.ScreenHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_canvas && m_canvas->Resize(s.ScreenWidth, s.ScreenHeight, s.Dpi)) {
        // Renderings made for the old graphics object draw on the new one alike (same format);
        // what is made from now on is made for the new one.
        if (m_skin)
            m_skin->SetTarget(m_canvas->Graphics());
        if (m_images)
            m_images->SetTarget(m_canvas->Graphics());
    }
    if (m_popup)
        m_popup->FollowScreen();
    if (rescaled && m_buildItem) {
        LoadImages(m_buildItem, m_readSkin);
        BuildPendingImagesLater();
    }
    char line[128];
    std::snprintf(line, sizeof line, "dock follow-screen canvas=%dx%d dpi=%d rescaled=%d", Width(), Height(),
                  m_canvas ? m_canvas->Dpi() : 0, rescaled ? 1 : 0);
    TraceLine(line);
}

void FrmMain::Announce(AccessEvent event, int element) {
    win::RaiseAccessEvent(m_hwnd, "FrmMain", event, element, *this, m_app.sys.trace);
}

// ---- what assistive technology reads -------------------------------------------------------------

AccessibleElement FrmMain::AccessWindow() {
    return m_dock.Window();
}

std::vector<AccessibleElement> FrmMain::AccessElements() {
    return m_dock.Elements();
}

int FrmMain::AccessSelected() {
    return m_app.dock.KeyboardMode ? m_app.dock.SelectedSlot : -1;
}

void FrmMain::AccessRequestAction(int element) {
    if (m_hwnd)
        PostMessageA(m_hwnd, kAccessActionMessage, static_cast<WPARAM>(element), 0);
}

void FrmMain::OnAccessAction(WPARAM element) {
    const bool ok = m_dock.DoDefaultAction(static_cast<int>(element));
    char line[64];
    std::snprintf(line, sizeof line, "access action window=FrmMain child=%d ok=%d",
                  static_cast<int>(element) + 1, ok ? 1 : 0);
    TraceLine(line);
}

bool FrmMain::SaveMenu() {
    const bool ok = qor::SaveMenu(m_app);
    char line[64];
    std::snprintf(line, sizeof line, "save file=menu reason=dock ok=%d", ok ? 1 : 0);
    TraceLine(line);
    return ok;
}

LRESULT FrmMain::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (msg) {
        case WM_CLOSE:
            // Also what "taskkill" without /F sends: end the program in order.
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE);
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
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
        case kDroppedMessage:
            OnDropped();
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            OnKey(wParam, msg == WM_KEYDOWN);
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+Space reaches the dock as a system key when another program owns the hot key,
            // and so does F10 (with Shift: the context menu; the dock has no menu bar to enter).
            // The other system keys (Alt+F4) keep their usual meaning.
            if (wParam == VK_SPACE || wParam == VK_F10) {
                OnKey(wParam, true);
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
        case WM_SYSCHAR:
            if (wParam == ' ')
                return 0; // no window menu for Alt+Space
            break;
        case WM_DISPLAYCHANGE:
        case WM_DPICHANGED:
            // The dock places itself on its work area: the rectangle a scale change suggests is
            // for ordinary windows.
            OnDisplayChange();
            return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETWORKAREA)
                OnDisplayChange();
            break;
        case WM_ERASEBKGND:
            return 1; // the layered picture is the only content
        case WM_PAINT:
            ValidateRect(hwnd, nullptr); // frames are presented only by UpdateGDIPlus
            return 0;
        default:
            break;
        }
    } catch (...) {
        // No exception crosses the window procedure; the message counts as handled.
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace qor
