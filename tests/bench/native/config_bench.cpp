// Times the configuration files on a real disk: SaveMenu and LoadMenu of a full 1.3 MB menu
// file (goal: each under 15 ms), SaveSettings and LoadSettings, and a full shortcuts-and-icons
// backup and restore. Windows paths ("C:\...") are mapped into a scratch folder under /tmp by a
// small POSIX file system; Flush is fsync, as FlushFileBuffers is on Windows.
//
//   config_bench [rounds]
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Backup.h"
#include "core/ConfigFiles.h"
#include "core/ConfigFormat.h"
#include "core/Settings.h"
#include "fakes/Fakes.h"

using namespace qor;

namespace {

class PosixWriteFile : public IWriteFile {
public:
    PosixWriteFile(int fd, bool sync) : m_fd(fd), m_sync(sync) {}
    ~PosixWriteFile() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Write(const void* data, std::size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(m_fd, p, size);
            if (n <= 0)
                return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Flush() override { return !m_sync || ::fsync(m_fd) == 0; }
    bool Close() override {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
    bool m_sync;
};

// "C:\a\b.txt" -> root + "/a/b.txt".
class PosixFileSystem : public IFileSystem {
public:
    explicit PosixFileSystem(std::string root) : m_root(std::move(root)) {}
    bool sync = true; // false: Flush leaves the data in the page cache (to separate the costs)

    std::string Map(const std::string& path) const {
        std::string p = path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
        std::replace(p.begin(), p.end(), '\\', '/');
        while (p.size() > 1 && p.back() == '/')
            p.pop_back();
        return m_root + p;
    }
    uint32_t GetAttributes(const std::string& path) override {
        struct stat st {};
        if (::stat(Map(path).c_str(), &st) != 0)
            return kNoAttributes;
        return S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    }
    std::optional<Bytes> ReadAll(const std::string& path) override {
        const int fd = ::open(Map(path).c_str(), O_RDONLY);
        if (fd < 0)
            return std::nullopt;
        struct stat st {};
        ::fstat(fd, &st);
        Bytes b(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < b.size()) {
            const ssize_t n = ::read(fd, b.data() + done, b.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        if (done != b.size())
            return std::nullopt;
        return b;
    }
    int64_t GetLength(const std::string& path) override {
        struct stat st {};
        return ::stat(Map(path).c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }
    std::unique_ptr<IWriteFile> Create(const std::string& path) override {
        const int fd = ::open(Map(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        return fd < 0 ? nullptr : std::make_unique<PosixWriteFile>(fd, sync);
    }
    bool Delete(const std::string& path) override { return ::unlink(Map(path).c_str()) == 0; }
    bool Copy(const std::string& from, const std::string& to) override {
        auto b = ReadAll(from);
        return b && WriteWholeFile(*this, to, *b);
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return ::rename(Map(from).c_str(), Map(to).c_str()) == 0;
    }
    bool CreateFolder(const std::string& path) override { return ::mkdir(Map(path).c_str(), 0755) == 0; }
    std::vector<FindEntry> Find(const std::string& pattern) override {
        // Only the "folder\*.ext" form the program uses.
        std::vector<FindEntry> out;
        const std::size_t cut = pattern.find_last_of('\\');
        const std::string folder = pattern.substr(0, cut + 1);
        const std::string ext = pattern.substr(pattern.find_last_of('*') + 1);
        DIR* d = ::opendir(Map(folder).c_str());
        if (!d)
            return out;
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name.size() >= ext.size() &&
                ToLowerAscii(name.substr(name.size() - ext.size())) == ToLowerAscii(ext))
                out.push_back({name, GetAttributes(folder + name)});
        }
        ::closedir(d);
        return out;
    }

private:
    std::string m_root;
};

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

template <class F> std::vector<double> Time(int rounds, F&& f) {
    std::vector<double> out;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        f();
        out.push_back(Ms(std::chrono::steady_clock::now() - start));
    }
    std::sort(out.begin(), out.end());
    return out;
}

void Report(const char* what, std::size_t bytes, const std::vector<double>& t, double goal) {
    std::printf("%-34s %9zu bytes  median %7.2f ms  min %7.2f ms  max %7.2f ms", what, bytes, t[t.size() / 2],
                t.front(), t.back());
    if (goal > 0)
        std::printf("  (goal < %.0f ms: %s)", goal, t[t.size() / 2] < goal ? "met" : "NOT MET");
    std::printf("\n");
}

// Every pool item in use, spread over the user groups, with full-length text fields.
void FillDock(AppState& app, int pictures) {
    Store& s = app.store;
    s.Create();
    int g = kFirstUserGroup;
    for (int i = kFirstPoolItem; i <= kItemBound; ++i) {
        while (s.Groups[g].Count >= GroupCapacity(g) || (g == 3 && s.Groups[g].Count >= 600))
            ++g;
        DockItem& it = s.Items[i];
        it.Kind = kind::Member;
        it.Title = "Program number " + std::to_string(i);
        it.Target = app.paths.ProgramFilesFolder + "Vendor " + std::to_string(i) + "\\Program.exe";
        it.TargetPath = it.Target.Peek();
        it.IconPath = app.paths.SysIconsFolder + "Application.png";
        it.IconRef = i;
        s.Groups[g].Members[++s.Groups[g].Count] = i;
    }
    for (int g2 = 3; g2 <= 36; ++g2) {
        s.Items[g2].Kind = g2 == 3 ? kind::AllPrograms : kind::Group;
        s.Items[g2].Title = "Group " + std::to_string(g2);
    }
    // Some items carry their own cached pictures (4 KB each).
    const Bytes png(4096, 0x5A);
    for (int k = 0; k < pictures; ++k) {
        const std::string path = app.paths.IconCacheFolder + std::to_string(k) + ".png";
        WriteWholeFile(*app.sys.fs, path, png);
        s.Items[kFirstPoolItem + k].IconPath = path;
    }
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    char folder[] = "/tmp/qor-config-bench-XXXXXX";
    if (!::mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    PosixFileSystem fs(folder);
    test::TestApp t;
    t.app.sys.fs = &fs;
    for (const char* f : {"C:\\Program Files", "C:\\Program Files\\Common Files",
                          "C:\\Program Files\\QOR Desktop", "C:\\Program Files\\QOR Desktop\\SysIcons",
                          "C:\\Users", "C:\\Users\\user", "C:\\Users\\user\\Documents"})
        fs.CreateFolder(f);
    InitPaths(t.app);
    t.app.screen = MeasureScreen(t.sys.screen);
    SetDefaultSettings(t.app.cfg, t.app.run, t.app.screen);
    const int pictures = 400;
    FillDock(t.app, pictures);
    std::printf("config_bench: %d rounds, files under %s (%s)\n", rounds, folder,
                t.app.paths.DataDir.c_str());

    Report("SaveMenu (full store)", kStandardMenuFileSize, Time(rounds, [&] { SaveMenu(t.app); }), 15);
    fs.sync = false;
    Report("  the same without the two flushes", kStandardMenuFileSize,
           Time(rounds, [&] { SaveMenu(t.app); }), 15);
    fs.sync = true;
    const Store saved = t.app.store;
    Report("LoadMenu (full store)", kStandardMenuFileSize, Time(rounds, [&] { LoadMenu(t.app); }), 15);
    bool same = t.app.store.Groups == saved.Groups;
    for (int i = kFirstPoolItem; i <= kItemBound; ++i)
        same = same && t.app.store.Items[i] == saved.Items[i];
    if (!same)
        std::printf("LoadMenu did not give back the saved store!\n");
    Report("SaveSettings", kSettingsFileSize, Time(rounds, [&] { SaveSettings(t.app); }), 0);
    Report("LoadSettings", kSettingsFileSize, Time(rounds, [&] { LoadSettings(t.app); }), 0);

    const std::string backup = "C:\\Users\\user\\Documents\\QOR Desktop Icons.bak";
    Report("WriteBackup (400 pictures of 4 KB)", 0, Time(rounds, [&] { WriteBackup(t.app, backup); }), 0);
    const int64_t backupSize = fs.GetLength(backup);
    std::printf("  backup file: %lld bytes\n", static_cast<long long>(backupSize));
    Report("ReadBackup (restore of it)", static_cast<std::size_t>(backupSize),
           Time(rounds, [&] { ReadBackup(t.app, backup); }), 0);
    if (!t.ui.messages.empty())
        std::printf("messages were shown: %s\n", t.ui.messages.back().text.c_str());

    const std::string cleanup = std::string("rm -rf '") + folder + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
