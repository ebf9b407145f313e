// The two configuration files: QORCfg.cfg (one DockSettings record) and QORMenu.cfg
// (the user groups and all item records), always written through a ".bak" copy.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace qor {

struct AppState;
struct DockItem;
struct Store;
struct Paths;

// Forms every folder and file name and creates the data folders when missing.
void InitPaths(AppState& app);
bool SaveSettings(AppState& app);
bool LoadSettings(AppState& app);
bool SaveMenu(AppState& app);
bool LoadMenu(AppState& app);
// Puts one stored item record into the store as LoadMenu does: items 0..64 and 129..1024 are
// taken whole (items 0..36 stored free become blank shortcuts); the built-in items 65..128
// take only their chosen picture.
void TakeStoredItem(Store& store, int index, const DockItem& stored);
// Deletes the stored user data: with `all` the settings files too; always the menu files,
// every cached "*.png" and the pre-scaled copies beside them.
void DeleteStoredData(AppState& app, bool all);

// SaveMenu for another store than the program's (a restore writes the menu of the backup it
// has checked before it touches the running dock).
bool SaveMenuOf(AppState& app, const Store& store);
// Puts `bytes` in place of `path` in one step: written and flushed under a temporary name,
// then swapped in. The old file stays whole when any step fails.
bool ReplaceFileContents(IFileSystem& fs, const std::string& path, const Bytes& bytes);
// Deletes a file when it exists; true when it is gone afterwards.
bool DeleteIfExists(IFileSystem& fs, const std::string& path);
// Deletes a cached picture and the pre-scaled copies made beside it; true when the picture is
// gone afterwards.
bool DeletePictureAndCopies(IFileSystem& fs, const Paths& paths, const std::string& picture);

} // namespace qor
