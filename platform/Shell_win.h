// The shell seam on Win32: shortcut files through the shell's link object and the scripting
// host, installer-advertised shortcuts through msi, drives and the recycle bin through kernel32
// and shell32.
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
};

} // namespace qor
