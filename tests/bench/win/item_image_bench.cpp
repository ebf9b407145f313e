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
// Prints median and 95th percentile in milliseconds. Start-up builds one member rendering per
// member of every group, so the member figure times the number of members is what a full store
// adds before the first frame.
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Figure {
    double median = 0;
    double p95 = 0;
};

Figure Summarise(std::vector<double> samples) {
    if (samples.empty())
        return {};
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        const std::size_t i = static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
        return samples[std::min(i, samples.size() - 1)];
    };
    return {at(0.5), at(0.95)};
}

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

// `given`: a picture file to time; empty: a side x side test picture made here (and removed).
template <class T> struct ComPtr {
    T* p = nullptr;
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p)
            p->Release();
    }
    T* operator->() const { return p; }
};

// The picture decoded by the imaging component directly, without asking for its metadata, then
// copied into a 32-bit ARGB GDI+ bitmap: the way around GDI+'s reading of every metadata chunk.
Picture DecodeWithWic(IWICImagingFactory* factory, const std::wstring& path) {
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder.p)))
        return {};
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame.p)))
        return {};
    ComPtr<IWICFormatConverter> converted;
    if (FAILED(factory->CreateFormatConverter(&converted.p)) ||
        FAILED(converted->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        return {};
    UINT w = 0;
    UINT h = 0;
    if (FAILED(converted->GetSize(&w, &h)) || w == 0 || h == 0 || w > 4096 || h > 4096)
        return {};
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(static_cast<INT>(w), static_cast<INT>(h), 0, PixelFormat32bppARGB, nullptr,
                                  &bitmap) != Ok)
        return {};
    Picture result(bitmap);
    Gdiplus::BitmapData data{};
    Gdiplus::GpRect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    if (GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) != Ok)
        return {};
    const HRESULT copied =
        converted->CopyPixels(nullptr, static_cast<UINT>(data.Stride), static_cast<UINT>(data.Stride) * h,
                              static_cast<BYTE*>(data.Scan0));
    GdipBitmapUnlockBits(bitmap, &data);
    return SUCCEEDED(copied) ? std::move(result) : Picture{};
}

IWICImagingFactory* g_factory = nullptr; // made once in main when COM is usable

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
        Picture loaded = LoadImageFile(path);
        load.push_back(NowMs() - t0);

        if (g_factory) {
            t0 = NowMs();
            Picture direct = DecodeWithWic(g_factory, wide);
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
        Picture again = LoadImageFile(path);
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
    if (given.empty())
        DeleteFileA(path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const bool ole = argc > 2 && std::string(argv[2]) == "ole";
    if (ole && FAILED(OleInitialize(nullptr)))
        std::printf("OleInitialize failed\n");
    std::printf("COM: %s\n", ole ? "single-threaded apartment (OleInitialize)" : "multi-threaded apartment");
    if (!ole)
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&g_factory))))
        g_factory = nullptr;
    Session gdiplus;
    if (gdiplus.Start() != 0) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    {
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
    if (g_factory)
        g_factory->Release();
    if (ole)
        OleUninitialize();
    else
        CoUninitialize();
    return 0;
}
