// The Windows desktop around the dock: the desktop's icon view, the taskbar, switching between
// the dock and the plain desktop, the recycle bin's status and emptying, and the user's picture
// and name in the dock's centre. The windows themselves are reached through the shell seam.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

struct AppState;
class IDockActions;
class IProgramActions;

// Hides (`hide` true) or shows the desktop's icon view and keeps the run-time state, the caption
// of built-in item 72 and the HideDesktopIcons setting in step. Nothing changes when the shell
// has no icon view (no desktop shell running).
void SetDesktopIconsVisible(AppState& app, bool hide);

// Hides (`hide` true) or restores the taskbar and the start button. Restoring touches only a
// taskbar this program hid.
void SetTaskbarVisible(AppState& app, bool hide);

// Switches between the dock and the plain desktop with its icons: a hidden dock comes back and
// the icons go, otherwise the dock hides (without fading) and the icons come back.
void SwitchDesktop(AppState& app, IDockActions& dock);

// True when the recycle bin holds anything (false when the shell cannot tell).
bool IsRecycleBinFull(AppState& app);

// Asks, then empties the recycle bin; an empty bin shows nothing.
void EmptyRecycleBin(AppState& app);

// Tells how much the recycle bin holds and offers to empty it.
void ShowRecycleBinStatus(AppState& app);

// The first line of the status message for a bin of `size` bytes and `items` items (the
// count's low 32 bits), numbers written the way the user's locale writes them.
std::string RecycleBinStatusLine(AppState& app, int64_t size, int64_t items);

// Lets the user pick a new picture and name for the dock's centre item.
void ChangeUserNameAndIcon(AppState& app, IDockActions& dock, IProgramActions& program);

constexpr const char* kEmptyBinQuestion = "Are you sure you want to empty the Recycle Bin?";
constexpr const char* kEmptyBinCaption = "Empty Recycle Bin";
constexpr const char* kBinStatusCaption = "Recycle Bin";
constexpr const char* kBinStatusQuestion = "Do you want to empty Recycle Bin?";
constexpr const char* kUserIconDialogTitle = "QOR Desktop - Change User Icon";
constexpr const char* kUserIconDialogFilter = "*.bmp;*.jpg;*.png;*.gif|*.bmp;*.jpg;*.png;*.gif";
constexpr const char* kUserNamePrompt = "Enter the new user name. To discard changes, please click 'Cancel'.";
constexpr const char* kUserNameCaption = "Change User Name";

} // namespace qor
