// The off-screen picture of a per-pixel-alpha layered window: a 32-bit top-down DIB section in
// a memory DC, a GDI+ graphics object on that DC, and the blend description of every present.
// The pixels are pre-multiplied BGRA, as UpdateLayeredWindow with AC_SRC_ALPHA expects them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"

namespace qor::win {

class LayeredSurface {
public:
    LayeredSurface() = default;
    LayeredSurface(const LayeredSurface&) = delete;
    LayeredSurface& operator=(const LayeredSurface&) = delete;
    ~LayeredSurface() { Release(); }

    // Builds the bitmap (width x height, image size 4 x width x height) in a memory DC
    // compatible with the screen, and a GDI+ graphics on it with high-quality bicubic
    // interpolation (7) and anti-aliased text (4). A previous surface is released first.
    bool Create(int width, int height);
    void Release() noexcept;
    bool Valid() const { return m_bits != nullptr; }

    // Fills the blend description: source-over, flags 0, constant alpha 255, per-pixel alpha.
    void InitBlend();
    // UpdateLayeredWindow with no destination DC or point, the surface size, source (0, 0),
    // colour key 0, the blend with constant alpha `alpha`, ULW_ALPHA.
    bool Present(HWND window, uint8_t alpha);
    // Every pixel fully transparent.
    void ClearTransparent();

    HDC Dc() const { return m_dc.get(); }
    void* Bits() const { return m_bits; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Stride() const { return m_width * 4; }
    gdip::GpGraphics* Graphics() const { return m_graphics.get(); }
    const BLENDFUNCTION& Blend() const { return m_blend; }

private:
    // Declared so that destruction runs graphics, selection, bitmap, DC: each is released while
    // what it depends on still exists.
    MemoryDc m_dc;
    Bitmap m_bitmap;
    SelectedObject m_selection;
    gdip::Graphics m_graphics;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    BLENDFUNCTION m_blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
};

} // namespace qor::win
