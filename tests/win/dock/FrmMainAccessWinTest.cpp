// The dock as a screen reader sees it: another process (tests/tools/qor_access_client.cpp) reads
// the window's accessible object and runs an element's default action, and the events the
// keyboard selection raises reach a WinEvent hook.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/ConfigFiles.h"
#include "dock/FrmMain_win.h"
#include "dock/Paint.h"
#include "fakes/FakeShell.h"
#include "platform/GdiPlus_win.h"

namespace qor {
namespace {

struct QuietProgram : win::IProgram {
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override {}
};

// Lets this thread answer its windows' messages (and so the requests of other processes, which
// COM brings in through them) for `ms` milliseconds, or until `until` is signalled.
void RunMessages(DWORD ms, HANDLE until = nullptr) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        if (until && MsgWaitForMultipleObjects(1, &until, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0)
            return;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (!until)
            Sleep(5);
    }
}

std::string ExeFolder() {
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\') + 1);
}

// Runs qor_access_client.exe with `args` and returns what it printed, answering this thread's
// messages meanwhile.
std::string RunClient(const std::string& args) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return {};
    const win::Handle reader(readEnd);
    win::Handle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    std::string command = "\"" + ExeFolder() + "qor_access_client.exe\" " + args;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started))
        return {};
    const win::Handle process(started.hProcess), thread(started.hThread);
    writer.reset();
    std::string out;
    const auto drain = [&] {
        DWORD waiting = 0;
        while (PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(reader.get(), buffer, std::min<DWORD>(waiting, sizeof buffer), &got, nullptr) ||
                got == 0)
                break;
            out.append(buffer, got);
        }
    };
    for (int i = 0; i < 300 && WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0; ++i) {
        RunMessages(100, process.get());
        drain();
    }
    drain();
    return out;
}

// One printed line of the client: the words before the fields, then field=value up to "name=",
// which takes the rest of the line.
struct ClientLine {
    std::string head;
    std::map<std::string, std::string> fields;
};

std::map<std::string, ClientLine> ParseClient(const std::string& text) {
    std::map<std::string, ClientLine> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ClientLine parsed;
        const std::size_t name = line.find(" name=");
        std::string rest = line.substr(0, name);
        if (name != std::string::npos)
            parsed.fields["name"] = line.substr(name + 6);
        std::istringstream words(rest);
        std::string word;
        while (words >> word) {
            const std::size_t eq = word.find('=');
            if (eq == std::string::npos)
                parsed.head += (parsed.head.empty() ? "" : " ") + word;
            else
                parsed.fields[word.substr(0, eq)] = word.substr(eq + 1);
        }
        lines[parsed.head] = parsed;
    }
    return lines;
}

unsigned long Hex(const std::string& text) {
    return std::stoul(text.empty() ? "0" : text, nullptr, 16);
}

// The events this process raised, as a WinEvent hook in the same thread receives them.
struct SeenEvent {
    DWORD event;
    HWND hwnd;
    LONG object;
    LONG child;
    bool operator==(const SeenEvent&) const = default;
};
std::vector<SeenEvent> g_seen;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (event == EVENT_OBJECT_FOCUS || event == EVENT_OBJECT_NAMECHANGE)
        g_seen.push_back({event, hwnd, object, child});
}

// A 400 x 300 work area at (20, 10) with eight positions on a circle of 100 pixels: position 1 a
// shortcut, the others blank.
class FrmMainAccess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ole.Start());
        ASSERT_EQ(gdiplus.Start(), 0);
        app.sys.trace = &trace;
        app.screen = MeasureScreen(ScreenInfo{{20, 10, 420, 310}, 15, 15});
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.run.IconCount = 8;
        app.run.Radius = 100;
        FillSizeLevels(app.geo, app.run);
        ComputeSlotTable(app.geo, app.screen, app.run);
        for (int g = 0; g <= kGroupBound; ++g)
            app.store.Groups[g].Members[0] = g;
        app.store.Items[0].Title = "Centre";
        for (int i = 2; i <= 8; ++i) {
            app.store.Items[i].Kind = kind::Blank;
            app.store.Items[i].Title = "Blank Shortcut";
        }
        DockItem& one = app.store.Items[1];
        one.Kind = kind::Shortcut;
        one.Target = "C:\\Apps\\one.exe";
        one.Title = "One";
        SetCursorPos(0, 0); // off the ring: the real pointer hovers nothing
        ASSERT_TRUE(dock.Load(GetModuleHandleA(nullptr)));
        dock.Show();
        dock.DockFocus(true);
    }
    void TearDown() override { dock.Unload(); }

    void Key(WPARAM key) { SendMessageA(dock.Hwnd(), WM_KEYDOWN, key, 0); }
    bool Traced(const std::string& text) const {
        return std::any_of(trace.lines.begin(), trace.lines.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }

    win::OleSession ole;
    gdip::Session gdiplus;
    test::ShellTestApp t;
    AppState& app = t.app;
    test::RecordingTrace trace;
    QuietProgram program;
    FrmMain dock{app, program};
};

