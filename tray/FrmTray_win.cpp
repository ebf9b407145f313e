#include "tray/FrmTray_win.h"

#include "core/AppState.h"

namespace qor {

bool FrmTray::Load(HINSTANCE instance, HICON icon) {
    if (m_hwnd)
        return true;
    if (!win::RegisterWindowClass<FrmTray>(instance, kClassName, icon))
        return false;
    CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, kCaption, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                    this);
    if (!m_hwnd)
        return false;
    m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    AddTrayIconAndHotKeysPlaceholder();
    return true;
}

void FrmTray::Unload() noexcept {
    if (!m_hwnd)
        return;
    RemoveTrayIconAndHotKeysPlaceholder();
    DestroyWindow(m_hwnd);
}

void FrmTray::AddTrayIconAndHotKeysPlaceholder() {}

void FrmTray::RemoveTrayIconAndHotKeysPlaceholder() noexcept {}

void FrmTray::OnClose() {
    m_program.ExitProgram();
}

LRESULT FrmTray::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
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
        default:
            break;
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace qor
