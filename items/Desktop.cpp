#include "items/Desktop.h"

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "core/Text.h"
#include "dock/DockActions.h"
#include "icons/IconResolve.h"
#include "icons/IconTools.h"
#include "platform/Shell.h"

namespace qor {

namespace {

constexpr const char* kCaption = "QOR Desktop";
constexpr int kDesktopIconsItem = 72;
constexpr int kUserPictureSize = 128;
constexpr int64_t kKilobyte = 1024;
constexpr int64_t kMegabyte = 1024 * 1024;

int32_t LowHalf(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}
int32_t HighHalf(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
}

// `bytes` / `unit` rounded to hundredths (half up), written with as many of the two decimals as
// it needs ("1.5", "2", "1.25"): the patterns "##0.##" and "#,###,##0.##", in the locale's form.
std::string Figure(AppState& app, int64_t bytes, int64_t unit, bool grouping) {
    const int64_t hundredths = (bytes * 100 + unit / 2) / unit;
    const int64_t whole = hundredths / 100;
    const int64_t fraction = hundredths % 100;
    int decimals = 2;
    std::string plain = std::to_string(whole) + "." + (fraction < 10 ? "0" : "") + std::to_string(fraction);
    if (fraction == 0) {
        decimals = 0;
        plain = std::to_string(whole);
    } else if (fraction % 10 == 0) {
        decimals = 1;
        plain.pop_back();
    }
    if (!app.sys.sys)
        return plain;
    return app.sys.sys->FormatLocaleNumber(plain, decimals, grouping);
}

void EmptyAllBins(IShell& shell) {
    shell.EmptyRecycleBin(kEmptyBinNoConfirmation);
    shell.UpdateRecycleBinIcon();
}

} // namespace

void SetDesktopIconsVisible(AppState& app, bool hide) {
    if (!app.sys.shell || !app.sys.shell->ShowDesktopIconView(!hide))
        return;
    app.run.DesktopIconsHidden = hide;
    if (app.store.IsItem(kDesktopIconsItem))
        app.store.Items[kDesktopIconsItem].Title =
            hide ? "Always Show Desktop Icons" : "Always Hide Desktop Icons";
    app.cfg.HideDesktopIcons = hide ? 1 : 0;
}

void SetTaskbarVisible(AppState& app, bool hide) {
    if (!app.sys.shell)
        return;
    if (hide) {
        app.run.TaskbarHidden = app.sys.shell->ShowTaskbar(false);
        return;
    }
    // Restore only what this program hid: a shell may keep its tray window hidden on purpose
    // (Wine's does when the X desktop has its own panel), and showing it would put an empty
    // captioned window on the screen.
    if (!app.run.TaskbarHidden)
        return;
    app.sys.shell->ShowTaskbar(true);
    app.run.TaskbarHidden = false;
}

void SwitchDesktop(AppState& app, IDockActions& dock) {
    // A switch is instant: the dock never fades out here.
    const bool fade = app.dock.FadeOnHide;
    app.dock.FadeOnHide = false;
    if (app.dock.DockHidden) {
        SetDesktopIconsVisible(app, true);
        dock.MinWindows(dockstate::Expanded);
    } else {
        dock.MinWindows(dockstate::Hidden);
        SetDesktopIconsVisible(app, false);
    }
    app.dock.FadeOnHide = fade;
}

bool IsRecycleBinFull(AppState& app) {
    return IsRecycleBinFull(app.sys.shell);
}

void EmptyRecycleBin(AppState& app) {
    if (!app.sys.shell)
        return;
    const auto bin = app.sys.shell->QueryRecycleBin();
    if (!bin || bin->items == 0)
        return;
    if (app.sys.ui && app.sys.ui->ShowMessage(kEmptyBinQuestion, kEmptyBinCaption,
                                              mb::YesNo | mb::IconQuestion | mb::DefButton2) == mb::IdNo)
        return;
    EmptyAllBins(*app.sys.shell);
}

std::string RecycleBinStatusLine(AppState& app, int64_t size, int64_t items) {
    const std::string count = std::to_string(LowHalf(items));
    if (LowHalf(size) < 0 || HighHalf(size) > 0)
        return "Your Recycle Bin consumes over 2GB right now!";
    const int64_t bytes = LowHalf(size);
    if (bytes == 0)
        return "Your Recycle Bin consumes 0 Byte (" + count + (LowHalf(items) > 0 ? " Items" : " Item") +
               ") right now.";
    if (bytes < kKilobyte)
        return "Your Recycle Bin consumes " + std::to_string(bytes) + " Bytes (" + count +
               " Items) right now.";
    if (bytes < kMegabyte)
        return "Your Recycle Bin consumes " + Figure(app, bytes, kKilobyte, false) + "KB (" + count +
               " Items) right now.";
    return "Your Recycle Bin consumes " + Figure(app, bytes, kMegabyte, true) + "MB (" + count +
           " Items) right now.";
}

void ShowRecycleBinStatus(AppState& app) {
    if (!app.sys.shell || !app.sys.ui)
        return;
    const auto bin = app.sys.shell->QueryRecycleBin();
    if (!bin)
        return;
    const std::string line = RecycleBinStatusLine(app, bin->size, bin->items);
    const bool nothingToEmpty =
        LowHalf(bin->size) == 0 && HighHalf(bin->size) <= 0 && LowHalf(bin->items) <= 0;
    if (nothingToEmpty) {
        app.sys.ui->ShowMessage(line, kCaption, mb::Ok | mb::IconInformation | mb::SetForeground);
        return;
    }
    const int answer = app.sys.ui->ShowMessage(line + "\r\n" + kBinStatusQuestion, kBinStatusCaption,
                                               mb::YesNo | mb::IconQuestion | mb::SetForeground);
    if (answer == mb::IdYes)
        EmptyAllBins(*app.sys.shell);
}

void ChangeUserNameAndIcon(AppState& app, IDockActions& dock, IProgramActions& program) {
    if (!app.store.IsItem(kCentreItem))
        return;
    FileDialogRequest request;
    request.title = kUserIconDialogTitle;
    request.filter = kUserIconDialogFilter;
    const std::string picture = app.sys.ui ? CleanString(app.sys.ui->FileDialog(request)) : std::string();
    if (!picture.empty()) {
        DiscardCustomIcon(app, kCentreItem);
        if (app.sys.icons)
            app.sys.icons->ImageFileToPng(picture, app.paths.UserIconFile, true, kUserPictureSize,
                                          kUserPictureSize);
        DockItem& centre = app.store.Items[kCentreItem];
        centre.Kind = kind::User;
        centre.IconPath = app.paths.UserIconFile;
        BuildItemImages(app, kCentreItem);
        dock.Repaint();
        SaveSettings(app);
        // The item file holds the centre item's new kind and picture path: written now, so that
        // the picture survives even when the name question below is never answered.
        SaveMenu(app);
    }
    const std::string current = app.store.Items[kCentreItem].Title.Clean();
    const std::string name = CleanString(program.InputText(kUserNamePrompt, kUserNameCaption, current));
    if (!name.empty()) {
        app.store.Items[kCentreItem].Title = name;
        SaveMenu(app);
    }
    dock.Repaint();
}

} // namespace qor
