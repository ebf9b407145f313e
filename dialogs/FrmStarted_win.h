// FrmStarted: the "Get Started" tour "QOR Desktop Getting Started", modeless and owned by the
// dock. Its template is IDD_STARTED in resources/Dialogs.rc; the paging and what closing stores
// are decided by dialogs/Started (GetStartedTour).
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "dialogs/DialogKit_win.h"
#include "dialogs/Started.h"

namespace qor {

class FrmStarted {
public:
    explicit FrmStarted(AppState& app) : m_app(app), m_tour(app) {}
    FrmStarted(const FrmStarted&) = delete;
    FrmStarted& operator=(const FrmStarted&) = delete;
    ~FrmStarted();

    // Shows the window at the page HideGetStarted names; an open window goes to that page and
    // comes to the front. False when the window could not be made.
    bool Show(HINSTANCE instance, HWND owner);
    bool IsOpen() const { return m_hwnd != nullptr; }
    HWND Hwnd() const { return m_hwnd; }
    // Closes the window (storing the page, or -1 when "Don't show again" is ticked).
    void Close();
    // Keyboard navigation of the modeless window: true when the message was the window's.
    bool TranslateMessage(MSG& msg);

    template <class T> friend INT_PTR CALLBACK dlg::Procedure(HWND, UINT, WPARAM, LPARAM);

private:
    INT_PTR OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnInitDialog(HWND hwnd);
    void OnCommand(int id);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void ShowState(const TourState& state);

    AppState& m_app;
    GetStartedTour m_tour;
    HWND m_hwnd = nullptr;
    std::array<gdip::Image, kTourPages> m_pictures;
    dlg::FollowingFont m_headingFont{FW_BOLD, 130};
};

} // namespace qor
