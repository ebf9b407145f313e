// Shared pieces of the canvas and image-cache tests: a GDI+ session for the suite, solid
// test pictures and pixel helpers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/GdiPlus_win.h"

namespace qor::test {

class GdiPlusSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(Session().Start(), 0); }
    static void TearDownTestSuite() { Session().Stop(); }
    static gdip::Session& Session() {
        static gdip::Session session;
        return session;
    }
};

// A width x height 32-bit ARGB picture filled with one colour.
inline gdip::Image SolidImage(int width, int height, uint32_t argb) {
    using namespace gdip;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok)
        return {};
    Image image(bitmap);
    GpGraphics* g = nullptr;
    if (GdipGetImageGraphicsContext(bitmap, &g) != Ok)
        return {};
    Graphics owner(g);
    GdipGraphicsClear(g, argb);
    return image;
}

inline uint32_t PixelOf(gdip::GpImage* image, int x, int y) {
    gdip::ARGB value = 0;
    gdip::GdipBitmapGetPixel(static_cast<gdip::GpBitmap*>(image), x, y, &value);
    return value;
}

inline int Alpha(uint32_t bgra) { return static_cast<int>(bgra >> 24); }
inline int Red(uint32_t bgra) { return static_cast<int>((bgra >> 16) & 0xFF); }
inline int Green(uint32_t bgra) { return static_cast<int>((bgra >> 8) & 0xFF); }
inline int Blue(uint32_t bgra) { return static_cast<int>(bgra & 0xFF); }

// Folder of the repository's sources (pictures shipped with the program).
inline std::string SourceDir() {
#ifdef QOR_SOURCE_DIR
    std::string dir = QOR_SOURCE_DIR;
#else
    std::string dir = ".";
#endif
    if (const char* env = std::getenv("QOR_SOURCE_DIR"))
        dir = env;
    return dir;
}

// A source path as Wine sees a host path (Z: is the host's root).
inline std::string HostPath(const std::string& unixPath) {
    std::string out = unixPath;
    if (!out.empty() && out[0] == '/')
        out = "Z:" + out;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

} // namespace qor::test
