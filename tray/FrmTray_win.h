// FrmTray: the hidden window that owns the notification-area icon, the tray and item menus and
// the global hot keys. It is an ordinary top-level window that is never shown (not a
// message-only window): Windows sends the end-of-session messages, "taskkill" its WM_CLOSE and
// a broadcast "TaskbarCreated" only to top-level windows. Its own window procedure answers the
// icon's mouse messages, the hot keys and the re-created taskbar.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "dock/DockController.h"
#include "platform/Handles_win.h"
#include "platform/Window_win.h"
#include "tray/ItemMenu.h"
#include "tray/TrayMenu.h"

namespace qor {

struct AppState;
class IPopupActions;
class IProgramActions;

class FrmTray {
public:
    static constexpr const char* kClassName = "QORDesktop.FrmTray";
    static constexpr const char* kCaption = "QOR Desktop";
    // The message the notification icon sends this window (lParam: the mouse message).
    static constexpr UINT kTrayCallbackMessage = 2025;

    // Command ids of the two menus: the tray menu's are its TrayCommand values, the item menu's
    // are ItemMenuBase + the entry's index.
    enum class MenuId : UINT {
        ItemMenuBase = 100,
    };

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
    // notification icon (the program icon at the system's small-icon size) and builds the menus.
    bool Load(HINSTANCE instance, HICON icon, HotKeyHandler onHotKey = {});
    // What the icon and the menus act on: the dock (its controller and window), the pop-up
    // (null: none) and the program's own windows and end. Until connected the icon and the menus
    // show but do nothing.
    void Connect(DockController& dock, HWND dockWindow, IPopupActions* popup, IProgramActions& program);
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

    // The item context menu for the dock's CurrentItem, at `at` (screen coordinates: the item a
    // keyboard asked for it on) or else at the pointer; the chosen entry runs.
    void ShowItemMenu(std::optional<POINT> at = std::nullopt);
    // The tray menu at the pointer; the chosen command runs.
    void ShowTrayMenu();
    // The notification icon: added (with its tip) or deleted. Re-adding after a delete gives
    // exactly one icon.
    bool AddTrayIcon();
    void RemoveTrayIcon() noexcept;
    bool TrayIconShown() const { return m_iconShown; }
    // The icon the notification area shows (the small program icon).
    HICON TrayIcon() const { return m_smallIcon ? m_smallIcon.get() : m_classIcon; }

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
    // A mouse message of the notification icon: left release raises the dock in keyboard mode,
    // right release opens the tray menu.
    void OnTrayCallback(LPARAM mouseMessage);
    void BuildMenus();
    // Shows a menu at `at` or else at the pointer as this window's menu and returns the chosen
    // id (0: none).
    UINT TrackMenu(HMENU menu, std::optional<POINT> at = std::nullopt);
    // Writes the menu about to show (entries, enabled state) to the trace.
    void TraceMenu(const char* name, HMENU menu);
    void TraceLine(const char* text);
    void TraceLine(const std::string& text) { TraceLine(text.c_str()); }

    AppState& m_app;
    win::IProgram& m_program;
    HWND m_hwnd = nullptr;
    HICON m_classIcon = nullptr; // not owned
    win::Icon m_smallIcon;
    bool m_iconShown = false;
    win::Menu m_trayMenu;
    win::Menu m_itemMenu; // SetMainPopup
    DockController* m_dock = nullptr;
    HWND m_dockWindow = nullptr;
    IProgramActions* m_actions = nullptr;
    std::optional<ItemMenu> m_itemActions;
    UINT m_taskbarCreated = 0;
    HotKeyHandler m_onHotKey;
    std::array<ATOM, 3> m_hotKeyIds{};
    std::array<bool, 3> m_claimed{};
};

} // namespace qor
