// The GDI+ flat API as the program uses it: the flat functions and types in qor::gdip, and the
// two helpers every user needs. The owners of GDI+ objects (gdip::Image, gdip::Graphics...) live
// with every other owner in platform/Handles_win.h.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <string>

#include "platform/Handles_win.h"

namespace qor::gdip {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

inline GpBitmap* AsBitmap(const Image& image) {
    return static_cast<GpBitmap*>(image.get());
}

// ANSI path (system code page) to the UTF-16 text GDI+ takes.
inline std::wstring Widen(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

} // namespace qor::gdip
