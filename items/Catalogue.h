// The default catalogue: built-in command items, their groups, templates, blank ring slots,
// and the six ready-made entries of ring slots 3 to 8.
#pragma once

#include <string>

namespace qor {

struct AppState;

void BuildDefaultCatalogue(AppState& app);
// Entry 3..8 into item `index` (0: the ring slot with the entry's number).
void SetDefaultEntry(AppState& app, int entry, int index);
// Names the system; the Windows 95/98/Me line is refused with a message and `refused` set.
std::string CheckWindowsVersion(AppState& app, int& major, bool& refused);

} // namespace qor
