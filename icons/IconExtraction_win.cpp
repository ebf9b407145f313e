#include "icons/IconExtraction_win.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "icons/ImageFiles.h"
#include "icons/ImageFiles_win.h"

namespace qor {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// Icon files larger than this are not icons worth reading (ten 256-pixel 32-bit images fit
// several times over).
constexpr std::size_t kMaxIconFileBytes = 32u << 20;
// Icon images are drawn at most this large.
constexpr int kMaxIconSide = 1024;

// CreateIconFromResourceEx arguments: the format version of 32-bit-era icon images and the
// load flags the program has always passed.
constexpr DWORD kIconFormatVersion = 0x30000;
constexpr UINT kIconLoadFlags = 0x1000;
// SHGetFileInfoA: the icon handle and the system image index, large size.
constexpr UINT kShellIconFlags = SHGFI_ICON | SHGFI_SYSICONINDEX;

std::optional<Bytes> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    win::Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!win::IsValid(file))
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0)
        return std::nullopt;
    const auto wanted =
        static_cast<uint64_t>(size.QuadPart) < maxBytes ? static_cast<std::size_t>(size.QuadPart) : maxBytes;
    Bytes bytes(wanted);
    std::size_t done = 0;
    while (done < wanted) {
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - done, 1u << 20));
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool WriteFileBytes(const std::string& path, ByteView bytes) {
    win::Handle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!win::IsValid(file))
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD put = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr) || put == 0)
            break;
        done += put;
    }
    const bool ok = win::Close(file) && done == bytes.size();
    if (!ok)
        DeleteFileA(path.c_str());
    return ok;
}

// True when [p, p + size) is committed, readable memory of this process: a resource of a damaged
// file may claim more bytes than its mapping holds.
bool IsReadable(const void* p, std::size_t size) {
    auto at = reinterpret_cast<uintptr_t>(p);
    const uintptr_t end = at + size;
    if (end < at)
        return false;
    while (at < end) {
        MEMORY_BASIC_INFORMATION info{};
        if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == 0)
            return false;
        const DWORD unreadable = PAGE_NOACCESS | PAGE_GUARD;
        if (info.State != MEM_COMMIT || (info.Protect & unreadable) != 0)
            return false;
        at = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    }
    return true;
}

BOOL CALLBACK CollectGroupName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) noexcept {
    auto* picker = reinterpret_cast<IconGroupNamePicker*>(param);
    try {
        if (IS_INTRESOURCE(name))
            picker->Add(ResourceIdName(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name))));
        else
            picker->Add(name);
    } catch (...) {
        return FALSE; // out of memory: stop the enumeration
    }
    return TRUE;
}

// The icon drawn with `flags` (DI_IMAGE or DI_MASK) into a zeroed 32-bit top-down DIB section of
// width x height: its pixels as BGRA words, row by row. Empty when it cannot be drawn.
std::vector<uint32_t> DrawIconPixels(HICON icon, int width, int height, UINT flags) {
    win::MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: rows in the order GDI+ keeps them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const win::Bitmap dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits)
        return {};
    {
        const win::SelectedObject selected(dc.get(), dib.get());
        if (!selected || !DrawIconEx(dc.get(), 0, 0, icon, width, height, 0, nullptr, flags))
            return {};
    }
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    return std::vector<uint32_t>(first,
                                 first + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

// A pre-multiplied BGRA word as straight alpha: each colour channel times 255 / alpha, rounded.
uint32_t Unpremultiply(uint32_t pixel) {
    const uint32_t a = pixel >> 24;
    if (a == 0)
        return 0;
    const auto channel = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (channel((pixel >> 16) & 0xFF) << 16) | (channel((pixel >> 8) & 0xFF) << 8) |
           channel(pixel & 0xFF);
}

// The icon's own size: the colour bitmap's, or half the height of a monochrome icon's mask
// (which holds the AND and the XOR halves). {0, 0} when unknown.
std::pair<int, int> IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return {0, 0};
    // GetIconInfo hands over copies of both bitmaps.
    const win::Bitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!GetObjectA(colour ? colour.get() : mask.get(), sizeof bm, &bm))
        return {0, 0};
    return {bm.bmWidth, colour ? bm.bmHeight : bm.bmHeight / 2};
}

