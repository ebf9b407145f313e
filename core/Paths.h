// Folder and file names formed at start, and the path helpers every subsystem uses.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace qor {

struct Paths {
    std::string ProgramDir;      // folder of the executable
    std::string ProgramName;     // executable's name without ".exe"
    std::string SysIconsFolder;  // ProgramDir + "SysIcons\"
    std::string DataDir;         // common program files + "QORSoft\QOR Desktop\"
    std::string IconCacheFolder; // DataDir + "QorIcons\"
    std::string UserIconFile;    // IconCacheFolder + "User Icon.ico"
    std::string SettingsFile;    // DataDir + "QORCfg.cfg"
    std::string MenuFile;        // DataDir + "QORMenu.cfg"
    std::string SettingsBackup;  // SettingsFile + ".bak"
    std::string MenuBackup;      // MenuFile + ".bak"

    // Special folders, each with a trailing backslash (empty when unknown).
    std::string WindowsFolder;
    std::string SystemFolder;
    std::string ProgramFilesFolder;
    std::string ProfileFolder;
    std::string DesktopFolder;
    std::string DocumentsFolder;
    std::string MusicFolder;
    std::string VideosFolder;
    std::string PicturesFolder;
    std::string FavoritesFolder;
    std::string CommonDesktopFolder;
};

// The pre-scaled copies of a picture the program generated in the icon cache folder: beside it,
// its name followed by a side in pixels and this suffix ("12.png.48.scaled"). Each holds the
// picture as the dock draws it at rest at that side, is written and checked by the image cache,
// and is never an item's picture: no "*.png" pattern (deletion, backups, cache numbering) ever
// matches it. Any of them may be missing at any time.
constexpr const char* kScaledCopySuffix = ".scaled";

// Where the copy of `picture` at side x side lives; empty when the picture can have none: it is
// not a file directly inside IconCacheFolder (any letter case; shipped pictures and files
// elsewhere), or it is a copy itself, or the side is not positive.
std::string ScaledCopyOf(const Paths& paths, const std::string& picture, int side);
// A FindFirstFile pattern for every copy of `picture`, at any side; empty when it can have none.
std::string ScaledCopiesPattern(const Paths& paths, const std::string& picture);

// Path rewriting of registry icon locations and command lines (quotes, doubled backslashes,
// environment variables, "\SystemRoot\" style markers, bare names in the system folders).
std::string NormalizePath(std::string path, bool searchSystemFolders, ISystem& sys, IFileSystem& fs,
                          const Paths& paths);

// Cleans `path` in place; true when it names an existing file or folder. With `expand`, the path is
// first replaced by its NormalizePath form.
bool PathExists(std::string& path, bool expand, ISystem& sys, IFileSystem& fs, const Paths& paths);
// Cleans `path` in place; true when it exists and is not a plain folder (attributes exactly 16).
bool FileExists(std::string& path, IFileSystem& fs);
// PathExists without normalising.
bool PathExists(std::string& path, IFileSystem& fs);

// The text up to and including the last backslash.
std::string FolderOf(const std::string& path);
// The text after the last backslash.
std::string FileNameOf(const std::string& path);

} // namespace qor
