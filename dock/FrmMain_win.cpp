#include "dock/FrmMain_win.h"

#include <imm.h>

#include <cstdio>
#include <string>

#include "core/AppState.h"
#include "dock/Paint.h"

namespace qor {

namespace {

// The pending pictures are built in small batches on a timer: timer messages come after input,
// so the dock answers the mouse while they are made. A batch ends after a few milliseconds (a
// picture whose pre-scaled copy is written as well takes several times as long as one that
// comes from its copy).
constexpr UINT kImageBuildTickMs = 1;
constexpr std::size_t kImagesPerTick = 16;
constexpr double kImageBuildBudgetMs = 8.0;

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
    m_app.dock.CentreImage = -1;
    return true;
}

void FrmMain::Unload() noexcept {
    if (!m_hwnd)
        return;
    for (Timer t : {Timer::PointerLeft, Timer::Foreground, Timer::RecycleBin, Timer::AutoHide, Timer::Dwell,
                    Timer::BuildImages})
        StopTimer(t);
    DeleteGraphic();
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
    m_canvas = DockCanvas::Create(nullptr, m_app.screen.ScreenWidth, m_app.screen.ScreenHeight);
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

void FrmMain::LoadImages(const ItemImageBuilder& buildItem) {
    if (!m_canvas)
        return;
    m_app.sys.images = m_images.get();
    m_buildItem = buildItem;
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
    LoadSkinImages(m_app, *m_skin, *m_images, ResourceSkinReader(GetModuleHandleA(nullptr)), build);
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
    IniIconParam(m_app);
    if (!isGetFocus || !m_canvas)
        return;
    // DockNormal leaves a minimized or hidden dock alone.
    DockNormal(m_app, *m_canvas, false);
    m_app.dock.IdleTicks = 0;
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

void FrmMain::OnTimer(Timer timer) {
    if (timer == Timer::BuildImages)
        BuildPendingImages(kImagesPerTick, kImageBuildBudgetMs);
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
            OnTimer(static_cast<Timer>(wParam));
            return 0;
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
