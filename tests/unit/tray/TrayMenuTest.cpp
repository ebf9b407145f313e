// The tray menu's commands and the icon's tip.
#include <gtest/gtest.h>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "tray/TrayMenu.h"

namespace qor {
namespace {

using Calls = std::vector<std::string>;

TEST(TrayMenu, EachCommandReachesItsWindowAndExitEndsInOrder) {
    struct Row {
        TrayCommand command;
        int dockState;
        Calls calls;
    };
    const Row rows[] = {
        // No picture chosen: the name is still asked for, then the ring repainted.
        {TrayCommand::ChangeUserIcon, dockstate::Expanded, {"InputText", "Repaint"}},
        {TrayCommand::Settings, dockstate::Expanded, {"ShowSettings modeless"}},
        {TrayCommand::About, dockstate::Expanded, {"ShowAbout"}},
        {TrayCommand::Exit, dockstate::Expanded, {"DockFocus 0", "PumpMessages", "ExitProgram"}},
        {TrayCommand::Exit, dockstate::Minimized, {"ExitProgram"}},
        {TrayCommand::None, dockstate::Expanded, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("command " + std::to_string(static_cast<int>(row.command)) + " state " +
                     std::to_string(row.dockState));
        test::ShellTestApp t;
        Calls calls;
        test::RecordingDock dock{calls, &t.app};
        test::RecordingProgram program{calls};
        t.app.dock.State = row.dockState;
        TrayMenuClick(t.app, row.command, dock, program);
        EXPECT_EQ(calls, row.calls);
    }
}

TEST(TrayMenu, TipNamesTheVersionThenTheWebAddressWithinTheTipField) {
    const std::string tip = TrayTipText();
    EXPECT_EQ(tip.substr(0, tip.find("\r\n")), "QOR Desktop 1.8");
    EXPECT_EQ(tip.substr(tip.find("\r\n") + 2), kMakerWebAddress);
    EXPECT_LT(tip.size(), 64u); // the shell's tip field, terminator included
}

} // namespace
} // namespace qor
