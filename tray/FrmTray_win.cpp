#include "tray/FrmTray_win.h"

#include <cstdio>

#include "core/AppState.h"
#include "resources/resource.h"

namespace qor {

bool FrmTray::Load(HINSTANCE instance, HICON icon, HotKeyHandler onHotKey) {
    if (m_hwnd)
        return true;
    m_onHotKey = std::move(onHotKey);
    m_classIcon = icon;
    if (!win::RegisterWindowClass<FrmTray>(instance, kClassName, icon))
        return false;
    CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, kCaption, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                    this);
    if (!m_hwnd)
        return false;
    m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    InstallHotKeys();
    // The notification area draws its icons at the small-icon size of the system's DPI; the
    // program icon holds that size (16, 24, 32...), so it is chosen rather than scaled down.
    m_smallIcon.reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_QORDESKTOP), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON),
                                                    GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    BuildMenus();
    AddTrayIcon();
    return true;
}

void FrmTray::Connect(DockController& dock, HWND dockWindow, IPopupActions* popup, IProgramActions& program) {
    m_dock = &dock;
    m_dockWindow = dockWindow;
    m_actions = &program;
    m_itemActions.emplace(m_app, dock, program, popup);
    m_itemActions->dockInFront = [this] { return m_dockWindow && GetForegroundWindow() == m_dockWindow; };
}

void FrmTray::Unload() noexcept {
    if (!m_hwnd)
        return;
    RemoveTrayIcon();
    RemoveHotKeys();
    DestroyWindow(m_hwnd);
    m_trayMenu.reset();
    m_itemMenu.reset();
    m_smallIcon.reset();
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
    RemoveTrayIcon();
    AddTrayIcon();
}

bool FrmTray::AddTrayIcon() {
    if (!m_hwnd)
        return false;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = m_hwnd;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = TrayIcon();
    const std::string tip = TrayTipText();
    lstrcpynA(data.szTip, tip.c_str(), static_cast<int>(sizeof data.szTip));
    // Not checked beyond the trace: without a taskbar there is simply no icon until the next
    // "TaskbarCreated".
    m_iconShown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    char line[96];
    std::snprintf(line, sizeof line, "tray icon add ok=%d size=%dx%d", m_iconShown ? 1 : 0,
                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    TraceLine(line);
    return m_iconShown;
}

void FrmTray::RemoveTrayIcon() noexcept {
    if (!m_hwnd)
        return;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = m_hwnd;
    data.uID = 0;
    const bool ok = Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
    m_iconShown = false;
    TraceLine(ok ? "tray icon delete ok=1" : "tray icon delete ok=0");
}

void FrmTray::BuildMenus() {
    m_trayMenu.reset(CreatePopupMenu());
    if (m_trayMenu)
        for (const TrayMenuEntry& e : kTrayMenu) {
            if (e.command == TrayCommand::None)
                AppendMenuA(m_trayMenu.get(), MF_SEPARATOR, 0, nullptr);
            else
                AppendMenuA(m_trayMenu.get(), MF_STRING, static_cast<UINT_PTR>(e.command), e.caption);
        }
    m_itemMenu.reset(CreatePopupMenu());
    if (m_itemMenu)
        for (int i = 0; i < kItemEntries; ++i) {
            const char* caption = kItemMenuCaptions[static_cast<std::size_t>(i)];
            if (caption[0] == '-')
                AppendMenuA(m_itemMenu.get(), MF_SEPARATOR, 0, nullptr);
            else
                AppendMenuA(m_itemMenu.get(), MF_STRING, static_cast<UINT>(MenuId::ItemMenuBase) + i,
                            caption);
        }
}

UINT FrmTray::TrackMenu(HMENU menu, std::optional<POINT> where) {
    if (!m_hwnd || !menu)
        return 0;
    POINT at{};
    if (where)
        at = *where;
    else
        GetCursorPos(&at);
    // A menu shown for a window that is not in front does not close when the user clicks
    // elsewhere: the tray window becomes the foreground window first. The WM_NULL afterwards
    // lets the menu's loop end properly, so that the next menu opens on the first click.
    SetForegroundWindow(m_hwnd);
    const UINT id = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr));
    PostMessageA(m_hwnd, WM_NULL, 0, 0);
    return id;
}

void FrmTray::TraceMenu(const char* name, HMENU menu) {
    if (!m_app.sys.trace || !m_app.sys.trace->Enabled() || !menu)
        return;
    std::string line = std::string("menu show name=") + name + " entries=";
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char caption[64] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = caption;
        info.cch = sizeof caption;
        if (i > 0)
            line += "|";
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) {
            line += "-";
            continue;
        }
        line += caption;
        line += (info.fState & MFS_DISABLED) ? ":0" : ":1";
    }
    TraceLine(line);
}

void FrmTray::ShowTrayMenu() {
    TraceMenu("tray", m_trayMenu.get());
    const UINT id = TrackMenu(m_trayMenu.get());
    TraceLine("menu choice name=tray id=" + std::to_string(id));
    if (id != 0 && m_dock && m_actions)
        TrayMenuClick(m_app, static_cast<TrayCommand>(id), *m_dock, *m_actions);
}

void FrmTray::ShowItemMenu(std::optional<POINT> at) {
    const HMENU menu = m_itemMenu.get();
    if (!menu)
        return;
    const ItemMenuState on = ItemMenuEnabled(m_app);
    for (int i = 0; i < kItemEntries; ++i)
        EnableMenuItem(menu, static_cast<UINT>(i),
                       MF_BYPOSITION | (on[static_cast<std::size_t>(i)] ? MF_ENABLED : MF_GRAYED));
    const DockRuntime& d = m_app.dock;
    TraceLine("menu item-for item=" + std::to_string(d.CurrentItem) +
              " slot=" + std::to_string(d.ClickedSlot) + " entry=" + std::to_string(d.ClickedEntry));
    TraceMenu("item", menu);
    const UINT id = TrackMenu(menu, at);
    TraceLine("menu choice name=item id=" + std::to_string(id));
    const UINT base = static_cast<UINT>(MenuId::ItemMenuBase);
    if (id >= base && id < base + kItemEntries && m_itemActions)
        m_itemActions->Click(static_cast<ItemEntry>(id - base));
}

void FrmTray::OnTrayCallback(LPARAM mouseMessage) {
    switch (LOWORD(mouseMessage)) {
    case WM_LBUTTONUP:
        TraceLine("tray click button=left");
        if (m_dock)
            m_dock->AltSpace();
        break;
    case WM_RBUTTONUP:
        TraceLine("tray click button=right");
        ShowTrayMenu();
        break;
    default:
        break;
    }
}

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
        case kTrayCallbackMessage:
            OnTrayCallback(lParam);
            return 0;
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
