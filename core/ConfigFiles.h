// The two configuration files: QORCfg.cfg (one DockSettings record) and QORMenu.cfg
// (the user groups and all item records), always written through a ".bak" copy.
#pragma once

namespace qor {

struct AppState;

// Forms every folder and file name and creates the data folders when missing.
void InitPaths(AppState& app);
bool SaveSettings(AppState& app);
bool LoadSettings(AppState& app);
bool SaveMenu(AppState& app);
bool LoadMenu(AppState& app);
// Deletes the stored user data: with `all` the settings files too; always the menu files and
// every cached "*.png".
void DeleteStoredData(AppState& app, bool all);

} // namespace qor
