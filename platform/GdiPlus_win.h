// The GDI+ flat API with one move-only owner per object kind. MinGW declares the flat
// functions in Gdiplus::DllExports; the object types are the Gdiplus::Gp* classes.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <memory>
#include <string>

namespace qor::gdip {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

template <class T, GpStatus(WINGDIPAPI* Release)(T*)> struct Deleter {
    void operator()(T* p) const noexcept {
        if (p)
            Release(p);
    }
};

// Images and bitmaps (a GpBitmap is a GpImage and is disposed the same way).
using Image = std::unique_ptr<GpImage, Deleter<GpImage, &GdipDisposeImage>>;
using Graphics = std::unique_ptr<GpGraphics, Deleter<GpGraphics, &GdipDeleteGraphics>>;
using CachedBitmap = std::unique_ptr<GpCachedBitmap, Deleter<GpCachedBitmap, &GdipDeleteCachedBitmap>>;
using Brush = std::unique_ptr<GpBrush, Deleter<GpBrush, &GdipDeleteBrush>>;
using Font = std::unique_ptr<GpFont, Deleter<GpFont, &GdipDeleteFont>>;
using FontFamily = std::unique_ptr<GpFontFamily, Deleter<GpFontFamily, &GdipDeleteFontFamily>>;
using StringFormat = std::unique_ptr<GpStringFormat, Deleter<GpStringFormat, &GdipDeleteStringFormat>>;
using ImageAttributes = std::unique_ptr<GpImageAttributes, Deleter<GpImageAttributes, &GdipDisposeImageAttributes>>;

inline GpBitmap* AsBitmap(const Image& image) { return static_cast<GpBitmap*>(image.get()); }

// ANSI path (system code page) to the UTF-16 text GDI+ takes.
inline std::wstring Widen(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// The token of a started GDI+; shuts it down when destroyed.
class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { Stop(); }
    // GdiplusStartup with version 1 and the other members 0; the status (0 on success).
    int Start() {
        GdiplusStartupInput input; // version 1, no debug callback, background thread on
        return static_cast<int>(GdiplusStartup(&m_token, &input, nullptr));
    }
    void Stop() {
        if (m_token) {
            GdiplusShutdown(m_token);
            m_token = 0;
        }
    }
    bool Started() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

} // namespace qor::gdip