// A 32-bit ARGB bitmap holding `pixels` (width x height, top-down).
gdip::Image BitmapFromPixels(const std::vector<uint32_t>& pixels, int width, int height) {
    GpBitmap* raw = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &raw) != Ok || !raw)
        return {};
    gdip::Image bitmap(raw);
    const gdip::LockedBits lock(raw, 0, 0, width, height, ImageLockModeWrite, PixelFormat32bppARGB);
    if (!lock)
        return {};
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(lock.Data().Scan0) +
                        static_cast<std::ptrdiff_t>(y) * lock.Data().Stride,
                    pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width), row);
    return bitmap;
}

} // namespace

win::Module LoadForResources(const std::string& file) {
    if (file.empty())
        return {};
    // Only ever mapped as data: a library's initialisation, and the libraries it imports, must
    // never run because the program looked at its icon.
    for (const DWORD flags :
         {DWORD{LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE}, DWORD{LOAD_LIBRARY_AS_DATAFILE}})
        if (HMODULE module = LoadLibraryExA(file.c_str(), nullptr, flags))
            return win::Module(module);
    return {};
}

Bytes LoadResourceBytes(HMODULE module, const std::string& type, const std::string& name) {
    if (!module || type.empty() || name.empty())
        return {};
    LPCSTR typeArg = type.c_str();
    if (type.find_first_not_of("0123456789") == std::string::npos && type.size() <= 5) {
        const unsigned long number = std::stoul(type);
        if (number == 0 || number > 0xFFFF)
            return {};
        typeArg = MAKEINTRESOURCEA(number);
    }
    const std::string numbered = "#" + name;
    HRSRC found = FindResourceA(module, numbered.c_str(), typeArg);
    if (!found)
        found = FindResourceA(module, name.c_str(), typeArg);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return {};
    const void* data = LockResource(loaded);
    const DWORD size = SizeofResource(module, found);
    Bytes bytes;
    if (data && size != 0 && IsReadable(data, size)) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.assign(p, p + size);
    }
    return bytes;
}

bool IconDataToPng(ByteView image, int width, int height, const std::string& pngPath, bool keepAlpha) {
    if (width < 1 || height < 1 || width > kMaxIconSide || height > kMaxIconSide || pngPath.empty())
        return false;
    Bytes safe = SafeIconImage(image);
    if (safe.empty())
        return false;
    const win::Icon icon(CreateIconFromResourceEx(safe.data(), static_cast<DWORD>(safe.size()), TRUE,
                                                  kIconFormatVersion, 0, 0, kIconLoadFlags));
    if (!icon)
        return false;
    const gdip::Image out = IconToBitmap(icon.get(), width, height, keepAlpha);
    return out && SavePng(out.get(), pngPath) == Ok;
}

gdip::Image IconToBitmap(HICON icon, int width, int height, bool keepAlpha) {
    if (!icon)
        return {};
    if (width == 0 || height == 0)
        std::tie(width, height) = IconSize(icon);
    if (width < 1 || height < 1 || width > kMaxIconSide || height > kMaxIconSide)
        return {};
    // Drawn alone, the image of an icon with alpha is blended onto the transparent black of the
    // fresh bitmap: pre-multiplied pixels. Any other image is copied as it is, alpha bytes 0.
    std::vector<uint32_t> pixels = DrawIconPixels(icon, width, height, DI_IMAGE);
    if (pixels.empty())
        return {};
    const bool hasAlpha =
        std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
    if (hasAlpha && keepAlpha) {
        std::transform(pixels.begin(), pixels.end(), pixels.begin(), Unpremultiply);
    } else {
        // Transparency from the mask: black where the icon shows, white where it does not
        // (including the pixels an icon would invert on the screen behind it).
        const std::vector<uint32_t> mask = DrawIconPixels(icon, width, height, DI_MASK);
        if (mask.size() != pixels.size())
            return {};
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t colour = hasAlpha ? Unpremultiply(pixels[i]) : pixels[i];
            pixels[i] = (mask[i] & 0xFFFFFFu) == 0 ? 0xFF000000u | (colour & 0xFFFFFFu) : 0;
        }
    }
    // A picture with nothing visible is no picture: the caller falls back to another.
    if (std::none_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) != 0; }))
        return {};
    return BitmapFromPixels(pixels, width, height);
}

