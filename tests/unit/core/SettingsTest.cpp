#include <gtest/gtest.h>

#include "core/Settings.h"
#include "fakes/Fakes.h"

namespace qor {
namespace {

TEST(Rounding, TiesGoToEven) {
    EXPECT_EQ(RoundHalfEven(575.5), 576);
    EXPECT_EQ(RoundHalfEven(576.5), 576);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
}

TEST(ScreenMetrics, MeasuredFromTheWorkArea) {
    const ScreenMetrics m = MeasureScreen({{0, 0, 1366, 728}, 15, 15});
    EXPECT_EQ(m.ScreenWidth, 1366);
    EXPECT_EQ(m.ScreenHeight, 728);
    EXPECT_EQ(m.CentreX, 683);
    EXPECT_EQ(m.CentreY, 364);
    EXPECT_EQ(m.MaxRadius, 284);
    EXPECT_EQ(m.MinRadius, 200);
    EXPECT_EQ(m.ScreenWidthTwips, 20490);
    EXPECT_EQ(m.ScreenHeightTwips, 10920);
    // A work area that does not start at 0 keeps its own size; odd halves round to even.
    const ScreenMetrics odd = MeasureScreen({{0, 30, 1365, 797}, 12, 12});
    EXPECT_EQ(odd.ScreenHeight, 767);
    EXPECT_EQ(odd.CentreX, 682); // 682.5 -> 682
    EXPECT_EQ(odd.CentreY, 384); // 383.5 -> 384
    EXPECT_EQ(odd.ScreenWidthTwips, 1365 * 12);
}

struct RadiusCase {
    int height;
    int maxRadius;
    int defaultRadius;
};

class DefaultRadius : public ::testing::TestWithParam<RadiusCase> {};

TEST_P(DefaultRadius, FollowsTheScreenHeight) {
    test::TestApp t;
    t.sys.screen.workArea = {0, 0, 1024, GetParam().height};
    InitializeState(t.app, true, true, true);
    EXPECT_EQ(t.app.screen.MaxRadius, GetParam().maxRadius);
    EXPECT_EQ(t.app.run.Radius, GetParam().defaultRadius);
    EXPECT_EQ(t.app.cfg.Radius, GetParam().defaultRadius);
}

INSTANTIATE_TEST_SUITE_P(Screens, DefaultRadius,
                         ::testing::Values(RadiusCase{768, 304, 300}, RadiusCase{600, 220, 220},
                                           RadiusCase{728, 284, 284}, RadiusCase{1040, 440, 300},
                                           RadiusCase{760, 300, 300}, RadiusCase{400, 120, 120}));

TEST(Defaults, EveryDefaultOfTheSettings) {
    test::TestApp t;
    t.sys.screen.workArea = {0, 0, 1366, 768};
    InitializeState(t.app, true, false, false);
    const RunSettings& run = t.app.run;
    const DockSettings& cfg = t.app.cfg;
    EXPECT_EQ(run.IconSize, 48);
    EXPECT_EQ(run.MaxIconSize, 128);
    EXPECT_EQ(run.MagnifiedSize, 64);
    EXPECT_EQ(run.IconCount, 24);
    EXPECT_EQ(cfg.IconCountCode, 4);
    EXPECT_EQ(run.BackColor, (std::array<uint8_t, 4>{0, 0, 0, 192}));
    EXPECT_EQ(run.BackColorArgb, 0xC0000000u);
    EXPECT_EQ(cfg.AutoRun, -1);
    EXPECT_EQ(run.CentreBackSize, 152);
    EXPECT_EQ(cfg.WindowLeft, (1366 * 15 - 6240) / 2);
    EXPECT_EQ(cfg.WindowTop, 768 * 15 - 1035);
    EXPECT_EQ(cfg.Spare4, 0);
    EXPECT_EQ(t.app.geo.PopupRows, 17); // (768 - 76) \\ 38 - 1
    EXPECT_EQ(t.app.geo.SizeLevels, (std::array<int, 5>{0, 48, 64, 128, 32}));
}

TEST(Defaults, FlagsAreNotTouchedByInitializeState) {
    test::TestApp t;
    t.app.cfg.LockDragging = -1;
    t.app.cfg.HideGetStarted = -1;
    t.app.cfg.HideDesktopIcons = 1;
    t.app.cfg.AutoHide = 1;
    t.app.cfg.DisplayLetter = 1;
    t.app.cfg.MinimizedPosition = 8;
    t.app.cfg.ClearType = 1;
    t.app.cfg.IconSize = 99;
    InitializeState(t.app, false, false, false);
    EXPECT_EQ(t.app.cfg.LockDragging, -1);
    EXPECT_EQ(t.app.cfg.HideGetStarted, -1);
    EXPECT_EQ(t.app.cfg.HideDesktopIcons, 1);
    EXPECT_EQ(t.app.cfg.AutoHide, 1);
    EXPECT_EQ(t.app.cfg.DisplayLetter, 1);
    EXPECT_EQ(t.app.cfg.MinimizedPosition, 8);
    EXPECT_EQ(t.app.cfg.ClearType, 1);
    EXPECT_EQ(t.app.cfg.IconSize, 48); // the snapshot fields do get their defaults
}

TEST(Defaults, WindowPositionRoundsHalfTwipsToEven) {
    DockSettings cfg;
    RunSettings run;
    ScreenMetrics screen = MeasureScreen({{0, 0, 1365, 768}, 15, 15});
    SetDefaultSettings(cfg, run, screen);
    // (20475 - 6240) / 2 = 7117.5 -> 7118
    EXPECT_EQ(cfg.WindowLeft, 7118);
}

TEST(Colour, ArgbFromTheFourBytes) {
    EXPECT_EQ(ColourToArgb({0x10, 0x20, 0x30, 0x40}), 0x40302010u);
}

} // namespace
} // namespace qor
