// The configuration files: names and folders, writing through a ".bak" copy, reading with
// recovery from that copy, and the load rules of the settings and the item records.
//
// Crash safety. A save deletes the old ".bak", writes and flushes the new one, then writes and
// flushes the same bytes under a temporary name and swaps that in for the real file in one
// atomic step. At every moment one complete copy exists: the old real file until the swap, the
// new one after it. Loading reads the real file and falls back to the ".bak" whenever the real
// file is missing, shorter than its layout or unreadable; a good ".bak" is then put back in
// place of the real file.
#include "core/ConfigFiles.h"

#include <cstdio>

#include "core/AppState.h"
#include "core/ConfigFormat.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "core/Text.h"
#include "icons/IconResolve.h"

namespace qor {

namespace {

constexpr const char* kCaption = "QOR Desktop";
constexpr const char* kSettingsWriteFailed = "Writing configuration file failed! ";
constexpr const char* kMenuWriteFailed = "Writing icon file failed! ";

constexpr const char* kCompanyFolder = "QORSoft\\";
constexpr const char* kProductFolder = "QOR Desktop\\";
constexpr const char* kProbeFile = "QORWrite.tmp";
constexpr const char* kTempSuffix = ".tmp";

// Larger files are not ours; they are not read into memory at all.
constexpr int64_t kMaxSettingsFileSize = 1 << 20;
constexpr int64_t kMaxMenuFileSize = 64 << 20;

double NowMs(AppState& app) {
    return app.sys.clock ? app.sys.clock->NowMs() : 0.0;
}

bool Tracing(AppState& app) {
    return app.sys.trace && app.sys.trace->Enabled();
}

void TraceFileOp(AppState& app, const char* what, std::size_t size, bool ok, double startMs) {
    if (!Tracing(app))
        return;
    char line[160];
    std::snprintf(line, sizeof line, "%s: %zu bytes, %.2f ms%s", what, size, NowMs(app) - startMs,
                  ok ? "" : ", failed");
    app.sys.trace->Line(line);
}

void ShowWriteFailure(AppState& app, const char* text) {
    if (app.sys.ui)
        app.sys.ui->ShowMessage(text, kCaption, mb::Ok | mb::IconExclamation);
}

bool IsFolder(IFileSystem& fs, const std::string& path) {
    const uint32_t a = fs.GetAttributes(path);
    return a != kNoAttributes && (a & kAttrDirectory) != 0;
}

bool EnsureFolder(IFileSystem& fs, const std::string& folder) {
    if (IsFolder(fs, folder))
        return true;
    fs.CreateFolder(folder);
    return IsFolder(fs, folder);
}

// Creates both levels of the data folder under `base` and proves that a file can be written
// and deleted there (the common program-files folder needs administrator rights on current
// Windows, and creating the folders may succeed where writing into them does not).
bool PrepareDataFolder(IFileSystem& fs, const std::string& dataDir) {
    const std::string company = FolderOf(dataDir.substr(0, dataDir.size() - 1));
    if (!EnsureFolder(fs, company) || !EnsureFolder(fs, dataDir))
        return false;
    const std::string probe = dataDir + kProbeFile;
    const bool written = WriteWholeFile(fs, probe, Bytes{'Q'});
    const bool deleted = DeleteIfExists(fs, probe);
    return written && deleted;
}

bool HoldsStoredData(IFileSystem& fs, const std::string& dataDir) {
    for (const char* name : {"QORCfg.cfg", "QORCfg.cfg.bak", "QORMenu.cfg", "QORMenu.cfg.bak"})
        if (fs.GetAttributes(dataDir + name) != kNoAttributes)
            return true;
    return false;
}

// Chooses DataDir: the common program-files folder, or the same sub-path under the user's
// application-data folder when the common one cannot be written. Once the per-user folder holds
// the user's files it stays in use, even when the common folder becomes writable later.
std::string ChooseDataDir(AppState& app) {
    IFileSystem& fs = *app.sys.fs;
    const std::string sub = std::string(kCompanyFolder) + kProductFolder;
    const std::string common = WithBackslash(app.sys.sys->GetSpecialFolder(csidl::ProgramFilesCommon));
    const std::string appData = WithBackslash(app.sys.sys->GetSpecialFolder(csidl::AppData));
    const std::string commonDir = common.empty() ? std::string() : common + sub;
    const std::string userDir = appData.empty() ? std::string() : appData + sub;

    if (!userDir.empty() && HoldsStoredData(fs, userDir) && PrepareDataFolder(fs, userDir))
        return userDir;
    if (!commonDir.empty() && PrepareDataFolder(fs, commonDir))
        return commonDir;
    if (!userDir.empty() && PrepareDataFolder(fs, userDir)) {
        // The user's dock may still lie, readable but no longer writable, in the common folder:
        // take it along.
        if (!commonDir.empty())
            for (const char* name : {"QORCfg.cfg", "QORCfg.cfg.bak", "QORMenu.cfg", "QORMenu.cfg.bak"})
                if (fs.GetAttributes(commonDir + name) != kNoAttributes)
                    fs.Copy(commonDir + name, userDir + name);
        return userDir;
    }
    // Nothing is writable: keep the usual place; every save reports its failure.
    return commonDir.empty() ? userDir : commonDir;
}

// Writes the file through its ".bak" copy (see the top of this file).
bool WriteThroughBackup(IFileSystem& fs, const std::string& file, const std::string& backup,
                        const Bytes& bytes) {
    if (!DeleteIfExists(fs, backup))
        return false;
    if (!WriteWholeFile(fs, backup, bytes))
        return false;
    return ReplaceFileContents(fs, file, bytes);
}

std::optional<Bytes> ReadBounded(IFileSystem& fs, const std::string& path, int64_t maxSize) {
    const int64_t length = fs.GetLength(path);
    if (length < 0 || length > maxSize)
        return std::nullopt;
    return fs.ReadAll(path);
}

// Reads and parses the real file, else its ".bak"; a good ".bak" is put back in place of a
// missing or damaged real file.
template <class T, class Parse>
std::optional<T> LoadWithRecovery(AppState& app, const std::string& file, const std::string& backup,
                                  int64_t maxSize, Parse parse) {
    IFileSystem& fs = *app.sys.fs;
    if (auto bytes = ReadBounded(fs, file, maxSize))
        if (auto value = parse(ByteSpan(*bytes)))
            return value;
    auto saved = ReadBounded(fs, backup, maxSize);
    if (!saved)
        return std::nullopt;
    auto value = parse(ByteSpan(*saved));
    if (!value)
        return std::nullopt;
    const bool restored = ReplaceFileContents(fs, file, *saved);
    if (Tracing(app))
        app.sys.trace->Line("Recovered " + FileNameOf(file) + " from its .bak copy" +
                            (restored ? "" : " (the file could not be rewritten)"));
    return value;
}

bool IsGroupKind(int32_t k) {
    return k == kind::Group || k == kind::AllPrograms;
}

template <class T> T Clamp(T v, T lo, T hi) {
    if (v > hi)
        v = hi;
    if (v < lo)
        v = lo;
    return v;
}

} // namespace

bool DeleteIfExists(IFileSystem& fs, const std::string& path) {
    if (fs.GetAttributes(path) == kNoAttributes)
        return true;
    return fs.Delete(path) || fs.GetAttributes(path) == kNoAttributes;
}

bool DeletePictureAndCopies(IFileSystem& fs, const Paths& paths, const std::string& picture) {
    const bool gone = DeleteIfExists(fs, picture);
    const std::string copies = ScaledCopiesPattern(paths, picture);
    if (!copies.empty()) {
        const std::string folder = FolderOf(picture);
        for (const FindEntry& e : fs.Find(copies))
            if ((e.attributes & kAttrDirectory) == 0)
                fs.Delete(folder + e.name);
    }
    return gone;
}

bool ReplaceFileContents(IFileSystem& fs, const std::string& path, const Bytes& bytes) {
    const std::string temp = path + kTempSuffix;
    if (WriteWholeFile(fs, temp, bytes) && fs.Replace(temp, path))
        return true;
    DeleteIfExists(fs, temp);
    return false;
}

void InitPaths(AppState& app) {
    Paths& p = app.paths;
    ISystem& sys = *app.sys.sys;
    IFileSystem& fs = *app.sys.fs;

    const std::string program = sys.GetProgramPath();
    p.ProgramDir = FolderOf(program);
    p.ProgramName = FileNameOf(program);
    if (EndsWithNoCase(p.ProgramName, ".exe"))
        p.ProgramName.resize(p.ProgramName.size() - 4);
    p.SysIconsFolder = p.ProgramDir + "SysIcons\\";

    p.DataDir = ChooseDataDir(app);
    p.IconCacheFolder = p.DataDir + "QorIcons\\";
    EnsureFolder(fs, p.IconCacheFolder);
    p.UserIconFile = p.IconCacheFolder + "User Icon.ico";
    p.SettingsFile = p.DataDir + "QORCfg.cfg";
    p.MenuFile = p.DataDir + "QORMenu.cfg";
    p.SettingsBackup = p.SettingsFile + ".bak";
    p.MenuBackup = p.MenuFile + ".bak";

    p.WindowsFolder = WithBackslash(sys.GetSpecialFolder(csidl::Windows));
    p.SystemFolder = WithBackslash(sys.GetSpecialFolder(csidl::System));
    p.ProgramFilesFolder = WithBackslash(sys.GetSpecialFolder(csidl::ProgramFiles));
    p.ProfileFolder = WithBackslash(sys.GetSpecialFolder(csidl::Profile));
    p.DesktopFolder = WithBackslash(sys.GetSpecialFolder(csidl::Desktop));
    p.DocumentsFolder = WithBackslash(sys.GetSpecialFolder(csidl::Personal));
    p.MusicFolder = WithBackslash(sys.GetSpecialFolder(csidl::MyMusic));
    p.VideosFolder = WithBackslash(sys.GetSpecialFolder(csidl::MyVideo));
    p.PicturesFolder = WithBackslash(sys.GetSpecialFolder(csidl::MyPictures));
    p.FavoritesFolder = WithBackslash(sys.GetSpecialFolder(csidl::Favorites));
    p.CommonDesktopFolder = WithBackslash(sys.GetSpecialFolder(csidl::CommonDesktop));

    if (Tracing(app))
        app.sys.trace->Line("DataDir: " + p.DataDir);
}

bool SaveSettings(AppState& app) {
    const double start = NowMs(app);
    DockSettings& cfg = app.cfg;
    const RunSettings& run = app.run;
    cfg.IconSize = run.IconSize;
    cfg.MaxIconSize = run.MaxIconSize;
    cfg.MagnifiedSize = run.MagnifiedSize;
    cfg.Radius = run.Radius;
    cfg.IconCountCode = (run.IconCount - 8) / 4;
    cfg.BackColor = run.BackColor;
    if (app.store.IsItem(kCentreItem))
        cfg.UserIconPath.bytes = app.store.Items[kCentreItem].IconPath.bytes; // uncleaned, as it is

    const Bytes bytes = SerializeSettings(cfg);
    const bool ok = WriteThroughBackup(*app.sys.fs, app.paths.SettingsFile, app.paths.SettingsBackup, bytes);
    TraceFileOp(app, "SaveSettings", bytes.size(), ok, start);
    if (!ok)
        ShowWriteFailure(app, kSettingsWriteFailed);
    return ok;
}

bool LoadSettings(AppState& app) {
    const double start = NowMs(app);
    const std::optional<DockSettings> stored = LoadWithRecovery<DockSettings>(
        app, app.paths.SettingsFile, app.paths.SettingsBackup, kMaxSettingsFileSize, ParseSettings);
    if (!stored) {
        app.cfg.AutoRun = kTrue;
        TraceFileOp(app, "LoadSettings", 0, false, start);
        return false;
    }

    DockSettings& cfg = app.cfg;
    RunSettings& run = app.run;
    const ScreenMetrics& screen = app.screen;
    cfg = *stored;
    cfg.MaxIconSize = run.MaxIconSize; // stored, never read back

    // Rest size: 16 up to the largest size, else the default stays.
    if (cfg.IconSize >= 16 && cfg.IconSize <= run.MaxIconSize)
        run.IconSize = cfg.IconSize;
    cfg.IconSize = run.IconSize;
    // Hover size: from the rest size up to the largest, else 16 above the rest size.
    if (cfg.MagnifiedSize >= run.IconSize && cfg.MagnifiedSize <= run.MaxIconSize)
        run.MagnifiedSize = cfg.MagnifiedSize;
    else
        run.MagnifiedSize = run.IconSize + 16 > run.MaxIconSize ? run.MaxIconSize : run.IconSize + 16;
    cfg.MagnifiedSize = run.MagnifiedSize;
    // Radius: within what the screen allows, else the default.
    if (cfg.Radius >= screen.MinRadius && cfg.Radius <= screen.MaxRadius)
        run.Radius = cfg.Radius;
    else
        run.Radius = cfg.Radius = run.DefaultRadius;
    // Icon count: codes 0..7 give 8 to 36 positions; anything else gives 20.
    if (cfg.IconCountCode < 0 || cfg.IconCountCode > 7)
        cfg.IconCountCode = 3;
    run.IconCount = cfg.IconCountCode * 4 + 8;
    // Only the opacity comes from the file; the colour stays black.
    run.BackColor = {0, 0, 0, cfg.BackColor[3]};
    run.BackColorArgb = ColourToArgb(run.BackColor);
    cfg.BackColor = run.BackColor;
    // The centre picture is the user picture when there is one.
    if (app.store.IsItem(kCentreItem)) {
        std::string userIcon = app.paths.UserIconFile;
        app.store.Items[kCentreItem].IconPath = PathExists(userIcon, *app.sys.fs) ? userIcon : std::string();
    }
    // Start with Windows: the entry is written again and the flag becomes the outcome.
    if (cfg.AutoRun != 0)
        cfg.AutoRun = SetAutoRun(app, true) == 1 ? kTrue : kFalse;
    // The stored window position stays on the screen; both 0 means the default place.
    const int maxLeft = screen.ScreenWidthTwips - kWindowWidthTwips;
    const int maxTop = screen.ScreenHeightTwips - kWindowHeightTwips;
    cfg.WindowLeft = Clamp(cfg.WindowLeft, 0, maxLeft);
    cfg.WindowTop = Clamp(cfg.WindowTop, 0, maxTop);
    if (cfg.WindowLeft == 0 && cfg.WindowTop == 0) {
        cfg.WindowLeft = RoundHalfEven(maxLeft / 2.0);
        cfg.WindowTop = maxTop;
    }
    // The spare value keeps to its range.
    if (cfg.Spare4 < 0 || cfg.Spare4 > 8)
        cfg.Spare4 = 0;

    TraceFileOp(app, "LoadSettings", kSettingsFileSize, true, start);
    return true;
}

bool SaveMenuOf(AppState& app, const Store& store) {
    const double start = NowMs(app);
    const Bytes bytes = SerializeMenu(store);
    const bool ok = WriteThroughBackup(*app.sys.fs, app.paths.MenuFile, app.paths.MenuBackup, bytes);
    TraceFileOp(app, "SaveMenu", bytes.size(), ok, start);
    if (!ok)
        ShowWriteFailure(app, kMenuWriteFailed);
    return ok;
}

bool SaveMenu(AppState& app) {
    return SaveMenuOf(app, app.store);
}

void TakeStoredItem(Store& store, int index, const DockItem& stored) {
    if (!store.IsItem(index))
        return;
    DockItem& item = store.Items[static_cast<std::size_t>(index)];
    // Built-in commands keep what the default catalogue made of them, except a chosen picture.
    if (index >= kFirstCommandItem && index <= kLastCommandItem) {
        item.LargeIconPath = stored.LargeIconPath;
        return;
    }
    item = stored;
    if (index <= kLastRingSlot && item.Kind == kind::Free)
        item.Kind = kind::Blank;
}

bool LoadMenu(AppState& app) {
    const double start = NowMs(app);
    Store& store = app.store;
    if (store.Items.size() < static_cast<std::size_t>(kStoredItemCount) ||
        store.Groups.size() != static_cast<std::size_t>(kGroupBound + 1))
        return false;
    std::optional<MenuImage> image = LoadWithRecovery<MenuImage>(
        app, app.paths.MenuFile, app.paths.MenuBackup, kMaxMenuFileSize, ParseMenu);
    if (!image) {
        TraceFileOp(app, "LoadMenu", 0, false, start);
        return false;
    }

    for (int g = kFirstUserGroup; g <= kGroupBound; ++g)
        store.Groups[static_cast<std::size_t>(g)] = std::move(image->Group(g));
    for (int i = 0; i <= kItemBound; ++i)
        TakeStoredItem(store, i, image->items[static_cast<std::size_t>(i)]);

    // Only groups carry the " (Full)" / " (Empty)" suffix: a slot holding a shortcut keeps its
    // caption whatever count its group record still has. A repaired count shows in the caption.
    for (int g = kFirstUserGroup; g <= kGroupBound; ++g) {
        if (!IsGroupKind(store.Items[static_cast<std::size_t>(g)].Kind))
            continue;
        const int32_t stored = image->storedCounts[static_cast<std::size_t>(g - kFirstUserGroup)];
        const int32_t count = store.Groups[static_cast<std::size_t>(g)].Count;
        if (stored > 1 || stored != count)
            UpdateGroupTitle(app, g);
    }
    if (Tracing(app) && image->repairs > 0)
        app.sys.trace->Line("LoadMenu: " + std::to_string(image->repairs) + " damaged values repaired");
    TraceFileOp(app, "LoadMenu", image->size, true, start);
    return true;
}

void DeleteStoredData(AppState& app, bool all) {
    IFileSystem& fs = *app.sys.fs;
    const Paths& p = app.paths;
    if (all) {
        DeleteIfExists(fs, p.SettingsFile);
        DeleteIfExists(fs, p.SettingsBackup);
        DeleteIfExists(fs, p.SettingsFile + kTempSuffix);
    }
    DeleteIfExists(fs, p.MenuFile);
    DeleteIfExists(fs, p.MenuBackup);
    DeleteIfExists(fs, p.MenuFile + kTempSuffix);
    if (p.IconCacheFolder.empty())
        return;
    // The pictures, and the pre-scaled copies made from them.
    for (const std::string& pattern : {std::string("*.png"), std::string("*") + kScaledCopySuffix})
        for (const FindEntry& e : fs.Find(p.IconCacheFolder + pattern))
            if ((e.attributes & kAttrDirectory) == 0 && e.name != "." && e.name != "..")
                DeleteIfExists(fs, p.IconCacheFolder + e.name);
}

} // namespace qor
