// Registry access by full key path ("HKEY_CURRENT_USER\Software\..."), and the program's own
// registry uses: the first-run marker, its path and version, and the start-with-Windows entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/Registry.h"

namespace qor {

struct AppState;

struct RegistryPath {
    std::optional<uint32_t> root; // nothing for an unknown root name
    std::string subKey;
    std::string lastPart;
};

// A value read from the registry: nothing, text, or a 32-bit number.
using RegistryValue = std::variant<std::monostate, std::string, int32_t>;

RegistryPath SplitRegistryPath(const std::string& fullPath);
RegistryValue ReadRegistryValue(IRegistry& reg, const std::string& keyPath, const std::string& valueName);
// The text of a value (empty for a missing value or a number), cleaned.
std::string ReadRegistryText(IRegistry& reg, const std::string& keyPath, const std::string& valueName);
long WriteRegistryValue(IRegistry& reg, const std::string& keyPath, const std::string& valueName,
                        const std::string& value, int type);
long DeleteRegistryValue(IRegistry& reg, const std::string& keyPath, const std::string& valueName);

bool IsFirstRun(AppState& app);
bool RegisterAppInfo(AppState& app);
// 1 when the start-up entry names this program after the call, 0 otherwise.
int SetAutoRun(AppState& app, bool on);

} // namespace qor
