#include "platform/Window_win.h"

namespace qor {

void PumpPendingMessages() {
    MSG msg;
    bool quit = false;
    int quitCode = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The request to end belongs to the main loop: it is posted again below.
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (quit)
        PostQuitMessage(quitCode);
}

} // namespace qor
