// FrmConfig: the settings window "QOR Desktop - Settings". Its templates are IDD_CONFIG and the
// two page panels IDD_CONFIG_GENERAL and IDD_CONFIG_APPEARANCE in resources/Dialogs.rc; what the
// controls do is decided by dialogs/Config (ConfigController), this file only moves values
// between the controls and it.
//
// The tray menu opens it modeless, the built-in "Settings" command modal; either way it is owned
// by the dock window and only one copy is open at a time (the program keeps it).
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "dialogs/Config.h"
#include "dialogs/DialogKit_win.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"

namespace qor {

class WinUi;

class FrmConfig {
public:
    struct Services {
        // The program's steps of a reload (images, dock focus, working set); the window adds its
        // own IniConfigData.
        ReloadHooks reload;
        // Message boxes and file dialogs of the commands are owned by this window while it is open.
        WinUi* ui = nullptr;
        // The about window, modal over `owner`.
        std::function<void(HWND owner)> showAbout;
        // The working set is trimmed when the window closes.
        std::function<void()> trimWorkingSet;
    };

    FrmConfig(AppState& app, IConfigHost& host, Services services);
    FrmConfig(const FrmConfig&) = delete;
    FrmConfig& operator=(const FrmConfig&) = delete;
    ~FrmConfig();

    // Opens the window: modeless (returns at once; false when it could not be made) or modal
    // (returns when it has closed).
    bool ShowModeless(HINSTANCE instance, HWND owner);
    void ShowModal(HINSTANCE instance, HWND owner);
    bool IsOpen() const { return m_hwnd != nullptr; }
    HWND Hwnd() const { return m_hwnd; }
    // Brings the open window to the front.
    void Activate();
    // Closes the window as "&OK" does (saving the settings).
    void Close();
    // Keyboard navigation of the modeless window: true when the message was the window's.
    bool TranslateMessage(MSG& msg);

    template <class T> friend INT_PTR CALLBACK dlg::Procedure(HWND, UINT, WPARAM, LPARAM);

private:
    // The page panels' dialog procedure: their controls' notifications come to this window.
    static INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

    INT_PTR OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnInitDialog(HWND hwnd);
    void OnCommand(int id, int notification);
    void OnScroll(HWND slider, int code);
    bool OnNotify(const NMHDR& header);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnClosing();
    void ShowPage(int index);
    void LayoutPages();
    // IniConfigData: every control from the settings (and the handlers it runs).
    void IniConfigData();
    // The controls from a view: sliders only when `sliders`, labels and boxes always.
    void ShowView(const ConfigView& v, bool sliders);
    HWND Control(int id) const;
    ReloadHooks Hooks();

    AppState& m_app;
    ConfigController m_config;
    Services m_services;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
    bool m_enableOwnerAtClose = false; // modal: the owner was enabled before
    std::array<HWND, 2> m_pages{};
    dlg::FollowingFont m_headingFont{FW_BOLD, 100};
    gdip::Image m_logo;
};

} // namespace qor
