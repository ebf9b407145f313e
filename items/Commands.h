// The built-in commands: the actions of built-in items, named by the command code stored in
// their Param (each built-in item sits at the item index equal to its code).
#pragma once

namespace qor {

struct AppState;
class IDockActions;
class IProgramActions;

// Command codes, the character values "A".."^" and "e".."g".
enum class Command : int {
    OpenDocuments = 65,      // "A" the user's profile folder
    ChangeUser = 66,         // "B" user picture and name
    Settings = 67,           // "C"
    About = 68,              // "D"
    Minimize = 69,           // "E"
    Hide = 70,               // "F"
    Exit = 71,               // "G"
    DesktopIcons = 72,       // "H" always hide / always show the desktop icons
    SwitchDesktop = 73,      // "I"
    GetStarted = 74,         // "J"
    DragLock = 75,           // "K" allow / lock dragging
    ShutDown = 76,           // "L"
    Restart = 77,            // "M"
    LogOff = 78,             // "N"
    Lock = 79,               // "O"
    MonitorOff = 80,         // "P"
    MyComputer = 81,         // "Q"
    SystemProperties = 82,   // "R"
    Personalize = 83,        // "S"
    ScreenResolution = 84,   // "T"
    Uninstall = 85,          // "U"
    Network = 86,            // "V"
    InternetOptions = 87,    // "W"
    ControlPanel = 88,       // "X"
    Workgroup = 89,          // "Y"
    Printers = 90,           // "Z"
    DeviceManager = 91,      // "["
    Search = 92,             // "\"
    Run = 93,                // "]"
    NetworkConnections = 94, // "^"
    EmptyRecycleBin = 101,   // "e"
    OpenRecycleBin = 102,    // "f"
    RecycleBinStatus = 103   // "g"
};

// Runs the command `code`: the dock goes to rest first; after every command but Exit it goes to
// rest again and, with auto-hide after launch on, hides. Codes without an action only do that.
void RunBuiltInCommand(AppState& app, int code, IDockActions& dock, IProgramActions& program);

// Toggles the drag lock and the caption and picture of built-in item 75, which name what the
// item does next; reloads its picture and writes both files.
void ToggleDragLock(AppState& app);

} // namespace qor
