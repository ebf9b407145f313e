#include "items/Desktop_win.h"

#include <windows.h>

#include "core/AppState.h"

namespace qor {

namespace {

constexpr int kDesktopIconsItem = 72;

// The list view that shows the desktop icons: in the "Progman" window, or, when the desktop
// view was moved into a worker window (as Windows does once the wallpaper slideshow or
// Win+Tab ran), in the first "WorkerW" that holds one.
HWND FindDesktopIconView() {
    const HWND progman = FindWindowA("Progman", nullptr);
    const HWND progmanView = progman ? FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr) : nullptr;
    if (progmanView)
        return FindWindowExA(progmanView, nullptr, "SysListView32", nullptr);
    for (HWND worker = FindWindowExA(nullptr, nullptr, "WorkerW", nullptr); worker;
         worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)) {
        if (const HWND view = FindWindowExA(worker, nullptr, "SHELLDLL_DefView", nullptr))
            return FindWindowExA(view, nullptr, "SysListView32", "FolderView");
    }
    return nullptr;
}

} // namespace

void SetDesktopIconsVisible(AppState& app, bool hide) {
    const HWND iconView = FindDesktopIconView();
    if (!iconView)
        return;
    ShowWindow(iconView, hide ? SW_HIDE : SW_RESTORE);
    app.run.DesktopIconsHidden = hide;
    if (app.store.IsItem(kDesktopIconsItem))
        app.store.Items[kDesktopIconsItem].Title.Set(hide ? "Always Show Desktop Icons"
                                                          : "Always Hide Desktop Icons");
    app.cfg.HideDesktopIcons = hide ? 1 : 0;
}

void SetTaskbarVisible(AppState& app, bool hide) {
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    // The start button is a top-level "Button" of the shell. Only the one that belongs to the
    // taskbar's process is touched: any program may own a top-level window of that class.
    HWND startButton = nullptr;
    DWORD shellProcess = 0;
    if (taskbar && GetWindowThreadProcessId(taskbar, &shellProcess)) {
        for (HWND b = FindWindowExA(nullptr, nullptr, "Button", nullptr); b;
             b = FindWindowExA(nullptr, b, "Button", nullptr)) {
            DWORD owner = 0;
            if (GetWindowThreadProcessId(b, &owner) && owner == shellProcess) {
                startButton = b;
                break;
            }
        }
    }
    if (hide) {
        for (HWND w : {taskbar, startButton})
            if (w)
                ShowWindow(w, SW_HIDE);
        app.run.TaskbarHidden = taskbar != nullptr;
        return;
    }
    // Restore only what this program hid: a shell may keep its tray window hidden on purpose
    // (Wine's does when the X desktop has its own panel), and showing it would put an empty
    // captioned window on the screen.
    if (!app.run.TaskbarHidden)
        return;
    for (HWND w : {taskbar, startButton})
        if (w)
            ShowWindow(w, SW_RESTORE);
    app.run.TaskbarHidden = false;
}

} // namespace qor
