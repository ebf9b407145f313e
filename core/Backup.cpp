// Backup, restore and reset.
//
// A shortcuts-and-icons backup is a user-chosen file that may come from another machine or be
// crafted. Restoring one therefore reads and checks the whole file first, writes the pictures
// it carries only into this machine's icon cache folder (under their stored name when that is a
// plain "<n>.png" of the cache that is not in use, else under a fresh number, the item's path
// following), saves the menu, and only then removes the pictures of the dock it replaced that
// the restored dock does not name. Until the menu is saved nothing of the running dock is
// touched, so a failed restore leaves it whole.
//
// Shipped pictures (SysIcons) are never carried. They are recognised by the folder's name, not
// by this install's path, so a backup written by a copy installed elsewhere is read the same
// way; the restored items then name this install's pictures.
#include "core/Backup.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string_view>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/Text.h"

namespace qor {

namespace {

constexpr const char* kCaption = "QOR Desktop";
constexpr const char* kFilter = "*.bak|*.bak|*.*|*.*";
constexpr const char* kConfigBackupName = "QOR Desktop Cfg.bak";
constexpr const char* kIconsBackupName = "QOR Desktop Icons.bak";
constexpr const char* kEndMarker = "/END";

constexpr const char* kReplaceQuestion = "The target file already exists. Are you sure to replace?";
constexpr const char* kBackupFailed = "Backup all shortcuts & icons failed! ";
constexpr const char* kRestoreFailed = "Restore all shortcuts & icons failed! ";
// The configuration commands have no failure text of their own; these follow the pattern of
// the shortcuts-and-icons ones.
constexpr const char* kConfigBackupFailed = "Backup configuration failed! ";
constexpr const char* kConfigRestoreFailed = "Restore configuration failed! ";

constexpr const char* kResetSettingsQuestion =
    "WARNING: This procedure will reset all program settings to their default values but all currently "
    "used shortcuts and icons will be maintained intact. "
    "It is recommended to backup the configuration (Settings --> General tab --> Backup section) before "
    "proceeding.\r\n\r\nProceed anyway with resetting all default program settings?";
constexpr const char* kResetIconsQuestion =
    "WARNING: This procedure will reset all default shortcuts and icons to their default values but all "
    "currently used program settings will be maintained intact. "
    "It is recommended to backup all shortcuts and icons (Settings --> General tab --> Backup section) "
    "before proceeding.\r\n\r\nProceed anyway with resetting all default shortcuts and icons?";

// A backup larger than this is not read into memory.
constexpr int64_t kMaxBackupSize = int64_t{512} << 20;
constexpr int kFirstBackedUpItem = 4;

int Message(AppState& app, const std::string& text, unsigned flags) {
    return app.sys.ui ? app.sys.ui->ShowMessage(text, kCaption, flags) : mb::IdNo;
}

// The hourglass while a command runs, taken away whatever the outcome.
class BusyPointer {
public:
    explicit BusyPointer(AppState& app) : m_ui(app.sys.ui) {
        if (m_ui)
            m_ui->SetBusy(true);
    }
    ~BusyPointer() {
        if (m_ui)
            m_ui->SetBusy(false);
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    IUi* m_ui;
};

template <class... Args> void Call(const std::function<void(Args...)>& f, Args... args) {
    if (f)
        f(args...);
}

std::string AskFile(AppState& app, const ReloadHooks& hooks, bool save, const char* title, const char* name) {
    if (!app.sys.ui)
        return {};
    FileDialogRequest request;
    request.save = save;
    request.title = title;
    request.filter = kFilter;
    request.initialName = name;
    std::string chosen = app.sys.ui->FileDialog(request);
    Call(hooks.TrimWorkingSet);
    return chosen;
}

// The replace question for an existing target; true when the command may go on (the old file
// is then deleted).
bool ConfirmReplace(AppState& app, const std::string& target) {
    std::string path = target;
    if (!PathExists(path, *app.sys.fs))
        return true;
    if (Message(app, kReplaceQuestion, mb::YesNo | mb::IconQuestion | mb::DefButton2) != mb::IdYes)
        return false;
    DeleteIfExists(*app.sys.fs, target);
    return true;
}

// The folder of shipped pictures, as the end of the folder part of a path (any letter case).
constexpr std::string_view kShippedFolder = "\\SysIcons";
// A backup names at most this many SysIcons folders worth trying as an older build's own.
constexpr std::size_t kMaxOlderFolders = 8;

std::string Lower(const std::string& s) {
    return ToLowerAscii(s);
}

// A single name that stays inside the folder it is put in: no separators, no stream, no "..".
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string_view::npos;
}

// The length of the folder part of a shipped picture's path ("...\SysIcons\"), or 0.
std::size_t ShippedFolderLength(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos || !EndsWithNoCase(path.substr(0, slash), kShippedFolder))
        return 0;
    return slash + 1;
}

// The name of a shipped picture (the text after its last "\SysIcons\"), or empty text.
std::string ShippedPictureName(const std::string& path) {
    const std::size_t folder = ShippedFolderLength(path);
    if (folder == 0 || !IsPlainFileName(std::string_view(path).substr(folder)))
        return {};
    return path.substr(folder);
}

// A file directly inside `folder` (compared without regard to case).
bool IsDirectlyIn(const std::string& path, const std::string& folder) {
    return !folder.empty() && path.size() > folder.size() &&
           Lower(path.substr(0, folder.size())) == Lower(folder) &&
           IsPlainFileName(std::string_view(path).substr(folder.size()));
}

// The picture part with one rule: each carried path of items 4..1024 in walk order, then "/END".
bool WalkPictures(ByteReader in, const std::vector<std::string>& paths, const PictureRule& rule,
                  BackupImage& image) {
    image.files.clear();
    for (int i = kFirstBackedUpItem; i <= kItemBound; ++i) {
        const std::size_t at = static_cast<std::size_t>(2 * (i - kFirstBackedUpItem));
        if (!ReadItemPictures(in, i, paths[at], paths[at + 1], rule, image.files))
            return false;
    }
    const ByteSpan end = in.Take(4);
    if (end.size() != 4 || std::string(end.begin(), end.end()) != kEndMarker)
        return false;
    image.size = in.Position();
    image.rule = rule;
    return true;
}

// A restored picture is written without a flush of its own: a restore may carry a thousand of
// them, and a flush each would keep the hourglass up for seconds. A picture lost to a power cut
// right after a restore only shows its template until it is rebuilt; the menu file itself is
// flushed.
bool WriteSpan(IFileSystem& fs, const std::string& path, ByteSpan bytes) {
    auto file = fs.Create(path);
    if (!file)
        return false;
    const bool written = bytes.empty() || file->Write(bytes.data(), bytes.size());
    const bool closed = file->Close();
    return written && closed;
}

// Cached pictures ("*.png" files of the icon cache folder), as full paths.
std::vector<std::string> CachedPictures(AppState& app) {
    std::vector<std::string> out;
    const std::string& cache = app.paths.IconCacheFolder;
    if (cache.empty())
        return out;
    for (const FindEntry& e : app.sys.fs->Find(cache + "*.png"))
        if ((e.attributes & kAttrDirectory) == 0 && e.name != "." && e.name != "..")
            out.push_back(cache + e.name);
    return out;
}

// Lower-case paths of every picture the store's items name.
std::set<std::string> PicturesInUse(const Store& store) {
    std::set<std::string> used;
    for (const DockItem& item : store.Items) {
        used.insert(Lower(item.IconPath.Peek()));
        used.insert(Lower(item.LargeIconPath.Peek()));
    }
    return used;
}

} // namespace

