// Loading pictures and saving PNG files on the GDI+ flat API. Every picture the program writes
// is PNG data, whatever its file name says.
#pragma once

#include "platform/GdiPlus_win.h"

#include <string>

namespace qor {

// The PNG codec's class identifier (codec table index 4, turned binary with CLSIDFromString).
CLSID PngEncoderClsid();

// Saves any GDI+ image as PNG, overwriting an existing file; the GDI+ status (0 on success).
int SavePng(Gdiplus::GpImage* image, const std::string& path);

// A new 32-bit ARGB bitmap of width x height with the whole source rectangle (0, 0, srcWidth,
// srcHeight, in pixels) drawn into it with high-quality bicubic interpolation; null on failure.
gdip::Image DrawIntoArgb(Gdiplus::GpImage* source, int srcWidth, int srcHeight, int width, int height);

// Any picture GDI+ reads (PNG, BMP, JPEG, GIF, ICO...) saved as PNG at `pngPath`, rescaled to
// width x height (aspect ratio not kept) when asked. 1 when a PNG was written, 0 otherwise.
int ImageFileToPng(const std::string& source, const std::string& pngPath, bool rescale, int width,
                   int height);

} // namespace qor
