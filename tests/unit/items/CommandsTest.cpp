#include <gtest/gtest.h>

#include <optional>

#include "core/AppState.h"
#include "core/ConfigFormat.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "items/Commands.h"

namespace qor {
namespace {

using test::RecordingDock;
using test::RecordingProgram;
using test::ShellTestApp;

using Calls = std::vector<std::string>;
const std::optional<std::string> kNone;

struct BuiltInCommands : ::testing::Test {
    ShellTestApp t;
    AppState& app = t.app;
    Calls calls;
    RecordingDock dock{calls, &t.app};
    RecordingProgram program{calls};

    BuiltInCommands() { app.WindowsMajor = 6; }
    void Run(int code) { RunBuiltInCommand(app, code, dock, program); }
};

// Every command that opens a shell or control-panel page, on Windows 5 (XP) and 6 and later:
// exactly what ShellExecuteA receives, always with the normal show command.
TEST_F(BuiltInCommands, ShellPagesOpenExactlyAsWritten) {
    struct Row {
        int code;
        int major;
        const char* verb;
        const char* file;
        std::optional<std::string> parameters;
        std::optional<std::string> directory;
    };
    const Row rows[] = {
        {65, 5, "open", "C:\\Users\\user\\", "", kNone},
        {65, 6, "open", "C:\\Users\\user\\", "", kNone},
        {81, 5, "open", "explorer", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", kNone},
        {81, 6, "open", "explorer", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", kNone},
        {82, 5, "open", "rundll32.exe", "shell32.dll,Control_RunDLL sysdm.cpl", kNone},
        {82, 6, "open", "explorer",
         "::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\::{BB06C0E4-D293-4F75-8A90-CB05B6477EEE}", kNone},
        {83, 5, "open", "rundll32.exe", "shell32.dll,Control_RunDLL desk.cpl,,2", kNone},
        {83, 6, "open", "rundll32.exe", "shell32.dll,Control_RunDLL desk.cpl,,2", kNone},
        {84, 5, "open", "rundll32.exe", "shell32.dll,Control_RunDLL desk.cpl,,3", kNone},
        {84, 6, "open", "rundll32.exe", "shell32.dll,Control_RunDLL desk.cpl,,3", kNone},
        {85, 5, "open", "rundll32.exe", "shell32.dll,Control_RunDLL appwiz.cpl", kNone},
        {85, 6, "open", "rundll32.exe", "shell32.dll,Control_RunDLL appwiz.cpl", kNone},
        // The blank after the comma is passed on as it is written.
        {86, 5, "open", "rundll32.exe", "shell32.dll, Control_RunDLL Ncpa.cpl", kNone},
        {86, 6, "open", "explorer", "::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}", kNone},
        {87, 5, "open", "rundll32.exe", "shell32.dll, Control_RunDLL Inetcpl.cpl", kNone},
        {87, 6, "open", "rundll32.exe", "shell32.dll, Control_RunDLL Inetcpl.cpl", kNone},
        {88, 5, "open", "rundll32.exe", "shell32.dll, Control_RunDLL", kNone},
        {88, 6, "open", "explorer", "::{26EE0668-A00A-44D7-9371-BEB064C98683}", kNone},
        {89, 5, "open", "explorer", "::{208D2C60-3AEA-1069-A2D7-08002B30309D}", kNone},
        {89, 6, "open", "explorer", "::{208D2C60-3AEA-1069-A2D7-08002B30309D}", kNone},
        {90, 5, "open", "explorer", "::{2227A280-3AEA-1069-A2DE-08002B30309D}", kNone},
        {90, 6, "open", "explorer", "::{2227A280-3AEA-1069-A2DE-08002B30309D}", kNone},
        {91, 5, "open", "devmgmt.msc", "", ""},
        {91, 6, "open", "devmgmt.msc", "", ""},
        {92, 5, "find", "", kNone, kNone},
        {92, 6, "find", "", kNone, kNone},
        {94, 5, "open", "rasphone.exe", "", kNone},
        {94, 6, "open", "rasphone.exe", "", kNone},
        {102, 5, "open", "explorer", "::{645FF040-5081-101B-9F08-00AA002F954E}", kNone},
        {102, 6, "open", "explorer", "::{645FF040-5081-101B-9F08-00AA002F954E}", kNone},
        {102, 10, "open", "explorer", "::{645FF040-5081-101B-9F08-00AA002F954E}", kNone},
        {88, 10, "open", "explorer", "::{26EE0668-A00A-44D7-9371-BEB064C98683}", kNone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("code " + std::to_string(row.code) + " on Windows " + std::to_string(row.major));
        app.WindowsMajor = row.major;
        t.shell.executes.clear();
        calls.clear();
        Run(row.code);
        ASSERT_EQ(t.shell.executes.size(), 1u);
        const ShellExecuteCall& c = t.shell.executes[0];
        EXPECT_EQ(c.verb, row.verb);
        EXPECT_EQ(c.file, row.file);
        EXPECT_EQ(c.parameters, row.parameters);
        EXPECT_EQ(c.directory, row.directory);
        EXPECT_EQ(c.show, 1);
        EXPECT_EQ(calls, (Calls{"EscCancel", "EscCancel"}));
    }
}

// The commands that act on the program, the dock or the session: what each one asks for, in
// order between the dock's two returns to rest. Nothing is ever opened through the shell.
TEST_F(BuiltInCommands, ProgramDockAndSessionCommands) {
    program.monitorOffNote = [&] { return "at " + std::to_string(t.clock.now); };
    struct Row {
        int code;
        Calls between; // calls between the two EscCancel
        std::vector<std::pair<unsigned, unsigned>> exits;
        int locks;
        int runDialogs;
    };
    const auto start = std::to_string(t.clock.now);
    const auto oneSecondLater = std::to_string(t.clock.now + 1000);
    const Row rows[] = {
        {67, {"ShowSettings"}, {}, 0, 0},
        {68, {"ShowAbout"}, {}, 0, 0},
        {69, {"MinWindows 1"}, {}, 0, 0},
        {70, {"MinWindows 2"}, {}, 0, 0},
        {74, {"ShowGetStarted"}, {}, 0, 0},
        {76, {}, {{1u, 0xFFFFFFFFu}}, 0, 0},
        {77, {}, {{2u, 0xFFFFFFFFu}}, 0, 0},
        {78, {}, {{0u, 0xFFFFFFFFu}}, 0, 0},
        {79, {}, {}, 1, 0},
        {80, {"MonitorOff at " + oneSecondLater}, {}, 0, 0},
        {93, {}, {}, 0, 1},
        {95, {}, {}, 0, 0},
        {97, {}, {}, 0, 0},
        {100, {}, {}, 0, 0},
        {64, {}, {}, 0, 0},
        {104, {}, {}, 0, 0},
        {-1, {}, {}, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("code " + std::to_string(row.code));
        calls.clear();
        t.sys.exitRequests.clear();
        t.sys.locks = 0;
        t.shell.runDialogs = 0;
        t.clock.now = std::stoull(start);
        app.dock.State = dockstate::Expanded;
        Run(row.code);
        Calls expected{"EscCancel"};
        expected.insert(expected.end(), row.between.begin(), row.between.end());
        expected.push_back("EscCancel");
        EXPECT_EQ(calls, expected);
        EXPECT_EQ(t.sys.exitRequests, row.exits);
        EXPECT_EQ(t.sys.locks, row.locks);
        EXPECT_EQ(t.shell.runDialogs, row.runDialogs);
        EXPECT_TRUE(t.shell.executes.empty());
    }
}

TEST_F(BuiltInCommands, AutoHideAfterLaunchHidesAfterEveryCommand) {
    app.cfg.AutoHide = 1;
    Run(97); // no action: the dock only returns to rest, then hides
    EXPECT_EQ(calls, (Calls{"EscCancel", "EscCancel", "MinWindows 2"}));
    calls.clear();
    Run(69); // minimized, then hidden right after
    EXPECT_EQ(calls, (Calls{"EscCancel", "MinWindows 1", "EscCancel", "MinWindows 2"}));
    EXPECT_EQ(app.dock.State, dockstate::Hidden);
    calls.clear();
    Run(70);
    EXPECT_EQ(calls, (Calls{"EscCancel", "MinWindows 2", "EscCancel", "MinWindows 2"}));
}

TEST_F(BuiltInCommands, ExitIsTheLastThingThatHappens) {
    app.cfg.AutoHide = 1;
    Run(71);
    EXPECT_EQ(calls, (Calls{"EscCancel", "DockFocus 0", "PumpMessages", "ExitProgram"}));
}

TEST_F(BuiltInCommands, DragLockToggleTwiceRestoresEverythingAndWritesBothFiles) {
    const std::string sys = "C:\\Program Files\\QOR Desktop\\SysIcons\\";
    app.cfg.LockDragging = kFalse;
    app.store.Items[75].Title = "Lock Dragging";
    app.store.Items[75].IconPath = sys + "Lock Dragging.png";
    const std::string settings = app.paths.SettingsFile, menu = app.paths.MenuFile;
    t.fs.AddFile(sys + "Allow Dragging.png", "png");
    t.fs.AddFile(sys + "Lock Dragging.png", "png");

    struct Step {
        int16_t lock;
        const char* title;
        const char* icon;
    };
    const Step steps[] = {{kTrue, "Allow Dragging", "Allow Dragging.png"},
                          {kFalse, "Lock Dragging", "Lock Dragging.png"}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.title);
        t.fs.files.erase(settings);
        t.fs.files.erase(menu);
        calls.clear();
        Run(75);
        EXPECT_EQ(calls, (Calls{"EscCancel", "EscCancel"}));
        const DockItem& d = app.store.Items[75];
        EXPECT_EQ(app.cfg.LockDragging, step.lock);
        EXPECT_EQ(d.Title.Peek(), step.title);
        EXPECT_EQ(d.IconPath.Peek(), sys + step.icon);
        EXPECT_EQ(d.Kind, kind::Command);
        EXPECT_EQ(d.IsSystem, kTrue);
        EXPECT_EQ(d.Param, 75);
        EXPECT_EQ(d.IconRef, 75);
        // Both files hold the new state.
        ASSERT_TRUE(t.fs.Has(settings));
        ASSERT_TRUE(t.fs.Has(menu));
        const auto stored = ParseSettings(t.fs.files[settings]);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->LockDragging, step.lock);
        const auto storedMenu = ParseMenu(t.fs.files[menu]);
        ASSERT_TRUE(storedMenu.has_value());
        EXPECT_EQ(storedMenu->items[75].Title.Peek(), step.title);
        // The pop-up's picture was rebuilt from the new icon file.
        ASSERT_TRUE(t.images.entries.count({75, 4}));
        EXPECT_EQ(t.images.entries.at({75, 4}).source, sys + step.icon);
    }
}

TEST_F(BuiltInCommands, DragLockReleasesADamagedLockValue) {
    app.cfg.LockDragging = 1; // only -1 is written, but any non-zero value locks
    Run(75);
    EXPECT_EQ(app.cfg.LockDragging, kFalse);
    EXPECT_EQ(app.store.Items[75].Title.Peek(), "Lock Dragging");
}

TEST_F(BuiltInCommands, DesktopIconsCommandFlipsTheIconsAndSavesTheSettings) {
    app.store.Items[72].Title = "Always Hide Desktop Icons";
    Run(72);
    EXPECT_EQ(t.shell.iconViewVisible, std::optional<bool>(false));
    EXPECT_TRUE(app.run.DesktopIconsHidden);
    EXPECT_EQ(app.store.Items[72].Title.Peek(), "Always Show Desktop Icons");
    const auto stored = ParseSettings(t.fs.files[app.paths.SettingsFile]);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->HideDesktopIcons, 1);
    Run(72);
    EXPECT_EQ(t.shell.iconViewVisible, std::optional<bool>(true));
    EXPECT_EQ(app.store.Items[72].Title.Peek(), "Always Hide Desktop Icons");
    EXPECT_EQ(ParseSettings(t.fs.files[app.paths.SettingsFile])->HideDesktopIcons, 0);

    // Without a desktop shell nothing changes.
    t.shell.iconViewVisible.reset();
    Run(72);
    EXPECT_FALSE(app.run.DesktopIconsHidden);
    EXPECT_EQ(app.store.Items[72].Title.Peek(), "Always Hide Desktop Icons");
}

} // namespace
} // namespace qor