bool IsShippedPicture(const std::string& path) {
    return !ShippedPictureName(path).empty();
}

bool PictureRule::Carries(const std::string& path) const {
    if (path.empty())
        return false;
    if (!older)
        return !IsShippedPicture(path);
    return ownFolder.empty() || !StartsWith(path, ownFolder);
}

std::optional<EmbeddedFile> ReadEmbeddedFile(ByteReader& in, int item, bool large, const std::string& path) {
    const int32_t n = in.I32();
    if (!in.Ok() || n < 0 || static_cast<std::size_t>(n) > in.Remaining()) {
        in.Take(in.Remaining() + 1); // sets the failed state
        return std::nullopt;
    }
    EmbeddedFile file{item, large, path, in.Position(), static_cast<std::size_t>(n)};
    in.Take(file.size);
    return file;
}

bool ReadItemPictures(ByteReader& in, int item, const std::string& iconPath, const std::string& largePath,
                      const PictureRule& rule, std::vector<EmbeddedFile>& files) {
    for (const bool large : {false, true}) {
        const std::string& path = large ? largePath : iconPath;
        if (!rule.Carries(path))
            continue;
        std::optional<EmbeddedFile> file = ReadEmbeddedFile(in, item, large, path);
        if (!file)
            return false;
        files.push_back(std::move(*file));
    }
    return true;
}

