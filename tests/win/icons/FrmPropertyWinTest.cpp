// The property dialog from the program's own template, driven by a thread timer acting as the
// user while the dialog's modal loop runs: what it shows for a ring shortcut, the keyboard's way
// through it (tab order, Enter, Escape), and a title the code page cannot hold.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
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

// The visible dialog boxes of this thread, the property dialog first.
std::vector<HWND> Dialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM p) -> BOOL {
            char cls[16] = {};
            GetClassNameA(hwnd, cls, sizeof cls);
            if (IsWindowVisible(hwnd) && std::string(cls) == "#32770")
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::stable_partition(found.begin(), found.end(),
                          [](HWND h) { return GetDlgItem(h, IDC_PROP_TITLE) != nullptr; });
    return found;
}

HWND FindOtherDialog(HWND dialog) {
    for (HWND h : Dialogs())
        if (h != dialog)
            return h;
    return nullptr;
}

// A ring shortcut on position 4, shown modally; `user` runs every 50 ms with the dialog until it
// closes (after 15 s whatever is open is closed, so that the run never hangs).
struct FrmPropertyWin : ::testing::Test {
    gdip::Session gdiplus;
    test::ShellTestApp t;
    AppState& app = t.app;
    std::vector<std::string> calls;
    test::RecordingDock dock{calls};

    void SetUp() override {
        ASSERT_EQ(gdiplus.Start(), 0);
        DockItem& d = app.store.Items[4];
        d.Kind = kind::Shortcut;
        d.Title = "Tool";
        d.Target = d.TargetPath = "C:\\Apps\\tool.exe";
        d.RunMode = 1;
        t.fs.AddFile("C:\\Apps\\tool.exe", "MZ");
    }
    void Run(const std::function<void(HWND)>& user) {
        g_ticks = 0;
        g_user = [&] {
            const std::vector<HWND> open = Dialogs();
            const HWND dialog = open.empty() || !GetDlgItem(open[0], IDC_PROP_TITLE) ? nullptr : open[0];
            if (g_ticks == 301)
                ADD_FAILURE() << "the dialog did not close";
            if (g_ticks > 300 && !open.empty())
                PostMessageA(open.back(), WM_COMMAND, IDCANCEL, 0);
            else if (dialog)
                user(dialog);
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Tick);
        FrmProperty::Show(GetModuleHandleA(nullptr), nullptr, app, dock, 4, false);
        KillTimer(nullptr, timer);
        g_user = nullptr;
    }
};

// What it shows, the tab key's way round, a title the code page cannot hold (refused with a
// message, the dialog stays), Enter storing the corrected one, and Escape storing nothing.
TEST_F(FrmPropertyWin, ShowsTheItemAndAnswersTheKeyboard) {
    std::vector<int> tabOrder;
    std::string seen, message;
    RECT picture{};
    int step = 0;
    Run([&](HWND dialog) {
        const HWND title = GetDlgItem(dialog, IDC_PROP_TITLE);
        if (step == 0) {
            seen = TextOf(dialog) + "|" + TextOf(title) + "|" + TextOf(GetDlgItem(dialog, IDC_PROP_LINK)) +
                   "|" + std::to_string(SendDlgItemMessageA(dialog, IDC_PROP_LINK, CB_GETCOUNT, 0, 0)) + "|" +
                   std::to_string(SendDlgItemMessageA(dialog, IDC_PROP_RUN, CB_GETCURSEL, 0, 0)) + "|" +
                   std::to_string(IsDlgButtonChecked(dialog, IDC_PROP_TYPE_SHORTCUT)) +
                   std::to_string(IsWindowEnabled(GetDlgItem(dialog, IDC_PROP_TYPE_SYSTEM)));
            GetClientRect(GetDlgItem(dialog, IDC_PROP_ICON), &picture);
            for (HWND at = GetFocus(); at && tabOrder.size() < 12; at = GetNextDlgTabItem(dialog, at, FALSE))
                tabOrder.push_back(GetDlgCtrlID(at));
            SetWindowTextW(title, L"Gr\u0101ce"); // "ā" is not in the Western code page
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            step = 1;
        } else if (step == 1) {
            if (const HWND box = FindOtherDialog(dialog)) { // the message box, owned by the dialog
                for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                    message += TextOf(c) + "|";
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                step = 2;
            }
        } else if (step == 2 && IsWindowEnabled(dialog)) {
            SetWindowTextW(title, L"Renamed");
            PostMessageA(title, WM_KEYDOWN, VK_RETURN, 0); // Enter is "&OK"
            step = 3;
        }
    });
    EXPECT_EQ(seen, "Properties|Tool|C:\\Apps\\tool.exe|3|1|10");
    EXPECT_EQ(picture.right, 130); // 128 pixels at 96 dots per inch, in a one-pixel frame
    EXPECT_EQ(picture.bottom, 130);
    EXPECT_EQ(tabOrder,
              (std::vector<int>{IDC_PROP_TITLE, IDC_PROP_LINK, IDC_PROP_BROWSE, IDC_PROP_TARGET,
                                IDC_PROP_ARGS, IDC_PROP_RUN, IDC_PROP_TYPE_SHORTCUT, IDC_PROP_CHANGE_ICON,
                                IDC_PROP_RESET_ICON, IDOK, IDCANCEL, IDC_PROP_TITLE}));
    EXPECT_NE(message.find("The title contains characters that cannot be stored"), std::string::npos)
        << message;
    EXPECT_EQ(app.store.Items[4].Title.Peek(), "Renamed");

    bool escaped = false;
    Run([&](HWND dialog) {
        if (!escaped) {
            escaped = true;
            SetDlgItemTextW(dialog, IDC_PROP_TITLE, L"Not kept");
            PostMessageA(GetDlgItem(dialog, IDC_PROP_TITLE), WM_KEYDOWN, VK_ESCAPE, 0);
        }
    });
    EXPECT_EQ(app.store.Items[4].Title.Peek(), "Renamed");
}

} // namespace
} // namespace qor
