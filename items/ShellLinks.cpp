#include "items/ShellLinks.h"

#include "core/AppState.h"
#include "core/Registry.h"
#include "core/Text.h"
#include "icons/IconResolve.h"

namespace qor {

namespace {

// The normalised existence test (quotes, doubled backslashes and environment references
// handled). `path` receives the cleaned text, or the normalised text when only that exists: a
// path that exists as written is never rewritten.
bool ExistsNormalised(AppState& app, std::string& path) {
    if (!app.sys.fs)
        return false;
    if (PathExists(path, *app.sys.fs))
        return true;
    if (!app.sys.sys)
        return false;
    std::string normalised = path;
    if (!PathExists(normalised, true, *app.sys.sys, *app.sys.fs, app.paths))
        return false;
    path = normalised;
    return true;
}

// A location that only exists once normalised (an icon location written with %SystemRoot%, say)
// is handed back in its normalised form so that later plain existence tests see the file.
void PreferExistingForm(AppState& app, std::string& path) {
    std::string candidate = path;
    if (ExistsNormalised(app, candidate))
        path = candidate;
}

bool HasTargetOrIcon(const ShellLinkInfo& info) {
    return !CleanString(info.target).empty() || !CleanString(info.iconFile).empty();
}

bool TargetOrIconExists(AppState& app, ShellLinkInfo& info) {
    PreferExistingForm(app, info.target);
    PreferExistingForm(app, info.iconFile);
    std::string target = info.target, icon = info.iconFile;
    return ExistsNormalised(app, target) || ExistsNormalised(app, icon);
}

void CopyLinkInfo(const ShellLinkInfo& info, LinkResult& r) {
    r.target = info.target;
    r.arguments = info.arguments;
    r.iconFile = info.iconFile;
    r.iconIndex = info.iconIndex;
    r.workingDirectory = info.workingDirectory;
    r.windowStyle = info.windowStyle;
}

} // namespace

int ResolveShellLink(AppState& app, const std::string& linkPath, ShellLinkInfo& out) {
    out = ShellLinkInfo{};
    IShell* shell = app.sys.shell;
    if (!shell)
        return 0;
    if (auto first = shell->ReadShellLink(linkPath, LinkWay::ShellLink)) {
        out = *first;
        if (TargetOrIconExists(app, out))
            return 1;
    }
    // The scripting host reads some links the shell's object cannot (and the other way round).
    // An object that read nothing at all (Wine's scripting host hands back a blank shortcut
    // instead of loading the file) does not wipe out what the first way found.
    auto second = shell->ReadShellLink(linkPath, LinkWay::ScriptHost);
    if (second && (HasTargetOrIcon(*second) || !HasTargetOrIcon(out)))
        out = *second;
    return TargetOrIconExists(app, out) ? 1 : 0;
}

LinkResult FillLinkResult(AppState& app, const std::string& path) {
    LinkResult r;
    std::string p = path;
    if (ExistsNormalised(app, p)) {
        std::string installed = app.sys.shell ? CleanString(app.sys.shell->ResolveInstallerShortcut(p)) : "";
        if (!installed.empty() && app.sys.fs && PathExists(installed, *app.sys.fs)) {
            r.target = installed;
            r.iconFile = installed;
        } else {
            ShellLinkInfo info;
            ResolveShellLink(app, p, info);
            CopyLinkInfo(info, r);
        }
        // A link to a link is followed one level.
        const std::string target = CleanString(r.target);
        if (EndsWithNoCase(target, ".LNK")) {
            ShellLinkInfo info;
            ResolveShellLink(app, target, info);
            CopyLinkInfo(info, r);
        }
    }
    r.source = path;
    return r;
}

std::string PathDisplayName(const std::string& path, bool keepExtension) {
    std::string name = FileNameOf(path);
    if (!keepExtension && (EndsWithNoCase(name, ".LNK") || EndsWithNoCase(name, ".EXE")))
        name.resize(name.size() - 4);
    return name;
}

std::string PathFolder(const std::string& path) {
    return FolderOf(path);
}

void FillFromFolder(AppState& app, int slot, const std::string& folder, const std::string& pattern,
                    int mode) {
    if (!app.sys.fs || CleanString(folder).empty())
        return;
    for (const FindEntry& e : app.sys.fs->Find(folder + pattern)) {
        if (e.attributes & kAttrHidden)
            continue;
        if (mode == 0) {
            if (e.name == "." || e.name == "..")
                continue;
            AddPathToItem(app, folder + e.name, slot);
        } else if (mode == 1) {
            if (e.attributes & kAttrArchive)
                AddPathToItem(app, folder + e.name, slot);
        }
    }
}

void FillDrivesAndFolders(AppState& app, int slot) {
    const Paths& p = app.paths;
    if (app.WindowsMajor >= 6 && !p.WindowsFolder.empty())
        AddPathToItem(app, p.WindowsFolder + "Explorer.exe", slot);
    for (const std::string* folder :
         {&p.DocumentsFolder, &p.PicturesFolder, &p.MusicFolder, &p.VideosFolder, &p.FavoritesFolder,
          &p.ProgramFilesFolder, &p.WindowsFolder, &p.SystemFolder})
        if (!folder->empty())
            AddPathToItem(app, *folder, slot);
    if (!app.sys.shell)
        return;
    for (const std::string& root : app.sys.shell->LogicalDrives()) {
        AddPathToItem(app, root, slot);
        app.sys.shell->PumpMessages();
    }
}

void FillOfficeApplications(AppState& app, int slot) {
    if (!app.sys.reg)
        return;
    IRegistry& reg = *app.sys.reg;
    for (const char* id : {"Word.Application", "Excel.Application", "Access.Application",
                           "PowerPoint.Application", "FrontPage.Application"}) {
        const std::string clsid =
            ReadRegistryText(reg, std::string("HKEY_CLASSES_ROOT\\") + id + "\\CLSID", "");
        if (clsid.empty())
            continue;
        const std::string server =
            ReadRegistryText(reg, "HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\LocalServer32", "");
        // Switches such as "/automation" follow the program; cut after the last ".EXE".
        const std::size_t exe = ToUpperAscii(server).rfind(".EXE");
        std::string program = exe == std::string::npos ? server : TrimBlanks(server.substr(0, exe + 4));
        if (ExistsNormalised(app, program))
            AddPathToItem(app, program, slot);
    }
}

} // namespace qor
