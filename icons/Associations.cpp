// Placeholder until the registry look-ups are written.
#include "icons/Associations.h"

namespace qor {

IconLocation FindDefaultIcon(AppState&, const std::string&) { return {}; }
std::string FindDefaultProgram(AppState&, int) { return {}; }

} // namespace qor
