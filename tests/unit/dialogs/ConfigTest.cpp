// The settings window's portable side: the labels, what each control does to the running dock
// (the live preview), the coupling of the two size sliders, IniConfigData and closing.
#include <gtest/gtest.h>

#include "core/ConfigFormat.h"
#include "dialogs/Config.h"
#include "fakes/Fakes.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

// Records what the controller asks of the dock, with the keyboard mode at that moment.
struct RecordingHost : IConfigHost {
    explicit RecordingHost(AppState& app) : app(app) {}
    AppState& app;
    std::vector<std::string> calls;
    bool autoRunWorks = true;

    void RecomputeSlots(int mode) override { calls.push_back("RecomputeSlots " + std::to_string(mode)); }
    void SetMinimizedPosition(int position) override {
        calls.push_back("SetMinimizedPosition " + std::to_string(position));
    }
    void RebuildSizeLevel(int level) override {
        calls.push_back("RebuildSizeLevel " + std::to_string(level));
    }
    void RepaintDock() override {
        calls.push_back(std::string("RepaintDock") + (app.dock.KeyboardMode ? " backdrop" : ""));
    }
    int SetAutoRun(bool on) override {
        calls.push_back(std::string("SetAutoRun ") + (on ? "1" : "0"));
        return on && autoRunWorks ? 1 : 0;
    }
};

struct Window : test::TestApp {
    Window() {
        app.screen = MeasureScreen(sys.screen);
        SetDefaultSettings(app.cfg, app.run, app.screen);
    }
    RecordingHost host{app};
    ConfigController config{app, host};
};

TEST(ConfigWindow, LabelsWriteTheValuesInDecimal) {
    EXPECT_EQ(NormalSizeLabel(48), "Normal Icon Size:  48  Pixels");
    EXPECT_EQ(MagnifiedSizeLabel(128), "Magnified Icon Size:  128  Pixels");
    EXPECT_EQ(DiameterLabel(270), "Circle Diameter:  540  Pixels");
    EXPECT_EQ(QuantityLabel(36), "Icon Quantity:  36  Icons");
    EXPECT_EQ(MinimizedPositionLabel(6), "Current Minimized Position: Top-Right");
    EXPECT_EQ(MinimizedPositionLabel(9), "Current Minimized Position: ");
    EXPECT_EQ(OpacityLabel(231), "Opacity:  231");
}

// One user action: a list choice, or a slider moved to a value (kLetGo: let go).
struct Action {
    bool list;
    int which, value;
};
Action Choose(ConfigList l, int index) {
    return {true, static_cast<int>(l), index};
}
Action Slide(ConfigSlider s, int value) {
    return {false, static_cast<int>(s), value};
}
constexpr int kLetGo = -1;

