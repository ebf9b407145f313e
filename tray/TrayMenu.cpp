#include "tray/TrayMenu.h"

#include "core/AppState.h"
#include "dock/DockActions.h"
#include "items/Desktop.h"

namespace qor {

const std::array<TrayMenuEntry, 5> kTrayMenu{{
    {"Change User &Icon", TrayCommand::ChangeUserIcon},
    {"&Settings", TrayCommand::Settings},
    {"&About QOR Desktop", TrayCommand::About},
    {"-", TrayCommand::None},
    {"&Exit", TrayCommand::Exit},
}};

std::string TrayTipText() {
    return "QOR Desktop " + std::to_string(QOR_VERSION_MAJOR) + "." + std::to_string(QOR_VERSION_MINOR) +
           "\r\n" + kMakerWebAddress;
}

void TrayMenuClick(AppState& app, TrayCommand command, IDockActions& dock, IProgramActions& program) {
    if (app.sys.trace && app.sys.trace->Enabled())
        app.sys.trace->Line("tray command=" + std::to_string(static_cast<int>(command)));
    switch (command) {
    case TrayCommand::ChangeUserIcon:
        ChangeUserNameAndIcon(app, dock, program);
        break;
    case TrayCommand::Settings:
        program.ShowSettings(true);
        break;
    case TrayCommand::About:
        program.ShowAbout();
        break;
    case TrayCommand::Exit:
        if (app.dock.State == dockstate::Expanded) {
            dock.DockFocus(false);
            program.PumpMessages();
        }
        program.ExitProgram();
        break;
    case TrayCommand::None:
        break;
    }
}

} // namespace qor
