// Placeholder until the configuration files are written: nothing is stored yet.
#include "core/ConfigFiles.h"

#include "core/AppState.h"

namespace qor {

void InitPaths(AppState&) {}
bool SaveSettings(AppState&) { return true; }
bool LoadSettings(AppState& app) {
    app.cfg.AutoRun = kTrue;
    return false;
}
bool SaveMenu(AppState&) { return true; }
bool LoadMenu(AppState&) { return false; }
void DeleteStoredData(AppState&, bool) {}

} // namespace qor
