// The shell seam on Win32: shortcut files through the shell's link object and the scripting
// host, installer-advertised shortcuts through msi, drives and the recycle bin through kernel32
// and shell32, opening files and pages with ShellExecuteA, and the shell's desktop windows (the
// icon view, the taskbar) found by their class names.
#pragma once

#include "platform/Shell.h"

namespace qor {

class WinShell final : public IShell {
public:
    std::string ResolveInstallerShortcut(const std::string& linkPath) override;
    std::optional<ShellLinkInfo> ReadShellLink(const std::string& linkPath, LinkWay way) override;
    int DriveType(const std::string& root) override;
    std::vector<std::string> LogicalDrives() override;
    std::optional<RecycleBinQuery> QueryRecycleBin() override;
    void PumpMessages() override;
    intptr_t Execute(const ShellExecuteCall& call) override;
    bool EmptyRecycleBin(unsigned flags) override;
    void UpdateRecycleBinIcon() override;
    int DeleteToRecycleBin(const std::string& path, unsigned flags) override;
    void RunFileDialog() override;
    bool ShowDesktopIconView(bool visible) override;
    bool ShowTaskbar(bool visible) override;
};

} // namespace qor
