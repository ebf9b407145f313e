#include "icons/ImageFiles_win.h"

#include <objbase.h>

#include "icons/ImageFiles.h"

namespace qor {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

CLSID PngEncoderClsid() {
    CLSID clsid{};
    const std::wstring text = gdip::Widen(EncoderClsid(encoder::Png));
    if (FAILED(CLSIDFromString(const_cast<LPOLESTR>(text.c_str()), &clsid)))
        return CLSID{};
    return clsid;
}

int SavePng(GpImage* image, const std::string& path) {
    if (!image || path.empty())
        return static_cast<int>(InvalidParameter);
    const CLSID png = PngEncoderClsid();
    const std::wstring wide = gdip::Widen(path);
    return static_cast<int>(GdipSaveImageToFile(image, wide.c_str(), &png, nullptr));
}

gdip::Image DrawIntoArgb(GpImage* source, int srcWidth, int srcHeight, int width, int height) {
    if (!source || width < 1 || height < 1)
        return {};
    GpBitmap* raw = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &raw) != Ok)
        return {};
    gdip::Image target(raw);
    GpGraphics* g = nullptr;
    if (GdipGetImageGraphicsContext(target.get(), &g) != Ok)
        return {};
    gdip::Graphics graphics(g);
    GdipSetInterpolationMode(g, InterpolationModeHighQualityBicubic);
    if (GdipDrawImageRectRect(g, source, 0, 0, static_cast<REAL>(width), static_cast<REAL>(height), 0, 0,
                              static_cast<REAL>(srcWidth), static_cast<REAL>(srcHeight), UnitPixel, nullptr,
                              nullptr, nullptr) != Ok)
        return {};
    return target;
}

int ImageFileToPng(const std::string& source, const std::string& pngPath, bool rescale, int width,
                   int height) {
    if (source.empty() || pngPath.empty())
        return 0;
    GpBitmap* raw = nullptr;
    const std::wstring wide = gdip::Widen(source);
    if (GdipCreateBitmapFromFile(wide.c_str(), &raw) != Ok || !raw)
        return 0;
    gdip::Image working(raw);
    UINT w = 0, h = 0;
    GdipGetImageWidth(working.get(), &w);
    GdipGetImageHeight(working.get(), &h);
    // GDI+ keeps the source file open while the bitmap lives, so a picture re-encoded onto its
    // own name is first copied into memory.
    const bool samePath = lstrcmpiA(source.c_str(), pngPath.c_str()) == 0;
    if (rescale || samePath) {
        const int outW = rescale ? width : static_cast<int>(w);
        const int outH = rescale ? height : static_cast<int>(h);
        gdip::Image scaled =
            DrawIntoArgb(working.get(), static_cast<int>(w), static_cast<int>(h), outW, outH);
        if (!scaled)
            return 0;
        working = std::move(scaled);
    }
    return SavePng(working.get(), pngPath) == Ok ? 1 : 0;
}

} // namespace qor
