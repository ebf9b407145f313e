// The GDI+ flat API as the program uses it: the flat functions and types in qor::gdip, and the
// two helpers every user needs. The owners of GDI+ objects (gdip::Image, gdip::Graphics...) live
// with every other owner in platform/Handles_win.h.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <string>

#include "platform/CodePage_win.h"
#include "platform/Handles_win.h"

namespace qor::gdip {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

inline GpBitmap* AsBitmap(const Image& image) {
    return static_cast<GpBitmap*>(image.get());
}

// ANSI path (system code page) to the UTF-16 text GDI+ takes.
inline std::wstring Widen(const std::string& text) {
    return win::FromCodePage(text);
}

} // namespace qor::gdip
