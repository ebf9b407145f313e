#include "items/Launch.h"

#include "core/AppState.h"
#include "core/Text.h"
#include "dock/DockActions.h"
#include "items/ShellLinks.h"
#include "platform/Shell.h"

namespace qor {

namespace {

constexpr int kShowNormal = 1;

// RunMode 0, 1, 2 become the shell's show commands 1 normal, 2 minimized, 3 maximized; a
// damaged value opens normally.
int ShowCommandOf(int32_t runMode) {
    return runMode >= 0 && runMode <= 2 ? runMode + 1 : kShowNormal;
}

void ShowMissingTarget(AppState& app, const std::string& path) {
    if (app.sys.ui)
        app.sys.ui->ShowMessage(MissingTargetText(path), kMissingTargetCaption, mb::Ok | mb::IconExclamation);
}

bool Accepted(intptr_t shellResult) {
    return shellResult > kShellExecuteLastError;
}

// A shortcut file: an installer-advertised shortcut opens its installed file as it is; an
// ordinary one opens its target with its own arguments and working directory. The item's show
// command wins over the link's.
bool OpenLink(AppState& app, const std::string& linkPath, int show) {
    IShell& shell = *app.sys.shell;
    std::string file = CleanString(shell.ResolveInstallerShortcut(linkPath));
    std::string arguments, directory;
    if (file.empty()) {
        ShellLinkInfo info;
        ResolveShellLink(app, linkPath, info);
        file = CleanString(info.target);
        arguments = CleanString(info.arguments);
        directory = CleanString(info.workingDirectory);
    }
    if (!PathExists(file, *app.sys.fs)) {
        // The user knows the shortcut, not what it pointed at: name the link file.
        ShowMissingTarget(app, linkPath);
        return false;
    }
    if (directory.empty())
        directory = PathFolder(file);
    return Accepted(shell.Execute({"open", file, arguments, directory, show}));
}

bool OpenItem(AppState& app, DockItem& d) {
    std::string path = d.TargetPath.Clean();
    if (!PathExists(path, *app.sys.fs)) {
        path = d.Target.Clean();
        if (!PathExists(path, *app.sys.fs)) {
            ShowMissingTarget(app, path);
            return false;
        }
    }
    const int show = ShowCommandOf(d.RunMode);
    if (EndsWithNoCase(path, ".LNK"))
        return OpenLink(app, path, show);
    return Accepted(app.sys.shell->Execute({"open", path, d.Arguments.Clean(), PathFolder(path), show}));
}

} // namespace

std::string MissingTargetText(const std::string& path) {
    return "The item '" + path +
           "' that this shortcut refers to has been changed or removed, so this shortcut will no longer "
           "work properly.\r\n\r\n";
}

bool LaunchItem(AppState& app, int item, IDockActions& dock) {
    bool launched = false;
    if (app.store.IsItem(item) && app.sys.fs && app.sys.shell)
        launched = OpenItem(app, app.store.Items[item]);
    dock.EscCancel();
    if (app.cfg.AutoHide == 1)
        dock.MinWindows(dockstate::Hidden);
    return launched;
}

} // namespace qor
