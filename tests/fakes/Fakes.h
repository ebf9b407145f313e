// In-memory stand-ins for the system seams, for the portable unit tests.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/AppState.h"
#include "platform/Platform.h"

namespace qor::test {

// Paths are compared without regard to case, as on Windows.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class FakeFileSystem : public IFileSystem {
public:
    std::map<std::string, Bytes, NoCaseLess> files;
    std::map<std::string, uint32_t, NoCaseLess> folders;         // folder path without trailing backslash
    std::map<std::string, uint32_t, NoCaseLess> extraAttributes; // attributes added to a file's

    // Fault injection: the operation with this running number (counted over Create, Write,
    // Flush, Close, Delete, Copy, Replace) fails, and with `crash` every later one fails too
    // (the process stopped there).
    int failAt = -1;
    bool crash = false;
    int operations = 0;
    // Folders where nothing can be created (files or sub-folders), as in a folder that needs
    // administrator rights; their sub-folders count too.
    std::set<std::string, NoCaseLess> readOnlyFolders;

    void AddFile(const std::string& path, const Bytes& bytes);
    void AddFile(const std::string& path, const std::string& text);
    void AddFolder(const std::string& path, uint32_t attributes = kAttrDirectory);
    bool Has(const std::string& path) const { return files.count(path) != 0; }

    uint32_t GetAttributes(const std::string& path) override;
    std::optional<Bytes> ReadAll(const std::string& path) override;
    int64_t GetLength(const std::string& path) override;
    std::unique_ptr<IWriteFile> Create(const std::string& path) override;
    bool Delete(const std::string& path) override;
    bool Copy(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool CreateFolder(const std::string& path) override;
    std::vector<FindEntry> Find(const std::string& pattern) override;

    // True when the next counted operation may run (and counts it).
    bool Step();
    // True when `path` lies inside one of readOnlyFolders.
    bool InReadOnlyFolder(const std::string& path) const;
};

class FakeSystem : public ISystem {
public:
    std::map<std::string, std::string, NoCaseLess> environment;
    std::map<int, std::string> specialFolders;
    std::string tempFolder = "C:\\Temp\\";
    std::string userName = "user";
    std::string programPath = "C:\\Program Files\\QOR Desktop\\QORDesktop.exe";
    ScreenInfo screen{{0, 0, 1366, 728}, 15, 15};
    // Further monitors beside the primary one (`screen`), by their work areas.
    std::vector<ScreenInfo> otherMonitors;
    OsVersion version{6, 1, 7601, 2, "Service Pack 1", true};

    FakeSystem();
    std::optional<std::string> GetEnvVar(const std::string& name) override;
    std::string GetSpecialFolder(int csidl) override;
    std::string GetTempFolder() override { return tempFolder; }
    std::string GetLogonUserName() override { return userName; }
    std::string GetProgramPath() override { return programPath; }
    ScreenInfo GetScreenInfo() override { return screen; }
    // The monitor whose work area holds the point, else the nearest.
    ScreenInfo GetScreenInfoAt(int x, int y) override;
    OsVersion GetOsVersion() override { return version; }

    // Session requests, recorded and never carried out.
    std::vector<std::pair<unsigned, unsigned>> exitRequests; // flags, reason
    int locks = 0;
    bool LockWorkStation() override {
        ++locks;
        return true;
    }
    bool ExitWindowsEx(unsigned flags, unsigned reason) override {
        exitRequests.emplace_back(flags, reason);
        return true;
    }
    // The locale's number format: separators and a group size of three (0: no grouping).
    std::string decimalSeparator = ".";
    std::string thousandSeparator = ",";
    std::string FormatLocaleNumber(const std::string& plainNumber, int decimals, bool grouping) override;
};

class FakeRegistry : public IRegistry {
public:
    struct Key {
        std::map<std::string, RegValue, NoCaseLess> values;
    };
    // Keyed by root handle and sub-key (case-insensitive).
    std::map<std::pair<uint32_t, std::string>, Key> keys;
    std::set<std::pair<uint32_t, std::string>> readOnlyKeys;

    std::optional<RegValue> Query(uint32_t root, const std::string& subKey, const std::string& name,
                                  std::size_t maxBytes) override;
    std::optional<long> Set(uint32_t root, const std::string& subKey, const std::string& name, uint32_t type,
                            const Bytes& data) override;
    std::optional<long> Delete(uint32_t root, const std::string& subKey, const std::string& name) override;

    void SetString(uint32_t root, const std::string& subKey, const std::string& name,
                   const std::string& value);
    std::optional<std::string> GetString(uint32_t root, const std::string& subKey, const std::string& name);
};

class FakeUi : public IUi {
public:
    struct Shown {
        std::string text, caption;
        unsigned flags;
    };
    std::vector<Shown> messages;
    std::vector<int> answers; // answers to message boxes in order; IdOk/IdNo when exhausted
    std::vector<FileDialogRequest> dialogs;
    std::vector<std::string> dialogAnswers;
    std::vector<bool> busy;

    int ShowMessage(const std::string& text, const std::string& caption, unsigned flags) override;
    std::string FileDialog(const FileDialogRequest& request) override;
    void SetBusy(bool on) override { busy.push_back(on); }
};

class FakeClock : public IClock {
public:
    uint64_t now = 1000;
    std::vector<uint32_t> sleeps;
    uint64_t Ticks() override { return now; }
    double NowMs() override { return static_cast<double>(now); }
    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
};

class RecordingTrace : public ITrace {
public:
    std::vector<std::string> lines;
    bool Enabled() const override { return true; }
    void Line(const std::string& text) override { lines.push_back(text); }
};

// An AppState wired to fresh fakes, with the store created and the standard paths formed
// (program in "C:\Program Files\QOR Desktop\", data in "C:\Program Files\Common Files\QORSoft\QOR Desktop\").
struct TestApp {
    FakeFileSystem fs;
    FakeSystem sys;
    FakeRegistry reg;
    FakeUi ui;
    FakeClock clock;
    NullTrace trace;
    AppState app;

    TestApp();
};

} // namespace qor::test
