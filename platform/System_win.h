// The system seam on Win32: environment, special folders, screen, user and version.
#pragma once

#include <string>

#include "platform/System.h"

namespace qor {

class WinSystem final : public ISystem {
public:
    std::optional<std::string> GetEnvVar(const std::string& name) override;
    std::string GetSpecialFolder(int csidl) override;
    std::string GetTempFolder() override;
    std::string GetLogonUserName() override;
    std::string GetProgramPath() override;
    ScreenInfo GetScreenInfo() override;
    ScreenInfo GetScreenInfoAt(int x, int y) override;
    OsVersion GetOsVersion() override;
    bool ExitWindowsEx(unsigned flags, unsigned reason) override;
    bool LockWorkStation() override;
    std::string FormatLocaleNumber(const std::string& plainNumber, int decimals, bool grouping) override;
};

// The NUMBERFMT grouping number of a LOCALE_SGROUPING text: "3;0" gives 3, "3;2;0" gives 32,
// "3" (one group, then none) gives 30, "0" or "" give 0.
unsigned GroupingFromLocale(const std::string& sgrouping);

} // namespace qor
