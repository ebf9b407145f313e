// qor_access_client.exe <window class> [<shortcut>]: reads the top-level window's client
// object from another process, as a screen reader does (AccessibleObjectFromWindow, then
// AccessibleChildren), and prints on standard output, in UTF-8, one line for the window and one
// per child (MSAA role and state numbers; hit = the child accHitTest finds at the middle of the
// location; the name last, since it may hold blanks):
//
//   window role=<role> state=<hex> children=<n> focus=<child id|none> name=<name>
//   child <id> role=<role> state=<hex> location=<l>,<t>,<w>,<h> hit=<id> shortcut=<key> action=<action>
//   name=<name>
//
// With a shortcut it then runs the default action of the first child with that shortcut key and
// prints "action <id> hr=<hex>". Exit code 0 when all of it worked.
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// IID_IAccessible, spelled out: with MinGW the import libraries' copy gave E_NOINTERFACE.
const IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::string Utf8(BSTR text) {
    if (!text)
        return {};
    const int length = static_cast<int>(SysStringLen(text));
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    SysFreeString(text);
    return out;
}

VARIANT Child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string Text(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), LONG id) {
    BSTR text = nullptr;
    if (FAILED((acc->*get)(Child(id), &text)))
        return {};
    return Utf8(text);
}

LONG Number(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), LONG id) {
    VARIANT v;
    VariantInit(&v);
    const HRESULT hr = (acc->*get)(Child(id), &v);
    const LONG value = SUCCEEDED(hr) && v.vt == VT_I4 ? v.lVal : -1;
    VariantClear(&v);
    return value;
}

// The child id in a VARIANT that names one (VT_I4), -1 for anything else.
LONG IdOf(const VARIANT& v) {
    return v.vt == VT_I4 ? v.lVal : -1;
}

int Run(const char* windowClass, const char* shortcut) {
    HWND hwnd = nullptr;
    for (int i = 0; i < 100 && !hwnd; ++i) {
        hwnd = FindWindowA(windowClass, nullptr);
        if (!hwnd)
            Sleep(100);
    }
    if (!hwnd) {
        std::printf("error no window of class %s\n", windowClass);
        return 1;
    }
    IAccessible* acc = nullptr;
    const HRESULT hr = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                                  reinterpret_cast<void**>(&acc));
    if (FAILED(hr) || !acc) {
        std::printf("error AccessibleObjectFromWindow hr=%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }
    LONG count = 0;
    acc->get_accChildCount(&count);
    VARIANT focus;
    VariantInit(&focus);
    acc->get_accFocus(&focus);
    const LONG focused = IdOf(focus);
    VariantClear(&focus);
    std::printf("window role=%ld state=%lx children=%ld focus=%s name=%s\n",
                Number(acc, &IAccessible::get_accRole, CHILDID_SELF),
                Number(acc, &IAccessible::get_accState, CHILDID_SELF), count,
                focused < 0 ? "none" : std::to_string(focused).c_str(),
                Text(acc, &IAccessible::get_accName, CHILDID_SELF).c_str());

    std::vector<VARIANT> children(static_cast<std::size_t>(count > 0 ? count : 0));
    LONG obtained = 0;
    if (count > 0 && FAILED(AccessibleChildren(acc, 0, count, children.data(), &obtained))) {
        std::printf("error AccessibleChildren\n");
        acc->Release();
        return 1;
    }
    LONG runOn = -1;
    for (LONG i = 0; i < obtained; ++i) {
        const LONG id = IdOf(children[static_cast<std::size_t>(i)]);
        VariantClear(&children[static_cast<std::size_t>(i)]);
        if (id <= 0)
            continue; // the elements are simple: a child object would be a fault here
        LONG left = 0, top = 0, width = 0, height = 0;
        acc->accLocation(&left, &top, &width, &height, Child(id));
        VARIANT hit;
        VariantInit(&hit);
        acc->accHitTest(left + width / 2, top + height / 2, &hit);
        const std::string key = Text(acc, &IAccessible::get_accKeyboardShortcut, id);
        std::printf(
            "child %ld role=%ld state=%lx location=%ld,%ld,%ld,%ld hit=%ld shortcut=%s action=%s name=%s\n",
            id, Number(acc, &IAccessible::get_accRole, id), Number(acc, &IAccessible::get_accState, id), left,
            top, width, height, IdOf(hit), key.c_str(),
            Text(acc, &IAccessible::get_accDefaultAction, id).c_str(),
            Text(acc, &IAccessible::get_accName, id).c_str());
        VariantClear(&hit);
        if (shortcut && runOn < 0 && key == shortcut)
            runOn = id;
    }
    int result = 0;
    if (shortcut) {
        const HRESULT done = runOn > 0 ? acc->accDoDefaultAction(Child(runOn)) : E_INVALIDARG;
        std::printf("action %ld hr=%08lx\n", runOn, static_cast<unsigned long>(done));
        result = SUCCEEDED(done) ? 0 : 1;
    }
    acc->Release();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: qor_access_client <window class> [<shortcut>]\n");
        return 1;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int result = Run(argv[1], argc > 2 ? argv[2] : nullptr);
    std::fflush(stdout);
    CoUninitialize();
    return result;
}
