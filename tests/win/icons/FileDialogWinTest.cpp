// The common file dialog under Wine: a 260-character initial name opens it (a watcher finds it,
// counts the file-type choices and cancels it), a 261-character one shows the overflow message.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "icons/FileDialog_win.h"

namespace qor {
namespace {

// Watches for a dialog of this process with the given title, notes how many file types its
// type list offers, and cancels it. The test thread sits in the dialog's modal loop meanwhile,
// so every way out is taken from here, each after a bounded wait: the dialog with the title is
// cancelled; when none appears, every dialog of the test thread is cancelled (the test then
// fails on Seen); when the test thread still does not come back, it is asked to quit, and at
// last the test program ends with a message, so a missing dialog never hangs the run.
class DialogWatcher {
public:
    explicit DialogWatcher(std::string title)
        : m_title(std::move(title)), m_testThread(GetCurrentThreadId()) {
        m_thread = std::thread([this] { Run(); });
    }
    ~DialogWatcher() {
        m_stop = true;
        m_thread.join();
    }
    bool Seen() const { return m_seen; }
    int TypeChoices() const { return m_types; }

private:
    static constexpr int kFindMs = 15000;   // the dialog appears within this
    static constexpr int kReturnMs = 10000; // the test thread is back this long after a cancel

    struct Search {
        const std::string* title;
        HWND found;
    };
    static BOOL CALLBACK Enum(HWND w, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char text[256]{};
        GetWindowTextA(w, text, sizeof text);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w) && *s->title == text) {
            s->found = w;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK CancelDialog(HWND w, LPARAM) {
        char cls[16]{};
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "#32770")
            PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    // True when the test thread came back (the watcher is being destroyed) within `ms`.
    bool WaitForReturn(int ms) {
        for (int waited = 0; waited < ms && !m_stop; waited += 50)
            Sleep(50);
        return m_stop;
    }
    void Run() {
        for (int waited = 0; waited < kFindMs && !m_stop; waited += 50) {
            Search s{&m_title, nullptr};
            EnumWindows(Enum, reinterpret_cast<LPARAM>(&s));
            if (s.found) {
                m_seen = true;
                constexpr int kFileTypeList = 0x470; // cmb1 of the common dialog template
                if (HWND types = GetDlgItem(s.found, kFileTypeList))
                    m_types = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
                PostMessageA(s.found, WM_COMMAND, IDCANCEL, 0);
                break;
            }
            Sleep(50);
        }
        if (m_stop)
            return;
        if (!m_seen)
            EnumThreadWindows(m_testThread, CancelDialog, 0);
        if (WaitForReturn(kReturnMs))
            return;
        PostThreadMessageA(m_testThread, WM_QUIT, 0, 0);
        if (WaitForReturn(kReturnMs))
            return;
        std::fprintf(stderr, "no way out of the dialog \"%s\" (seen: %d): ending the test program\n",
                     m_title.c_str(), m_seen ? 1 : 0);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    std::string m_title;
    DWORD m_testThread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_seen{false};
    std::atomic<int> m_types{-1};
    std::thread m_thread;
};

TEST(FileDialogWinTest, NameOf260CharactersOpensTheDialog) {
    test::FakeUi ui;
    FileDialogRequest request;
    request.title = "QOR Desktop - Restore Configuration";
    request.filter = "*.bak|*.bak|*.*|*.*";
    request.initialName = std::string(260, 'q');
    std::string result = "unset";
    {
        DialogWatcher watcher(request.title);
        result = ShowFileDialog(nullptr, request, ui);
        Sleep(10);
        EXPECT_TRUE(watcher.Seen());
        EXPECT_EQ(watcher.TypeChoices(), 2); // "*.bak" and "*.*"
    }
    EXPECT_EQ(result, ""); // cancelled
    EXPECT_TRUE(ui.messages.empty());
}

TEST(FileDialogWinTest, NameOf261CharactersShowsTheOverflowMessage) {
    test::FakeUi ui;
    FileDialogRequest request;
    request.title = "QOR Desktop - Properties";
    request.filter = "*.lnk;*.exe;*.*|*.lnk;*.exe;*.*";
    request.initialName = std::string(261, 'q');
    EXPECT_EQ(ShowFileDialog(nullptr, request, ui), "");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Filename Length Overflow");
    EXPECT_EQ(ui.messages[0].caption, "QOR Desktop - FileDialog Function");
    EXPECT_EQ(ui.messages[0].flags, mb::IconExclamation);
}

TEST(FileDialogWinTest, SaveDialogOpensWithTheSameRecord) {
    test::FakeUi ui;
    FileDialogRequest request;
    request.save = true;
    request.title = "QOR Desktop - Backup Shortcuts & Icons";
    request.filter = "*.bak|*.bak|*.*|*.*";
    request.initialName = "QOR Desktop Icons.bak";
    DialogWatcher watcher(request.title);
    EXPECT_EQ(ShowFileDialog(nullptr, request, ui), "");
    Sleep(10);
    EXPECT_TRUE(watcher.Seen());
}

} // namespace
} // namespace qor
