// FrmTray: the hidden window that owns the notification-area icon, the tray and item menus and
// the global hot keys. It is an ordinary top-level window that is never shown (not a
// message-only window): Windows sends the end-of-session messages, and "taskkill" its
// WM_CLOSE, only to top-level windows.
#pragma once

#include <windows.h>

#include "platform/Window_win.h"

namespace qor {

struct AppState;

class FrmTray {
public:
    static constexpr const char* kClassName = "QORDesktop.FrmTray";
    static constexpr const char* kCaption = "QOR Desktop";

    FrmTray(AppState& app, win::IProgram& program) : m_app(app), m_program(program) {}
    FrmTray(const FrmTray&) = delete;
    FrmTray& operator=(const FrmTray&) = delete;
    ~FrmTray() { Unload(); }

    // Creates the hidden window with the program icon, then adds the tray icon and the hot keys.
    bool Load(HINSTANCE instance, HICON icon);
    // Removes the tray icon and the hot keys, then destroys the window.
    void Unload() noexcept;
    bool Loaded() const { return m_hwnd != nullptr; }

    HWND Hwnd() const { return m_hwnd; }
    // The number Windows gave the "TaskbarCreated" message (0 until loaded).
    UINT TaskbarCreatedMessage() const { return m_taskbarCreated; }

private:
    template <class T> friend LRESULT CALLBACK win::WindowThunk(HWND, UINT, WPARAM, LPARAM);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnClose();
    // Stand-ins until the tray icon and the hot keys are wired: the icon is added (and its tip
    // set) at load and deleted at unload; the hot keys are registered on this window at load
    // and released at unload.
    void AddTrayIconAndHotKeysPlaceholder();
    void RemoveTrayIconAndHotKeysPlaceholder() noexcept;

    AppState& m_app;
    win::IProgram& m_program;
    HWND m_hwnd = nullptr;
    UINT m_taskbarCreated = 0;
};

} // namespace qor
