#include "icons/IconResolve.h"

#include <algorithm>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "core/Text.h"
#include "dock/ImageCache.h"
#include "icons/Associations.h"
#include "icons/IconTools.h"
#include "items/ShellLinks.h"
#include "platform/Shell.h"

namespace qor {

namespace {

// NextCacheFileName gives up after this many taken numbers (a cache folder never holds that many).
constexpr int kMaxCacheNumber = 1000000;

std::string SysIcon(const AppState& app, const char* name) {
    return app.paths.SysIconsFolder + name;
}

bool Exists(AppState& app, std::string path) {
    return app.sys.fs && PathExists(path, *app.sys.fs);
}

// The environment-expanding existence test; `path` receives the cleaned text, or the expanded
// text when only that exists. A path that exists as written is never rewritten.
bool ExistsExpanded(AppState& app, std::string& path) {
    path = CleanString(path);
    if (Exists(app, path))
        return true;
    if (!app.sys.fs || !app.sys.sys)
        return false;
    std::string expanded = path;
    if (!PathExists(expanded, true, *app.sys.sys, *app.sys.fs, app.paths))
        return false;
    path = expanded;
    return true;
}

bool IsFolder(AppState& app, const std::string& path) {
    if (!app.sys.fs || path.empty())
        return false;
    const uint32_t a = app.sys.fs->GetAttributes(path);
    return static_cast<int32_t>(a) > 0 && (a & kAttrDirectory) != 0;
}

// The extension of the file name part, dot included ("" when the name has no dot).
std::string ExtensionOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

// Only pictures the program made itself are ever deleted: direct children of the icon cache
// folder. A damaged or hostile item file naming any other file cannot make us delete it.
bool IsOwnedPicture(const AppState& app, const std::string& path) {
    const std::string& folder = app.paths.IconCacheFolder;
    if (folder.empty() || path.size() <= folder.size())
        return false;
    if (ToUpperAscii(path.substr(0, folder.size())) != ToUpperAscii(folder))
        return false;
    const std::string rest = path.substr(folder.size());
    return rest.find_first_of("\\/:") == std::string::npos && rest != "." && rest != "..";
}

// The cached level an item is drawn from at rest: 4 for pop-up rows (32 x 32), 1 for the ring
// (the rest size, with the picture at its own size as level 0 for the enlarged and centre views);
// 0 for kinds that get no rendering or level 0 alone.
int RestLevelOf(int32_t kind) {
    switch (kind) {
    case 3:
    case 7:
    case 8:
    case 13:
    case kind::User:
    case 14:
        return 0;
    case kind::Member:
    case kind::Command:
        return 4;
    default:
        return 1;
    }
}

// Deletes a picture the program made, and its pre-scaled copies with it.
void DeleteOwnedPicture(AppState& app, const std::string& path) {
    if (app.sys.fs && IsOwnedPicture(app, path))
        DeletePictureAndCopies(*app.sys.fs, app.paths, path);
}

// A picture step counts as done only when its file is really there afterwards; otherwise the
// item would name a cache number that the next item is then given too.
bool Produced(AppState& app, bool ok, const std::string& png) {
    return ok && Exists(app, png);
}

bool ConvertIcon(AppState& app, const std::string& iconFile, const std::string& png) {
    return app.sys.icons && Produced(app, app.sys.icons->ConvertIconFile(iconFile, png) != 0, png);
}

bool ShellIcon(AppState& app, const std::string& file, const std::string& png) {
    std::string f = CleanString(file);
    return app.sys.icons && Exists(app, f) && Produced(app, app.sys.icons->ExtractShellIcon(f, png), png);
}

bool ResourceIcon(AppState& app, const std::string& file, int index, const std::string& png) {
    return app.sys.icons && Produced(app, app.sys.icons->ExtractResourceIcon(file, index, png) != 0, png);
}

struct DriveRow {
    int type;
    const char* title; // followed by " (X:)"
    const char* icon;
};

// Rows of the drive table by GetDriveType; removable drives A and B and the Windows drive have
// their own pictures (see ChooseDrive).
constexpr DriveRow kDriveRows[] = {
    {drive::Removable, "Removable Disk ", "RemDrive.png"}, {drive::Fixed, "Local Disk ", "FixedDrive.png"},
    {drive::Remote, "Remote Disk ", "RemoteDrive.png"},    {drive::CdRom, "DVD/CD - Drive ", "DVDDrive.png"},
    {drive::RamDisk, "RAM Disk ", "RamDrive.png"},
};

// Title and picture of a drive root F ("C:\", upper case). False for type 1 (no root directory),
// which matches no row: the title and picture are then left as they are.
bool ChooseDrive(AppState& app, const std::string& root, std::string& title, std::string& icon) {
    const int type = app.sys.shell ? app.sys.shell->DriveType(root) : drive::Unknown;
    const std::string letter = std::string("(").append(root, 0, 2).append(")");
    if (type == drive::NoRootDir)
        return false;
    if (type == drive::Removable && (root == "A:\\" || root == "B:\\")) {
        title = "Floppy Disk " + letter;
        icon = "FloppyDrive.png";
        return true;
    }
    if (type == drive::Fixed && root == ToUpperAscii(app.paths.WindowsFolder.substr(0, 3))) {
        title = "Local Disk " + letter;
        icon = "WinDrive.png";
        return true;
    }
    for (const DriveRow& row : kDriveRows)
        if (row.type == type) {
            title = row.title + letter;
            icon = row.icon;
            return true;
        }
    title = "Unknown Drive " + letter;
    icon = "UnknownDrive.png";
    return true;
}

struct SpecialFolderRow {
    std::string Paths::*folder;
    const char* title; // null: the user's name
    const char* icon;
};

// First equal folder wins, in this order.
const SpecialFolderRow kSpecialFolderRows[] = {
    {&Paths::ProfileFolder, nullptr, "UserFolder.png"},
    {&Paths::DocumentsFolder, "My Documents", "DocFolder.png"},
    {&Paths::PicturesFolder, "My Pictures", "PicFolder.png"},
    {&Paths::MusicFolder, "My Music", "MusicFolder.png"},
    {&Paths::VideosFolder, "My Videos", "VideoFolder.png"},
    {&Paths::FavoritesFolder, "My Favorites", "FavFolder.png"},
    {&Paths::WindowsFolder, "Windows Directory", "Directory.png"},
    {&Paths::ProgramFilesFolder, "Program Files Directory", "Directory.png"},
    {&Paths::SystemFolder, "System Directory", "Directory.png"},
};

// A folder's caption: the file name of the given path, extension and all (a folder's name may
// hold dots, and a shortcut to a folder keeps its ".lnk"). Trailing backslashes are dropped
// first, so "C:\\Work\\Projects\\" is named "Projects" rather than nothing.
std::string FolderTitle(const std::string& givenPath) {
    std::string p = givenPath;
    while (p.size() > 1 && p.back() == '\\')
        p.pop_back();
    return PathDisplayName(p, true);
}

void ChooseFolder(AppState& app, const std::string& upperPath, const std::string& givenPath, int it) {
    DockItem& item = app.store.Items[it];
    const std::string f = WithBackslash(upperPath);
    if (f.size() == 3) {
        std::string title, icon;
        if (ChooseDrive(app, f, title, icon)) {
            item.Title = title;
            item.IconPath = SysIcon(app, icon.c_str());
        }
        item.IconRef = it;
        return;
    }
    for (const SpecialFolderRow& row : kSpecialFolderRows) {
        const std::string& folder = app.paths.*row.folder;
        if (!folder.empty() && f == ToUpperAscii(WithBackslash(folder))) {
            item.Title = row.title
                             ? std::string(row.title)
                             : (app.sys.sys ? CleanString(app.sys.sys->GetLogonUserName()) : std::string());
            item.IconPath = SysIcon(app, row.icon);
            item.IconRef = it;
            return;
        }
    }
    item.Title = FolderTitle(givenPath);
    item.IconPath = SysIcon(app, "Folder.png");
    item.IconRef = it;
}

bool IsProgramExtension(const std::string& ext) {
    return ext == ".EXE" || ext == ".SCR" || ext == ".MSI";
}

// The link step shared by adding and refreshing: resolves a ".LNK" path; a link that points at
// neither a program nor carries an icon file of its own is treated as its target. `upper` and
// `ext` may change to the target's.
void ResolveLinkStep(AppState& app, const std::string& path, std::string& upper, std::string& ext,
                     LinkResult& link, bool& linkResolved) {
    if (ext != ".LNK")
        return;
    link = FillLinkResult(app, path);
    linkResolved = true;
    const std::string target = ToUpperAscii(CleanString(link.target));
    std::string iconFile = CleanString(link.iconFile);
    if (EndsWith(target, ".EXE") || EndsWith(target, ".SCR") || Exists(app, iconFile))
        return;
    upper = target;
    ext = ExtensionOf(target);
}

// The icon of a shortcut into `png`; false when neither its icon file nor its target gave one.
bool ShortcutIcon(AppState& app, const LinkResult& link, const std::string& png) {
    const std::string iconFile = CleanString(link.iconFile);
    if (EndsWithNoCase(iconFile, ".ICO"))
        return ConvertIcon(app, iconFile, png);
    return ExtractLinkIcon(app, link, png);
}

// The icon of a program: its own first icon group (".EXE", ".SCR") or the shell's (".MSI").
bool ProgramIcon(AppState& app, const std::string& path, const std::string& ext, const std::string& png) {
    if (ext == ".MSI")
        return ShellIcon(app, path, png);
    LinkResult self;
    self.iconFile = path;
    self.iconIndex = 0;
    return ExtractLinkIcon(app, self, png);
}

void ResolveCommon(AppState& app, const std::string& path, int it) {
    std::string upper = ToUpperAscii(path);
    std::string ext = ToUpperAscii(ExtensionOf(path));
    LinkResult link;
    bool linkResolved = false;
    ResolveLinkStep(app, path, upper, ext, link, linkResolved);

    DockItem& item = app.store.Items[it];
    if (ext == ".LNK" || ext == ".URL") {
        if (ext == ".URL") {
            link = FillLinkResult(app, path);
            linkResolved = true;
        }
        item.Title = PathDisplayName(path, false); // "Editor.lnk" is "Editor", "Site.url" stays whole
        item.IconRef = it;
        item.Category = 0;
        const std::string png = NextCacheFileName(app);
        item.IconPath = ShortcutIcon(app, link, png) ? png : SysIcon(app, "Problem.png");
    } else if (IsProgramExtension(ext)) {
        const std::string description =
            app.sys.icons ? CleanString(app.sys.icons->GetVersionString(upper, 6)) : std::string();
        item.Title = description.empty() ? PathDisplayName(path, false) : description;
        item.IconRef = it;
        item.Category = 1;
        link = LinkResult{}; // a program stands for itself: no link target or arguments
        const std::string png = NextCacheFileName(app);
        item.IconPath = ProgramIcon(app, path, ext, png) ? png : SysIcon(app, "Problem.png");
    } else if (IsFolder(app, upper)) {
        ChooseFolder(app, upper, path, it);
    } else {
        IconLocation location = ext.empty() ? IconLocation{} : FindDefaultIcon(app, ext);
        item.Category = 2;
        item.Title = PathDisplayName(path, false);
        item.IconRef = it;
        const std::string png = NextCacheFileName(app);
        bool ok = false;
        if (!location.file.empty() && ExistsExpanded(app, location.file)) {
            if (EndsWithNoCase(location.file, ".ICO"))
                ok = ConvertIcon(app, location.file, png);
            else
                ok = ResourceIcon(app, location.file, location.index, png);
        }
        item.IconPath = ok ? png : SysIcon(app, "File.png");
    }

    item.Target = path;
    const std::string linkTarget = CleanString(link.target);
    item.TargetPath = linkResolved && !linkTarget.empty() ? linkTarget : path;
    item.Arguments = linkResolved ? CleanString(link.arguments) : std::string();
    BuildItemImages(app, it);
}

} // namespace

const DockItem& BlankItem() {
    return kBlankItem;
}

bool ExtractLinkIcon(AppState& app, const LinkResult& link, const std::string& pngPath) {
    if (!app.sys.icons)
        return false;
    std::string iconFile = CleanString(link.iconFile);
    if (Exists(app, iconFile) && ResourceIcon(app, iconFile, link.iconIndex, pngPath))
        return true;
    std::string target = CleanString(link.target);
    return Exists(app, target) && ResourceIcon(app, target, link.iconIndex, pngPath);
}

std::string NextCacheFileName(AppState& app) {
    const std::string& folder = app.paths.IconCacheFolder;
    std::string candidate;
    for (int n = 0; n < kMaxCacheNumber; ++n) {
        candidate = folder + std::to_string(n) + ".png";
        if (!Exists(app, candidate))
            return candidate;
    }
    return candidate;
}

void AddPathToItem(AppState& app, const std::string& path, int slot) {
    Store& store = app.store;
    if (!store.IsItem(slot) || slot > kLastRingSlot)
        return;
    std::string p = CleanString(path);
    if (!ExistsExpanded(app, p))
        return;

    int it = slot;
    switch (store.Items[slot].Kind) {
    case kind::Shortcut: {
        IUi* ui = app.sys.ui;
        const int answer =
            ui ? ui->ShowMessage(kReplaceShortcutText, kReplaceShortcutCaption,
                                 mb::YesNo | mb::IconExclamation | mb::DefButton2 | mb::SetForeground)
               : mb::IdNo;
        if (answer != mb::IdYes)
            return;
        DiscardItem(app, slot);
        store.Items[slot].Kind = kind::Shortcut;
        break;
    }
    case kind::Blank:
        DiscardItem(app, slot);
        store.Items[slot].Kind = kind::Shortcut;
        break;
    case kind::Group:
    case kind::AllPrograms:
        it = NewGroupMember(app, slot, p);
        if (it < 0)
            return;
        break;
    default:
        return; // other kinds take no paths
    }
    ResolveCommon(app, p, it);
}

int NewGroupMember(AppState& app, int slot, const std::string& path) {
    Store& store = app.store;
    if (!store.IsGroup(slot) || !store.IsItem(slot))
        return -1;
    const int32_t k = store.Items[slot].Kind;
    if (k != kind::Group && k != kind::AllPrograms)
        return -1;
    const std::string p = CleanString(path);
    if (!IsNewGroupMember(app, slot, p))
        return -1;
    // A full group has no room left in Members, and members above 1024 could not be stored in
    // the menu file: such a member is refused rather than shown now and lost at the next start.
    if (!GroupHasRoom(store, slot)) {
        if (app.sys.trace && app.sys.trace->Enabled())
            app.sys.trace->Line("NewGroupMember: group " + std::to_string(slot) + " has no room, " + p +
                                " not added");
        return -1;
    }
    // GroupHasRoom saw a free pool item up to 1024, and the search starts at the pool's first.
    const int it = FindFreeItem(app, 0);
    DockGroup& group = store.Groups[slot];
    store.Items[it] = BlankItem();
    store.Items[it].Kind = kind::Member;
    ++group.Count;
    group.Members[group.Count] = it;
    UpdateGroupTitle(app, slot);
    return it;
}

void RepointItem(AppState& app, const std::string& path, int item) {
    if (!app.store.IsItem(item))
        return;
    std::string p = CleanString(path);
    if (!ExistsExpanded(app, p))
        return;
    DiscardItem(app, item);
    app.store.Items[item].Kind = item > kLastRingSlot ? kind::Member : kind::Shortcut;
    ResolveCommon(app, p, item);
}

bool RefreshItemIcon(AppState& app, int item) {
    if (!app.store.IsItem(item))
        return false;
    DockItem& d = app.store.Items[item];
    // The old generated picture is replaced; its number becomes free again.
    DeleteOwnedPicture(app, d.IconPath.Clean());
    std::string target = d.Target.Clean();
    if (!Exists(app, target)) {
        d.IconPath = SysIcon(app, "Problem.png");
        return false;
    }

    std::string upper = ToUpperAscii(target);
    std::string ext = ToUpperAscii(ExtensionOf(target));
    LinkResult link;
    bool linkResolved = false;
    ResolveLinkStep(app, target, upper, ext, link, linkResolved);

    if (ext == ".LNK" || ext == ".URL") {
        if (ext == ".URL")
            link = FillLinkResult(app, target);
        const std::string png = NextCacheFileName(app);
        d.IconPath = ShortcutIcon(app, link, png) ? png : SysIcon(app, "Problem.png");
    } else if (IsProgramExtension(ext)) {
        const std::string png = NextCacheFileName(app);
        d.IconPath = ProgramIcon(app, target, ext, png) ? png : SysIcon(app, "Problem.png");
    } else if (IsFolder(app, upper)) {
        d.IconPath = SysIcon(app, "Folder.png");
    } else {
        IconLocation location = ext.empty() ? IconLocation{} : FindDefaultIcon(app, ext);
        const std::string png = NextCacheFileName(app);
        bool ok = false;
        if (!location.file.empty() && ExistsExpanded(app, location.file)) {
            if (EndsWithNoCase(location.file, ".ICO"))
                ok = app.sys.icons &&
                     Produced(app, app.sys.icons->ImageFileToPng(location.file, png, false, 0, 0) != 0, png);
            else
                ok = ResourceIcon(app, location.file, location.index, png);
        } else {
            ok = ShellIcon(app, target, png);
        }
        if (ok) {
            d.IconPath = png;
        } else {
            d.Title = PathDisplayName(target, false);
            d.IconRef = item;
            d.IconPath = SysIcon(app, "File.png");
        }
    }
    return true;
}

int ClearItem(AppState& app, int item, bool silent) {
    Store& store = app.store;
    if (!store.IsItem(item))
        return 1;
    const auto ask = [&](const char* caption) {
        if (silent)
            return true;
        IUi* ui = app.sys.ui;
        return ui && ui->ShowMessage(kDeleteGroupText, caption,
                                     mb::YesNo | mb::IconQuestion | mb::DefButton2 | mb::SetForeground) ==
                         mb::IdYes;
    };
    const auto makeBlank = [&] {
        DockItem& d = store.Items[item];
        d.Title = "Blank Shortcut";
        d.Kind = kind::Blank;
        d.IconPath = SysIcon(app, "Shortcut.png");
        d.IconRef = item;
        BuildItemImages(app, item);
    };

    switch (store.Items[item].Kind) {
    case kind::Shortcut:
        DiscardItem(app, item);
        makeBlank();
        return 1;
    case kind::Group: {
        if (!ask(kDeleteGroupCaption))
            return 0;
        // The group's own item first (its pictures go too), then every member.
        DiscardItem(app, item);
        if (store.IsGroup(item)) {
            DockGroup& group = store.Groups[item];
            const int count = std::clamp(group.Count, 0, static_cast<int>(group.Members.size()) - 1);
            for (int j = 1; j <= count; ++j)
                if (group.Members[j] >= kFirstPoolItem && store.IsItem(group.Members[j]))
                    DiscardItem(app, group.Members[j]);
            group.Count = 0;
        }
        makeBlank();
        return 1;
    }
    case kind::Member:
        RemoveFromGroup(app, item);
        return 1;
    case kind::AllPrograms: {
        if (!ask(kDeleteAllProgramsCaption))
            return 0;
        if (store.IsGroup(item)) {
            DockGroup& group = store.Groups[item];
            const int count = std::clamp(group.Count, 0, static_cast<int>(group.Members.size()) - 1);
            for (int j = 1; j <= count; ++j)
                if (group.Members[j] >= kFirstPoolItem && store.IsItem(group.Members[j]))
                    DiscardItem(app, group.Members[j]);
            group.Count = 0;
        }
        store.Items[item].Target = "";
        UpdateGroupTitle(app, item);
        return 1;
    }
    default:
        return 1;
    }
}

void RemoveFromGroup(AppState& app, int item) {
    Store& store = app.store;
    for (int slot = kFirstUserGroup; slot <= kLastRingSlot && store.IsGroup(slot); ++slot) {
        DockGroup& group = store.Groups[slot];
        const int count = std::clamp(group.Count, 0, static_cast<int>(group.Members.size()) - 1);
        for (int j = 1; j <= count; ++j) {
            if (group.Members[j] != item)
                continue;
            DiscardItem(app, item);
            for (int k = j; k < count; ++k)
                group.Members[k] = group.Members[k + 1];
            group.Members[count] = 0;
            group.Count = count - 1;
            UpdateGroupTitle(app, slot);
            return;
        }
    }
}

void UpdateGroupTitle(AppState& app, int slot) {
    Store& store = app.store;
    if (!store.IsGroup(slot) || !store.IsItem(slot))
        return;
    DockItem& d = store.Items[slot];
    std::string title = d.Title.Clean();
    if (EndsWith(title, " (Full)"))
        title.resize(title.size() - 7);
    else if (EndsWith(title, " (Empty)"))
        title.resize(title.size() - 8);
    const int count = store.Groups[slot].Count;
    // Full means full for this group: 36 members, or 1024 for the All Programs group.
    if (count > 0 && count >= GroupCapacity(slot))
        d.Title = title + " (Full)";
    else if (count > 0)
        d.Title = title;
    else
        d.Title = title + " (Empty)";
}

bool IsNewGroupMember(AppState& app, int slot, const std::string& path) {
    Store& store = app.store;
    if (!store.IsGroup(slot))
        return false;
    const DockGroup& group = store.Groups[slot];
    if (group.Count <= 0)
        return true;
    const std::string wanted = CleanString(path);
    const int count = std::min(group.Count, static_cast<int>(group.Members.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        const int m = group.Members[j];
        if (store.IsItem(m) && store.Items[m].Target.Peek() == wanted)
            return false;
    }
    return true;
}

int FindFreeItem(AppState& app, int mode) {
    Store& store = app.store;
    if (mode == 0) {
        for (int i = kFirstPoolItem; i <= store.LastItem(); ++i)
            if (store.Items[i].Kind == kind::Free)
                return i;
        store.Items.emplace_back();
        return store.LastItem();
    }
    const int last = std::min(app.run.IconCount, kLastRingSlot);
    for (int slot = 4; slot <= last && store.IsItem(slot); ++slot)
        if (store.Items[slot].Kind == kind::Free || store.Items[slot].Kind == kind::Blank)
            return slot;
    if (store.IsGroup(kAllProgramsGroup) && store.Groups[kAllProgramsGroup].Count <= kAllProgramsCapacity - 1)
        return kAllProgramsGroup;
    return 0;
}

void BuildItemImages(AppState& app, int item, int width, int height) {
    Store& store = app.store;
    if (!store.IsItem(item))
        return;
    DockItem& d = store.Items[item];
    if (d.Kind == kind::Free)
        return;
    // Before the image cache exists (the catalogue is built at start-up ahead of the dock
    // window) there is nothing to build: the item keeps its own IconRef, and its images are
    // made when the cache is filled. Judging the picture unloadable now would store a template
    // index for an item whose picture is fine.
    IImageCache* images = app.sys.images;
    if (!images)
        return;
    std::string large = d.LargeIconPath.Clean();
    std::string icon = d.IconPath.Clean();
    std::string target = d.Target.Clean();

    // A picture file of a kind drawn at rest goes to the image cache in one step, which may take
    // the rest level from the file's pre-scaled copy instead of decoding the whole picture.
    const int restLevel = RestLevelOf(d.Kind);
    const int side = app.geo.SizeLevels[restLevel == 4 ? 4 : 1];
    if (restLevel > 0)
        for (const std::string* path : {&large, &icon})
            if (Exists(app, *path) &&
                images->BuildFromPicture(item, *path, ScaledCopyOf(app.paths, *path, side), restLevel, side,
                                         restLevel == 1))
                return;

    const bool loaded = (restLevel == 0 && Exists(app, large) && images->LoadWorkingFromFile(large)) ||
                        (restLevel == 0 && Exists(app, icon) && images->LoadWorkingFromFile(icon)) ||
                        (Exists(app, target) && images->LoadWorkingFromShellIcon(target));
    if (!loaded) {
        switch (d.Category) {
        case 0:
            d.IconRef = kBlankTemplate;
            break;
        case 1:
            d.IconRef = kApplicationTemplate;
            break;
        case 2:
            d.IconRef = kFileTemplate;
            break;
        default:
            break;
        }
        return;
    }
    images->FreeEntries(item);
    if (restLevel > 0) {
        images->ScaleIntoCache(item, restLevel, side, side, false);
        if (restLevel == 1)
            images->ScaleIntoCache(item, 0, 0, 0, true);
    } else if (d.Kind == kind::User) {
        images->ScaleIntoCache(item, 0, 0, 0, true);
    } else if (d.Kind == 14) {
        images->ScaleIntoCache(item, 0, width, height, false);
    }
    images->DisposeWorking();
}

void DiscardItem(AppState& app, int item) {
    if (!app.store.IsItem(item))
        return;
    if (app.sys.images)
        app.sys.images->FreeEntries(item);
    DockItem& d = app.store.Items[item];
    DeleteOwnedPicture(app, d.IconPath.Clean());
    DeleteOwnedPicture(app, d.LargeIconPath.Clean());
    d = BlankItem();
}

void DiscardCustomIcon(AppState& app, int item) {
    if (!app.store.IsItem(item))
        return;
    if (app.sys.images)
        app.sys.images->FreeEntries(item);
    DockItem& d = app.store.Items[item];
    DeleteOwnedPicture(app, d.LargeIconPath.Clean());
    d.LargeIconPath = "";
}

} // namespace qor
