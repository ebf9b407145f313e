// The system seam on Win32: environment, special folders, screen, user and version.
#pragma once

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
    OsVersion GetOsVersion() override;
};

} // namespace qor
