// Every owner of a system resource the program holds: kernel handles, registry keys, windows,
// icons and menus, GDI objects and device contexts, COM pointers and the COM and OLE sessions of
// a thread, and the objects of the GDI+ flat API. Each kind has one move-only owner (a
// unique_ptr with a deleter, or a tiny class) that releases with the call belonging to its
// acquire; nothing else in the program releases a resource by hand. Each pair has its own owner
// type: a DC from GetDC goes back with ReleaseDC, a memory DC with DeleteDC, and mixing the two is
// the classic GDI leak this file exists to prevent.
#pragma once

#include <windows.h>

#include <gdiplus.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>

#include <memory>
#include <type_traits>
#include <utility>

struct IWICImagingFactory;

namespace qor::win {

// ---- Kernel ---------------------------------------------------------------------------------

// Kernel object handles (files, mutexes, processes, tokens). Both null and INVALID_HANDLE_VALUE
// mean "none", since CreateFile reports failure with the latter and most other calls with the
// former.
struct HandleDeleter {
    using pointer = HANDLE;
    void operator()(HANDLE h) const noexcept {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};
using Handle = std::unique_ptr<void, HandleDeleter>;
inline bool IsValid(const Handle& h) {
    return h && h.get() != INVALID_HANDLE_VALUE;
}
// Closes the handle now and reports whether the system accepted it: closing a file is the last
// moment a write can fail. The owner holds nothing afterwards.
inline bool Close(Handle& h) {
    if (!IsValid(h)) {
        h.reset();
        return false;
    }
    return CloseHandle(h.release()) != 0;
}

// A search handle of FindFirstFileA, closed with FindClose (not CloseHandle).
struct FindDeleter {
    using pointer = HANDLE;
    void operator()(HANDLE h) const noexcept {
        if (h && h != INVALID_HANDLE_VALUE)
            FindClose(h);
    }
};
using FindHandle = std::unique_ptr<void, FindDeleter>;

// A module from LoadLibrary or LoadLibraryEx (also a data-file mapping). Modules from
// GetModuleHandle are not owned and never freed.
struct ModuleDeleter {
    using pointer = HMODULE;
    void operator()(HMODULE h) const noexcept {
        if (h)
            FreeLibrary(h);
    }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

// A named mutex held for the life of the owner. AlreadyExists() is true when another process
// holds the name: it made the mutex first (ERROR_ALREADY_EXISTS), or its security descriptor
// keeps this process out (ERROR_ACCESS_DENIED, as when the other holder runs elevated).
// Acquired() is true when this owner made the mutex. Neither holds when no mutex could be made
// at all (an invalid name).
class NamedMutex {
public:
    explicit NamedMutex(const char* name) noexcept {
        SetLastError(ERROR_SUCCESS);
        m_handle.reset(CreateMutexA(nullptr, FALSE, name));
        const DWORD error = GetLastError();
        m_alreadyExists = m_handle ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    }
    bool Acquired() const noexcept { return m_handle && !m_alreadyExists; }
    bool AlreadyExists() const noexcept { return m_alreadyExists; }

private:
    Handle m_handle;
    bool m_alreadyExists = false;
};

// ---- Registry -------------------------------------------------------------------------------

// An open registry key. Closing a predefined root key (which RegOpenKey hands back for an empty
// sub-key) is harmless.
struct RegKeyDeleter {
    using pointer = HKEY;
    void operator()(HKEY key) const noexcept {
        if (key)
            RegCloseKey(key);
    }
};
using RegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyDeleter>;

// ---- User interface -------------------------------------------------------------------------

// A window; destroyed when its owner goes. Window classes keep their HWND in a raw member and
// destroy it themselves (the thunk must see WM_NCDESTROY), so this owner is for helper windows.
struct WindowDeleter {
    using pointer = HWND;
    void operator()(HWND h) const noexcept {
        if (h && IsWindow(h))
            DestroyWindow(h);
    }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

// An icon made by the program or handed over by the system (CreateIconFromResourceEx,
// SHGetFileInfo). Shared icons from LoadIcon are not owned and never destroyed.
struct IconDeleter {
    using pointer = HICON;
    void operator()(HICON h) const noexcept {
        if (h)
            DestroyIcon(h);
    }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// A menu made with CreatePopupMenu or CreateMenu and not attached to a window.
struct MenuDeleter {
    using pointer = HMENU;
    void operator()(HMENU h) const noexcept {
        if (h)
            DestroyMenu(h);
    }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

// ---- GDI ------------------------------------------------------------------------------------

// A GDI object (bitmap, brush, pen, font, region), deleted with DeleteObject. It must not be
// selected into a DC any more when its owner goes (see SelectedObject).
template <class H> struct GdiObjectDeleter {
    using pointer = H;
    void operator()(H h) const noexcept {
        if (h)
            DeleteObject(h);
    }
};
template <class H> using GdiObject = std::unique_ptr<std::remove_pointer_t<H>, GdiObjectDeleter<H>>;
using Bitmap = GdiObject<HBITMAP>;

// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
struct MemoryDcDeleter {
    using pointer = HDC;
    void operator()(HDC h) const noexcept {
        if (h)
            DeleteDC(h);
    }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// A DC borrowed with GetDC (null window: the screen), given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : m_window(window), m_dc(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    HDC get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// Selects an object into a DC and puts the previous one back on scope exit, so that the owner
// of the selected object can delete it afterwards (an object still selected is not deleted).
class SelectedObject {
public:
    SelectedObject() = default;
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : m_dc(dc), m_previous(dc && object ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    SelectedObject(SelectedObject&& other) noexcept
        : m_dc(std::exchange(other.m_dc, nullptr)), m_previous(std::exchange(other.m_previous, nullptr)) {}
    SelectedObject& operator=(SelectedObject&& other) noexcept {
        if (this != &other) {
            Restore();
            m_dc = std::exchange(other.m_dc, nullptr);
            m_previous = std::exchange(other.m_previous, nullptr);
        }
        return *this;
    }
    ~SelectedObject() { Restore(); }
    // True when the object was selected (and something will be put back).
    explicit operator bool() const noexcept { return m_dc && m_previous && m_previous != HGDI_ERROR; }
    void Restore() noexcept {
        if (*this)
            SelectObject(m_dc, m_previous);
        m_dc = nullptr;
        m_previous = nullptr;
    }

private:
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// ---- COM and OLE ----------------------------------------------------------------------------

// One reference of a COM interface, released when the owner goes.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds (as SHCreateMemStream returns one).
    explicit ComPtr(T* adopted) noexcept : m_p(adopted) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }
    void Reset() noexcept {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    // For the out-parameter of CoCreateInstance, QueryInterface and the like; a reference held
    // before is released first.
    T** Put() noexcept {
        Reset();
        return &m_p;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

private:
    T* m_p = nullptr;
};

// The imaging component's factory (free-threaded; one per picture decoder).
using WicFactory = ComPtr<IWICImagingFactory>;

// COM for the calling thread for the life of the owner. A thread that already has COM only
// counts a reference; a thread in another apartment mode keeps its mode (RPC_E_CHANGED_MODE:
// COM is usable, nothing to undo).
class ComScope {
public:
    explicit ComScope(DWORD mode = COINIT_APARTMENTTHREADED) noexcept {
        const HRESULT hr = CoInitializeEx(nullptr, mode);
        m_owned = SUCCEEDED(hr);
        m_usable = m_owned || hr == RPC_E_CHANGED_MODE;
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (m_owned)
            CoUninitialize();
    }
    bool Usable() const noexcept { return m_usable; }

private:
    bool m_owned = false;
    bool m_usable = false;
};

// OLE (COM in a single-threaded apartment, plus drag and drop and the clipboard) for the GUI
// thread, from Start until Stop or the owner goes.
class OleSession {
public:
    OleSession() = default;
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() { Stop(); }
    bool Start() noexcept {
        if (!m_started)
            m_started = SUCCEEDED(OleInitialize(nullptr));
        return m_started;
    }
    void Stop() noexcept {
        if (m_started)
            OleUninitialize();
        m_started = false;
    }

private:
    bool m_started = false;
};

// A window registered as an OLE drop target (RegisterDragDrop, which holds a reference of the
// target), revoked when the owner goes, while the window still exists.
class DropTargetRegistration {
public:
    DropTargetRegistration() = default;
    DropTargetRegistration(const DropTargetRegistration&) = delete;
    DropTargetRegistration& operator=(const DropTargetRegistration&) = delete;
    ~DropTargetRegistration() { Revoke(); }
    // OLE must be started on the calling thread. False when the system refused.
    bool Register(HWND hwnd, IDropTarget* target) noexcept {
        Revoke();
        if (hwnd && target && SUCCEEDED(RegisterDragDrop(hwnd, target)))
            m_hwnd = hwnd;
        return m_hwnd != nullptr;
    }
    void Revoke() noexcept {
        if (m_hwnd)
            RevokeDragDrop(m_hwnd);
        m_hwnd = nullptr;
    }
    bool Registered() const noexcept { return m_hwnd != nullptr; }

private:
    HWND m_hwnd = nullptr;
};

// Data handed over by IDataObject::GetData, released with ReleaseStgMedium.
class StorageMedium {
public:
    StorageMedium() noexcept : medium{} {}
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;
    ~StorageMedium() {
        if (medium.tymed != TYMED_NULL)
            ReleaseStgMedium(&medium);
    }
    STGMEDIUM medium;
};

// Global memory locked for reading; unlocked when the owner goes.
class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL memory) noexcept
        : m_memory(memory), m_data(memory ? ::GlobalLock(memory) : nullptr) {}
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    ~GlobalLock() {
        if (m_data)
            GlobalUnlock(m_memory);
    }
    void* data() const noexcept { return m_data; }

private:
    HGLOBAL m_memory;
    void* m_data;
};

// Memory from the COM task allocator handed over by the shell (item ID lists and the like).
struct CoTaskMemDeleter {
    void operator()(void* p) const noexcept { CoTaskMemFree(p); }
};
template <class T> using CoTaskMem = std::unique_ptr<T, CoTaskMemDeleter>;

// An automation string made from wide text.
class Bstr {
public:
    explicit Bstr(const wchar_t* text, UINT length) noexcept : m_b(SysAllocStringLen(text, length)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(m_b); }
    BSTR get() const noexcept { return m_b; }

private:
    BSTR m_b;
};

// An automation value; whatever it holds is cleared when the owner goes.
class Variant {
public:
    Variant() noexcept { VariantInit(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v); }
    VARIANT v;
};

} // namespace qor::win

// ---- GDI+ flat API --------------------------------------------------------------------------
// MinGW declares the flat functions in Gdiplus::DllExports; the object types are the
// Gdiplus::Gp* classes.

namespace qor::gdip {

template <class T, Gdiplus::GpStatus(WINGDIPAPI* Release)(T*)> struct Deleter {
    void operator()(T* p) const noexcept {
        if (p)
            Release(p);
    }
};

namespace flat = Gdiplus::DllExports;

// Images and bitmaps (a GpBitmap is a GpImage and is disposed the same way).
using Image = std::unique_ptr<Gdiplus::GpImage, Deleter<Gdiplus::GpImage, &flat::GdipDisposeImage>>;
using Graphics =
    std::unique_ptr<Gdiplus::GpGraphics, Deleter<Gdiplus::GpGraphics, &flat::GdipDeleteGraphics>>;
using CachedBitmap =
    std::unique_ptr<Gdiplus::GpCachedBitmap, Deleter<Gdiplus::GpCachedBitmap, &flat::GdipDeleteCachedBitmap>>;
using Brush = std::unique_ptr<Gdiplus::GpBrush, Deleter<Gdiplus::GpBrush, &flat::GdipDeleteBrush>>;
using Font = std::unique_ptr<Gdiplus::GpFont, Deleter<Gdiplus::GpFont, &flat::GdipDeleteFont>>;
using FontFamily =
    std::unique_ptr<Gdiplus::GpFontFamily, Deleter<Gdiplus::GpFontFamily, &flat::GdipDeleteFontFamily>>;
using StringFormat =
    std::unique_ptr<Gdiplus::GpStringFormat, Deleter<Gdiplus::GpStringFormat, &flat::GdipDeleteStringFormat>>;
using ImageAttributes =
    std::unique_ptr<Gdiplus::GpImageAttributes,
                    Deleter<Gdiplus::GpImageAttributes, &flat::GdipDisposeImageAttributes>>;

// The pixels of a rectangle of a bitmap, locked for reading or writing in a given pixel format;
// unlocked (and, for writing, stored back) when the owner goes.
class LockedBits {
public:
    LockedBits(Gdiplus::GpBitmap* bitmap, int x, int y, int width, int height, UINT mode,
               Gdiplus::PixelFormat format) noexcept
        : m_bitmap(bitmap) {
        const Gdiplus::GpRect rect(x, y, width, height);
        m_locked = bitmap && flat::GdipBitmapLockBits(bitmap, &rect, mode, format, &m_data) == Gdiplus::Ok;
    }
    LockedBits(const LockedBits&) = delete;
    LockedBits& operator=(const LockedBits&) = delete;
    ~LockedBits() {
        if (m_locked)
            flat::GdipBitmapUnlockBits(m_bitmap, &m_data);
    }
    explicit operator bool() const noexcept { return m_locked; }
    const Gdiplus::BitmapData& Data() const noexcept { return m_data; }

private:
    Gdiplus::GpBitmap* m_bitmap;
    Gdiplus::BitmapData m_data{};
    bool m_locked = false;
};

// The token of a started GDI+; shuts it down when destroyed.
class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { Stop(); }
    // GdiplusStartup with version 1 and the other members 0; the status (0 on success).
    int Start() {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread on
        return static_cast<int>(Gdiplus::GdiplusStartup(&m_token, &input, nullptr));
    }
    void Stop() {
        if (m_token) {
            Gdiplus::GdiplusShutdown(m_token);
            m_token = 0;
        }
    }

private:
    ULONG_PTR m_token = 0;
};

} // namespace qor::gdip
