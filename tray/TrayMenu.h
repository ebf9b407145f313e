// The notification-area icon's side that decides: its tip text, the tray menu's entries and what
// each does. FrmTray (tray/FrmTray_win) shows the icon and the menu and hands the choice here.
#pragma once

#include <array>
#include <string>

namespace qor {

struct AppState;
class IDockActions;
class IProgramActions;

// The tray menu's commands; 0 is no command (a separator, or the menu closed without a choice).
enum class TrayCommand {
    None = 0,
    ChangeUserIcon = 1,
    Settings = 2,
    About = 3,
    Exit = 4,
};

struct TrayMenuEntry {
    const char* caption; // "-" marks a separator
    TrayCommand command;
};
// The tray menu in its order.
extern const std::array<TrayMenuEntry, 5> kTrayMenu;

// The maker's web address, shown in the icon's tip.
constexpr const char* kMakerWebAddress = "https://www.qorsoft.example/";
// "QOR Desktop <major>.<minor>", a line break, the maker's web address.
std::string TrayTipText();

// Runs a chosen tray menu command: the user's picture and name, the settings window
// (modeless), the about window, or the orderly end (a shown dock gives up its timers and
// pending paints first).
void TrayMenuClick(AppState& app, TrayCommand command, IDockActions& dock, IProgramActions& program);

} // namespace qor