int WinIconTools::ExtractResourceIcon(const std::string& file, int index, const std::string& pngPath) {
    if (pngPath.empty())
        return 0;
    const win::Module module = LoadForResources(file);
    if (!module)
        return 0;
    std::optional<std::string> group;
    if (index < 0) {
        group = IconGroupNameFromIndex(index);
    } else {
        IconGroupNamePicker picker(index);
        EnumResourceNamesA(module.get(), MAKEINTRESOURCEA(14), CollectGroupName,
                           reinterpret_cast<LONG_PTR>(&picker));
        group = picker.Result();
    }
    if (!group)
        return 0;
    const Bytes groupBytes = LoadResourceBytes(module.get(), "14", *group);
    const std::optional<IconGroupEntry> entry = ChooseIconGroupEntry(groupBytes);
    if (!entry)
        return 0;
    const Bytes image = LoadResourceBytes(module.get(), "3", ResourceIdName(entry->id));
    if (image.empty())
        return 0;
    DeleteFileA(pngPath.c_str());
    // A PNG image (the 256-pixel ones) is already what the cache holds.
    if (IsPngSignature(image))
        return WriteFileBytes(pngPath, image) ? 1 : 0;
    return IconDataToPng(image, entry->Width(), entry->Height(), pngPath, entry->KeepAlpha()) ? 1 : 0;
}

bool WinIconTools::ExtractShellIcon(const std::string& file, const std::string& pngPath) {
    if (file.empty() || pngPath.empty())
        return false;
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(file.c_str(), 0, &info, sizeof info, kShellIconFlags) || !info.hIcon)
        return false;
    const win::Icon icon(info.hIcon);
    const gdip::Image bitmap = IconToBitmap(icon.get());
    return bitmap && SavePng(bitmap.get(), pngPath) == Ok;
}

int WinIconTools::ConvertIconFile(const std::string& iconFile, const std::string& pngPath) {
    if (pngPath.empty())
        return 0;
    std::optional<Bytes> head = ReadFileBytes(iconFile, 8);
    if (!head)
        return 0;
    if (IsPngSignature(*head))
        return qor::ImageFileToPng(iconFile, pngPath, false, 0, 0);
    std::optional<Bytes> file = ReadFileBytes(iconFile, kMaxIconFileBytes + 1);
    if (!file || file->size() > kMaxIconFileBytes)
        return 0;
    const IconFilePlan plan = PlanIconFileConversion(*file);
    if (plan.outcome == IconFileOutcome::None)
        return 0;
    if (plan.outcome == IconFileOutcome::ImageFile)
        return qor::ImageFileToPng(iconFile, pngPath, false, 0, 0);
    DeleteFileA(pngPath.c_str());
    const ByteView data = ByteView(*file).subspan(plan.offset, plan.size);
    if (plan.outcome == IconFileOutcome::Png)
        return WriteFileBytes(pngPath, data) ? 1 : 0;
    return IconDataToPng(data, plan.width, plan.height, pngPath, plan.keepAlpha) ? 1 : 0;
}

int WinIconTools::ImageFileToPng(const std::string& source, const std::string& pngPath, bool rescale,
                                 int width, int height) {
    return qor::ImageFileToPng(source, pngPath, rescale, width, height);
}

std::string WinIconTools::GetVersionString(const std::string& file, int keyNumber) {
    const std::string_view key = VersionKey(keyNumber);
    if (key.empty() || file.empty())
        return {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0)
        return {};
    Bytes block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data()))
        return {};
    const uint8_t* begin = block.data();
    const uint8_t* end = begin + block.size();
    auto inside = [&](const void* p, UINT length) {
        const auto* b = static_cast<const uint8_t*>(p);
        return p && b >= begin && b <= end && length <= static_cast<std::size_t>(end - b);
    };

    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4 &&
        inside(value, length)) {
        WORD pair[2];
        std::memcpy(pair, value, sizeof pair);
        const std::string path = VersionSubBlockPath(pair[0], pair[1], key);
        void* text = nullptr;
        UINT chars = 0;
        if (VerQueryValueA(block.data(), path.c_str(), &text, &chars) && chars > 0 && inside(text, chars)) {
            const char* s = static_cast<const char*>(text);
            const std::string answer(s, strnlen(s, chars));
            if (!answer.empty())
                return answer;
        }
    }

    const std::u16string raw = FindVersionStringRaw(block, key);
    if (raw.empty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(raw.data());
    const int n =
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(raw.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(raw.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace qor
