// qor_broadcast.exe <message name>: sends the window message registered under that name to every
// top-level window, as the shell does with "TaskbarCreated" when the taskbar is re-created. The
// end-to-end tests run it to play a restarted Explorer. Exit code 0 when the message was sent.
//
// Built by the Windows build as build/win/qor_broadcast.exe (no dependencies, static runtime).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (!commandLine || !*commandLine)
        return 2;
    const UINT message = RegisterWindowMessageA(commandLine);
    if (message == 0)
        return 1;
    DWORD_PTR result = 0;
    // Every window answers or times out on its own; a hung window does not hold the others up.
    return SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result)
               ? 0
               : 1;
}
