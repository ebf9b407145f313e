// qor_broadcast.exe <message name>: sends the window message registered under that name to every
// top-level window, as the shell does with "TaskbarCreated" when the taskbar is re-created; the
// name WM_DISPLAYCHANGE sends that message with the colour depth and the primary screen's size,
// as Windows does after a change of resolution (Wine follows a screen resized under it but tells
// no window of another process). The end-to-end tests run it to play the system. Exit code 0 when
// the message was sent.
//
// Built by the Windows build as build/win/qor_broadcast.exe (no dependencies, static runtime).
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (!commandLine || !*commandLine)
        return 2;
    const bool displayChange = std::strcmp(commandLine, "WM_DISPLAYCHANGE") == 0;
    const UINT message = displayChange ? WM_DISPLAYCHANGE : RegisterWindowMessageA(commandLine);
    if (message == 0)
        return 1;
    const WPARAM bitsPerPixel = 32;
    const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    DWORD_PTR result = 0;
    // Every window answers or times out on its own; a hung window does not hold the others up.
    return SendMessageTimeoutA(HWND_BROADCAST, message, displayChange ? bitsPerPixel : 0,
                               displayChange ? size : 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result)
               ? 0
               : 1;
}
