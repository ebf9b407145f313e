// The common open/save dialog on comdlg32 (GetOpenFileNameA / GetSaveFileNameA).
#pragma once

#include <windows.h>

#include <string>

#include "platform/Ui.h"

namespace qor {

// Shows the dialog the request describes, owned by `owner`. A 261-character initial name shows
// "Filename Length Overflow" through `ui` instead. Returns the chosen path, or empty text when
// cancelled or refused; the working set is trimmed afterwards either way.
std::string ShowFileDialog(HWND owner, const FileDialogRequest& request, IUi& ui,
                           const std::string& applicationTitle = "QOR Desktop");

} // namespace qor
