// Benchmark under Wine of what start-up spends on one item picture: each step that
// BuildItemImages takes for a group member (a PNG file decoded, copied to 32-bit ARGB, rendered
// at 32 x 32 and turned into a cached bitmap) and for a ring item (rendered at 48 x 48 and kept
// at its own size), timed apart, for a small and a large picture.
//
//   item_image_bench.exe [repeats] [ole|-] [picture files...]      (default 200 per figure)
//
// With "ole" the thread first joins a single-threaded apartment (OleInitialize), as the program's
// GUI thread does; otherwise a multi-threaded one. Beside GDI+'s own loading, the same picture
// is decoded by the imaging component (WIC) directly without its metadata: GDI+ reads every
// metadata chunk of a PNG (gamma, chromaticity, background, texts), which under Wine costs more
// than the decoding itself.
//
// The ring item is also timed through the image cache with and without its pre-scaled copy.
//
// Prints median and 95th percentile in milliseconds. Start-up builds one member rendering per
// member of every group, so the member figure times the number of members is what a full store
// adds before the first frame.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win/BenchFigures.h"
#include "dock/DockCanvas_win.h"
#include "dock/ImageCache_win.h"

using namespace qor;
using qor::gdip::ARGB;
using qor::gdip::GpBitmap;
using qor::gdip::GpGraphics;
using qor::gdip::Ok;
using qor::gdip::Session;
using Picture = qor::gdip::Image;
using qor::gdip::Widen;
using namespace Gdiplus::DllExports;

namespace {

using bench::Figure;
using bench::NowMs;
using bench::Summarise;

void Print(const char* what, const std::vector<double>& samples) {
    const Figure f = Summarise(samples);
    std::printf("  %-34s median %8.3f ms   p95 %8.3f ms\n", what, f.median, f.p95);
}

// A side x side PNG with an alpha channel, written through GDI+'s own encoder.
bool WriteTestPng(const std::wstring& path, int side) {
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(side, side, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok)
        return false;
    Picture owner(bitmap);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool inside =
                (x - side / 2) * (x - side / 2) + (y - side / 2) * (y - side / 2) < side * side / 5;
            const ARGB colour =
                inside ? 0xFF000000u | static_cast<ARGB>((x * 255 / side) << 16 | (y * 255 / side) << 8)
                       : 0x00000000u;
            GdipBitmapSetPixel(bitmap, x, y, colour);
        }
    CLSID png{};
    if (FAILED(CLSIDFromString(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &png)))
        return false;
    return GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr) == Ok;
}

const PictureDecoder* g_decoder = nullptr; // made in main once COM is started

// `given`: a picture file to time; empty: a side x side test picture made here (and removed).

void Measure(GpGraphics* target, int side, int repeats, const std::string& given = {}) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string path =
        given.empty() ? std::string(temp) + "qor_item_image_bench_" + std::to_string(side) + ".png" : given;
    const std::wstring wide = Widen(path);
    if (given.empty() && !WriteTestPng(wide, side)) {
        std::printf("cannot write a %d pixel test picture\n", side);
        return;
    }
    if (given.empty())
        std::printf("%d x %d picture:\n", side, side);
    else
        std::printf("%s:\n", path.c_str());

    std::vector<double> open, load, wic, member, ring, whole;
    for (int i = 0; i < repeats; ++i) {
        double t0 = NowMs();
        GpBitmap* raw = nullptr;
        GdipCreateBitmapFromFile(wide.c_str(), &raw);
        Picture opened(raw);
        open.push_back(NowMs() - t0);

        t0 = NowMs();
        Picture loaded = LoadImageFile(path); // GDI+ alone
        load.push_back(NowMs() - t0);

        if (g_decoder) {
            t0 = NowMs();
            Picture direct = g_decoder->Decode(path);
            wic.push_back(NowMs() - t0);
            if (!direct && i == 0)
                std::printf("  (the imaging component did not decode the picture)\n");
        }

        ImageLevels entry;
        t0 = NowMs();
        ScaleIntoCache(loaded.get(), entry, 4, 32, 32, false, target);
        member.push_back(NowMs() - t0);

        t0 = NowMs();
        ScaleIntoCache(loaded.get(), entry, 1, 48, 48, false, target);
        ScaleIntoCache(loaded.get(), entry, 0, 0, 0, true, nullptr);
        ring.push_back(NowMs() - t0);

        // The member's whole cost at start-up: load, then the 32 x 32 level.
        t0 = NowMs();
        Picture again = LoadImageFile(path, g_decoder); // as the program loads it
        ImageLevels other;
        ScaleIntoCache(again.get(), other, 4, 32, 32, false, target);
        whole.push_back(NowMs() - t0);
    }
    Print("GdipCreateBitmapFromFile", open);
    Print("LoadImageFile (decode + ARGB copy)", load);
    if (!wic.empty())
        Print("decoded by WIC, no metadata", wic);
    Print("member level 4 (32 x 32 cached)", member);
    Print("ring levels 1 and 0", ring);
    Print("member in all (load + level 4)", whole);

    // A ring item through the image cache: from the picture alone (no copy), from the picture
    // while its pre-scaled copy is written, and from the fresh copy (level 0 left for later,
    // then made as the first frame's aftermath makes it).
    std::vector<double> plain, writing, fromCopy, later;
    const std::string copy = path + ".48.scaled";
    ImageCache cache(target);
    for (int i = 0; i < repeats; ++i) {
        double t0 = NowMs();
        cache.BuildFromPicture(1, path, "", 1, 48, true);
        plain.push_back(NowMs() - t0);
        DeleteFileA(copy.c_str());
        t0 = NowMs();
        cache.BuildFromPicture(1, path, copy, 1, 48, true);
        writing.push_back(NowMs() - t0);
        t0 = NowMs();
        cache.BuildFromPicture(1, path, copy, 1, 48, true);
        fromCopy.push_back(NowMs() - t0);
        t0 = NowMs();
        cache.DoPendingWork(1);
        later.push_back(NowMs() - t0);
    }
    DeleteFileA(copy.c_str());
    Print("ring item, picture only", plain);
    Print("ring item, writing its copy", writing);
    Print("ring item from its copy", fromCopy);
    Print("  its level 0 afterwards", later);
    if (given.empty())
        DeleteFileA(path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const bool ole = argc > 2 && std::string(argv[2]) == "ole";
    win::OleSession oleSession;
    if (ole && !oleSession.Start())
        std::printf("OleInitialize failed\n");
    std::printf("COM: %s\n", ole ? "single-threaded apartment (OleInitialize)" : "multi-threaded apartment");
    const win::ComScope com(ole ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED);
    Session gdiplus;
    if (gdiplus.Start() != 0) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    {
        PictureDecoder decoder;
        g_decoder = &decoder;
        std::unique_ptr<DockCanvas> canvas = DockCanvas::Create(nullptr, 640, 480);
        if (!canvas) {
            std::printf("cannot make the canvas\n");
            return 1;
        }
        for (int side : {48, 256})
            Measure(canvas->Graphics(), side, repeats);
        for (int i = 3; i < argc; ++i)
            Measure(canvas->Graphics(), 0, repeats, argv[i]);
    }
    gdiplus.Stop();
    return 0;
}
