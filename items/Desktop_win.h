// The Windows desktop around the dock: the shell's desktop icon view and the taskbar.
#pragma once

namespace qor {

struct AppState;

// Hides (`hide` true) or shows the desktop's icon view, keeps the run-time state, the caption
// of built-in item 72 and the HideDesktopIcons setting in step. Nothing changes when the shell
// has no icon view (no desktop shell running).
void SetDesktopIconsVisible(AppState& app, bool hide);

// Hides (`hide` true) or restores the taskbar and the start button.
void SetTaskbarVisible(AppState& app, bool hide);

} // namespace qor
