// One move-only owner per kind of Win32 handle. Each pair of acquire and release calls has its
// own owner type: a DC from GetDC goes back with ReleaseDC, a memory DC with DeleteDC, and
// mixing the two is the classic GDI leak this file exists to prevent.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace qor::win {

// Kernel object handles (files, mutexes, processes). Both null and INVALID_HANDLE_VALUE mean
// "none", since CreateFile reports failure with the latter and most other calls with the former.
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

// A search handle of FindFirstFileA, closed with FindClose (not CloseHandle).
struct FindDeleter {
    using pointer = HANDLE;
    void operator()(HANDLE h) const noexcept {
        if (h && h != INVALID_HANDLE_VALUE)
            FindClose(h);
    }
};
using FindHandle = std::unique_ptr<void, FindDeleter>;

// A module from LoadLibraryEx. Modules from GetModuleHandle are not owned and never freed.
struct ModuleDeleter {
    using pointer = HMODULE;
    void operator()(HMODULE h) const noexcept {
        if (h)
            FreeLibrary(h);
    }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

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

// GDI objects: bitmaps, brushes, pens, fonts, regions.
struct GdiObjectDeleter {
    using pointer = HGDIOBJ;
    void operator()(HGDIOBJ h) const noexcept {
        if (h)
            DeleteObject(h);
    }
};
using GdiObject = std::unique_ptr<void, GdiObjectDeleter>;

template <class H> struct TypedGdiDeleter {
    using pointer = H;
    void operator()(H h) const noexcept {
        if (h)
            DeleteObject(h);
    }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, TypedGdiDeleter<HBITMAP>>;
using Brush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, TypedGdiDeleter<HBRUSH>>;
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, TypedGdiDeleter<HFONT>>;

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
    void Restore() noexcept {
        if (m_dc && m_previous && m_previous != HGDI_ERROR)
            SelectObject(m_dc, m_previous);
        m_dc = nullptr;
        m_previous = nullptr;
    }

private:
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// A named mutex held for the life of the owner. Acquired() is false when another holder of the
// same name exists (ERROR_ALREADY_EXISTS) or the mutex could not be made at all.
class NamedMutex {
public:
    explicit NamedMutex(const char* name) noexcept {
        SetLastError(ERROR_SUCCESS);
        m_handle.reset(CreateMutexA(nullptr, FALSE, name));
        m_alreadyExists = GetLastError() == ERROR_ALREADY_EXISTS;
    }
    bool Acquired() const noexcept { return m_handle && !m_alreadyExists; }
    bool AlreadyExists() const noexcept { return m_alreadyExists; }

private:
    Handle m_handle;
    bool m_alreadyExists = false;
};

} // namespace qor::win
