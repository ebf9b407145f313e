#include "icons/IconExtraction_win.h"

#include <shellapi.h>

#include <cstring>
#include <optional>
#include <utility>

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
// DrawIconEx: image and mask (DI_NORMAL) with the default cursor/icon size rules (DI_COMPAT).
constexpr UINT kDrawIconFlags = DI_NORMAL | DI_COMPAT;
// SHGetFileInfoA: the icon handle and the system image index, large size.
constexpr UINT kShellIconFlags = SHGFI_ICON | SHGFI_SYSICONINDEX;

struct FileDeleter {
    using pointer = HANDLE;
    void operator()(HANDLE h) const noexcept {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};
using FileHandle = std::unique_ptr<void, FileDeleter>;

struct MemoryDcDeleter {
    using pointer = HDC;
    void operator()(HDC h) const noexcept {
        if (h)
            DeleteDC(h);
    }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

struct BitmapDeleter {
    using pointer = HBITMAP;
    void operator()(HBITMAP h) const noexcept {
        if (h)
            DeleteObject(h);
    }
};
using GdiBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// Selects a bitmap into a DC and puts the previous object back on scope exit.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() { Restore(); }
    void Restore() {
        if (m_previous && m_previous != HGDI_ERROR)
            SelectObject(m_dc, m_previous);
        m_previous = nullptr;
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Pixels of a GDI+ bitmap locked for reading; unlocked when the owner goes.
class LockedBits {
public:
    LockedBits(GpBitmap* bitmap, int width, int height, PixelFormat format) : m_bitmap(bitmap) {
        const GpRect rect(0, 0, width, height);
        m_locked = GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, format, &m_data) == Ok;
    }
    LockedBits(const LockedBits&) = delete;
    LockedBits& operator=(const LockedBits&) = delete;
    ~LockedBits() {
        if (m_locked)
            GdipBitmapUnlockBits(m_bitmap, &m_data);
    }
    bool Locked() const { return m_locked; }
    const BitmapData& Data() const { return m_data; }

private:
    GpBitmap* m_bitmap;
    BitmapData m_data{};
    bool m_locked = false;
};

std::optional<Bytes> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
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
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD put = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr) || put == 0)
            break;
        done += put;
    }
    const bool ok = done == bytes.size();
    file.reset();
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

// The icon drawn into a 32-bit DIB section of width x height, read back as ARGB so that the
// alpha channel DrawIconEx writes survives (GDI+ takes a DIB section as RGB without alpha).
gdip::Image AlphaBitmapFromIcon(HICON icon, int width, int height) {
    if (width < 1 || height < 1 || width > kMaxIconSide || height > kMaxIconSide)
        return {};
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    GdiBitmap dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits)
        return {};
    {
        Selection selected(dc.get(), dib.get());
        if (!DrawIconEx(dc.get(), 0, 0, icon, 0, 0, 0, nullptr, kDrawIconFlags))
            return {};
    }
    GdiFlush();

    GpBitmap* raw = nullptr;
    if (GdipCreateBitmapFromHBITMAP(dib.get(), nullptr, &raw) != Ok || !raw)
        return {};
    gdip::Image fromDib(raw);
    PixelFormat format = 0;
    GdipGetImagePixelFormat(fromDib.get(), &format);
    if (GetPixelFormatSize(format) != 32) {
        // Not the 32-bit copy expected: read the DIB section's own pixels (bottom-up rows).
        const INT stride = width * 4;
        BYTE* top = static_cast<BYTE*>(bits) + static_cast<std::size_t>(height - 1) * stride;
        GpBitmap* wrap = nullptr;
        if (GdipCreateBitmapFromScan0(width, height, -stride, PixelFormat32bppARGB, top, &wrap) != Ok)
            return {};
        gdip::Image wrapper(wrap);
        return DrawIntoArgb(wrapper.get(), width, height, width, height);
    }
    LockedBits lock(gdip::AsBitmap(fromDib), width, height, format);
    if (!lock.Locked())
        return {};
    GpBitmap* wrap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, lock.Data().Stride, PixelFormat32bppARGB,
                                  static_cast<BYTE*>(lock.Data().Scan0), &wrap) != Ok)
        return {};
    gdip::Image wrapper(wrap);
    // Drawn while the lock still holds the pixels the wrapper points at.
    return DrawIntoArgb(wrapper.get(), width, height, width, height);
}

} // namespace

ResourceModule LoadForResources(const std::string& file) {
    if (file.empty())
        return {};
    // Image resource data files run no code of the file and resolve nothing; the older mapping
    // without import resolution comes next, and a plain load only when both fail.
    if (HMODULE m =
            LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
        return ResourceModule(m);
    if (HMODULE m = LoadLibraryExA(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES))
        return ResourceModule(m);
    return ResourceModule(LoadLibraryA(file.c_str()));
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
    FreeResource(loaded);
    return bytes;
}

bool IconDataToPng(ByteView image, int width, int height, const std::string& pngPath, bool keepAlpha) {
    if (width < 1 || height < 1 || width > kMaxIconSide || height > kMaxIconSide || pngPath.empty())
        return false;
    Bytes safe = SafeIconImage(image);
    if (safe.empty())
        return false;
    IconHandle icon(CreateIconFromResourceEx(safe.data(), static_cast<DWORD>(safe.size()), TRUE,
                                             kIconFormatVersion, 0, 0, kIconLoadFlags));
    if (!icon)
        return false;
    gdip::Image out;
    if (keepAlpha) {
        out = AlphaBitmapFromIcon(icon.get(), width, height);
    } else {
        GpBitmap* raw = nullptr;
        if (GdipCreateBitmapFromHICON(icon.get(), &raw) != Ok || !raw)
            return false;
        gdip::Image fromIcon(raw);
        out = DrawIntoArgb(fromIcon.get(), width, height, width, height);
    }
    return out && SavePng(out.get(), pngPath) == Ok;
}

gdip::Image IconToBitmap(HICON icon) {
    if (!icon)
        return {};
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return {};
    // GetIconInfo hands over copies of both bitmaps.
    GdiBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!GetObjectA(color ? color.get() : mask.get(), sizeof bm, &bm))
        return {};
    if (bm.bmBitsPixel < 32) {
        GpBitmap* raw = nullptr;
        if (GdipCreateBitmapFromHICON(icon, &raw) != Ok || !raw)
            return {};
        return gdip::Image(raw);
    }
    return AlphaBitmapFromIcon(icon, bm.bmWidth, bm.bmHeight);
}

int WinIconTools::ExtractResourceIcon(const std::string& file, int index, const std::string& pngPath) {
    if (pngPath.empty())
        return 0;
    ResourceModule module = LoadForResources(file);
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
    gdip::Image bitmap;
    {
        IconHandle icon(info.hIcon);
        bitmap = IconToBitmap(icon.get());
    }
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
