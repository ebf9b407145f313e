// Placeholder until registry access is written.
#include "core/Registry.h"

namespace qor {

RegistryPath SplitRegistryPath(const std::string&) { return {}; }
RegistryValue ReadRegistryValue(IRegistry&, const std::string&, const std::string&) { return {}; }
std::string ReadRegistryText(IRegistry&, const std::string&, const std::string&) { return {}; }
long WriteRegistryValue(IRegistry&, const std::string&, const std::string&, const std::string&, int) { return 0; }
long DeleteRegistryValue(IRegistry&, const std::string&, const std::string&) { return 0; }
bool IsFirstRun(AppState&) { return false; }
bool RegisterAppInfo(AppState&) { return true; }
int SetAutoRun(AppState&, bool) { return 0; }

} // namespace qor
