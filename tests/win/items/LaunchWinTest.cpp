// Launching through the real shell: the marker program (tests/tools/qor_marker.cpp) reports how
// it was started. The recycle bin of the private Wine prefix, and numbers in the prefix's locale.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <map>

#include "core/AppState.h"
#include "core/Text.h"
#include "fakes/Fakes.h"
#include "fakes/RecordingActions.h"
#include "items/Desktop.h"
#include "items/Launch.h"
#include "platform/FileSystem_win.h"
#include "platform/Handles_win.h"
#include "platform/Shell_win.h"
#include "platform/System_win.h"
#include "win/items/LinkFiles.h"
#include "win/platform/WinTestFolder.h"

namespace qor {
namespace {

using test::RecordingDock;

// WinShell, with the requests to open something counted.
class CountingShell final : public IShell {
public:
    WinShell shell;
    int executes = 0;

    std::string ResolveInstallerShortcut(const std::string& p) override {
        return shell.ResolveInstallerShortcut(p);
    }
    std::optional<ShellLinkInfo> ReadShellLink(const std::string& p, LinkWay w) override {
        return shell.ReadShellLink(p, w);
    }
    int DriveType(const std::string& root) override { return shell.DriveType(root); }
    std::vector<std::string> LogicalDrives() override { return shell.LogicalDrives(); }
    std::optional<RecycleBinQuery> QueryRecycleBin() override { return shell.QueryRecycleBin(); }
    intptr_t Execute(const ShellExecuteCall& call) override {
        ++executes;
        return shell.Execute(call);
    }
    bool EmptyRecycleBin(unsigned flags) override { return shell.EmptyRecycleBin(flags); }
    void UpdateRecycleBinIcon() override { shell.UpdateRecycleBinIcon(); }
    int DeleteToRecycleBin(const std::string& path, unsigned flags) override {
        return shell.DeleteToRecycleBin(path, flags);
    }
    void RunFileDialog() override { ADD_FAILURE() << "the Run dialog would block the test"; }
    bool ShowDesktopIconView(bool visible) override { return shell.ShowDesktopIconView(visible); }
    bool ShowTaskbar(bool visible) override { return shell.ShowTaskbar(visible); }
};

std::string ExeFolder() {
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\') + 1);
}

std::string ReadText(const std::string& path) {
    const win::Handle h(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!win::IsValid(h))
        return {};
    std::string text(static_cast<std::size_t>(GetFileSize(h.get(), nullptr)), '\0');
    DWORD read = 0;
    ReadFile(h.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    text.resize(read);
    return text;
}

// The marker file's lines as name=value, once it appears (empty after 30 s without it).
std::map<std::string, std::string> WaitForMarker(const std::string& path) {
    for (int i = 0; i < 300 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    std::map<std::string, std::string> lines;
    const std::string text = ReadText(path);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            lines[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 2;
    }
    return lines;
}

std::string WithoutTrailingBackslash(std::string p) {
    while (p.size() > 3 && p.back() == '\\')
        p.pop_back();
    return p;
}

struct LaunchWin : ::testing::Test {
    WinFileSystem fs;
    WinSystem sys;
    CountingShell shell;
    test::FakeUi ui;
    AppState app;
    test::WinTestFolder folder;
    std::vector<std::string> calls;
    RecordingDock dock{calls};
    std::string programFolder, marker, markerFile;
    win::ComScope com;

    void SetUp() override {
        app.sys.fs = &fs;
        app.sys.sys = &sys;
        app.sys.shell = &shell;
        app.sys.ui = &ui;
        app.store.Create();
        // A folder with a blank in its name, as "Program Files" has.
        programFolder = folder / "marker tools\\";
        CreateDirectoryA(programFolder.c_str(), nullptr);
        CreateDirectoryA((folder / "work").c_str(), nullptr);
        marker = programFolder + "qor_marker.exe";
        ASSERT_TRUE(CopyFileA((ExeFolder() + "qor_marker.exe").c_str(), marker.c_str(), FALSE))
            << "qor_marker.exe is built beside the tests";
        markerFile = folder / "marker.txt";
        SetEnvironmentVariableA("QOR_MARKER_FILE", markerFile.c_str());
    }
    void TearDown() override { SetEnvironmentVariableA("QOR_MARKER_FILE", nullptr); }
    std::map<std::string, std::string> Launch(int item) {
        DeleteFileA(markerFile.c_str());
        EXPECT_TRUE(LaunchItem(app, item, dock));
        return WaitForMarker(markerFile);
    }
};

TEST_F(LaunchWin, ProgramRunsWithItsArgumentsFolderAndShowCommand) {
    struct Row {
        int32_t runMode;
        const char* show;
    };
    const Row rows[] = {{0, "1"}, {1, "2"}, {2, "3"}, {7, "1"}};
    for (const Row& row : rows) {
        SCOPED_TRACE("RunMode " + std::to_string(row.runMode));
        DockItem& d = app.store.Items[5];
        d = DockItem{};
        d.Kind = kind::Shortcut;
        d.Target = marker;
        d.TargetPath = marker;
        d.Arguments = "alpha \"b c\"";
        d.RunMode = row.runMode;
        auto m = Launch(5);
        ASSERT_FALSE(m.empty()) << "the marker program did not run";
        EXPECT_EQ(m["arguments"], "alpha \"b c\"");
        EXPECT_EQ(ToLowerAscii(WithoutTrailingBackslash(m["directory"])),
                  ToLowerAscii(WithoutTrailingBackslash(programFolder)));
        EXPECT_EQ(m["show"], row.show);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LaunchWin, ShortcutRunsItsTargetWithTheLinksArgumentsAndFolder) {
    const std::string link = folder / "Marker.lnk";
    test::Link l;
    l.target = marker;
    l.arguments = "--from-link 7";
    l.workingDirectory = folder / "work";
    l.show = SW_SHOWMINNOACTIVE; // the item's own RunMode wins
    ASSERT_TRUE(test::MakeLink(link, l));
    DockItem& d = app.store.Items[6];
    d.Kind = kind::Shortcut;
    d.Target = link;
    d.TargetPath = link;
    d.RunMode = 2;
    auto m = Launch(6);
    ASSERT_FALSE(m.empty()) << "the marker program did not run";
    EXPECT_EQ(m["arguments"], "--from-link 7");
    EXPECT_EQ(ToLowerAscii(WithoutTrailingBackslash(m["directory"])), ToLowerAscii(folder / "work"));
    EXPECT_EQ(m["show"], "3");
}

TEST_F(LaunchWin, MissingTargetsOpenNothing) {
    // A shortcut whose program was deleted afterwards, and an item whose file is gone.
    const std::string link = folder / "Gone.lnk";
    const std::string doomed = programFolder + "doomed.exe";
    ASSERT_TRUE(CopyFileA(marker.c_str(), doomed.c_str(), FALSE));
    test::Link l;
    l.target = doomed;
    ASSERT_TRUE(test::MakeLink(link, l));
    ASSERT_TRUE(DeleteFileA(doomed.c_str()));
    app.store.Items[6].Target = link;
    app.store.Items[7].Target = folder / "nothing here.exe";

    EXPECT_FALSE(LaunchItem(app, 6, dock));
    EXPECT_FALSE(LaunchItem(app, 7, dock));
    EXPECT_EQ(shell.executes, 0);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, MissingTargetText(link));
    EXPECT_EQ(ui.messages[1].text, MissingTargetText(folder / "nothing here.exe"));
    EXPECT_EQ(ui.messages[1].caption, "Problem with Shortcut");
    EXPECT_EQ(calls, (std::vector<std::string>{"EscCancel", "EscCancel"}));
}

// The locale's own separators, as the system reports them.
std::string LocaleText(LCTYPE type) {
    wchar_t buffer[16] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 16);
    char ansi[32] = {};
    WideCharToMultiByte(CP_ACP, 0, buffer, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

TEST(LocaleNumbersWin, FiguresUseTheLocalesSeparators) {
    WinSystem sys;
    const std::string d = LocaleText(LOCALE_SDECIMAL), t = LocaleText(LOCALE_STHOUSAND);
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(sys.FormatLocaleNumber("1.5", 1, false), "1" + d + "5");
    EXPECT_EQ(sys.FormatLocaleNumber("1234.25", 2, false), "1234" + d + "25");
    EXPECT_EQ(sys.FormatLocaleNumber("2", 0, false), "2");
    if (LocaleText(LOCALE_SGROUPING) == "3;0") {
        EXPECT_EQ(sys.FormatLocaleNumber("1177.38", 2, true), "1" + t + "177" + d + "38");
        EXPECT_EQ(sys.FormatLocaleNumber("2048", 0, true), "2" + t + "048");
        EXPECT_EQ(sys.FormatLocaleNumber("1234567", 0, true), "1" + t + "234" + t + "567");
    }
    EXPECT_EQ(sys.FormatLocaleNumber("12", 0, true), "12");

    struct Row {
        const char* sgrouping;
        unsigned value;
    };
    for (const Row& r :
         {Row{"3;0", 3}, Row{"3;2;0", 32}, Row{"3", 30}, Row{"3;2", 320}, Row{"0", 0}, Row{"", 0}}) {
        SCOPED_TRACE(r.sgrouping);
        EXPECT_EQ(GroupingFromLocale(r.sgrouping), r.value);
    }
}

// The prefix's own recycle bin (under the private HOME of the test run): a file deleted to it is
// counted, reported in the locale's figures, and emptied on Yes.
TEST_F(LaunchWin, RecycleBinStatusAndEmptying) {
    WinShell& bin = shell.shell;
    bin.EmptyRecycleBin(kEmptyBinNoConfirmation);
    auto q = bin.QueryRecycleBin();
    ASSERT_TRUE(q.has_value());
    ASSERT_EQ(q->items, 0);

    // An empty bin: nothing is asked; the status is a plain notice.
    EmptyRecycleBin(app);
    EXPECT_TRUE(ui.messages.empty());
    ShowRecycleBinStatus(app);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Your Recycle Bin consumes 0 Byte (0 Item) right now.");
    EXPECT_EQ(ui.messages[0].flags, mb::Ok | mb::IconInformation | mb::SetForeground);

    // 1536 bytes sent to the bin the way Explorer does it.
    const std::string doomed = folder / "QorStatus.txt";
    {
        const win::Handle h(
            CreateFileA(doomed.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(win::IsValid(h));
        const std::string bytes(1536, 'x');
        DWORD written = 0;
        WriteFile(h.get(), bytes.data(), 1536, &written, nullptr);
    }
    std::string from = doomed;
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationA(&op), 0);
    q = bin.QueryRecycleBin();
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(q->items, 1);
    EXPECT_TRUE(IsRecycleBinFull(app));

    ui.messages.clear();
    ui.answers = {mb::IdNo};
    ShowRecycleBinStatus(app);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(q->size, 1536);
    EXPECT_EQ(ui.messages[0].text, "Your Recycle Bin consumes 1" + LocaleText(LOCALE_SDECIMAL) +
                                       "5KB (1 Items) right now.\r\nDo you want to empty Recycle Bin?");
    EXPECT_EQ(ui.messages[0].caption, "Recycle Bin");
    EXPECT_EQ(bin.QueryRecycleBin()->items, 1); // No keeps it

    ui.answers = {mb::IdYes};
    ShowRecycleBinStatus(app);
    EXPECT_EQ(ui.messages.size(), 2u); // the shell asked nothing more
    EXPECT_EQ(bin.QueryRecycleBin()->items, 0);
    EXPECT_FALSE(IsRecycleBinFull(app));
}

} // namespace
} // namespace qor
