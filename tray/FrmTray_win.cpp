#include "tray/FrmTray_win.h"

#include <cstdio>

#include "core/AppState.h"

namespace qor {

bool FrmTray::Load(HINSTANCE instance, HICON icon, HotKeyHandler onHotKey) {
    if (m_hwnd)
        return true;
    m_onHotKey = std::move(onHotKey);
    if (!win::RegisterWindowClass<FrmTray>(instance, kClassName, icon))
        return false;
    CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, kCaption, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                    this);
    if (!m_hwnd)
        return false;
    m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    InstallHotKeys();
    AddTrayIconPlaceholder();
    return true;
}

void FrmTray::Unload() noexcept {
    if (!m_hwnd)
        return;
    RemoveTrayIconPlaceholder();
    RemoveHotKeys();
    DestroyWindow(m_hwnd);
}

int FrmTray::InstallHotKeys() {
    if (!m_hwnd)
        return 0;
    int claimed = 0;
    for (std::size_t i = 0; i < kHotKeys.size(); ++i) {
        if (m_hotKeyIds[i] == 0)
            m_hotKeyIds[i] = GlobalAddAtomA(kHotKeys[i].atom);
        // A combination another program owns fails here; that hot key is simply not ours.
        m_claimed[i] = m_hotKeyIds[i] != 0 && RegisterHotKey(m_hwnd, m_hotKeyIds[i], kHotKeys[i].modifiers,
                                                             kHotKeys[i].key) != FALSE;
        if (m_claimed[i])
            ++claimed;
        char line[96];
        std::snprintf(line, sizeof line, "hot-key %s id=%u claimed=%d", kHotKeys[i].atom, m_hotKeyIds[i],
                      m_claimed[i] ? 1 : 0);
        TraceLine(line);
    }
    return claimed;
}

void FrmTray::RemoveHotKeys() noexcept {
    for (std::size_t i = 0; i < kHotKeys.size(); ++i) {
        if (m_claimed[i] && m_hwnd)
            UnregisterHotKey(m_hwnd, m_hotKeyIds[i]);
        m_claimed[i] = false;
        if (m_hotKeyIds[i] != 0)
            GlobalDeleteAtom(m_hotKeyIds[i]);
        m_hotKeyIds[i] = 0;
    }
}

void FrmTray::OnHotKey(WPARAM id) {
    for (std::size_t i = 0; i < kHotKeys.size(); ++i) {
        if (m_hotKeyIds[i] == 0 || id != m_hotKeyIds[i])
            continue;
        if (m_onHotKey)
            m_onHotKey(static_cast<HotKey>(i));
        return;
    }
}

void FrmTray::OnTaskbarCreated() {
    TraceLine("tray taskbar-created");
    RemoveTrayIconPlaceholder();
    AddTrayIconPlaceholder();
}

void FrmTray::ShowItemMenu() {
    char line[96];
    std::snprintf(line, sizeof line, "tray item-menu item=%d (menu not built yet)", m_app.dock.CurrentItem);
    TraceLine(line);
}

void FrmTray::AddTrayIconPlaceholder() {
    TraceLine("tray icon add (not built yet)");
}

void FrmTray::RemoveTrayIconPlaceholder() noexcept {}

void FrmTray::TraceLine(const char* text) {
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line(text);
}

void FrmTray::OnClose() {
    m_program.ExitProgram();
}

LRESULT FrmTray::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        // A registered message number is not a constant, so it cannot be a case label.
        if (m_taskbarCreated != 0 && msg == m_taskbarCreated) {
            OnTaskbarCreated();
            return 0;
        }
        switch (msg) {
        case WM_HOTKEY:
            OnHotKey(wParam);
            return 0;
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
