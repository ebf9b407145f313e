// A library whose initialisation leaves a trace. When the loader runs its DllMain, it creates
// the file named by the environment variable QOR_MARKER_FILE. The icon tests give a copy of it
// icon resources and check that reading them never runs it.
#include <windows.h>

#include "platform/Handles_win.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableA("QOR_MARKER_FILE", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        qor::win::Handle(
            CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return TRUE;
}
