// The entry point: one instance per user, then the program's start-up, message loop and end.
#include <windows.h>

#include "core/Main_win.h"
#include "platform/Clock_win.h"
#include "platform/System_win.h"
#include "platform/Trace_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A second start ends at once and silently, before any other step, leaving the first
    // instance undisturbed; a first instance running elevated counts too, though its mutex is
    // out of this process's reach.
    qor::WinSystem system;
    const qor::win::NamedMutex single(qor::SingleInstanceMutexName(system.GetLogonUserName()).c_str());
    if (single.AlreadyExists()) {
        qor::WinClock clock;
        const auto trace = qor::OpenTraceFromEnvironment(clock);
        if (trace->Enabled())
            trace->Line("second-instance exit");
        return 0;
    }

    qor::Program program(instance);
    if (!program.Main())
        return 1;
    return program.RunMessageLoop();
}
