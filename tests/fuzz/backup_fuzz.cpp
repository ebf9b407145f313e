// Shortcuts-and-icons backups from outside: whatever the file holds, a restore writes only
// inside the program's data folder, every picture path it leaves in the store is empty, a
// shipped picture of this install or a picture of this machine's icon cache, the store keeps
// its invariants, and a restore that fails changes nothing.
//
// Input forms:
// - as large as a menu file or larger: the whole backup file;
// - otherwise "paths NUL tail": up to eight lines of picture paths given to pool items
//   129..132 (IconPath, LargeIconPath in turn) of a fixed dock, whose menu records are followed
//   by the tail as the picture part. Without a NUL the whole input is the tail.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>

#include "SeedFiles.h"
#include "core/Backup.h"
#include "core/ConfigFiles.h"
#include "core/ConfigFormat.h"
#include "core/Settings.h"
#include "fakes/Fakes.h"

using namespace qor;

namespace {

const std::string kBackupPath = "C:\\Users\\user\\Documents\\QOR Desktop Icons.bak";

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

test::TestApp& App() {
    static test::TestApp* app = new test::TestApp();
    return *app;
}

std::string Cache() {
    return App().app.paths.IconCacheFolder;
}

// The fixed dock of the short input form: group 6 with four members carrying pictures.
Store BaseDock() {
    Store s;
    s.Create();
    s.Items[6].Kind = kind::Group;
    s.Items[6].Title = "Tools";
    for (int k = 0; k < 4; ++k) {
        DockItem& it = s.Items[129 + k];
        it.Kind = kind::Member;
        it.Title = "m" + std::to_string(k);
        it.IconPath = Cache() + std::to_string(k) + ".png";
        s.Groups[6].Members[k + 1] = 129 + k;
    }
    s.Groups[6].Count = 4;
    return s;
}

Bytes ShortFormBackup(const uint8_t* data, std::size_t size) {
    Store s = BaseDock();
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const uint8_t* tail = data;
    if (nul) {
        std::string paths(reinterpret_cast<const char*>(data), static_cast<std::size_t>(nul - data));
        int slot = 0;
        std::size_t start = 0;
        while (slot < 8 && start <= paths.size()) {
            std::size_t end = paths.find('\n', start);
            if (end == std::string::npos)
                end = paths.size();
            DockItem& it = s.Items[129 + slot / 2];
            (slot % 2 ? it.LargeIconPath : it.IconPath) = paths.substr(start, end - start);
            ++slot;
            start = end + 1;
        }
        tail = nul + 1;
    }
    Bytes file = SerializeMenu(s);
    file.insert(file.end(), tail, data + size);
    return file;
}

// The running dock: saved, with one picture of its own. Made once; every input starts from it.
struct Baseline {
    Store store;
    std::map<std::string, Bytes, test::NoCaseLess> files;
};

const Baseline& Base() {
    static const Baseline* base = [] {
        test::TestApp& t = App();
        t.fs.files.clear();
        t.app.store.Create();
        t.app.store.Items[4].Kind = kind::Shortcut;
        t.app.store.Items[4].IconPath = Cache() + "0.png";
        t.fs.AddFile(Cache() + "0.png", Bytes{'o', 'l', 'd'});
        SaveMenu(t.app);
        return new Baseline{t.app.store, t.fs.files};
    }();
    return *base;
}

void Prepare(test::TestApp& t) {
    t.ui.messages.clear();
    t.fs.files = Base().files;
    t.app.store = Base().store;
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

// Items from 4 up name a numbered picture of this machine's cache, a shipped picture of this
// install or nothing; items 0..3 (never carried) may keep any file directly in the cache.
bool IsAllowedPicture(const std::string& p, int item, const Paths& paths) {
    if (p.empty() || IsCachePictureName(p, paths.IconCacheFolder))
        return true;
    if (StartsWith(p, paths.SysIconsFolder))
        return IsPlainName(p.substr(paths.SysIconsFolder.size()));
    return item < 4 && StartsWith(ToLowerAscii(p), ToLowerAscii(paths.IconCacheFolder)) &&
           IsPlainName(p.substr(paths.IconCacheFolder.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    test::TestApp& t = App();
    std::vector<fuzz::Seed> seeds;
    {
        // A real backup of a dock with pictures, made by WriteBackup.
        test::TestApp w;
        w.app.store.Create();
        w.app.store = BaseDock();
        for (int k = 0; k < 4; ++k)
            w.fs.AddFile(Cache() + std::to_string(k) + ".png", Bytes(16 + k, static_cast<uint8_t>('a' + k)));
        w.app.store.Items[130].LargeIconPath = w.app.paths.SysIconsFolder + "Folder.png";
        WriteBackup(w.app, kBackupPath);
        seeds.push_back({"dock-backup.bak", w.fs.files[kBackupPath]});
        // Its picture part alone is the short form's tail with the same paths.
        const Bytes& full = w.fs.files[kBackupPath];
        Bytes tail(1, 0);
        tail.insert(tail.end(), full.begin() + static_cast<std::ptrdiff_t>(kStandardMenuFileSize),
                    full.end());
        // IconPath and LargeIconPath of items 129..132, one line each.
        const std::string sys = w.app.paths.SysIconsFolder;
        const std::string paths = Cache() + "0.png\n\n" + Cache() + "1.png\n" + sys + "Folder.png\n" +
                                  Cache() + "2.png\n\n" + Cache() + "3.png";
        Bytes shortForm(paths.begin(), paths.end());
        shortForm.insert(shortForm.end(), tail.begin(), tail.end());
        seeds.push_back({"short-form", shortForm});
        Bytes hostile;
        const std::string evil = Cache() + "..\\..\\..\\Windows\\evil.png\nC:\\Windows\\system32\\x.dll\n" +
                                 Cache() + "1.png:s\n\\\\server\\share\\a.png";
        hostile.assign(evil.begin(), evil.end());
        hostile.push_back(0);
        for (int k = 0; k < 4; ++k) {
            hostile.insert(hostile.end(), {3, 0, 0, 0, 'e', 'v', 'l'});
        }
        hostile.insert(hostile.end(), {'/', 'E', 'N', 'D'});
        seeds.push_back({"hostile-paths", hostile});
    }
    (void)t;
    fuzz::WriteSeedsIfAsked(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    test::TestApp& t = App();
    Prepare(t);
    const auto& before = Base().files;
    const Store& storeBefore = Base().store;

    Bytes file = size >= kStandardMenuFileSize ? Bytes(data, data + size) : ShortFormBackup(data, size);
    const bool parses = ParseBackup(file, t.app.paths.SysIconsFolder).has_value();
    t.fs.AddFile(kBackupPath, std::move(file));
    const bool restored = ReadBackup(t.app, kBackupPath);
    Check(restored == parses);

    const std::string data0 = ToLowerAscii(t.app.paths.DataDir);
    for (const auto& [path, bytes] : t.fs.files) {
        if (path == kBackupPath)
            continue;
        auto old = before.find(path);
        if (old != before.end() && old->second == bytes)
            continue;
        Check(ToLowerAscii(path).compare(0, data0.size(), data0) == 0);
    }
    if (!restored) {
        Check(t.app.store.Items == storeBefore.Items && t.app.store.Groups == storeBefore.Groups);
        t.fs.files.erase(kBackupPath);
        Check(t.fs.files == before);
        return 0;
    }
    Check(CheckStoreInvariants(t.app.store).empty());
    for (int i = 0; i <= kItemBound; ++i) {
        const DockItem& it = t.app.store.Items[i];
        Check(IsAllowedPicture(it.IconPath.Peek(), i, t.app.paths));
        Check(IsAllowedPicture(it.LargeIconPath.Peek(), i, t.app.paths));
    }
    return 0;
}