TEST_F(FrmMainAccess, AnotherProcessReadsTheRingAndRunsAShortcutByItsDefaultAction) {
    dock.Controller().AltSpace();
    // No window manager gives the test's window the foreground (nor the keyboard focus, which
    // the end-to-end test reads): the watch on it would end the keyboard mode while the client
    // reads.
    dock.Controller().StopAllTimers();
    Key(VK_RIGHT); // the keyboard selection on position 1
    const std::string printed = RunClient(std::string(FrmMain::kClassName) + " 0");
    const auto lines = ParseClient(printed);
    ASSERT_TRUE(lines.count("window")) << printed;
    const ClientLine& window = lines.at("window");
    EXPECT_EQ(window.fields.at("role"), std::to_string(ROLE_SYSTEM_LIST));
    EXPECT_EQ(window.fields.at("children"), "9");
    EXPECT_EQ(window.fields.at("name"), "QOR Desktop");
    for (int slot = 0; slot <= 8; ++slot) {
        SCOPED_TRACE(slot);
        const std::string id = std::to_string(slot + 1);
        ASSERT_TRUE(lines.count("child " + id)) << printed;
        const ClientLine& child = lines.at("child " + id);
        const DockSlot& s = app.geo.Slots[slot];
        EXPECT_EQ(child.fields.at("role"), std::to_string(ROLE_SYSTEM_PUSHBUTTON));
        EXPECT_EQ(child.fields.at("location"),
                  std::to_string(20 + s.IconLeft) + "," + std::to_string(10 + s.IconTop) + "," +
                      std::to_string(s.IconSide) + "," + std::to_string(s.IconSide));
        EXPECT_EQ(child.fields.at("hit"), id) << "hit-testing finds the element at its middle";
        EXPECT_EQ(child.fields.at("shortcut"), std::string(1, SlotLetter(slot)));
        const unsigned long state = Hex(child.fields.at("state"));
        EXPECT_TRUE(state & STATE_SYSTEM_FOCUSABLE);
        EXPECT_EQ((state & STATE_SYSTEM_FOCUSED) != 0, slot == 1);
        EXPECT_EQ((state & STATE_SYSTEM_UNAVAILABLE) != 0, slot >= 2);
        EXPECT_EQ(child.fields.at("name"), slot == 0 ? "Centre" : slot == 1 ? "One" : "Blank Shortcut");
        EXPECT_EQ(child.fields.at("action"), slot == 0 ? "Minimize" : slot == 1 ? "Open" : "");
    }
    ASSERT_TRUE(lines.count("action 2")) << printed;
    EXPECT_EQ(lines.at("action 2").fields.at("hr"), "00000000");
    // The action runs after the client's request returned, from the window's own messages.
    RunMessages(300);
    EXPECT_TRUE(Traced("access action window=FrmMain child=2 ok=1"));
    EXPECT_TRUE(Traced("dock launch item=1"));
    // A blank has nothing to run: the request is refused.
    const auto refused = ParseClient(RunClient(std::string(FrmMain::kClassName) + " 2"));
    ASSERT_TRUE(refused.count("action 4"));
    EXPECT_EQ(Hex(refused.at("action 4").fields.at("hr")), static_cast<unsigned long>(DISP_E_MEMBERNOTFOUND));
}

TEST_F(FrmMainAccess, TheKeyboardSelectionRaisesFocusEventsAndTheWindowGoesAway) {
    g_seen.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr,
                                               &OnWinEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    dock.Controller().AltSpace();
    Key(VK_LEFT);  // wraps to position 8
    Key(VK_RIGHT); // back to 1
    Key(VK_RIGHT);
    RunMessages(200);
    UnhookWinEvent(hook);
    const HWND w = dock.Hwnd();
    const std::vector<SeenEvent> expected{{EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, CHILDID_SELF},
                                          {EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, 9},
                                          {EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, 2},
                                          {EVENT_OBJECT_FOCUS, w, OBJID_CLIENT, 3}};
    EXPECT_EQ(g_seen, expected);
    EXPECT_TRUE(Traced("access focus window=FrmMain child=9 name=Blank Shortcut"));
    EXPECT_TRUE(Traced("paint DockAction 2")) << "the selection is drawn lit";

    // A client holding the object after the window went gets an error, not a crash.
    IAccessible* acc = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), win::kIidAccessible,
                                         reinterpret_cast<void**>(&acc)),
              S_OK);
    LONG count = 0;
    EXPECT_EQ(acc->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 9);
    dock.Unload();
    EXPECT_TRUE(FAILED(acc->get_accChildCount(&count)));
    acc->Release();
}

} // namespace
} // namespace qor
