// FrmTray: the hidden window that owns the notification-area icon, the tray and item menus and
// the global hot keys. It is an ordinary top-level window that is never shown (not a
// message-only window): Windows sends the end-of-session messages, and "taskkill" its
// WM_CLOSE, only to top-level windows. Its own window procedure answers the hot keys and the
// re-created taskbar.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "dock/DockController.h"
#include "platform/Window_win.h"

namespace qor {

struct AppState;

class FrmTray {
public:
    static constexpr const char* kClassName = "QORDesktop.FrmTray";
    static constexpr const char* kCaption = "QOR Desktop";

    // The three hot keys in the order of their identifiers: the global atom that names each, its
    // modifiers and its key.
    struct HotKeyDef {
        const char* atom;
        UINT modifiers;
        UINT key;
    };
    static constexpr std::array<HotKeyDef, 3> kHotKeys{{
        {"NewMacroForGetFocus", MOD_ALT, VK_SPACE}, // HotKey::KeyboardDock
        {"NewMacroForSwitch", MOD_SHIFT, VK_TAB},   // HotKey::Switch
        {"NewMacroForMin", MOD_CONTROL, VK_TAB},    // HotKey::Minimize
    }};

    // Who acts on a hot key (the dock's controller in the program).
    using HotKeyHandler = std::function<void(HotKey)>;

    FrmTray(AppState& app, win::IProgram& program) : m_app(app), m_program(program) {}
    FrmTray(const FrmTray&) = delete;
    FrmTray& operator=(const FrmTray&) = delete;
    ~FrmTray() { Unload(); }

    // Creates the hidden window with the program icon, then claims the hot keys and adds the
    // notification icon.
    bool Load(HINSTANCE instance, HICON icon, HotKeyHandler onHotKey = {});
    // Removes the notification icon and the hot keys, then destroys the window.
    void Unload() noexcept;
    bool Loaded() const { return m_hwnd != nullptr; }

    // Claims the three hot keys on this window, each named by a global atom. A combination
    // another program owns is skipped without a word; the others are still claimed. Returns how
    // many were claimed.
    int InstallHotKeys();
    // Gives every hot key and its atom back.
    void RemoveHotKeys() noexcept;
    // The identifier (global atom) of a hot key, 0 when none; whether it was claimed.
    ATOM HotKeyId(HotKey hotKey) const { return m_hotKeyIds[static_cast<std::size_t>(hotKey)]; }
    bool HotKeyClaimed(HotKey hotKey) const { return m_claimed[static_cast<std::size_t>(hotKey)]; }

    // The item context menu for the dock's CurrentItem.
    // NOT BUILT YET: the menu comes with the tray and item-menu work; until then the request is
    // only written to the trace.
    void ShowItemMenu();

    HWND Hwnd() const { return m_hwnd; }
    // The number Windows gave the "TaskbarCreated" message (0 until loaded).
    UINT TaskbarCreatedMessage() const { return m_taskbarCreated; }

private:
    template <class T> friend LRESULT CALLBACK win::WindowThunk(HWND, UINT, WPARAM, LPARAM);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnClose();
    void OnHotKey(WPARAM id);
    // The taskbar was re-created (Explorer restarted): the notification icon is put back.
    void OnTaskbarCreated();
    // Stand-ins until the tray icon is wired: the icon is added (and its tip set) at load and
    // deleted at unload; only traced for now.
    void AddTrayIconPlaceholder();
    void RemoveTrayIconPlaceholder() noexcept;
    void TraceLine(const char* text);

    AppState& m_app;
    win::IProgram& m_program;
    HWND m_hwnd = nullptr;
    UINT m_taskbarCreated = 0;
    HotKeyHandler m_onHotKey;
    std::array<ATOM, 3> m_hotKeyIds{};
    std::array<bool, 3> m_claimed{};
};

} // namespace qor
