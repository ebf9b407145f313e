// The property dialog from the program's own template, driven by a thread timer acting as the
// user while the dialog's modal loop runs: what it shows for a ring shortcut, the keyboard's way
// through it (tab order, Enter, Escape), and a title the code page cannot hold.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "icons/FrmProperty_win.h"
#include "platform/GdiPlus_win.h"
#include "resources/resource.h"

namespace qor {
namespace {

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

// The visible dialog of this thread holding control `id`.
HWND FindDialog(int id) {
    struct Search {
        int id;
        HWND found = nullptr;
    } search{id};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (IsWindowVisible(hwnd) && GetDlgItem(hwnd, s->id)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible dialog box of this thread other than `except` (a message box).
HWND FindOtherDialog(HWND except) {
    struct Search {
        HWND except, found = nullptr;
    } search{except};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            char cls[16] = {};
            GetClassNameA(hwnd, cls, sizeof cls);
            if (hwnd != s->except && IsWindowVisible(hwnd) && std::string(cls) == "#32770") {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A ring shortcut on position 4.
struct FrmPropertyWin : ::testing::Test {
    gdip::Session gdiplus;
    test::ShellTestApp t;
    AppState& app = t.app;
    std::vector<std::string> calls;
    test::RecordingDock dock{calls};

    void SetUp() override {
        ASSERT_EQ(gdiplus.Start(), 0);
        app.run.IconCount = 8;
        DockItem& d = app.store.Items[4];
        d.Kind = kind::Shortcut;
        d.IconRef = 4;
        d.Title = "Tool";
        d.Target = "C:\\Apps\\tool.exe";
        d.TargetPath = "C:\\Apps\\tool.exe";
        d.RunMode = 1;
        t.fs.AddFile("C:\\Apps\\tool.exe", "MZ");
    }
    // Shows the dialog for item 4; `user` runs on every tick with the dialog, until it closes or
    // 15 s have passed.
    void Run(const std::function<void(HWND)>& user) {
        g_ticks = 0;
        g_user = [&] {
            const HWND dialog = FindDialog(IDC_PROP_TITLE);
            if (g_ticks > 300) { // 15 s: close whatever is open rather than hang the run
                if (g_ticks == 301)
                    ADD_FAILURE() << "the dialog did not close";
                if (const HWND other = FindOtherDialog(dialog))
                    PostMessageA(other, WM_COMMAND, IDCANCEL, 0);
                else if (dialog)
                    EndDialog(dialog, IDABORT);
                return;
            }
            if (dialog)
                user(dialog);
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Tick);
        FrmProperty::Show(GetModuleHandleA(nullptr), nullptr, app, dock, 4, false);
        KillTimer(nullptr, timer);
        g_user = nullptr;
    }
};

TEST_F(FrmPropertyWin, ShowsTheItemAndAnswersTheKeyboard) {
    std::vector<int> tabOrder;
    std::string caption, title, link;
    int runSelected = -1, linkEntries = 0;
    bool shortcutChecked = false, systemEnabled = true;
    RECT picture{};
    bool typed = false;
    Run([&](HWND dialog) {
        if (typed)
            return;
        typed = true;
        caption = TextOf(dialog);
        title = TextOf(GetDlgItem(dialog, IDC_PROP_TITLE));
        link = TextOf(GetDlgItem(dialog, IDC_PROP_LINK));
        linkEntries = static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROP_LINK, CB_GETCOUNT, 0, 0));
        runSelected = static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROP_RUN, CB_GETCURSEL, 0, 0));
        shortcutChecked = IsDlgButtonChecked(dialog, IDC_PROP_TYPE_SHORTCUT) == BST_CHECKED;
        systemEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PROP_TYPE_SYSTEM));
        GetClientRect(GetDlgItem(dialog, IDC_PROP_ICON), &picture);
        // The tab key's way round, from the focused title.
        HWND at = GetFocus();
        for (int i = 0; i < 12 && at; ++i) {
            tabOrder.push_back(GetDlgCtrlID(at));
            at = GetNextDlgTabItem(dialog, at, FALSE);
        }
        SetDlgItemTextW(dialog, IDC_PROP_TITLE, L"Renamed");
        PostMessageA(GetDlgItem(dialog, IDC_PROP_TITLE), WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(caption, "Properties");
    EXPECT_EQ(title, "Tool");
    EXPECT_EQ(link, "C:\\Apps\\tool.exe");
    EXPECT_EQ(linkEntries, 3);
    EXPECT_EQ(runSelected, 1);
    EXPECT_TRUE(shortcutChecked);
    EXPECT_FALSE(systemEnabled);
    EXPECT_EQ(picture.right, 130); // 128 pixels at 96 dots per inch, in a one-pixel frame
    EXPECT_EQ(picture.bottom, 130);
    const std::vector<int> expected{
        IDC_PROP_TITLE, IDC_PROP_LINK,          IDC_PROP_BROWSE,      IDC_PROP_TARGET,     IDC_PROP_ARGS,
        IDC_PROP_RUN,   IDC_PROP_TYPE_SHORTCUT, IDC_PROP_CHANGE_ICON, IDC_PROP_RESET_ICON, IDOK,
        IDCANCEL,       IDC_PROP_TITLE};
    EXPECT_EQ(tabOrder, expected);
    // Enter is "&OK": the title is stored.
    EXPECT_EQ(app.store.Items[4].Title.Peek(), "Renamed");
    EXPECT_EQ(app.store.Items[4].RunMode, 1);

    // Escape closes without storing the texts.
    bool escaped = false;
    Run([&](HWND dialog) {
        if (escaped)
            return;
        escaped = true;
        SetDlgItemTextW(dialog, IDC_PROP_TITLE, L"Not kept");
        PostMessageA(GetDlgItem(dialog, IDC_PROP_TITLE), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(app.store.Items[4].Title.Peek(), "Renamed");
}

TEST_F(FrmPropertyWin, RefusesATitleTheCodePageCannotHold) {
    int step = 0;
    std::string message;
    Run([&](HWND dialog) {
        if (step == 0) {
            SetDlgItemTextW(dialog, IDC_PROP_TITLE, L"Gr\u0101ce"); // "ā" is not in the Western code page
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            step = 1;
        } else if (step == 1) {
            // The message box, owned by the dialog.
            const HWND box = FindOtherDialog(dialog);
            if (!box)
                return;
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                message += TextOf(c) + "|";
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            step = 2;
        } else if (step == 2 && IsWindowEnabled(dialog)) {
            PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            step = 3;
        }
    });
    EXPECT_EQ(step, 3) << "the dialog did not stay open after the refused title";
    EXPECT_NE(message.find("The title contains characters that cannot be stored"), std::string::npos)
        << message;
    EXPECT_EQ(app.store.Items[4].Title.Peek(), "Tool");
}

} // namespace
} // namespace qor
