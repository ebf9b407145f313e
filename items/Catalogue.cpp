// Placeholder until the default catalogue is built: every group knows its own index.
#include "items/Catalogue.h"

#include "core/AppState.h"

namespace qor {

void BuildDefaultCatalogue(AppState& app) {
    for (int g = 0; g <= kGroupBound; ++g)
        app.store.Groups[g].Members[0] = g;
    for (int i = 1; i < static_cast<int>(app.store.Items.size()); ++i)
        app.store.Items[i].IconRef = i;
}

void SetDefaultEntry(AppState&, int, int) {}

std::string CheckWindowsVersion(AppState&, int& major, bool& refused) {
    major = 6;
    refused = false;
    return {};
}

} // namespace qor
