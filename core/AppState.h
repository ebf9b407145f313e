// The program-wide state that lives for the whole run, passed to the code that needs it.
#pragma once

#include <string>

#include "core/Paths.h"
#include "core/Settings.h"
#include "core/Store.h"
#include "dock/DockState.h"
#include "dock/Geometry.h"
#include "platform/Platform.h"

namespace qor {

struct AppState {
    Platform sys;         // the system seams (Win32 in the program, fakes in tests)
    Paths paths;
    Store store;          // Items and Groups
    DockSettings cfg;     // the stored settings record
    RunSettings run;      // run-time copies of the snapshot settings
    ScreenMetrics screen;
    DockGeometry geo;
    DockRuntime dock;
    int WindowsMajor = 0; // from CheckWindowsVersion
    std::string WindowsVersionText;
};

} // namespace qor
