// Opening an ordinary item (a program, document, folder, drive or a shortcut to one of these)
// through the shell's "open" verb. Built-in items go to RunBuiltInCommand instead.
#pragma once

#include <string>

namespace qor {

struct AppState;
class IDockActions;

// Opens item `item`: its TargetPath when that exists, else its Target; a shortcut file is
// resolved first and its target opened with the link's arguments and working directory. The
// item's RunMode (0 normal, 1 minimized, 2 maximized, anything else normal) is the show command.
// A missing target shows "Problem with Shortcut". Afterwards the dock returns to rest and, with
// auto-hide after launch on, hides. True when the shell accepted the request.
bool LaunchItem(AppState& app, int item, IDockActions& dock);

// The message shown when an item's target (or a shortcut's target) is gone.
std::string MissingTargetText(const std::string& path);
constexpr const char* kMissingTargetCaption = "Problem with Shortcut";

} // namespace qor
