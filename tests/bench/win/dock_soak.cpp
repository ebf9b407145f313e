// Soak of the dock window under Wine: scripted hover, press, release and key events (10,000 by
// default) sent to a real FrmMain (its controller, GDI+ canvas, layered window, timers and
// hot-key actions) with a ring of 36 shipped pictures at 1366 x 768. Prints the GDI and USER
// object counts and the private memory before and after, and their drift; asserts nothing.
//
//   dock_soak.exe [events]
//
// GetGuiResources is not implemented by Wine (it returns 0 and ERROR_CALL_NOT_IMPLEMENTED).
// There the GDI count is read from the process's own GDI handle table (PEB
// GdiSharedHandleTable: 65,536 entries of 24 bytes, the object type in byte 14, 0 when free),
// and the USER count is the number of the process's windows. Goal: flat counts and a private
// memory drift of at most 1 MB.
#include <windows.h>

#include <intrin.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win/BenchFigures.h"
#include "core/AppState.h"
#include "dock/FrmMain_win.h"
#include "dock/Paint.h"
#include "fakes/Fakes.h"
#include "icons/IconExtraction_win.h"
#include "icons/IconResolve.h"
#include "platform/FileSystem_win.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"
#include "platform/System_win.h"

using namespace qor;

namespace {

constexpr int kWidth = 1366;
constexpr int kHeight = 768;
constexpr int kWarmUpEvents = 500;
constexpr double kGoalDriftMb = 1.0;

std::string SourceDir() {
    std::string dir = __FILE__;
    const std::size_t tail = dir.rfind("tests/bench/win/");
    dir = tail == std::string::npos ? std::string(".") : dir.substr(0, tail);
    if (const char* env = std::getenv("QOR_SOURCE_DIR"))
        dir = env;
    if (!dir.empty() && dir[0] == '/')
        dir = "Z:" + dir;
    for (char& c : dir)
        if (c == '/')
            c = '\\';
    return dir;
}

std::optional<Bytes> ReadWholeFile(const std::string& path) {
    WinFileSystem fs;
    return fs.ReadAll(path);
}

struct QuietProgram : win::IProgram {
    int frames = 0;
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override { ++frames; }
};

// ---- what is counted ---------------------------------------------------------------------------

bool g_wineTables = false;

int WineGdiObjects() {
    const char* peb = reinterpret_cast<const char*>(__readgsqword(0x60));
    const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
    if (!table)
        return -1;
    int used = 0;
    for (int i = 0; i < 0x10000; ++i)
        used += table[i * 24 + 14] != 0;
    return used;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(counter);
        EnumChildWindows(hwnd, CountWindow, counter);
    }
    return TRUE;
}

int ProcessWindows() {
    int n = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

unsigned long long CommittedPrivateBytes() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    unsigned long long total = 0;
    auto* address = static_cast<const char*>(info.lpMinimumApplicationAddress);
    const auto* end = static_cast<const char*>(info.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION region{};
    while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        address = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

struct Counts {
    int gdi = 0;
    int user = 0;
    double privateMb = 0;
};

Counts Measure() {
    Counts c;
    SetLastError(0);
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    g_wineTables = gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
    c.gdi = g_wineTables ? WineGdiObjects() : static_cast<int>(gdi);
    c.user = g_wineTables ? ProcessWindows()
                          : static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    PROCESS_MEMORY_COUNTERS_EX pm{};
    pm.cb = sizeof pm;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pm), sizeof pm);
    const unsigned long long bytes = pm.PrivateUsage ? pm.PrivateUsage : CommittedPrivateBytes();
    c.privateMb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    return c;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// ---- the ring ----------------------------------------------------------------------------------

// Odd positions hold shortcuts with shipped pictures (whose targets do not exist: nothing is ever
// started), even positions are blank; only blanks, the centre and empty space are clicked.
void FillRing(AppState& app) {
    static const char* const kPictures[] = {"My Computer", "Internet", "Mailbox", "MusicFolder", "PicFolder",
                                            "Network",     "CPanel",   "Printer", "Search",      "Desktop",
                                            "Folder",      "File",     "Group",   "LogOff",      "Display",
                                            "FixedDrive",  "DVDDrive", "Library"};
    for (int i = 1; i <= kSlotBound; ++i) {
        DockItem& item = app.store.Items[static_cast<std::size_t>(i)];
        app.store.Groups[static_cast<std::size_t>(i)].Members[0] = i;
        item.IconRef = i;
        if (i % 2 == 1) {
            const std::string name = kPictures[(i / 2) % std::size(kPictures)];
            item.Kind = kind::Shortcut;
            item.Title = name;
            item.IconPath = app.paths.SysIconsFolder + name + ".png";
            item.Target = "C:\\nowhere\\" + name + ".exe";
        } else {
            item.Kind = kind::Blank;
            item.Title = "Blank Shortcut";
            item.IconPath = app.paths.SysIconsFolder + "Shortcut.png";
        }
    }
    app.store.Items[0].Title = "Soak";
}

} // namespace

