// qor_controls.exe: drives another program's dialog boxes the way a user does, for the end-to-end
// tests. A dialog is a visible top-level window of the dialog class "#32770" found by its
// caption; a control inside it (at any depth: the settings window's pages are dialogs of their
// own) by its text ("&OK"), by "#<id>", or by "<class>:<n>" (the n-th of that class, from 0, in
// window order). Each command sends what the user's action sends:
//
//   wait <dialog> [ms]               until the dialog is shown (prints its handle); exit 1 on timeout
//   gone <dialog> [ms]               until no such dialog is shown; exit 1 on timeout
//   dump <dialog>                    one line per control: id, class, text and its state
//   click <dialog> <control>         a click on a button or check box (posted: it may open a
//                                    modal window and must not wait for it)
//   choose <dialog> <control> <i>    list entry i chosen (the list tells its parent CBN_SELCHANGE)
//   slide <dialog> <control> <v>...  the slider dragged through the values and let go
//   tab <dialog> <i>                 tab i chosen (the tab strip tells its parent, as on a click)
//   settext <dialog> <control> <t>   text typed into an edit box
//   close <dialog>                   the close box
//
// Exit code 0 on success, 1 when the dialog or control is not there, 2 for a wrong command line.
// Built by the Windows build as build/win/qor_controls.exe (console, static runtime).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string TextOf(HWND hwnd) {
    char buffer[1024] = {};
    // WM_GETTEXT (not GetWindowText) reads the text of another process's controls.
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return buffer;
}

std::string ClassOf(HWND hwnd) {
    char buffer[64] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

struct Search {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770" && TextOf(hwnd) == s->caption) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND Dialog(const std::string& caption) {
    Search s{caption};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

// Every control of the dialog, its pages' controls included, in window order.
std::vector<HWND> Controls(HWND dialog) {
    std::vector<HWND> all;
    EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND Control(HWND dialog, const std::string& which) {
    const std::vector<HWND> all = Controls(dialog);
    if (which.size() > 1 && which[0] == '#') {
        const int id = std::atoi(which.c_str() + 1);
        for (HWND c : all)
            if (GetDlgCtrlID(c) == id)
                return c;
        return nullptr;
    }
    const std::size_t colon = which.rfind(':');
    if (colon != std::string::npos && colon + 1 < which.size() &&
        which.find_first_not_of("0123456789", colon + 1) == std::string::npos) {
        const std::string cls = which.substr(0, colon);
        int n = std::atoi(which.c_str() + colon + 1);
        for (HWND c : all)
            if (lstrcmpiA(ClassOf(c).c_str(), cls.c_str()) == 0 && n-- == 0)
                return c;
        return nullptr;
    }
    for (HWND c : all)
        if (TextOf(c) == which)
            return c;
    return nullptr;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 15000, &result);
    return static_cast<LRESULT>(result);
}

std::string State(HWND c) {
    const std::string cls = ClassOf(c);
    std::string s = std::string("enabled=") + (IsWindowEnabled(c) ? "1" : "0") +
                    " visible=" + (IsWindowVisible(c) ? "1" : "0");
    if (lstrcmpiA(cls.c_str(), "Button") == 0) {
        s += " check=" + std::to_string(Send(c, BM_GETCHECK, 0, 0));
    } else if (lstrcmpiA(cls.c_str(), TRACKBAR_CLASSA) == 0) {
        s += " pos=" + std::to_string(Send(c, TBM_GETPOS, 0, 0)) +
             " min=" + std::to_string(Send(c, TBM_GETRANGEMIN, 0, 0)) +
             " max=" + std::to_string(Send(c, TBM_GETRANGEMAX, 0, 0));
    } else if (lstrcmpiA(cls.c_str(), "ComboBox") == 0) {
        s += " sel=" + std::to_string(Send(c, CB_GETCURSEL, 0, 0)) +
             " count=" + std::to_string(Send(c, CB_GETCOUNT, 0, 0));
    } else if (lstrcmpiA(cls.c_str(), WC_TABCONTROLA) == 0) {
        s += " sel=" + std::to_string(Send(c, TCM_GETCURSEL, 0, 0));
    }
    return s;
}

// A line's text without its line breaks (the dump is one control per line).
std::string OneLine(std::string text) {
    for (char& ch : text)
        if (ch == '\r' || ch == '\n' || ch == '\t')
            ch = ' ';
    return text;
}

bool WaitFor(const std::string& caption, bool shown, int ms) {
    for (int waited = 0;; waited += 50) {
        const HWND d = Dialog(caption);
        if ((d != nullptr) == shown) {
            if (d)
                std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(d)));
            return true;
        }
        if (waited >= ms)
            return false;
        Sleep(50);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const std::string command = argv[1];
    const std::string caption = argv[2];
    if (command == "wait" || command == "gone")
        return WaitFor(caption, command == "wait", argc > 3 ? std::atoi(argv[3]) : 10000) ? 0 : 1;

    const HWND dialog = Dialog(caption);
    if (!dialog) {
        std::fprintf(stderr, "no dialog \"%s\"\n", caption.c_str());
        return 1;
    }
    if (command == "dump") {
        RECT r{};
        GetWindowRect(dialog, &r);
        std::printf("window\t%ld,%ld,%ld,%ld\n", r.left, r.top, r.right, r.bottom);
        for (HWND c : Controls(dialog))
            std::printf("%d\t%s\t%s\t%s\n", GetDlgCtrlID(c), ClassOf(c).c_str(), OneLine(TextOf(c)).c_str(),
                        State(c).c_str());
        return 0;
    }
    if (command == "close") {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "tab" && argc > 3) {
        const HWND tab = Control(dialog, std::string(WC_TABCONTROLA) + ":0");
        if (!tab)
            return 1;
        // Moving the focus to a tab selects it, and the strip tells its parent as after a click.
        Send(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(std::atoi(argv[3])), 0);
        return 0;
    }
    if (argc < 4)
        return 2;
    const HWND control = Control(dialog, argv[3]);
    if (!control) {
        std::fprintf(stderr, "no control \"%s\" in \"%s\"\n", argv[3], caption.c_str());
        return 1;
    }
    const HWND parent = GetParent(control);
    const int id = GetDlgCtrlID(control);
    if (command == "click") {
        PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "choose" && argc > 4) {
        Send(control, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[4])), 0);
        PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (command == "slide" && argc > 4) {
        // A drag of the thumb: its positions while it moves, where it was let go, the end.
        int value = 0;
        for (int i = 4; i < argc; ++i) {
            value = std::atoi(argv[i]);
            Send(control, TBM_SETPOS, TRUE, value);
            Send(parent, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, value), reinterpret_cast<LPARAM>(control));
        }
        Send(parent, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, value), reinterpret_cast<LPARAM>(control));
        Send(parent, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (command == "settext" && argc > 4) {
        Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
        return 0;
    }
    return 2;
}