std::optional<BackupImage> ParseBackup(ByteSpan bytes, const std::string& sysIconsFolder) {
    std::optional<MenuImage> menu = ParseMenu(bytes);
    if (!menu)
        return std::nullopt;
    BackupImage image;
    image.menu = std::move(*menu);
    ByteReader pictures(bytes);
    pictures.Take(image.menu.size);

    // The cleaned paths in walk order, and the SysIcons folders they name.
    std::vector<std::string> paths;
    paths.reserve(2 * (kItemBound - kFirstBackedUpItem + 1));
    std::vector<std::string> folders{sysIconsFolder};
    for (int i = kFirstBackedUpItem; i <= kItemBound; ++i) {
        const DockItem& item = image.menu.items[static_cast<std::size_t>(i)];
        for (const FixedText<255>* field : {&item.IconPath, &item.LargeIconPath}) {
            paths.push_back(field->Peek());
            const std::size_t length = ShippedFolderLength(paths.back());
            if (length == 0 || folders.size() > kMaxOlderFolders)
                continue;
            std::string folder = paths.back().substr(0, length);
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(std::move(folder));
        }
    }

    if (WalkPictures(pictures, paths, PictureRule{}, image))
        return image;
    // A backup of an older build: its own SysIcons folder is this install's or one the records
    // name; with none of them, every picture was carried.
    folders.emplace_back();
    for (const std::string& folder : folders)
        if (WalkPictures(pictures, paths, PictureRule{true, folder}, image))
            return image;
    return std::nullopt;
}

