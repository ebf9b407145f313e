#include "popup/FrmSubMenu_win.h"

#include "core/AppState.h"

namespace qor {

bool FrmSubMenu::Load(HINSTANCE instance) {
    if (m_hwnd)
        return true;
    if (!win::RegisterWindowClass<FrmSubMenu>(instance, kClassName))
        return false;
    const ScreenMetrics& s = m_app.screen;
    CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_LAYERED, kClassName, kCaption, WS_POPUP, s.WorkArea.left,
                    s.WorkArea.top, s.ScreenWidth, s.ScreenHeight, nullptr, nullptr, instance, this);
    if (!m_hwnd)
        return false;
    m_canvas = DockCanvas::Create(nullptr, s.ScreenWidth, s.ScreenHeight);
    if (m_canvas)
        m_canvas->SetPresenter([this](const CanvasFrame& frame) { PresentLayered(m_hwnd, frame); });
    return true;
}

void FrmSubMenu::Unload() noexcept {
    if (!m_hwnd)
        return;
    m_canvas.reset();
    DestroyWindow(m_hwnd);
}

void FrmSubMenu::OnClose() {
    m_program.ExitProgram();
}

LRESULT FrmSubMenu::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (msg) {
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            m_program.QueryEndSession();
            return TRUE;
        case WM_ENDSESSION:
            m_program.EndSession(wParam != FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
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
