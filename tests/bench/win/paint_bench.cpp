// Paint benchmark under Wine: the ring with 36 positions at 1366 x 768 and 1920 x 1080, drawn by
// the real paint procedures on the GDI+ canvas and presented on a real layered window.
//
// For each size and for both canvas modes (every frame whole, and limited to what changed) it
// prints median and 95th percentile, in milliseconds, of:
//   floor       Clear + Present of an empty canvas
//   DockNormal  the resting ring painted (no present)
//   present     the UpdateLayeredWindow of a painted ring
//   DockAction  a hover change: the ring repainted with the next position enlarged, presented
//
//   paint_bench.exe [frames]      (default 120 frames per figure)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win/BenchFigures.h"
#include "core/AppState.h"
#include "dock/DockCanvas_win.h"
#include "dock/ImageCache_win.h"
#include "dock/Paint.h"
#include "fakes/Fakes.h"

using namespace qor;

namespace {

using bench::Figure;
using bench::NowMs;
using bench::Summarise;

std::string SourceDir() {
    // This file's own path names the source tree unless QOR_SOURCE_DIR says otherwise.
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
    const win::Handle file(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!win::IsValid(file))
        return std::nullopt;
    Bytes bytes(GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    const BOOL ok = ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    if (!ok || read != bytes.size())
        return std::nullopt;
    return bytes;
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

HWND MakeLayeredWindow(int width, int height) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QorPaintBench";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName, "paint bench", WS_POPUP,
                                  0, 0, width, height, nullptr, nullptr, wc.hInstance, nullptr);
    if (window)
        ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The ring of 36 shipped pictures with captions, as the program shows it at rest.
void FillRing(AppState& app, const std::string& sysIcons) {
    static const char* const kPictures[] = {"My Computer", "RecycleEmpty", "Internet",
                                            "Mailbox",     "Personal",     "MusicFolder",
                                            "PicFolder",   "Network",      "CPanel",
                                            "Printer",     "Search",       "Desktop",
                                            "Folder",      "File",         "Application",
                                            "Group",       "LogOff",       "LockWorkstation",
                                            "MonitorOff",  "Exit",         "Properties",
                                            "About",       "Display",      "DeviceManager",
                                            "FixedDrive",  "DVDDrive",     "FloppyDrive",
                                            "RamDrive",    "Library",      "FavFolder",
                                            "DocFolder",   "Directory",    "Network Connection",
                                            "Get Started", "HideQOR",      "Minimize"};
    for (int i = 1; i <= kSlotBound; ++i) {
        DockItem& item = app.store.Items[static_cast<std::size_t>(i)];
        const std::string name = kPictures[(i - 1) % std::size(kPictures)];
        item.Kind = kind::Shortcut;
        item.IconRef = i;
        item.Title = name;
        item.IconPath = sysIcons + name + ".png";
    }
    app.store.Items[0].Title = "QOR Desktop";
    app.store.Items[0].Kind = kind::User;
}

struct Results {
    Figure floor, small, normal, present, action;
    RECT lastDirty{};
    bool lastPartial = false;
};

Results Measure(int width, int height, bool tracking, int frames) {
    Results r;
    test::TestApp t;
    AppState& app = t.app;
    app.screen = MeasureScreen(ScreenInfo{Rect{0, 0, width, height}, 15, 15});
    SetDefaultSettings(app.cfg, app.run, app.screen);
    app.run.IconCount = 36;
    FillSizeLevels(app.geo, app.run);
    ComputeSlotTable(app.geo, app.screen, app.run);
    FillRing(app, SourceDir() + "\\resources\\SysIcons\\");

    HWND window = MakeLayeredWindow(width, height);
    std::unique_ptr<DockCanvas> canvas = DockCanvas::Create(nullptr, width, height);
    if (!window || !canvas) {
        std::printf("cannot make the window or canvas at %dx%d\n", width, height);
        return r;
    }
    ImageCache images(canvas->Graphics());
    SkinCache skin(canvas->Graphics());
    const std::string skinFolder = SourceDir() + "\\resources\\skin\\";
    LoadSkinImages(app, skin, images,
                   [&](const std::string& name) { return ReadWholeFile(skinFolder + name + ".png"); });
    canvas->SetCaches(&images, &skin);
    canvas->SetChangeTracking(tracking);
    app.sys.images = &images;
    IniIconParam(app);
    app.dock.State = dockstate::Expanded;
    app.dock.CentreImage = -1;

    double presentMs = 0;
    canvas->SetPresenter([&](const CanvasFrame& f) {
        const double t0 = NowMs();
        PresentLayered(window, f);
        GdiFlush();
        presentMs = NowMs() - t0;
        r.lastDirty = f.dirty;
        r.lastPartial = f.partial;
    });

    std::vector<double> floor, small, normal, present, action;
    // Floor: an empty canvas cleared and presented.
    for (int i = 0; i < frames; ++i) {
        const double t0 = NowMs();
        canvas->Clear(kClearArgb);
        canvas->Present(255);
        floor.push_back(NowMs() - t0);
        Pump();
    }
    // One 64-pixel square changed and presented: the fixed cost of a present.
    for (int i = 0; i < frames; ++i) {
        canvas->Clear(kClearArgb);
        canvas->FillRect(100 + (i % 2) * 64, 100, 64, 64, 0xFF336699u, Composite::SourceOver);
        canvas->Present(255);
        small.push_back(presentMs);
        Pump();
    }
    // The resting ring: paint and present timed apart.
    for (int i = 0; i < frames; ++i) {
        app.dock.HoverSlot = -1;
        const double t0 = NowMs();
        DockNormal(app, *canvas, true);
        normal.push_back(NowMs() - t0);
        canvas->Present(255);
        present.push_back(presentMs);
        Pump();
    }
    // Hover changes around the ring, each a full DockAction with its present.
    for (int i = 0; i < frames; ++i) {
        app.dock.LastHoverSlot = app.dock.HoverSlot;
        app.dock.HoverSlot = 1 + i % app.run.IconCount;
        const double t0 = NowMs();
        DockAction(app, *canvas, false);
        action.push_back(NowMs() - t0);
        Pump();
    }
    r.floor = Summarise(floor);
    r.small = Summarise(small);
    r.normal = Summarise(normal);
    r.present = Summarise(present);
    r.action = Summarise(action);
    canvas.reset();
    ReleaseImages(skin, images);
    DestroyWindow(window);
    Pump();
    return r;
}

void Print(const char* what, const Figure& f) {
    std::printf("  %-11s median %7.2f ms   p95 %7.2f ms\n", what, f.median, f.p95);
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(5, std::atoi(argv[1])) : 120;
    gdip::Session session;
    if (session.Start() != 0) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    std::printf("paint benchmark: 36 positions, %d frames per figure\n", frames);
    for (auto [w, h] : {std::pair{1366, 768}, {1920, 1080}}) {
        double wholeFloor = 0;
        for (bool tracking : {false, true}) {
            const Results r = Measure(w, h, tracking, frames);
            if (!tracking)
                wholeFloor = r.floor.median;
            std::printf("%dx%d, %s\n", w, h,
                        tracking ? "clear and present limited to what changed" : "whole canvas every frame");
            Print("floor", r.floor);
            Print("present 64", r.small);
            Print("DockNormal", r.normal);
            Print("present", r.present);
            Print("DockAction", r.action);
            if (tracking)
                std::printf("  last hover frame presented %ld,%ld-%ld,%ld\n", r.lastDirty.left,
                            r.lastDirty.top, r.lastDirty.right, r.lastDirty.bottom);
            std::printf(
                "  hover repaint p95 %s one 60 Hz frame (16.7 ms); median %.2fx the whole-canvas floor\n",
                r.action.p95 <= 16.7 ? "within" : "over", r.action.median / std::max(wholeFloor, 1e-6));
        }
    }
    return 0;
}
