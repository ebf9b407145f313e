// Backup, restore and reset: the configuration backup (a copy of QORCfg.cfg), the
// shortcuts-and-icons backup (the menu records followed by the user's pictures and "/END"),
// ReloadAll and the six maintenance commands of the settings window.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ConfigFormat.h"
#include "core/Paths.h"

namespace qor {

struct AppState;

// What ReloadAll and the commands need from the windows. Each hook may be left empty.
struct ReloadHooks {
    std::function<void()> ReleaseImages;      // free the skin and item images
    std::function<void()> LoadSkinImages;     // build them again from the store
    std::function<bool(int)> RefreshItemIcon; // regenerate an item's picture from its Target
    std::function<void()> TrimWorkingSet;     // SetProcessWorkingSetSize(-1, -1)
    std::function<void()> PumpMessages;       // let pending window messages run once
    std::function<void(int)> DockFocus;       // the dock's DockFocus
    std::function<void()> IniConfigData;      // refresh the settings window's controls
};

// True for a path naming a picture shipped with the program: a file directly inside a folder
// called "SysIcons" (any letter case), of this install or of a copy installed elsewhere. A
// backup never carries these; a restore takes them from this install's own folder.
bool IsShippedPicture(const std::string& path);

// Which picture paths of a backup's item records have their picture carried in the file.
struct PictureRule {
    // The rule of older builds: every picture outside their own SysIcons folder (the exact text
    // `ownFolder`; none when it is empty) was carried, shipped pictures of other installs too.
    bool older = false;
    std::string ownFolder;

    // For a cleaned path: carried when not empty and not a shipped picture (the current rule)
    // or not beginning with `ownFolder` (the older rule).
    bool Carries(const std::string& path) const;
};

// One embedded picture of a shortcuts-and-icons backup.
struct EmbeddedFile {
    int item = 0;
    bool large = false;     // LargeIconPath; otherwise IconPath
    std::string storedPath; // the cleaned path as the backup names it
    std::size_t offset = 0; // of the picture's bytes in the backup
    std::size_t size = 0;
};

struct BackupImage {
    MenuImage menu;
    std::vector<EmbeddedFile> files; // in the order of the file
    std::size_t size = 0;            // bytes up to and including "/END"
    PictureRule rule;                // the layout the file was found in
};

// One carried picture at the reader's position: an int32 byte count n, then the n bytes.
// Nothing (and the reader failed) when the count is negative or runs past the end.
std::optional<EmbeddedFile> ReadEmbeddedFile(ByteReader& in, int item, bool large, const std::string& path);
// The carried pictures of one item, IconPath then LargeIconPath (cleaned paths), appended to
// `files`; false when one cannot be read.
bool ReadItemPictures(ByteReader& in, int item, const std::string& iconPath, const std::string& largePath,
                      const PictureRule& rule, std::vector<EmbeddedFile>& files);

// Reads a whole backup: the menu records, then for items 4..1024 (IconPath, then LargeIconPath)
// one embedded picture for every cleaned path the rule carries, then "/END". The current rule is
// tried first; a file it does not fit is tried with the rule of older builds, for this install's
// `sysIconsFolder` and for the SysIcons folders the records name. Nothing when no rule fits: a
// part is missing, a byte count is negative or runs past the end, or the end marker is not
// where it belongs.
std::optional<BackupImage> ParseBackup(ByteSpan bytes, const std::string& sysIconsFolder);

// True for a path naming a picture the program itself would create in the cache folder:
// `cacheFolder` followed by a decimal number and ".png", nothing else.
bool IsCachePictureName(const std::string& path, const std::string& cacheFolder);

// The path a restored item keeps for a picture its backup does not carry: a shipped picture of
// any install becomes this install's picture of that name; for items 0..3, whose pictures are
// never carried, a file directly in this machine's icon cache stays; anything else is dropped
// (for items from 4 up, the icon recheck after a restore then makes a new picture).
std::string KeptPicturePath(const std::string& storedPath, int item, const Paths& paths);

// Writes a shortcuts-and-icons backup of the store; false (after its message) on failure.
bool WriteBackup(AppState& app, const std::string& path);
// Restores a shortcuts-and-icons backup into the menu file, the icon cache and the store.
// Pictures are written only into this machine's icon cache folder. The backup is checked as a
// whole before anything is changed; a failure leaves the dock as it was.
bool ReadBackup(AppState& app, const std::string& path);
// Rebuilds the run-time state the way start-up does.
void ReloadAll(AppState& app, bool keepSettings, bool freshStore, bool recheckIcons,
               const ReloadHooks& hooks);

// The six commands of the settings window.
void BackupConfiguration(AppState& app, const ReloadHooks& hooks);
void BackupShortcutsAndIcons(AppState& app, const ReloadHooks& hooks);
void RestoreConfiguration(AppState& app, const ReloadHooks& hooks);
void RestoreShortcutsAndIcons(AppState& app, const ReloadHooks& hooks);
void ResetProgramSettings(AppState& app, const ReloadHooks& hooks);
void ResetShortcutsAndIcons(AppState& app, const ReloadHooks& hooks);

} // namespace qor
