// What every window class of the program shares: the static window procedure that binds the
// C++ object to its HWND, window-class registration, and the few requests a window makes of the
// program itself (the orderly end, the end of the Windows session, presented frames).
#pragma once

#include <windows.h>

#include <cstddef>

namespace qor {

// Lets the pending window messages run once (one pass of the message queue). A WM_QUIT seen on
// the way is posted again, so that the message loop still ends.
void PumpPendingMessages();

} // namespace qor

namespace qor::win {

class IProgram {
public:
    virtual ~IProgram() = default;
    // The orderly end (saves, restores the desktop, unloads the windows). Safe to call again.
    virtual void ExitProgram() = 0;
    // WM_QUERYENDSESSION: Windows asks whether the session may end; the program saves its files
    // now, since it may be terminated at any moment after answering yes.
    virtual void QueryEndSession() = 0;
    // WM_ENDSESSION: `ending` true means the session really ends.
    virtual void EndSession(bool ending) = 0;
    // A window presented a frame (`ms` long); the program traces the first one.
    virtual void FramePresented(double ms) = 0;
    // The dock finished the pictures it builds after the first frame (`count` of them).
    virtual void PendingImagesBuilt(std::size_t count) { (void)count; }
};

// The window procedure of class T: binds `this` (the lpCreateParams of CreateWindowEx) at
// WM_NCCREATE, forwards every message to T::WndProc, and unbinds at WM_NCDESTROY. T keeps its
// window handle in m_hwnd, which is set before WM_NCCREATE reaches WndProc and cleared after
// WM_NCDESTROY, so a destroyed window is never mistaken for a live one.
template <class T> LRESULT CALLBACK WindowThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    T* self = nullptr;
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        self = static_cast<T*>(create->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self)
            self->m_hwnd = hwnd;
    } else {
        self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    const LRESULT result = self->WndProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

// Registers a window class once per process (a second registration of the same name is fine).
template <class T> bool RegisterWindowClass(HINSTANCE instance, const char* className, HICON icon = nullptr) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowThunk<T>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.lpszClassName = className;
    if (RegisterClassExA(&wc))
        return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace qor::win
