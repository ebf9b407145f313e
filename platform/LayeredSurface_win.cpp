#include "platform/LayeredSurface_win.h"

#include <cstring>

namespace qor::win {

bool LayeredSurface::Create(int width, int height) {
    Release();
    if (width <= 0 || height <= 0)
        return false;
    const WindowDc screen(nullptr);
    m_dc.reset(CreateCompatibleDC(screen.get()));
    if (!m_dc)
        return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 is the top of the window
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage =
        static_cast<DWORD>(4) * static_cast<DWORD>(width) * static_cast<DWORD>(height);
    void* bits = nullptr;
    m_bitmap.reset(CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_bitmap || !bits) {
        Release();
        return false;
    }
    // A fresh DIB section is zero-filled: already fully transparent.
    m_selection = SelectedObject(m_dc.get(), m_bitmap.get());
    m_bits = bits;
    m_width = width;
    m_height = height;

    gdip::GpGraphics* graphics = nullptr;
    if (gdip::GdipCreateFromHDC(m_dc.get(), &graphics) == gdip::Ok) {
        m_graphics.reset(graphics);
        gdip::GdipSetInterpolationMode(graphics, gdip::InterpolationModeHighQualityBicubic);
        gdip::GdipSetTextRenderingHint(graphics, gdip::TextRenderingHintAntiAlias);
    }
    return true;
}

void LayeredSurface::Release() noexcept {
    m_graphics.reset();
    m_selection.Restore();
    m_bitmap.reset();
    m_dc.reset();
    m_bits = nullptr;
    m_width = m_height = 0;
}

void LayeredSurface::InitBlend() {
    m_blend = BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
}

bool LayeredSurface::Present(HWND window, uint8_t alpha) {
    if (!window || !Valid())
        return false;
    if (m_graphics)
        gdip::GdipFlush(m_graphics.get(), gdip::FlushIntentionSync);
    GdiFlush(); // the DIB bits may still have GDI work queued
    m_blend.SourceConstantAlpha = alpha;
    SIZE size{m_width, m_height};
    POINT source{0, 0};
    return UpdateLayeredWindow(window, nullptr, nullptr, &size, m_dc.get(), &source, 0, &m_blend,
                               ULW_ALPHA) != 0;
}

void LayeredSurface::ClearTransparent() {
    if (!Valid())
        return;
    if (m_graphics)
        gdip::GdipFlush(m_graphics.get(), gdip::FlushIntentionSync);
    GdiFlush();
    // Pre-multiplied transparent white (0x00FFFFFF) is all zero bytes.
    std::memset(m_bits, 0, static_cast<std::size_t>(Stride()) * static_cast<std::size_t>(m_height));
}

} // namespace qor::win
