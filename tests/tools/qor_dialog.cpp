// qor_dialog.exe: drives a dialog of another program through its controls, as the user's actions
// do, for the end-to-end journeys. Windows are found by caption, controls by class and caption,
// by the caption of the label just before them in the tab order, or by "#<id>".
//
//   wait <window> [ms]               until a visible top-level window has that caption (15 s)
//   gone <window> [ms]               until none has
//   dump <window>                    one line per control of the frontmost such window: class, id,
//                                    enabled, checked, client size, text, and for a combo box its
//                                    selection and entries, separated by tabs
//   tabs <window>                    the ids of the controls in tab order, once round from the
//                                    focused one back to it
//   click <window> <caption>         a button pressed (BM_CLICK)
//   set <window> <class> <which> <text>   the text replaced (WM_SETTEXT, then EN_CHANGE)
//   select <window> <which> <index>  a combo box entry chosen (CB_SETCURSEL, then CBN_SELCHANGE)
//   key <window> <class> <which> <virtual key>   a key pressed in the control (WM_KEYDOWN)
//
// Texts are UTF-8. Requests that start work in the dialog are posted, so a dialog that opens a
// message box does not hold this program up. Exit code 0 when done, 1 when the window or control
// was not found in time, 2 on bad arguments. Built as build/win/qor_dialog.exe (a console program).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring out(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
    out.resize(out.size() - 1);
    return out;
}

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    // WM_GETTEXT is carried across processes; GetWindowText is not, for another program's control.
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return buffer;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

// Visible top-level windows with that caption, the frontmost first (a message box with the
// caption of the dialog that owns it comes before the dialog).
std::vector<HWND> FindTopLevel(const std::wstring& caption) {
    struct Search {
        const std::wstring* caption;
        std::vector<HWND> found;
    } search{&caption, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (IsWindowVisible(hwnd) && TextOf(hwnd) == *s->caption)
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> WaitFor(const std::wstring& caption, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = FindTopLevel(caption);
        if (!found.empty() || GetTickCount() - start > ms)
            return found;
        Sleep(50);
    }
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> out;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        out.push_back(child);
    return out;
}

// The control of class `cls` ("" any) named `which`: "#<id>", its own caption, or the caption of
// the label before it (the next control of that class after the label).
HWND FindControl(HWND dialog, const std::wstring& cls, const std::wstring& which) {
    const std::vector<HWND> children = Children(dialog);
    if (!which.empty() && which[0] == L'#') {
        const HWND control = GetDlgItem(dialog, _wtoi(which.c_str() + 1));
        return control;
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (TextOf(children[i]) != which)
            continue;
        if (cls.empty() || ClassOf(children[i]) == cls)
            return children[i];
        for (std::size_t j = i + 1; j < children.size(); ++j)
            if (ClassOf(children[j]) == cls)
                return children[j];
    }
    return nullptr;
}

void Dump(HWND dialog) {
    for (HWND child : Children(dialog)) {
        const std::wstring cls = ClassOf(child);
        std::wstring line = cls + L"\t" + std::to_wstring(GetDlgCtrlID(child)) + L"\t" +
                            (IsWindowEnabled(child) ? L"1" : L"0") + L"\t";
        DWORD_PTR checked = 0;
        if (cls == L"Button")
            SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &checked);
        RECT r{};
        GetClientRect(child, &r);
        line += std::to_wstring(checked) + L"\t" + std::to_wstring(r.right) + L"x" +
                std::to_wstring(r.bottom) + L"\t" + TextOf(child);
        if (cls == L"ComboBox") {
            DWORD_PTR count = 0, selected = 0;
            SendMessageTimeoutW(child, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
            SendMessageTimeoutW(child, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
            line += L"\t" + std::to_wstring(static_cast<int>(selected));
            for (DWORD_PTR i = 0; i < count && i < 64; ++i) {
                wchar_t entry[512] = {};
                SendMessageTimeoutW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry), SMTO_ABORTIFHUNG,
                                    5000, nullptr);
                line += L"\t" + std::wstring(entry);
            }
        }
        std::printf("%s\n", Utf8(line).c_str());
    }
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8(argv[i]));
    const std::string& command = args[0];
    const std::wstring window = Wide(args[1].c_str());
    const DWORD ms =
        args.size() > 2 && (command == "wait" || command == "gone") ? std::stoul(args[2]) : 15000;

    if (command == "gone") {
        const DWORD start = GetTickCount();
        while (!FindTopLevel(window).empty()) {
            if (GetTickCount() - start > ms)
                return 1;
            Sleep(50);
        }
        return 0;
    }
    const std::vector<HWND> windows = WaitFor(window, ms);
    if (windows.empty())
        return 1;
    const HWND front = windows.front();
    if (command == "wait")
        return 0;
    if (command == "dump") {
        Dump(front);
        return 0;
    }
    if (command == "tabs") {
        GUITHREADINFO gui{sizeof gui};
        GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &gui);
        HWND at = gui.hwndFocus;
        while (at && GetParent(at) != front) // the edit box inside a combo box
            at = GetParent(at);
        // Round once: back at the first control it is printed again and the list ends.
        const HWND first = at;
        for (int i = 0; at && i < 64; ++i) {
            std::printf("%d\n", GetDlgCtrlID(at));
            at = GetNextDlgTabItem(front, at, FALSE);
            if (at == first) {
                std::printf("%d\n", GetDlgCtrlID(at));
                break;
            }
        }
        return 0;
    }
    // The control is looked for in each window of that caption, the frontmost first.
    const auto find = [&](const std::wstring& cls, const std::string& which) -> HWND {
        for (HWND w : windows)
            if (const HWND control = FindControl(w, cls, Wide(which.c_str())))
                return control;
        return nullptr;
    };
    if (command == "click" && args.size() == 3) {
        const HWND button = find(L"Button", args[2]);
        if (!button)
            return 1;
        PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "set" && args.size() == 5) {
        const HWND control = find(Wide(args[2].c_str()), args[3]);
        if (!control)
            return 1;
        const std::wstring text = Wide(args[4].c_str());
        SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                            5000, nullptr);
        const int id = GetDlgCtrlID(control);
        PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, EN_CHANGE),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (command == "key" && args.size() == 5) {
        const HWND control = find(Wide(args[2].c_str()), args[3]);
        if (!control)
            return 1;
        PostMessageW(control, WM_KEYDOWN, std::stoi(args[4]), 0);
        return 0;
    }
    if (command == "select" && args.size() == 4) {
        const HWND combo = find(L"ComboBox", args[2]);
        if (!combo)
            return 1;
        const int index = std::stoi(args[3]);
        SendMessageTimeoutW(combo, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        return 0;
    }
    return 2;
}
