#include "items/Commands.h"

#include <optional>
#include <string>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "dock/DockActions.h"
#include "icons/IconResolve.h"
#include "items/Desktop.h"
#include "platform/Shell.h"

namespace qor {

namespace {

constexpr int kShowNormal = 1;
constexpr int kFirstNamespaceMajor = 6; // Windows Vista: control panel pages by namespace
constexpr unsigned kLogOff = 0;         // EWX_LOGOFF
constexpr unsigned kShutDown = 1;       // EWX_SHUTDOWN
constexpr unsigned kReboot = 2;         // EWX_REBOOT
constexpr unsigned kNoReason = 0xFFFFFFFFu;
constexpr uint32_t kMonitorOffDelayMs = 1000;
constexpr int kDragLockItem = 75;

ShellExecuteCall Explorer(const char* nameSpace) {
    return {"open", "explorer", std::string(nameSpace), std::nullopt, kShowNormal};
}

ShellExecuteCall RunDll(const char* parameters) {
    return {"open", "rundll32.exe", std::string(parameters), std::nullopt, kShowNormal};
}

// The shell request of a command that opens a shell or control-panel page; nothing for the
// other commands. Some pages moved into the shell's namespace with Windows 6.
std::optional<ShellExecuteCall> ShellRequest(const AppState& app, Command command) {
    const bool newer = app.WindowsMajor >= kFirstNamespaceMajor;
    switch (command) {
    case Command::OpenDocuments:
        return ShellExecuteCall{"open", app.paths.ProfileFolder, std::string(), std::nullopt, kShowNormal};
    case Command::MyComputer:
        return Explorer("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    case Command::SystemProperties:
        return newer ? Explorer("::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\::{BB06C0E4-D293-4F75-8A90-"
                                "CB05B6477EEE}")
                     : RunDll("shell32.dll,Control_RunDLL sysdm.cpl");
    case Command::Personalize:
        return RunDll("shell32.dll,Control_RunDLL desk.cpl,,2");
    case Command::ScreenResolution:
        return RunDll("shell32.dll,Control_RunDLL desk.cpl,,3");
    case Command::Uninstall:
        return RunDll("shell32.dll,Control_RunDLL appwiz.cpl");
    case Command::Network:
        return newer ? Explorer("::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}")
                     : RunDll("shell32.dll, Control_RunDLL Ncpa.cpl");
    case Command::InternetOptions:
        return RunDll("shell32.dll, Control_RunDLL Inetcpl.cpl");
    case Command::ControlPanel:
        return newer ? Explorer("::{26EE0668-A00A-44D7-9371-BEB064C98683}")
                     : RunDll("shell32.dll, Control_RunDLL");
    case Command::Workgroup:
        return Explorer("::{208D2C60-3AEA-1069-A2D7-08002B30309D}");
    case Command::Printers:
        return Explorer("::{2227A280-3AEA-1069-A2DE-08002B30309D}");
    case Command::DeviceManager:
        return ShellExecuteCall{"open", "devmgmt.msc", std::string(), std::string(), kShowNormal};
    case Command::Search:
        return ShellExecuteCall{"find", "", std::nullopt, std::nullopt, kShowNormal};
    case Command::NetworkConnections:
        return ShellExecuteCall{"open", "rasphone.exe", std::string(), std::nullopt, kShowNormal};
    case Command::OpenRecycleBin:
        return Explorer("::{645FF040-5081-101B-9F08-00AA002F954E}");
    default:
        return std::nullopt;
    }
}

void RunCommand(AppState& app, Command command, IDockActions& dock, IProgramActions& program) {
    if (const auto request = ShellRequest(app, command)) {
        if (app.sys.shell)
            app.sys.shell->Execute(*request);
        return;
    }
    switch (command) {
    case Command::ChangeUser:
        ChangeUserNameAndIcon(app, dock, program);
        break;
    case Command::Settings:
        program.ShowSettings(false);
        break;
    case Command::About:
        program.ShowAbout();
        break;
    case Command::Minimize:
        dock.MinWindows(dockstate::Minimized);
        break;
    case Command::Hide:
        dock.MinWindows(dockstate::Hidden);
        break;
    case Command::DesktopIcons:
        SetDesktopIconsVisible(app, !app.run.DesktopIconsHidden);
        SaveSettings(app);
        break;
    case Command::SwitchDesktop:
        SwitchDesktop(app, dock);
        break;
    case Command::GetStarted:
        program.ShowGetStarted();
        break;
    case Command::DragLock:
        ToggleDragLock(app);
        break;
    case Command::ShutDown:
    case Command::Restart:
    case Command::LogOff:
        // Without the shutdown privilege the system refuses; nothing is reported.
        if (app.sys.sys)
            app.sys.sys->ExitWindowsEx(command == Command::ShutDown  ? kShutDown
                                       : command == Command::Restart ? kReboot
                                                                     : kLogOff,
                                       kNoReason);
        break;
    case Command::Lock:
        if (app.sys.sys)
            app.sys.sys->LockWorkStation();
        break;
    case Command::MonitorOff:
        // A moment for the user to let go of the mouse, which would wake the monitor again.
        if (app.sys.clock)
            app.sys.clock->Sleep(kMonitorOffDelayMs);
        program.MonitorOff();
        break;
    case Command::Run:
        if (app.sys.shell)
            app.sys.shell->RunFileDialog();
        break;
    case Command::EmptyRecycleBin:
        EmptyRecycleBin(app);
        break;
    case Command::RecycleBinStatus:
        ShowRecycleBinStatus(app);
        break;
    default:
        break;
    }
}

} // namespace

void ToggleDragLock(AppState& app) {
    if (!app.store.IsItem(kDragLockItem))
        return;
    DockItem& d = app.store.Items[kDragLockItem];
    d.Kind = kind::Command;
    d.IsSystem = kTrue;
    d.Param = kDragLockItem;
    d.IconRef = kDragLockItem;
    const bool locked = app.cfg.LockDragging != 0;
    d.Title = locked ? "Lock Dragging" : "Allow Dragging";
    d.IconPath = app.paths.SysIconsFolder + (locked ? "Lock Dragging.png" : "Allow Dragging.png");
    // Any stored non-zero value counts as locked; the toggle always lands on one of the two
    // proper values, so a damaged value cannot keep the lock on for good.
    app.cfg.LockDragging = locked ? kFalse : kTrue;
    BuildItemImages(app, kDragLockItem);
    SaveMenu(app);
    SaveSettings(app);
}

void RunBuiltInCommand(AppState& app, int code, IDockActions& dock, IProgramActions& program) {
    dock.EscCancel();
    const auto command = static_cast<Command>(code);
    if (command == Command::Exit) {
        dock.DockFocus(false);
        program.PumpMessages();
        program.ExitProgram();
        return; // the windows are gone: nothing may follow
    }
    RunCommand(app, command, dock, program);
    dock.EscCancel();
    if (app.cfg.AutoHide == 1)
        dock.MinWindows(dockstate::Hidden);
}

} // namespace qor
