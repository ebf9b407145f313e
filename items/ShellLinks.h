// Shortcut files and program discovery: what a link points at, and the enumerations that fill
// the default groups (a folder's entries, the drives and special folders, the office programs).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Shell.h"

namespace qor {

struct AppState;

// What link resolution found. Every FillLinkResult starts from a blank record.
struct LinkResult {
    std::string source; // the path that was resolved
    std::string target; // the file the link points at
    std::string arguments;
    std::string iconFile; // the icon location without its index
    int32_t iconIndex = 0;
    std::string workingDirectory;
    int32_t windowStyle = 0; // 1 normal, 3 maximized, 7 minimized

    bool operator==(const LinkResult&) const = default;
};

// Reads a shortcut: the shell's link object first, the scripting host when that failed or found
// neither the target nor the icon file. 1 when the target or the icon file exists, else 0; `out`
// holds what the last way read.
int ResolveShellLink(AppState& app, const std::string& linkPath, ShellLinkInfo& out);

// Resolves a path (an installer-advertised shortcut, a link, or a link to a link, followed one
// level) into a fresh LinkResult.
LinkResult FillLinkResult(AppState& app, const std::string& path);

// The file name of a path (after the last backslash); unless keepExtension, a name ending in
// ".LNK" or ".EXE" (any case) loses those four characters.
std::string PathDisplayName(const std::string& path, bool keepExtension);
// The path up to and including its last backslash.
std::string PathFolder(const std::string& path);

// Offers folder + name of every entry of folder + pattern to AddPathToItem for `slot`. Hidden
// entries are skipped; mode 0 skips "." and "..", mode 1 offers only entries with the archive bit.
void FillFromFolder(AppState& app, int slot, const std::string& folder, const std::string& pattern, int mode);
// Offers Explorer (Windows 6 and later), the special folders and every drive root.
void FillDrivesAndFolders(AppState& app, int slot);
// Offers the installed office programs found through their automation class registrations.
void FillOfficeApplications(AppState& app, int slot);

} // namespace qor
