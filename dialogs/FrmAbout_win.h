// FrmAbout: the about window "About QOR Desktop", modal over the window that opens it (the dock,
// or the settings window). Its template is IDD_ABOUT in resources/Dialogs.rc; its texts and
// links come from dialogs/About.
#pragma once

#include <windows.h>

#include "dialogs/DialogKit_win.h"

namespace qor {

struct AppState;

class FrmAbout {
public:
    // Shows the window modally over `owner` and returns when it has closed.
    static void Show(HINSTANCE instance, HWND owner, AppState& app);

    template <class T> friend INT_PTR CALLBACK dlg::Procedure(HWND, UINT, WPARAM, LPARAM);

private:
    explicit FrmAbout(AppState& app) : m_app(app) {}
    INT_PTR OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnInitDialog(HWND hwnd);

    AppState& m_app;
    gdip::Image m_logo;
    dlg::FollowingFont m_nameFont{FW_BOLD, 160};
};

} // namespace qor
