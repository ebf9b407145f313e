#include "dialogs/About.h"

#include "core/AppState.h"
#include "tray/TrayMenu.h"

namespace qor {

namespace {

constexpr int kShowNormal = 1;

std::string Version() {
    return std::to_string(QOR_VERSION_MAJOR) + "." + std::to_string(QOR_VERSION_MINOR) + "." +
           std::to_string(QOR_VERSION_PATCH);
}

} // namespace

std::string AboutText() {
    return "Personal Edition, version " + Version() + "\r\nCopyright (C) QORSoft. All rights reserved.";
}

std::string AboutSystemText(const AppState& app) {
    return app.WindowsVersionText.empty() ? std::string("Windows") : app.WindowsVersionText;
}

std::string AboutAcknowledgements() {
    return "QOR Desktop is written in C++ on the Windows API alone: GDI+ draws the ring and its "
           "panels, the shell opens what you click.\r\n\r\n"
           "Thanks to everyone who tried the early builds, reported what did not work and asked "
           "for the keyboard mode.\r\n\r\n"
           "The icons, the ring's skin and the pictures of the tour were drawn for QOR Desktop.";
}

std::string AboutLinkText(AboutLink link) {
    if (link == AboutLink::SupportMail)
        return kSupportMailAddress;
    std::string address = kMakerWebAddress;
    // Shown without the scheme and the closing slash: "www.qorsoft.example".
    const std::string scheme = "https://";
    if (address.rfind(scheme, 0) == 0)
        address.erase(0, scheme.size());
    if (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

ShellExecuteCall AboutLinkRequest(AboutLink link) {
    ShellExecuteCall call;
    call.verb = "open";
    call.file = link == AboutLink::SupportMail
                    ? std::string("mailto:") + kSupportMailAddress + "?subject=Help"
                    : std::string(kMakerWebAddress);
    call.parameters = std::string();
    call.directory = std::string();
    call.show = kShowNormal;
    return call;
}

void OpenAboutLink(AppState& app, AboutLink link) {
    if (app.sys.shell)
        app.sys.shell->Execute(AboutLinkRequest(link));
}

} // namespace qor
