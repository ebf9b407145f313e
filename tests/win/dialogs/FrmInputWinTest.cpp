// The input window from the program's own template: what it shows, what it selects, and what
// OK, Enter, Cancel and Escape hand back. A thread timer acts as the user while the window's
// modal loop runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/FrmInput_win.h"
#include "resources/resource.h"

namespace qor {
namespace {

// What the simulated user found in the window.
struct Seen {
    bool found = false;
    std::string caption, prompt, text;
    DWORD selStart = 0, selEnd = 0;
    bool topmost = false;
    bool boxHasFocus = false;
    std::string okText, cancelText;
    bool stayedOpen = false; // the answer did not close the window
};

std::function<void()> g_user;
int g_ticks = 0;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    if (g_user)
        g_user();
}

std::string TextOf(HWND hwnd) {
    char buffer[512] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

// The input window of this thread, when it is up.
HWND FindInputWindow() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM out) -> BOOL {
            if (GetDlgItem(hwnd, IDC_INPUT_TEXT) && IsWindowVisible(hwnd)) {
                *reinterpret_cast<HWND*>(out) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

enum class Answer { OkButton, Enter, CancelButton, Escape };

// Opens the window, and once it is up: notes what it shows, replaces the text with `typed` and
// answers. Gives the text the window handed back.
std::string RunInput(const std::string& title, const std::string& inputText, const std::string& typed,
                     Answer answer, Seen& seen) {
    bool answered = false;
    int answeredAt = 0;
    g_ticks = 0;
    g_user = [&] {
        const HWND dialog = FindInputWindow();
        if (!dialog) {
            if (g_ticks > 200) // 10 s without a window: give up rather than hang the run
                PostQuitMessage(0);
            return;
        }
        if (answered) {
            // An answer that closes nothing must not hang the run: close it and say so.
            if (g_ticks > answeredAt + 100) {
                seen.stayedOpen = true;
                EndDialog(dialog, IDABORT);
            }
            return;
        }
        answered = true;
        answeredAt = g_ticks;
        const HWND box = GetDlgItem(dialog, IDC_INPUT_TEXT);
        seen.found = true;
        seen.caption = TextOf(dialog);
        seen.prompt = TextOf(GetDlgItem(dialog, IDC_INPUT_PROMPT));
        seen.text = TextOf(box);
        SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selStart),
                     reinterpret_cast<LPARAM>(&seen.selEnd));
        seen.topmost = (GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        seen.boxHasFocus = GetFocus() == box;
        seen.okText = TextOf(GetDlgItem(dialog, IDOK));
        seen.cancelText = TextOf(GetDlgItem(dialog, IDCANCEL));
        SetWindowTextA(box, typed.c_str());
        switch (answer) {
        case Answer::OkButton:
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            break;
        case Answer::CancelButton:
            PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            break;
        case Answer::Enter: // through the dialog manager's keyboard handling, as a key press
            PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
            break;
        case Answer::Escape:
            PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Tick);
    const std::string result = FrmInput::InputText(GetModuleHandleA(nullptr), nullptr,
                                                   "Please enter the new group name.", title, inputText);
    KillTimer(nullptr, timer);
    g_user = nullptr;
    return result;
}

TEST(FrmInputWin, ShowsThePromptSelectsTheTextAndHandsBackTheAnswer) {
    struct Row {
        const char* name;
        const char* title;
        const char* inputText;
        const char* typed;
        Answer answer;
        const char* expected;
        const char* caption;
    };
    const Row rows[] = {
        {"OK with a name", "", "New Group", "Games", Answer::OkButton, "Games", "QOR Desktop Input"},
        {"Enter keeps blanks", "Add Shortcut Group", "New Group", "  Games  ", Answer::Enter, "  Games  ",
         "Add Shortcut Group"},
        {"blank-only entry gives the default", "", "New Group", "   ", Answer::Enter, "New Group",
         "QOR Desktop Input"},
        {"Cancel", "Change User Name", "user", "someone", Answer::CancelButton, "user", "Change User Name"},
        {"Escape", "", "user", "someone", Answer::Escape, "user", "QOR Desktop Input"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Seen seen;
        EXPECT_EQ(RunInput(row.title, row.inputText, row.typed, row.answer, seen), row.expected);
        ASSERT_TRUE(seen.found) << "the input window did not open";
        EXPECT_FALSE(seen.stayedOpen);
        EXPECT_EQ(seen.caption, row.caption);
        EXPECT_EQ(seen.prompt, "Please enter the new group name.");
        EXPECT_EQ(seen.text, row.inputText);
        EXPECT_TRUE(seen.boxHasFocus);
        EXPECT_EQ(seen.selStart, 0u);
        EXPECT_EQ(seen.selEnd, std::string(row.inputText).size());
        EXPECT_TRUE(seen.topmost);
        EXPECT_EQ(seen.okText, "&OK");
        EXPECT_EQ(seen.cancelText, "&Cancel");
    }
}

// A visible message box of this thread (a dialog box without the input window's text box).
HWND FindMessageBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM out) -> BOOL {
            char cls[16] = {};
            GetClassNameA(hwnd, cls, sizeof cls);
            if (IsWindowVisible(hwnd) && std::string(cls) == "#32770" && !GetDlgItem(hwnd, IDC_INPUT_TEXT))
                *reinterpret_cast<HWND*>(out) = hwnd;
            return !*reinterpret_cast<HWND*>(out);
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The answer becomes a title: a character the system's code page lacks is refused with a message
// and the window stays open (no "?" or look-alike is handed back); a text longer than the title's
// field is cut.
TEST(FrmInputWin, RefusesCharactersTheCodePageLacksAndKeepsToTheFieldWidth) {
    ASSERT_EQ(GetACP(), 1252u) << "the characters below are chosen for the Western code page";
    int step = 0;
    std::string message;
    g_ticks = 0;
    g_user = [&] {
        const HWND dialog = FindInputWindow();
        const HWND box = FindMessageBox();
        if (g_ticks > 300) { // 15 s: close whatever is open rather than hang the run
            PostMessageA(box ? box : dialog, WM_COMMAND, IDCANCEL, 0);
        } else if (step == 0 && dialog) {
            SetWindowTextW(GetDlgItem(dialog, IDC_INPUT_TEXT), L"Caf\u00e9 \u0101"); // "é" is in it, "ā" not
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            step = 1;
        } else if (step == 1 && box) {
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                message += TextOf(c) + "|";
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            step = 2;
        } else if (step == 2 && !box && dialog) {
            SetWindowTextW(GetDlgItem(dialog, IDC_INPUT_TEXT),
                           (L"Caf\u00e9" + std::wstring(200, L'x')).c_str());
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            step = 3;
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Tick);
    const std::string result = FrmInput::InputText(GetModuleHandleA(nullptr), nullptr,
                                                   "Please enter the new group name.", "", "New Group");
    KillTimer(nullptr, timer);
    g_user = nullptr;
    EXPECT_EQ(step, 3) << "the window did not stay open after the refused text";
    EXPECT_NE(message.find("contains characters that cannot be stored"), std::string::npos) << message;
    EXPECT_EQ(result, "Caf\xe9" + std::string(124, 'x'));
}

} // namespace
} // namespace qor
