// Icon extraction on Win32: icon resources of executables and libraries, ".ico" files, the
// shell's own icons and version strings, all written as PNG files.
#pragma once

#include "platform/GdiPlus_win.h"

#include <memory>
#include <string>
#include <type_traits>

#include "icons/IconParse.h"
#include "icons/IconTools.h"
#include "platform/FileSystem.h"

namespace qor {

struct ResourceModuleDeleter {
    using pointer = HMODULE;
    void operator()(HMODULE h) const noexcept {
        if (h)
            FreeLibrary(h);
    }
};
// A module loaded to read its resources; freed when the owner goes.
using ResourceModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ResourceModuleDeleter>;

struct IconDeleter {
    using pointer = HICON;
    void operator()(HICON h) const noexcept {
        if (h)
            DestroyIcon(h);
    }
};
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// Maps an executable or library for reading its resources without running any of its code
// (as an image resource data file); older mappings are tried when that fails, and a plain load
// is the last resort. Null when the file cannot be loaded at all.
ResourceModule LoadForResources(const std::string& file);

// The bytes of one resource: the name is tried as "#" + name first, then as it is; a numeric
// type text is taken as a resource type number. Empty when absent.
Bytes LoadResourceBytes(HMODULE module, const std::string& type, const std::string& name);

// One icon image's bytes (bitmap or PNG data) drawn at width x height and saved as PNG. Without
// alpha GDI+ reads the icon (its mask gives the transparency); with alpha the icon is drawn
// into a 32-bit DIB section so that the alpha channel of a 32-bit image survives. True when
// the PNG was written.
bool IconDataToPng(ByteView image, int width, int height, const std::string& pngPath, bool keepAlpha);

// The working bitmap of an icon handle: 32-bit ARGB at the icon's own size; null on failure.
gdip::Image IconToBitmap(HICON icon);

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
