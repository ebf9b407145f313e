// Turning a path into an item: title, target, category and picture; the store operations that
// add, clear and regroup items; and the in-memory renderings the dock and the pop-up draw.
#pragma once

#include <string>

#include "core/Store.h"

namespace qor {

struct AppState;
struct LinkResult;

// A record with every field zero or empty; copying it over a record clears the record.
inline const DockItem kBlankItem{};
const DockItem& BlankItem();

// Puts an existing file, folder or drive into ring slot `slot` (Kind 1 asks first, Kind 2 is
// replaced) or into the group of `slot` (Kind 4 or 6, skipped when already a member). Paths that
// do not exist and slots of other kinds are ignored.
void AddPathToItem(AppState& app, const std::string& path, int slot);
// The one way a member joins a group (drag and drop, the item menu, the property dialog): a new
// blank member (Kind 5) is appended to the group of `slot` (Kind 4 or 6) and its index returned,
// the title suffix updated. -1, and nothing changed, when the group already lists the cleaned
// path, is full (36 members, 1024 for All Programs) or no storable pool item is free.
int NewGroupMember(AppState& app, int slot, const std::string& path);
// Makes an existing item point at another path, without questions or group bookkeeping.
void RepointItem(AppState& app, const std::string& path, int item);
// Regenerates only the icon file of an item from its Target. False when the Target is missing
// (the icon is then "Problem.png").
bool RefreshItemIcon(AppState& app, int item);

// Clears a ring shortcut, a group (asking unless silent) or a member. 1 when done or nothing was
// needed, 0 when the user declined.
int ClearItem(AppState& app, int item, bool silent);
// Removes the item from the first user group (slots 3..36) that lists it, discarding it.
void RemoveFromGroup(AppState& app, int item);
// Recomputes the " (Full)" / " (Empty)" suffix of a group's Title.
void UpdateGroupTitle(AppState& app, int slot);
// True when the group is empty or no member's cleaned Target equals the cleaned path.
bool IsNewGroupMember(AppState& app, int slot, const std::string& path);
// Mode 0: the first free pool item from 129 up, growing Items by one record when none is free.
// Other modes: the first ring slot 4..IconCount that is free or blank, else 3 while the All
// Programs group has room, else 0.
int FindFreeItem(AppState& app, int mode);
// The first "<n>.png" of the icon cache folder that does not exist yet (n from 0).
std::string NextCacheFileName(AppState& app);

// Builds the item's image cache entries from LargeIconPath, IconPath or the Target's shell icon;
// when none loads, IconRef falls back to the template of its Category. width/height are for Kind 14.
void BuildItemImages(AppState& app, int item, int width = 0, int height = 0);
// Frees the item's images, deletes its owned picture files and resets the record.
void DiscardItem(AppState& app, int item);
// Frees the item's images and deletes its user-chosen picture (LargeIconPath).
void DiscardCustomIcon(AppState& app, int item);

// The link-icon rule: the link's icon file with its icon index, then the link's target with the
// same index, written as PNG to `pngPath`. False when neither gives a picture.
bool ExtractLinkIcon(AppState& app, const LinkResult& link, const std::string& pngPath);

// The question asked before a ring shortcut is replaced.
constexpr const char* kReplaceShortcutText = "Are you sure to replace the selected shortcut?";
constexpr const char* kReplaceShortcutCaption = "Replace shortcut";
constexpr const char* kDeleteGroupText = "Are you sure to delete the selected group?";
constexpr const char* kDeleteGroupCaption = "Delete Shortcut Group";
constexpr const char* kDeleteAllProgramsCaption = "Delete All Programs Group";

} // namespace qor