bool IsCachePictureName(const std::string& path, const std::string& cacheFolder) {
    if (cacheFolder.empty() || path.size() <= cacheFolder.size() ||
        Lower(path.substr(0, cacheFolder.size())) != Lower(cacheFolder))
        return false;
    const std::string name = path.substr(cacheFolder.size());
    if (!EndsWithNoCase(name, ".png") || name.size() == 4 || name.size() > 4 + 9)
        return false;
    for (std::size_t i = 0; i + 4 < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

std::string KeptPicturePath(const std::string& storedPath, int item, const Paths& paths) {
    const std::string shipped = ShippedPictureName(storedPath);
    if (!shipped.empty())
        return paths.SysIconsFolder + shipped;
    if (item < kFirstBackedUpItem && IsDirectlyIn(storedPath, paths.IconCacheFolder))
        return storedPath;
    return {};
}

bool WriteBackup(AppState& app, const std::string& path) {
    IFileSystem& fs = *app.sys.fs;
    Store& store = app.store;
    const PictureRule carried;
    const int last = store.LastItem() < kItemBound ? store.LastItem() : kItemBound;

    // Pictures that no longer exist are forgotten; they are rebuilt after a restore.
    for (int i = kFirstBackedUpItem; i <= last; ++i) {
        DockItem& item = store.Items[static_cast<std::size_t>(i)];
        for (FixedText<255>* field : {&item.IconPath, &item.LargeIconPath}) {
            std::string p(field->View());
            *field = PathExists(p, fs) ? p : std::string();
        }
    }

    Bytes out = SerializeMenu(store);
    bool ok = true;
    for (int i = kFirstBackedUpItem; i <= last && ok; ++i) {
        const DockItem& item = store.Items[static_cast<std::size_t>(i)];
        for (const std::string& p : {item.IconPath.Peek(), item.LargeIconPath.Peek()}) {
            if (!carried.Carries(p))
                continue;
            const int64_t length = fs.GetLength(p);
            std::optional<Bytes> data;
            if (length >= 0 && length <= INT32_MAX)
                data = fs.ReadAll(p);
            if (!data || data->size() > static_cast<std::size_t>(INT32_MAX)) {
                ok = false;
                break;
            }
            PutI32(out, static_cast<int32_t>(data->size()));
            out.insert(out.end(), data->begin(), data->end());
        }
    }
    out.insert(out.end(), kEndMarker, kEndMarker + 4);

    if (ok)
        ok = DeleteIfExists(fs, path) && WriteWholeFile(fs, path, out);
    if (!ok) {
        DeleteIfExists(fs, path); // no half-written backup is left to be restored later
        Message(app, kBackupFailed, mb::Ok | mb::IconExclamation);
    }
    return ok;
}

bool ReadBackup(AppState& app, const std::string& path) {
    IFileSystem& fs = *app.sys.fs;
    const Paths& paths = app.paths;
    auto fail = [&app] {
        Message(app, kRestoreFailed, mb::Ok | mb::IconExclamation);
        return false;
    };

    std::string source = path;
    if (!PathExists(source, fs) || paths.IconCacheFolder.empty())
        return fail();
    const int64_t length = fs.GetLength(source);
    if (length < 0 || length > kMaxBackupSize)
        return fail();
    const std::optional<Bytes> bytes = fs.ReadAll(source);
    if (!bytes)
        return fail();
    const ByteSpan all(*bytes);
    std::optional<BackupImage> image = ParseBackup(all, paths.SysIconsFolder);
    if (!image)
        return fail();
    if (image->rule.older && app.sys.trace && app.sys.trace->Enabled()) {
        const std::string& own = image->rule.ownFolder;
        app.sys.trace->Line("ReadBackup: the layout of an older build, whose own pictures were in " +
                            (own.empty() ? std::string("none of the folders named") : own));
    }

    // The backup as a store of its own.
    Store scratch;
    scratch.Create();
    for (int g = kFirstUserGroup; g <= kGroupBound; ++g)
        scratch.Groups[static_cast<std::size_t>(g)] = image->menu.Group(g);
    for (int i = 0; i <= kItemBound; ++i)
        scratch.Items[static_cast<std::size_t>(i)] = image->menu.items[static_cast<std::size_t>(i)];

    // Pictures the backup does not carry: shipped ones are this install's, items 0..3 keep those
    // of the icon cache, nothing else is named. (Carried ones are placed below.)
    for (int i = 0; i <= kItemBound; ++i) {
        DockItem& item = scratch.Items[static_cast<std::size_t>(i)];
        for (FixedText<255>* field : {&item.IconPath, &item.LargeIconPath}) {
            const std::string stored = field->Peek();
            const std::string kept = KeptPicturePath(stored, i, paths);
            if (kept != stored)
                *field = kept;
        }
    }

    // Where each picture goes: its stored name when that is a free plain cache name, else the
    // first free number. Nothing in use by the running dock is overwritten.
    std::set<std::string> claimed;
    int next = 0;
    auto freshName = [&] {
        for (;; ++next) {
            const std::string candidate = paths.IconCacheFolder + std::to_string(next) + ".png";
            if (!claimed.count(Lower(candidate)) && fs.GetAttributes(candidate) == kNoAttributes) {
                ++next;
                return candidate;
            }
        }
    };
    std::vector<std::string> targets;
    targets.reserve(image->files.size());
    for (const EmbeddedFile& f : image->files) {
        std::string target = f.storedPath;
        if (!IsCachePictureName(target, paths.IconCacheFolder) || claimed.count(Lower(target)) ||
            fs.GetAttributes(target) != kNoAttributes)
            target = freshName();
        claimed.insert(Lower(target));
        targets.push_back(target);
        DockItem& item = scratch.Items[static_cast<std::size_t>(f.item)];
        (f.large ? item.LargeIconPath : item.IconPath) = target;
    }

    // Commit: the pictures, then the menu. Until the menu is saved, a failure takes back what
    // was written and leaves the running dock and its files as they were.
    // The menu's ".bak" is rewritten before the real file is swapped; when the swap fails the
    // old one is put back, so both copies keep describing the dock that stays.
    const std::optional<Bytes> oldMenuBackup = fs.ReadAll(paths.MenuBackup);
    std::vector<std::string> written;
    auto rollBack = [&] {
        for (const std::string& w : written)
            DeleteIfExists(fs, w);
    };
    for (std::size_t k = 0; k < image->files.size(); ++k) {
        const EmbeddedFile& f = image->files[k];
        written.push_back(targets[k]);
        if (!WriteSpan(fs, targets[k], all.subspan(f.offset, f.size))) {
            rollBack();
            return fail();
        }
    }
    if (!SaveMenuOf(app, scratch)) {
        rollBack();
        if (oldMenuBackup)
            ReplaceFileContents(fs, paths.MenuBackup, *oldMenuBackup);
        else
            DeleteIfExists(fs, paths.MenuBackup);
        return fail();
    }

    // The replaced dock's pictures go, except those the restored dock still names: the carried
    // ones and the pictures of items 0..3, which a backup never carries.
    const std::set<std::string> named = PicturesInUse(scratch);
    for (const std::string& picture : CachedPictures(app))
        if (!named.count(Lower(picture)))
            DeletePictureAndCopies(fs, app.paths, picture);

    Store& store = app.store;
    for (int g = kFirstUserGroup; g <= kGroupBound && store.IsGroup(g); ++g)
        store.Groups[static_cast<std::size_t>(g)] = scratch.Groups[static_cast<std::size_t>(g)];
    for (int i = 0; i <= kItemBound && store.IsItem(i); ++i)
        store.Items[static_cast<std::size_t>(i)] = scratch.Items[static_cast<std::size_t>(i)];
    return true;
}

void ReloadAll(AppState& app, bool keepSettings, bool freshStore, bool recheckIcons,
               const ReloadHooks& hooks) {
    Call(hooks.ReleaseImages);
    if (freshStore || recheckIcons)
        app.store.Create();
    InitializeState(app, false, !keepSettings, !freshStore);

    if (recheckIcons && hooks.RefreshItemIcon) {
        IFileSystem& fs = *app.sys.fs;
        auto recheck = [&](int i) {
            DockItem& item = app.store.Items[static_cast<std::size_t>(i)];
            // A free record has nothing to show; giving it a picture would break its emptiness.
            if (item.Kind == kind::Free)
                return;
            std::string large(item.LargeIconPath.View());
            std::string icon(item.IconPath.View());
            const bool hasLarge = PathExists(large, fs);
            const bool hasIcon = PathExists(icon, fs);
            item.LargeIconPath = large;
            item.IconPath = icon;
            if (!hasLarge && !hasIcon)
                hooks.RefreshItemIcon(i);
        };
        for (int i = kFirstBackedUpItem; i <= kLastRingSlot; ++i)
            recheck(i);
        for (int i = kFirstPoolItem; i <= kItemBound; ++i)
            recheck(i);
    }

    Call(hooks.LoadSkinImages);
    // As at start-up, once the skin has given the centre backdrop its width: the minimized ring
    // waits where the settings just read say, not where it waited before.
    SetMinimizedPosition(app.geo, app.screen, app.run, app.cfg.MinimizedPosition);
    Call(hooks.TrimWorkingSet);
    Call(hooks.PumpMessages);
    Call(hooks.DockFocus, -1);
}

void BackupConfiguration(AppState& app, const ReloadHooks& hooks) {
    const std::string target =
        AskFile(app, hooks, true, "QOR Desktop - Backup Configuration", kConfigBackupName);
    if (target.empty() || !ConfirmReplace(app, target))
        return;
    SaveSettings(app);
    // The copy is made from the record just saved, so it is the settings file byte for byte
    // even when the save itself reported a failure.
    if (!WriteWholeFile(*app.sys.fs, target, SerializeSettings(app.cfg))) {
        DeleteIfExists(*app.sys.fs, target);
        Message(app, kConfigBackupFailed, mb::Ok | mb::IconExclamation);
        return;
    }
    Message(app, "Backup Configuration File Successfully!", mb::Ok);
}

void BackupShortcutsAndIcons(AppState& app, const ReloadHooks& hooks) {
    const std::string target =
        AskFile(app, hooks, true, "QOR Desktop - Backup Shortcuts & Icons", kIconsBackupName);
    if (target.empty() || !ConfirmReplace(app, target))
        return;
    BusyPointer busy(app);
    if (WriteBackup(app, target))
        Message(app, "Backup Shortcuts & Icons Successfully!", mb::Ok);
}

void RestoreConfiguration(AppState& app, const ReloadHooks& hooks) {
    const std::string source =
        AskFile(app, hooks, false, "QOR Desktop - Restore Configuration", kConfigBackupName);
    if (source.empty())
        return;
    BusyPointer busy(app);
    IFileSystem& fs = *app.sys.fs;
    // A file that cannot hold a settings record would only be replaced by the ".bak" copy at the
    // next load while the command claimed success: it is refused and nothing changes.
    const int64_t length = fs.GetLength(source);
    std::optional<Bytes> bytes;
    if (length >= static_cast<int64_t>(kSettingsFileSize) && length <= (1 << 20))
        bytes = fs.ReadAll(source);
    if (!bytes || !ParseSettings(ByteSpan(*bytes)) ||
        !ReplaceFileContents(fs, app.paths.SettingsFile, *bytes)) {
        Message(app, kConfigRestoreFailed, mb::Ok | mb::IconExclamation);
        return;
    }
    ReloadAll(app, false, false, false, hooks);
    Call(hooks.IniConfigData);
    Message(app, "Restore Configuration Successfully!", mb::Ok);
}

void RestoreShortcutsAndIcons(AppState& app, const ReloadHooks& hooks) {
    const std::string source =
        AskFile(app, hooks, false, "QOR Desktop - Restore Shortcuts & Icons", kIconsBackupName);
    if (source.empty())
        return;
    BusyPointer busy(app);
    if (!ReadBackup(app, source))
        return;
    ReloadAll(app, false, false, true, hooks);
    Message(app, "Restore Shortcuts & Icons Successfully!", mb::Ok);
}

void ResetProgramSettings(AppState& app, const ReloadHooks& hooks) {
    if (Message(app, kResetSettingsQuestion, mb::YesNo | mb::IconQuestion | mb::DefButton2) != mb::IdYes)
        return;
    BusyPointer busy(app);
    ReloadAll(app, true, false, false, hooks);
    Call(hooks.IniConfigData);
    SaveSettings(app);
    Message(app, "Reset all default program settings successfully!", mb::Ok | mb::IconInformation);
}

void ResetShortcutsAndIcons(AppState& app, const ReloadHooks& hooks) {
    if (Message(app, kResetIconsQuestion, mb::YesNo | mb::IconQuestion | mb::DefButton2) != mb::IdYes)
        return;
    BusyPointer busy(app);
    SaveSettings(app);
    // The old pictures are removed once the new menu is stored; until then the stored menu
    // still names them. New pictures made while the default groups are built get free numbers.
    const std::vector<std::string> oldPictures = CachedPictures(app);
    ReloadAll(app, false, true, false, hooks);
    if (SaveMenu(app)) {
        const std::set<std::string> used = PicturesInUse(app.store);
        for (const std::string& picture : oldPictures)
            if (!used.count(Lower(picture)))
                DeletePictureAndCopies(*app.sys.fs, app.paths, picture);
    }
    Message(app, "Reset all default shortcuts & icons successfully!", mb::Ok | mb::IconInformation);
}

} // namespace qor
