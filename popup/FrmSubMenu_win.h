// FrmSubMenu: the group pop-up window. Like the dock it is a layered window over the whole work
// area with its own off-screen canvas; it stays hidden until a group is opened.
#pragma once

#include <windows.h>

#include <memory>

#include "dock/DockCanvas_win.h"
#include "platform/Window_win.h"

namespace qor {

struct AppState;

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
