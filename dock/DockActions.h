// What launching an item and running a built-in command ask of the program's windows. The dock's
// controller implements the dock half (EscCancel, MinWindows, DockFocus, the repaint); the
// program implements the rest (its other windows, the orderly end, the monitor message). Item
// and command code (items/) reach the windows only through this, so they are tested with a
// recording fake.
#pragma once

#include <string>

namespace qor {

class IDockActions {
public:
    virtual ~IDockActions() = default;

    // Dock back to rest: any open pop-up closed, keyboard mode ended, the dock at the bottom of
    // the window order.
    virtual void EscCancel() = 0;
    // Changes the dock's display state: 0 expanded, 1 minimized, 2 hidden (the same state again
    // changes nothing).
    virtual void MinWindows(int state) = 0;
    // Refreshes the ring's slot data from the store; with `getFocus` also repaints it and starts
    // its timers.
    virtual void DockFocus(bool getFocus) = 0;
    // Repaints the ring in its current state (after an item or picture changed).
    virtual void Repaint() = 0;
};

// The program's own windows and requests, as the built-in commands use them.
class IProgramActions {
public:
    virtual ~IProgramActions() = default;

    // The settings window, owned by the dock (one copy at a time): modal for the built-in
    // command, modeless from the tray menu so that the dock stays usable.
    virtual void ShowSettings(bool modeless) = 0;
    // The about window, modal and owned by the dock.
    virtual void ShowAbout() = 0;
    // The property dialog for item `item`, modal and owned by the dock; with `addMode` it adds a
    // new shortcut (to the group, when `item` is one).
    virtual void ShowProperties(int item, bool addMode) = 0;
    // The "Get Started" window, modeless.
    virtual void ShowGetStarted() = 0;
    // The orderly end (saves, restores the desktop, unloads the windows).
    virtual void ExitProgram() = 0;
    // Lets pending window messages run once.
    virtual void PumpMessages() = 0;
    // Sends the dock window the system command "monitor power off", synchronously.
    virtual void MonitorOff() = 0;
    // A one-line input window: the text entered, or `defaultText` when cancelled or left empty.
    virtual std::string InputText(const std::string& prompt, const std::string& title,
                                  const std::string& defaultText) = 0;
};

} // namespace qor
