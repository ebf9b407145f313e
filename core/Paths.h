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
