// FrmSubMenu: the group pop-up window. Like the dock it is a layered window over the whole work
// area with its own off-screen canvas; it stays hidden until a group is opened.
#pragma once

#include <windows.h>

#include <memory>

#include "dock/DockCanvas_win.h"
#include "platform/Window_win.h"

namespace qor {

struct AppState;
class IPopupActions;

class FrmSubMenu {
public:
    static constexpr const char* kClassName = "QORDesktop.FrmSubMenu";
    static constexpr const char* kCaption = "QOR Desktop Menu";

    FrmSubMenu(AppState& app, win::IProgram& program) : m_app(app), m_program(program) {}
    FrmSubMenu(const FrmSubMenu&) = delete;
    FrmSubMenu& operator=(const FrmSubMenu&) = delete;
    ~FrmSubMenu() { Unload(); }

    // Creates the hidden layered window over the work area and its canvas (the same kind of
    // off-screen canvas as the dock's).
    bool Load(HINSTANCE instance);
    void Unload() noexcept;
    bool Loaded() const { return m_hwnd != nullptr; }

    HWND Hwnd() const { return m_hwnd; }
    // The canvas; null before Load and after Unload.
    DockCanvas* Canvas() const { return m_canvas.get(); }

    // Opens the pop-up of ring position `slot` (isGetFocus true) or closes it (false).
    // NOT BUILT YET: the panel comes with the pop-up's own work; until then the request is only
    // written to the trace and nothing opens (PopupOpen stays false).
    void MenuFocus(bool isGetFocus, int slot);
    // Closes the pop-up; unless `noFormMainFocus`, the dock gets the focus back.
    // NOT BUILT YET: traced only, like MenuFocus.
    void EscCancel(bool noFormMainFocus);
    // What the item menu asks of the pop-up (its controller).
    // NOT BUILT YET: null until the pop-up has its controller; the item menu then skips it.
    IPopupActions* Actions() { return nullptr; }

private:
    template <class T> friend LRESULT CALLBACK win::WindowThunk(HWND, UINT, WPARAM, LPARAM);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnClose();

    AppState& m_app;
    win::IProgram& m_program;
    HWND m_hwnd = nullptr;
    std::unique_ptr<DockCanvas> m_canvas;
};

} // namespace qor
