// qor_broadcast.exe <message>: sends a window message to every top-level window, as the system
// does. <message> is one of
//   WM_DISPLAYCHANGE   the display mode changed: the colour depth and the primary screen's new
//                      size, as Windows sends it after a change of resolution;
//   WM_SETTINGCHANGE   the work area changed (SPI_SETWORKAREA), as when the taskbar moves;
//   any other name     the window message registered under it, as the shell does with
//                      "TaskbarCreated" when the taskbar is re-created.
// The end-to-end tests run it to play the system: Wine follows a screen resized under it in its
// monitor information, but tells no window of another process. Exit code 0 when it was sent.
//
// Built by the Windows build as build/win/qor_broadcast.exe (no dependencies, static runtime).
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (!commandLine || !*commandLine)
        return 2;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (std::strcmp(commandLine, "WM_DISPLAYCHANGE") == 0) {
        message = WM_DISPLAYCHANGE;
        const HDC screen = GetDC(nullptr);
        wParam = static_cast<WPARAM>(screen ? GetDeviceCaps(screen, BITSPIXEL) : 32);
        if (screen)
            ReleaseDC(nullptr, screen);
        lParam = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    } else if (std::strcmp(commandLine, "WM_SETTINGCHANGE") == 0) {
        message = WM_SETTINGCHANGE;
        wParam = SPI_SETWORKAREA;
    } else {
        message = RegisterWindowMessageA(commandLine);
    }
    if (message == 0)
        return 1;
    DWORD_PTR result = 0;
    // Every window answers or times out on its own; a hung window does not hold the others up.
    return SendMessageTimeoutA(HWND_BROADCAST, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000,
                               &result)
               ? 0
               : 1;
}