TEST(ConfigWindow, EachChangeActsOnTheRunningDock) {
    using S = ConfigSlider;
    struct Row {
        const char* what;
        std::vector<Action> actions;
        std::vector<std::string> calls;
        std::function<void(const AppState&)> check;
    };
    const Row rows[] = {
        {"36 icons",
         {Choose(ConfigList::IconCount, 7)},
         {"RecomputeSlots 0"},
         [](const AppState& a) { EXPECT_EQ(a.run.IconCount, 36); }},
        {"a list index beyond the entries",
         {Choose(ConfigList::IconCount, 8)},
         {},
         [](const AppState& a) { EXPECT_EQ(a.run.IconCount, 24); }},
        {"radius",
         {Slide(S::Radius, 250), Slide(S::Radius, 270), Slide(S::Radius, kLetGo)},
         {"RecomputeSlots 0", "RecomputeSlots 0"},
         [](const AppState& a) { EXPECT_EQ(a.run.Radius, 270); }},
        {"radius beyond the screen",
         {Slide(S::Radius, 900)},
         {"RecomputeSlots 0"},
         [](const AppState& a) { EXPECT_EQ(a.run.Radius, a.screen.MaxRadius); }},
        {"opacity shows the backdrop while held",
         {Slide(S::Trans, 100), Slide(S::Trans, 120), Slide(S::Trans, kLetGo)},
         {"RepaintDock backdrop", "RepaintDock backdrop", "RepaintDock"},
         [](const AppState& a) {
             EXPECT_EQ(a.run.BackColor[3], 120);
             EXPECT_EQ(a.run.BackColorArgb, 0x78000000u);
             EXPECT_FALSE(a.dock.KeyboardMode);
         }},
        {"magnified size",
         {Slide(S::Magnified, 40), Slide(S::Magnified, kLetGo)},
         {"RecomputeSlots 2"},
         [](const AppState& a) { EXPECT_EQ(a.run.MagnifiedSize, 40); }}, // below the rest size: allowed
        {"rest size up and down again keeps the magnified size it had",
         {Slide(S::Normal, 80), Slide(S::Normal, 50), Slide(S::Normal, kLetGo)},
         {"RecomputeSlots 1", "RecomputeSlots 1", "RebuildSizeLevel 1", "RepaintDock"},
         [](const AppState& a) {
             EXPECT_EQ(a.run.IconSize, 50);
             EXPECT_EQ(a.run.MagnifiedSize, 64);
         }},
        {"rest size above the magnified size pushes it up",
         {Slide(S::Normal, 100), Slide(S::Normal, kLetGo)},
         {"RecomputeSlots 1", "RebuildSizeLevel 1", "RecomputeSlots 2", "RepaintDock"},
         [](const AppState& a) { EXPECT_EQ(a.run.MagnifiedSize, 100); }},
        {"each press remembers anew",
         {Slide(S::Normal, 100), Slide(S::Normal, kLetGo), Slide(S::Normal, 30), Slide(S::Normal, kLetGo)},
         {"RecomputeSlots 1", "RebuildSizeLevel 1", "RecomputeSlots 2", "RepaintDock", "RecomputeSlots 1",
          "RebuildSizeLevel 1", "RepaintDock"},
         [](const AppState& a) { EXPECT_EQ(a.run.MagnifiedSize, 100); }},
        {"a let-go without a press does nothing",
         {Slide(S::Normal, kLetGo), Slide(S::Trans, kLetGo)},
         {},
         [](const AppState& a) { EXPECT_EQ(a.run.IconSize, 48); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Window w;
        for (const Action& a : row.actions) {
            if (a.list)
                w.config.OnList(static_cast<ConfigList>(a.which), a.value);
            else
                w.config.OnSlider(static_cast<ConfigSlider>(a.which), a.value == kLetGo, a.value);
        }
        EXPECT_EQ(w.host.calls, row.calls);
        row.check(w.app);
    }
}

TEST(ConfigWindow, IniConfigDataRunsTheHandlersOfChangedCheckBoxesAndOfTheLists) {
    Window w;
    w.app.run.IconCount = 36;
    w.app.cfg.MinimizedPosition = 4;
    w.app.cfg.ClearType = 1;
    w.app.cfg.AutoRun = kTrue;
    const ConfigView v = w.config.IniConfigData();
    EXPECT_EQ(w.host.calls,
              (std::vector<std::string>{"RecomputeSlots 0", "SetMinimizedPosition 4", "SetAutoRun 1"}));
    EXPECT_EQ(v.iconCountIndex, 7);
    EXPECT_EQ(v.minimizedPosition, 4);
    EXPECT_TRUE(v.clearType && v.autoRun && !v.autoHide && !v.displayLetter);
    EXPECT_EQ(std::pair(v.radiusMin, v.radiusMax), std::pair(200, w.app.screen.MaxRadius));
    EXPECT_EQ(std::tuple(v.normal, v.magnified, v.radius, v.trans), std::tuple(48, 64, 284, 192)); // 728 high

    // Again, after a reset turned start with Windows off: only that box changes.
    w.host.calls.clear();
    w.app.cfg.AutoRun = kFalse;
    w.config.IniConfigData();
    EXPECT_EQ(w.host.calls,
              (std::vector<std::string>{"RecomputeSlots 0", "SetMinimizedPosition 4", "SetAutoRun 0"}));
    // Nothing changed: the start-up entry is left alone.
    w.host.calls.clear();
    w.config.IniConfigData();
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"RecomputeSlots 0", "SetMinimizedPosition 4"}));
}

TEST(ConfigWindow, ClosingLetsGoOfAHeldSliderAndSavesTheSettings) {
    Window w;
    w.config.OnList(ConfigList::IconCount, 7);
    w.config.OnSlider(ConfigSlider::Trans, false, 10);
    ASSERT_TRUE(w.app.dock.KeyboardMode);
    EXPECT_TRUE(w.config.Close());
    EXPECT_FALSE(w.app.dock.KeyboardMode);
    const auto saved = ParseSettings(w.fs.files[w.app.paths.SettingsFile]);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->IconCountCode, 7);
    EXPECT_EQ(saved->BackColor[3], 10);
}

TEST(ConfigWindow, ADockPreviewMovesAMinimizedRingAtOnce) {
    Window w;
    test::RecordingCanvas canvas;
    DockPreview preview(w.app, [&] { return &canvas; }, {});
    w.app.run.CentreBackSize = 152;
    preview.SetMinimizedPosition(minpos::Top);
    EXPECT_TRUE(canvas.calls.empty()); // expanded: nothing to move
    EXPECT_EQ(w.app.geo.MiniBackTop, 2);
    w.app.dock.State = dockstate::Minimized;
    preview.SetMinimizedPosition(minpos::Left);
    ASSERT_FALSE(canvas.calls.empty());
    EXPECT_EQ(canvas.calls.back().op, test::CanvasCall::Op::Present);
    EXPECT_EQ(w.app.geo.MiniBackLeft, 2);
}

} // namespace
} // namespace qor
