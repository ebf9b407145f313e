// In-memory shell for the unit tests: links by path (each way separately), installer shortcuts,
// drive types, the drive list and the recycle bin. ShellTestApp wires it, the fake icon tools
// and the fake image cache into a TestApp.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakeIconTools.h"
#include "fakes/FakeImageCache.h"
#include "fakes/Fakes.h"
#include "platform/Shell.h"

namespace qor::test {

class FakeShell : public IShell {
public:
    std::map<std::string, ShellLinkInfo, NoCaseLess> shellLinks;  // read by the shell's link object
    std::map<std::string, ShellLinkInfo, NoCaseLess> scriptLinks; // read by "WScript.Shell"
    std::map<std::string, std::string, NoCaseLess> installerTargets;
    std::map<std::string, int, NoCaseLess> driveTypes; // by root; unlisted roots are fixed disks
    std::vector<std::string> drives{"C:\\"};
    std::optional<RecycleBinQuery> recycleBin = RecycleBinQuery{};
    std::vector<std::pair<std::string, LinkWay>> linkReads;
    int pumps = 0;

    // A link both ways read alike.
    void AddLink(const std::string& path, const ShellLinkInfo& info) {
        shellLinks[path] = info;
        scriptLinks[path] = info;
    }

    std::string ResolveInstallerShortcut(const std::string& linkPath) override {
        auto f = installerTargets.find(linkPath);
        return f == installerTargets.end() ? std::string() : f->second;
    }
    std::optional<ShellLinkInfo> ReadShellLink(const std::string& linkPath, LinkWay way) override {
        linkReads.emplace_back(linkPath, way);
        const auto& links = way == LinkWay::ShellLink ? shellLinks : scriptLinks;
        auto f = links.find(linkPath);
        if (f == links.end())
            return std::nullopt;
        return f->second;
    }
    int DriveType(const std::string& root) override {
        auto f = driveTypes.find(root);
        return f == driveTypes.end() ? drive::Fixed : f->second;
    }
    std::vector<std::string> LogicalDrives() override { return drives; }
    std::optional<RecycleBinQuery> QueryRecycleBin() override { return recycleBin; }
    void PumpMessages() override { ++pumps; }

    // Requests to open something, recorded; each answered with executeResult.
    std::vector<ShellExecuteCall> executes;
    intptr_t executeResult = 42;
    intptr_t Execute(const ShellExecuteCall& call) override {
        executes.push_back(call);
        return executeResult;
    }
    // Emptying succeeds and leaves the bin empty unless emptyFails.
    std::vector<unsigned> emptyRequests;
    bool emptyFails = false;
    int iconUpdates = 0;
    int runDialogs = 0;
    bool EmptyRecycleBin(unsigned flags) override {
        emptyRequests.push_back(flags);
        if (emptyFails)
            return false;
        if (recycleBin)
            *recycleBin = RecycleBinQuery{};
        return true;
    }
    void UpdateRecycleBinIcon() override { ++iconUpdates; }
    // Files handed to the recycle bin, with the flags; each answered with deleteResult.
    std::vector<std::pair<std::string, unsigned>> recycled;
    int deleteResult = 0;
    int DeleteToRecycleBin(const std::string& path, unsigned flags) override {
        recycled.emplace_back(path, flags);
        return deleteResult;
    }
    void RunFileDialog() override { ++runDialogs; }

    // The desktop's icon view (absent: no desktop shell) and the taskbar.
    std::optional<bool> iconViewVisible = true;
    std::optional<bool> taskbarVisible = true;
    bool ShowDesktopIconView(bool visible) override {
        if (!iconViewVisible)
            return false;
        *iconViewVisible = visible;
        return true;
    }
    bool ShowTaskbar(bool visible) override {
        if (!taskbarVisible)
            return false;
        *taskbarVisible = visible;
        return true;
    }
};

// A TestApp whose shell, icon tools and image cache are fakes too.
struct ShellTestApp : TestApp {
    FakeShell shell;
    FakeIconTools icons{fs};
    FakeImageCache images{fs};

    ShellTestApp() {
        app.sys.shell = &shell;
        app.sys.icons = &icons;
        app.sys.images = &images;
    }
};

} // namespace qor::test
