// The about window FrmAbout, its portable side: its texts and what its two links open.
#pragma once

#include <string>

#include "platform/Shell.h"

namespace qor {

struct AppState;

// The maker's support mailbox (the second link; the first is the web site of tray/TrayMenu.h).
constexpr const char* kSupportMailAddress = "support@qorsoft.example";

// The edition and the full version, and the legal notice (the lines under the product's name).
std::string AboutText();
// The Windows version the program runs on, as the start-up check named it.
std::string AboutSystemText(const AppState& app);
// The acknowledgements shown in the window's read-only box.
std::string AboutAcknowledgements();

// The links: 0 the web site, 1 a mail to the support mailbox about help.
enum class AboutLink { WebSite = 0, SupportMail = 1 };
// The text a link shows.
std::string AboutLinkText(AboutLink link);
// What a click on a link asks of the shell: "open", shown normal.
ShellExecuteCall AboutLinkRequest(AboutLink link);
// Opens a link; a shell that refuses shows nothing.
void OpenAboutLink(AppState& app, AboutLink link);

} // namespace qor