int main(int argc, char** argv) {
    const int events = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 10000;
    gdip::Session gdiplus;
    if (gdiplus.Start() != 0) {
        std::printf("GDI+ did not start\n");
        return 1;
    }

    // Real files, icons and pictures; questions, registry and trace are quiet stand-ins.
    WinFileSystem fs;
    WinSystem sys;
    WinIconTools icons;
    test::FakeUi ui;
    test::FakeRegistry reg;
    NullTrace trace;
    struct RealClock : IClock {
        uint64_t Ticks() override { return GetTickCount64(); }
        double NowMs() override { return bench::NowMs(); }
        void Sleep(uint32_t ms) override { ::Sleep(ms); }
    } clock;
    AppState app;
    app.sys = Platform{&fs, &sys, &reg, &ui, &clock, &trace};
    app.sys.icons = &icons;
    app.store.Create();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    app.paths.SysIconsFolder = SourceDir() + "\\resources\\SysIcons\\";
    app.paths.DataDir = std::string(temp) + "qor-dock-soak\\";
    app.paths.IconCacheFolder = app.paths.DataDir + "QorIcons\\";
    fs.CreateFolder(app.paths.DataDir);
    fs.CreateFolder(app.paths.IconCacheFolder);
    app.screen = MeasureScreen(ScreenInfo{Rect{0, 0, kWidth, kHeight}, 15, 15});
    SetDefaultSettings(app.cfg, app.run, app.screen);
    app.run.IconCount = 36;
    FillSizeLevels(app.geo, app.run);
    ComputeSlotTable(app.geo, app.screen, app.run);
    SetMinimizedPosition(app.geo, app.screen, app.run, 0);
    FillRing(app);

    // The counting fallback must see objects come and go before its figures mean anything.
    {
        Measure();
        if (g_wineTables) {
            const int before = WineGdiObjects();
            std::vector<win::GdiObject<HBRUSH>> brushes;
            for (int i = 0; i < 100; ++i)
                brushes.emplace_back(CreateSolidBrush(RGB(i, 0, 0)));
            const int during = WineGdiObjects();
            brushes.clear();
            std::printf("GetGuiResources is not implemented here: GDI objects counted in the process's "
                        "handle table (100 brushes: %d -> %d -> %d), USER objects as its windows\n",
                        before, during, WineGdiObjects());
        }
    }

    QuietProgram program;
    FrmMain dock(app, program);
    if (!dock.Load(GetModuleHandleA(nullptr))) {
        std::printf("the dock window was not created\n");
        return 1;
    }
    const std::string skinFolder = SourceDir() + "\\resources\\skin\\";
    dock.LoadImages([&](int item) { BuildItemImages(app, item); },
                    [&](const std::string& name) { return ReadWholeFile(skinFolder + name + ".png"); });
    SetMinimizedPosition(app.geo, app.screen, app.run, 0);
    dock.Show();
    dock.DockFocus(true);
    dock.FinishPendingImages();
    Pump();

    const HWND hwnd = dock.Hwnd();
    const auto at = [&](int slot, int dx = 0) {
        const DockSlot& s = app.geo.Slots[static_cast<std::size_t>(slot)];
        return MAKELPARAM(s.IconLeft + s.IconSide / 2 + dx, s.IconTop + s.IconSide / 2);
    };
    int sent = 0;
    const auto send = [&](UINT msg, WPARAM wParam, LPARAM lParam) {
        SendMessageA(hwnd, msg, wParam, lParam);
        ++sent;
        if (sent % 8 == 0)
            Pump(); // the timers tick in between, as they do for a user
    };
    // One round of the script: hover around the ring, press and release on blanks, the centre
    // and empty space, the right button on a blank, keyboard mode with a blank's digit and
    // Escape, minimize and expand.
    int round = 0;
    const auto script = [&](int until) {
        while (sent < until) {
            const int p = 1 + round % 36;
            send(WM_MOUSEMOVE, 0, at(p));
            send(WM_MOUSEMOVE, 0, at(p, 1));
            if (round % 3 == 0) {
                const int blank = 2 + 2 * (round % 18);
                send(WM_MOUSEMOVE, 0, at(blank));
                send(WM_LBUTTONDOWN, MK_LBUTTON, at(blank));
                send(WM_LBUTTONUP, 0, at(blank));
            }
            if (round % 7 == 0) {
                send(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10 + round % 50));
                send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
                send(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
                send(WM_RBUTTONDOWN, MK_RBUTTON, at(4));
                send(WM_RBUTTONUP, 0, at(4));
            }
            if (round % 11 == 0) {
                dock.Controller().OnHotKey(HotKey::KeyboardDock);
                ++sent;
                send(WM_KEYDOWN, '3', 0); // position 4: a blank
                send(WM_KEYUP, '3', 0);
                send(WM_KEYDOWN, VK_ESCAPE, 0);
                send(WM_KEYUP, VK_ESCAPE, 0);
            }
            if (round % 29 == 0) {
                send(WM_MOUSEMOVE, 0, at(0));
                send(WM_LBUTTONDOWN, MK_LBUTTON, at(0)); // minimize
                send(WM_LBUTTONUP, 0, at(0));
                send(WM_LBUTTONDOWN, MK_LBUTTON, at(0)); // and expand again
                send(WM_LBUTTONUP, 0, at(0));
            }
            ++round;
        }
    };

    script(kWarmUpEvents);
    Pump();
    const Counts before = Measure();
    const double t0 = bench::NowMs();
    std::printf("%8s %8s %8s %12s\n", "events", "GDI", "USER", "private MB");
    std::printf("%8d %8d %8d %12.2f\n", sent, before.gdi, before.user, before.privateMb);
    const int step = (events + 4) / 5;
    for (int target = kWarmUpEvents + step;; target += step) {
        script(std::min(target, kWarmUpEvents + events));
        Pump();
        const Counts now = Measure();
        std::printf("%8d %8d %8d %12.2f\n", sent, now.gdi, now.user, now.privateMb);
        if (sent >= kWarmUpEvents + events)
            break;
    }
    const double seconds = (bench::NowMs() - t0) / 1000.0;
    const Counts after = Measure();
    const double drift = after.privateMb - before.privateMb;
    std::printf("\n%d events in %.1f s (after %d warm-up events), %d frames presented in all\n",
                sent - kWarmUpEvents, seconds, kWarmUpEvents, program.frames);
    std::printf("GDI objects  %d -> %d (%+d)\n", before.gdi, after.gdi, after.gdi - before.gdi);
    std::printf("USER objects %d -> %d (%+d)%s\n", before.user, after.user, after.user - before.user,
                g_wineTables ? " (windows)" : "");
    std::printf("private      %.2f MB -> %.2f MB (%+.2f MB; goal within %.0f MB)\n", before.privateMb,
                after.privateMb, drift, kGoalDriftMb);
    std::printf("goal %s\n", after.gdi == before.gdi && after.user == before.user && drift <= kGoalDriftMb
                                 ? "met"
                                 : "MISSED");
    dock.Unload();
    gdiplus.Stop();
    return 0;
}
