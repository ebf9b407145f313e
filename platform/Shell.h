// The shell services the item code needs: shortcut files, installer-advertised shortcuts, drives
// and the recycle bin. The program's implementation is platform/Shell_win.cpp (WinShell); the
// rules built on top of the raw answers (which way of reading a link counts, when the recycle bin
// is "full") are portable and live in items/ShellLinks.cpp and below.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qor {

// GetDriveTypeA values.
namespace drive {
constexpr int Unknown = 0;
constexpr int NoRootDir = 1;
constexpr int Removable = 2;
constexpr int Fixed = 3;
constexpr int Remote = 4;
constexpr int CdRom = 5;
constexpr int RamDisk = 6;
} // namespace drive

// What one reading of a shortcut file gave back. Fields the reader could not get stay empty/0.
struct ShellLinkInfo {
    std::string target; // the file the link points at
    std::string workingDirectory;
    std::string arguments;
    std::string iconFile;    // the icon location without its index
    int32_t iconIndex = 0;   // the number after the last comma of the icon location
    int32_t windowStyle = 0; // show command: 1 normal, 3 maximized, 7 minimized
    std::string description;
};

// One request to the shell to open something (ShellExecuteA with no owner window). The
// parameters and the working directory may be absent (a null pointer), which the shell treats
// differently from an empty text for some verbs.
struct ShellExecuteCall {
    std::string verb;
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int show = 1; // SW_SHOWNORMAL 1, SW_SHOWMINIMIZED 2, SW_SHOWMAXIMIZED 3

    bool operator==(const ShellExecuteCall&) const = default;
};

// ShellExecuteA reports failure with a value of 32 or below, success with anything above.
constexpr intptr_t kShellExecuteLastError = 32;

// SHEmptyRecycleBinA flag: no confirmation from the shell.
constexpr unsigned kEmptyBinNoConfirmation = 0x1;

// The two ways a shortcut is read. The first is the shell's own link object (for ".url" files
// the internet shortcut's own fields); the second the scripting host's "WScript.Shell" object.
enum class LinkWay { ShellLink, ScriptHost };

// The 20-byte record of SHQueryRecycleBinA: a 32-bit size field (20), then the total size in
// bytes and the number of items, each a 64-bit integer stored low half first.
struct RecycleBinQuery {
    int64_t size = 0;
    int64_t items = 0;
};

// True when the recycle bin holds anything: any of the four 32-bit halves of size and count,
// read as a signed number, is above zero.
inline bool RecycleBinHoldsAnything(const RecycleBinQuery& q) {
    const auto low = [](int64_t v) {
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
    };
    const auto high = [](int64_t v) {
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
    };
    return low(q.size) > 0 || high(q.size) > 0 || low(q.items) > 0 || high(q.items) > 0;
}

// Splits an icon location "file,index" at its last comma: the trimmed text before it and the
// leading number after it (0 when there is none); without a comma the whole text is the file.
inline void SplitIconLocation(const std::string& location, std::string& file, int32_t& index) {
    const auto trim = [](const std::string& t) {
        std::size_t b = 0, e = t.size();
        while (b < e && (t[b] == ' ' || t[b] == '\t'))
            ++b;
        while (e > b && (t[e - 1] == ' ' || t[e - 1] == '\t' || t[e - 1] == '\0'))
            --e;
        return t.substr(b, e - b);
    };
    const std::size_t comma = location.find_last_of(',');
    index = 0;
    if (comma == std::string::npos) {
        file = trim(location);
        return;
    }
    file = trim(location.substr(0, comma));
    const std::string number = trim(location.substr(comma + 1));
    std::size_t i = 0;
    bool negative = false;
    if (i < number.size() && (number[i] == '-' || number[i] == '+'))
        negative = number[i++] == '-';
    int64_t value = 0;
    for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
        value = value * 10 + (number[i] - '0');
        if (value > 0x7FFFFFFF)
            return; // out of range: no index
    }
    index = static_cast<int32_t>(negative ? -value : value);
}

class IShell {
public:
    virtual ~IShell() = default;
    // The installed file behind an installer-advertised shortcut (MsiGetShortcutTargetA, then
    // MsiGetComponentPathA with install state 3 "local"), or empty text.
    virtual std::string ResolveInstallerShortcut(const std::string& linkPath) = 0;
    // Reads a shortcut file one way; nothing when that way failed (object missing, file unreadable).
    virtual std::optional<ShellLinkInfo> ReadShellLink(const std::string& linkPath, LinkWay way) = 0;
    // GetDriveTypeA of a root such as "C:\".
    virtual int DriveType(const std::string& root) = 0;
    // GetLogicalDriveStringsA (1024-character buffer) split at each NUL: "A:\", "C:\", ...
    virtual std::vector<std::string> LogicalDrives() = 0;
    // SHQueryRecycleBinA over all recycle bins; nothing when the call fails.
    virtual std::optional<RecycleBinQuery> QueryRecycleBin() = 0;
    // Lets pending window messages run (a long enumeration keeps the windows alive).
    virtual void PumpMessages() {}

    // ShellExecuteA; the shell's return value (above 32 on success).
    virtual intptr_t Execute(const ShellExecuteCall& call) = 0;
    // SHEmptyRecycleBinA over all recycle bins with the given flags; false when it failed.
    virtual bool EmptyRecycleBin(unsigned flags) = 0;
    // SHUpdateRecycleBinIcon: the shell redraws its recycle-bin icons.
    virtual void UpdateRecycleBinIcon() = 0;
    // SHFileOperationA deleting one file or folder (function 3, `path` the only source) with the
    // given flags (0x40 allows undo: the recycle bin); the shell's result, 0 on success.
    virtual int DeleteToRecycleBin(const std::string& path, unsigned flags) = 0;
    // The shell's "Run" dialog (shell32 export 61) with no owner, icon, folder, title, prompt or
    // flags. Returns when the dialog closes.
    virtual void RunFileDialog() = 0;

    // The desktop's icon view (the shell's "SysListView32" in "Progman" or a "WorkerW") hidden or
    // restored. False when the shell shows no icon view; nothing changes then.
    virtual bool ShowDesktopIconView(bool visible) = 0;
    // The taskbar and the start button hidden or restored. False when there is no taskbar.
    virtual bool ShowTaskbar(bool visible) = 0;
};

// True when the recycle bin holds anything; false when there is no shell or the query fails.
inline bool IsRecycleBinFull(IShell* shell) {
    if (!shell)
        return false;
    const auto q = shell->QueryRecycleBin();
    return q && RecycleBinHoldsAnything(*q);
}

} // namespace qor
