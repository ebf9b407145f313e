// Pop-up paint benchmark under Wine: a group panel of 18 rows (of 40 members) at 1920 x 1080,
// drawn by the real paint procedures on the GDI+ canvas with the shipped skin and presented on a
// real layered window covering the panel, as FrmSubMenu does. Prints median and 95th
// percentile, in milliseconds, of:
//   body        "MENUBODY" stretched to the panel
//   texts       the 36 captions and letters of the rows
//   icons       the 18 row icons
//   MenuNormal  the panel at rest (no present)
//   present     the UpdateLayeredWindow of the panel
//   MenuAction  a hover change: the panel repainted with the next row lit, presented
//
//   popup_paint_bench.exe [frames]      (default 120 frames per figure)
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
#include "dock/Skin.h"
#include "fakes/Fakes.h"
#include "popup/PopupPaint.h"

using namespace qor;

namespace {

using bench::Figure;
using bench::NowMs;
using bench::Summarise;

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

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

template <class F> Figure Time(int frames, F&& step) {
    std::vector<double> ms;
    for (int i = 0; i < frames; ++i) {
        const double t0 = NowMs();
        step(i);
        ms.push_back(NowMs() - t0);
        Pump();
    }
    return Summarise(ms);
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
    constexpr int kWidth = 1920, kHeight = 1080, kMembers = 40;
    test::TestApp t;
    AppState& app = t.app;
    app.screen = MeasureScreen(ScreenInfo{Rect{0, 0, kWidth, kHeight}, 15, 15});
    SetDefaultSettings(app.cfg, app.run, app.screen);
    FillSizeLevels(app.geo, app.run);
    app.geo.PopupRows = ComputePopupRows(kHeight);

    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QorPopupPaintBench";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName, "popup bench", WS_POPUP,
                                  0, 0, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    std::unique_ptr<DockCanvas> canvas = DockCanvas::Create(nullptr, kWidth, kHeight);
    if (!window || !canvas) {
        std::printf("cannot make the window or canvas\n");
        return 1;
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    ImageCache images(canvas->Graphics());
    SkinCache skin(canvas->Graphics());
    const std::string skinFolder = SourceDir() + "\\resources\\skin\\";
    LoadSkinImages(app, skin, images,
                   [&](const std::string& name) { return ReadWholeFile(skinFolder + name + ".png"); });
    canvas->SetCaches(&images, &skin);
    double presentMs = 0;
    Rect area{};
    canvas->SetPresenter([&](const CanvasFrame& f) {
        const double t0 = NowMs();
        POINT destination{area.left, area.top};
        POINT source{area.left, area.top};
        SIZE size{area.Width(), area.Height()};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, f.alpha, AC_SRC_ALPHA};
        UpdateLayeredWindow(window, nullptr, &destination, &size, f.dc, &source, 0, &blend, ULW_ALPHA);
        GdiFlush();
        presentMs = NowMs() - t0;
    });

    // 40 members with the shipped "File" picture at 32 pixels and a caption each.
    PopupPanel panel;
    panel.EntryCount = kMembers;
    panel.MenuLeft = 1000;
    panel.MenuTop = 100;
    panel.CanScrollDown = true;
    panel.EntryItem.assign(kMembers + 1, 0);
    panel.EntryImage.assign(kMembers + 1, 0);
    panel.EntryCaption.assign(kMembers + 1, "");
    panel.EntryParam.assign(kMembers + 1, 0);
    const std::string file = SourceDir() + "\\resources\\SysIcons\\File.png";
    for (int e = 1; e <= kMembers; ++e) {
        const int item = kFirstPoolItem + e - 1;
        if (images.LoadWorkingFromFile(file))
            images.ScaleIntoCache(item, 4, 32, 32, false);
        images.DisposeWorking();
        panel.EntryItem[e] = panel.EntryImage[e] = item;
        panel.EntryCaption[e] = "Member number " + std::to_string(e) + ".txt";
    }
    FillRowRects(panel, app.geo.PopupRows);
    const int rows = app.geo.PopupRows;
    area = Rect{panel.MenuLeft, panel.MenuTop, panel.MenuLeft + kPanelWidth,
                panel.MenuTop + PanelHeight(kMembers, rows)};
    std::printf("pop-up paint benchmark: %dx%d, %d rows of %d members, %d frames per figure\n", kWidth,
                kHeight, rows, kMembers, frames);

    const int bodyHeight = 38 * rows + 60;
    Print("body", Time(frames, [&](int) {
              canvas->DrawScaled(SkinImage(skin::MenuBody), panel.MenuLeft, panel.MenuTop + 10, 268,
                                 bodyHeight, kNoFade);
              gdip::GdipFlush(canvas->Graphics(), gdip::FlushIntentionSync);
          }));
    Print("texts", Time(frames, [&](int) {
              for (int k = 1; k <= rows; ++k) {
                  canvas->DrawPanelText(panel.EntryCaption[k], 1048, 145 + 38 * (k - 1), 183, 28, false,
                                        false);
                  canvas->DrawPanelText("A", 1237, 145 + 38 * (k - 1), 18, 28, false, false);
              }
              gdip::GdipFlush(canvas->Graphics(), gdip::FlushIntentionSync);
          }));
    Print("icons", Time(frames, [&](int) {
              for (int k = 1; k <= rows; ++k)
                  canvas->DrawCached(ItemImage(panel.EntryImage[k]), 4, 1013, 143 + 38 * (k - 1));
              gdip::GdipFlush(canvas->Graphics(), gdip::FlushIntentionSync);
          }));
    std::vector<double> present;
    Print("MenuNormal", Time(frames, [&](int) {
              MenuNormal(app, panel, *canvas);
              gdip::GdipFlush(canvas->Graphics(), gdip::FlushIntentionSync);
          }));
    Print("present", Time(frames, [&](int) {
              MenuNormal(app, panel, *canvas);
              canvas->Present(255);
              present.push_back(presentMs);
          }));
    std::printf("  (present alone: median %.2f ms)\n", Summarise(present).median);
    Print("MenuAction", Time(frames, [&](int i) {
              app.dock.PopupHoverRow = 1 + i % rows;
              MenuAction(app, panel, *canvas, false);
          }));
    canvas.reset();
    ReleaseImages(skin, images);
    DestroyWindow(window);
    return 0;
}
