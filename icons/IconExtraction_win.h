// Icon extraction on Win32: icon resources of executables and libraries, ".ico" files, the
// shell's own icons and version strings, all written as PNG files.
#pragma once

#include "platform/GdiPlus_win.h"

#include <string>

#include "icons/IconParse.h"
#include "icons/IconTools.h"
#include "platform/FileSystem.h"
#include "platform/Handles_win.h"

namespace qor {

// Maps an executable or library as data for reading its resources: as an image resource file,
// else as a plain data file. Neither runs any of its code or loads what it imports. Null when
// the file cannot be mapped either way: it then has no usable icon.
win::Module LoadForResources(const std::string& file);

// The bytes of one resource: the name is tried as "#" + name first, then as it is; a numeric
// type text is taken as a resource type number. Empty when absent.
Bytes LoadResourceBytes(HMODULE module, const std::string& type, const std::string& name);

// One icon image's bytes (bitmap or PNG data) made into an icon, converted by IconToBitmap at
// width x height and saved as PNG. True when the PNG was written.
bool IconDataToPng(ByteView image, int width, int height, const std::string& pngPath, bool keepAlpha);

// An icon as a 32-bit ARGB bitmap (straight alpha) of width x height, the icon's own size when
// either is 0. With `keepAlpha`, an icon whose pixels carry alpha keeps it; an icon with no alpha
// in any pixel, and every icon when `keepAlpha` is false, takes its transparency from its mask.
// Null when the icon cannot be drawn or nothing of it would be visible.
gdip::Image IconToBitmap(HICON icon, int width = 0, int height = 0, bool keepAlpha = true);

// The icon tools of the running system.
class WinIconTools final : public IIconTools {
public:
    int ExtractResourceIcon(const std::string& file, int index, const std::string& pngPath) override;
    bool ExtractShellIcon(const std::string& file, const std::string& pngPath) override;
    int ConvertIconFile(const std::string& iconFile, const std::string& pngPath) override;
    int ImageFileToPng(const std::string& source, const std::string& pngPath, bool rescale, int width,
                       int height) override;
    std::string GetVersionString(const std::string& file, int keyNumber) override;
};

} // namespace qor
