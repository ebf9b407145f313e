// The settings window from the program's own templates: what the controls show when it opens,
// what a slider's notifications and the tab strip change, and what closing stores. The window is
// modeless, so the test sends its controls' notifications directly.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "core/ConfigFormat.h"
#include "dialogs/FrmConfig_win.h"
#include "fakes/Fakes.h"
#include "resources/resource.h"

namespace qor {
namespace {

struct Host : IConfigHost {
    std::vector<std::string> calls;
    void RecomputeSlots(int mode) override { calls.push_back("RecomputeSlots " + std::to_string(mode)); }
    void SetMinimizedPosition(int position) override {
        calls.push_back("SetMinimizedPosition " + std::to_string(position));
    }
    void RebuildSizeLevel(int level) override {
        calls.push_back("RebuildSizeLevel " + std::to_string(level));
    }
    void RepaintDock() override { calls.push_back("RepaintDock"); }
    int SetAutoRun(bool on) override {
        calls.push_back(std::string("SetAutoRun ") + (on ? "1" : "0"));
        return on ? 1 : 0;
    }
};

struct Window : test::TestApp {
    Window() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        app.screen = MeasureScreen(sys.screen);
        SetDefaultSettings(app.cfg, app.run, app.screen);
    }
    DockSettings Stored() { return *ParseSettings(fs.files[app.paths.SettingsFile]); }
};

// A control of the window or of one of its pages.
HWND Find(HWND dialog, int id) {
    struct Search {
        int id;
        HWND found;
    } s{id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(w) != s->id)
                return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string Text(HWND w) {
    char buffer[256] = {};
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

LRESULT Pos(HWND dialog, int id) {
    return SendMessageA(Find(dialog, id), TBM_GETPOS, 0, 0);
}

// A drag of a slider's thumb to `value` and its release, as the trackbar tells its parent.
void Drag(HWND dialog, int id, int value) {
    const HWND slider = Find(dialog, id);
    SendMessageA(slider, TBM_SETPOS, TRUE, value);
    SendMessageA(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, value),
                 reinterpret_cast<LPARAM>(slider));
    SendMessageA(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
}

TEST(FrmConfigWin, ShowsTheSettingsFollowsTheSlidersAndStoresOnClose) {
    Window w;
    w.app.cfg.MinimizedPosition = 6;
    Host host;
    FrmConfig config(w.app, host, {});
    ASSERT_TRUE(config.ShowModeless(GetModuleHandleA(nullptr), nullptr));
    const HWND hwnd = config.Hwnd();
    EXPECT_EQ(Text(hwnd), "QOR Desktop - Settings");
    EXPECT_EQ(Pos(hwnd, IDC_CONFIG_NORMAL), 48);
    EXPECT_EQ(Pos(hwnd, IDC_CONFIG_RADIUS), w.app.screen.MaxRadius);
    EXPECT_EQ(SendMessageA(Find(hwnd, IDC_CONFIG_RADIUS), TBM_GETRANGEMIN, 0, 0), 200);
    EXPECT_EQ(Text(Find(hwnd, IDC_CONFIG_RADIUS_LABEL)), DiameterLabel(w.app.screen.MaxRadius));
    EXPECT_EQ(SendMessageA(Find(hwnd, IDC_CONFIG_ICONCOUNT), CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(Text(Find(hwnd, IDC_CONFIG_MINPOS_LABEL)), "Current Minimized Position: Top-Right");
    EXPECT_EQ(SendMessageA(Find(hwnd, IDC_CONFIG_AUTORUN), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"RecomputeSlots 0", "SetMinimizedPosition 6", "SetAutoRun 1"}));
    // The first page shows; the tab strip brings the other one.
    EXPECT_TRUE(IsWindowVisible(GetParent(Find(hwnd, IDC_CONFIG_AUTORUN))));
    EXPECT_FALSE(IsWindowVisible(GetParent(Find(hwnd, IDC_CONFIG_NORMAL))));
    SendMessageA(Find(hwnd, IDC_CONFIG_TAB), TCM_SETCURFOCUS, 1, 0);
    EXPECT_FALSE(IsWindowVisible(GetParent(Find(hwnd, IDC_CONFIG_AUTORUN))));
    EXPECT_TRUE(IsWindowVisible(GetParent(Find(hwnd, IDC_CONFIG_NORMAL))));

    // The rest size dragged above the magnified size takes that slider and its label along.
    host.calls.clear();
    Drag(hwnd, IDC_CONFIG_NORMAL, 100);
    EXPECT_EQ(Pos(hwnd, IDC_CONFIG_MAGNIFIED), 100);
    EXPECT_EQ(Text(Find(hwnd, IDC_CONFIG_MAGNIFIED_LABEL)), "Magnified Icon Size:  100  Pixels");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"RecomputeSlots 1", "RebuildSizeLevel 1",
                                                    "RecomputeSlots 2", "RepaintDock"}));

    // "&OK" closes the window and stores what was chosen.
    SendMessageA(Find(hwnd, IDOK), BM_CLICK, 0, 0);
    EXPECT_FALSE(config.IsOpen());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(w.Stored().IconSize, 100);
    EXPECT_EQ(w.Stored().MagnifiedSize, 100);
}

} // namespace
} // namespace qor
