// The dock at 150 % and 200 %: every length is its 96-DPI length scaled; skins come from the nearest scale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "core/AppState.h"
#include "core/Settings.h"
#include "dock/Geometry.h"
#include "dock/Skin.h"
#include "fakes/Fakes.h"
#include "popup/PopupLayout.h"

namespace qor {
namespace {

// A 1920 x 1200 work area with 24 positions on a radius of 200 (at 96 DPI), at a given scale.
AppState Laid(int dpi) {
    AppState app;
    app.screen = MeasureScreen(ScreenInfo{{0, 0, 1920, 1200}, 15, 15, dpi});
    SetDefaultSettings(app.cfg, app.run, app.screen);
    app.run.Radius = 200;
    app.cfg.MinimizedPosition = minpos::BottomRight;
    ReapplyGeometry(app);
    return app;
}

TEST(ScaledGeometry, EveryLengthOfThe96DpiRingScales) {
    const AppState base = Laid(96);
    const struct {
        int dpi;
        double scale;
        std::array<int, 5> levels; // rest, hover, centre and pop-up icon sizes
        int maxRadius, popupRows, miniBackLeft, miniIconLeft;
    } rows[] = {
        {96, 1.0, {0, 48, 64, 128, 32}, 520, 18, 1920 - 154, 1920 - 154 + 12},
        {144, 1.5, {0, 72, 96, 192, 48}, 320, 18, 1920 - 228 - 3, 1920 - 231 + 18},
        {192, 2.0, {0, 96, 128, 256, 64}, 220, 12, 1920 - 304 - 4, 1920 - 308 + 24},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE("dpi " + std::to_string(r.dpi));
        const AppState app = Laid(r.dpi);
        EXPECT_EQ(app.geo.SizeLevels, r.levels);
        EXPECT_EQ(app.screen.MaxRadius, r.maxRadius);
        EXPECT_EQ(app.geo.PopupRows, r.popupRows);
        EXPECT_EQ(app.geo.MiniBackLeft, r.miniBackLeft);
        EXPECT_EQ(app.geo.MiniIconLeft, r.miniIconLeft);

        const DockSlot& c = app.geo.Slots[0];
        EXPECT_EQ(c.IconSide, r.levels[3]);
        EXPECT_EQ(c.IconLeft, 960 - r.levels[3] / 2);
        EXPECT_EQ(c.HoverSide, std::lround(152 * r.scale));
        EXPECT_EQ(c.LabelY, 600 + c.HoverSide / 2 + std::lround(10 * r.scale));
        // Each position: the 96-DPI offset from the centre scaled, give or take the pixel rounded away.
        for (int i = 1; i <= 24; ++i) {
            SCOPED_TRACE("position " + std::to_string(i));
            const DockSlot& s = app.geo.Slots[i];
            const DockSlot& b = base.geo.Slots[i];
            EXPECT_EQ(s.IconSide, r.levels[1]);
            EXPECT_EQ(s.HoverSide, r.levels[2]);
            const double bx = b.IconLeft + 24 - 960, by = b.IconTop + 24 - 600;
            EXPECT_LE(std::abs(s.IconLeft + s.IconSide / 2 - 960 - bx * r.scale), 1.0);
            EXPECT_LE(std::abs(s.IconTop + s.IconSide / 2 - 600 - by * r.scale), 1.0);
            EXPECT_LE(std::abs(s.LabelX - b.LabelX * r.scale), 2.0);
            EXPECT_LE(std::abs(s.LabelY - b.LabelY * r.scale), 2.0);
        }
    }
}

TEST(ScaledGeometry, TheRadiusFollowsTheScreenForTheRunOnly) {
    AppState app = Laid(96);
    app.run.Radius = 300;
    ASSERT_TRUE(ApplyScreen(app, ScreenInfo{{0, 0, 1024, 600}, 15, 15}));
    EXPECT_EQ(app.screen.MaxRadius, 220);
    EXPECT_EQ(app.geo.Slots[1].IconLeft, 512 + 220 - 24); // the ring fits the smaller screen
    EXPECT_EQ(app.run.Radius, 300);                       // what the settings say stays
    EXPECT_FALSE(ApplyScreen(app, ScreenInfo{{0, 0, 1024, 600}, 15, 15})) << "the same screen";
    ASSERT_TRUE(ApplyScreen(app, ScreenInfo{{1024, 0, 2944, 1040}, 15, 15}));
    EXPECT_EQ(app.geo.Slots[1].IconLeft, 960 + 300 - 24); // room again: the user's radius
    EXPECT_EQ(app.geo.MiniBackLeft, 1920 - 154) << "window coordinates of the new work area";
}

TEST(ScaledGeometry, StartUpUsesThePrimaryMonitorAReloadTheDocksOwn) {
    test::TestApp t;
    t.sys.otherMonitors = {ScreenInfo{{1366, 0, 3286, 1080}, 10, 10, 144}};
    InitializeState(t.app, true, false, false);
    EXPECT_EQ(t.app.screen.WorkArea, t.sys.screen.workArea);
    ASSERT_TRUE(ApplyScreen(t.app, t.sys.GetScreenInfoAt(2000, 500)));
    InitializeState(t.app, false, false, false); // the reload after a restore
    EXPECT_EQ(t.app.screen.WorkArea, (Rect{1366, 0, 3286, 1080}));
    EXPECT_EQ(t.app.screen.Dpi, 144);
    EXPECT_EQ(t.app.geo.Slots[0].IconSide, 192);
}

TEST(ScaledPanel, ThePopUpsLengthsScale) {
    EXPECT_EQ(PanelMetricsAt(144).buttonHeight, 38); // 37.5, ties to even
    EXPECT_EQ(PanelHeight(5, 18, 144), 57 * 5 + 30);
    EXPECT_EQ(PanelHeight(19, 18, 144), 57 * 18 + 120);
    EXPECT_EQ(PanelHeight(19, 18, 192), 2 * PanelHeight(19, 18));

    AppState app = Laid(144);
    PopupPanel panel;
    EXPECT_EQ(GetMenuLoc(app, panel, true, 3, 0), 960 + 108);
    EXPECT_EQ(GetMenuLoc(app, panel, true, 3, 1), app.geo.Slots[1].IconLeft + 72); // beside the icon
    panel.EntryCount = 3;
    panel.MenuLeft = 100;
    panel.MenuTop = 50;
    FillRowRects(panel, 16, 144);
    EXPECT_EQ(panel.RowRects[2], (Rect{115, 50 + 15 + 57, 115 + 372, 50 + 15 + 114}));
}

TEST(SkinScale, TheNearestShippedScaleTheLargerOnATie) {
    for (const auto& [dpi, scale] : {std::pair{72, 100}, {110, 100}, {120, 150}, {168, 200}, {288, 200}})
        EXPECT_EQ(SkinScaleFor(dpi), scale) << "dpi " << dpi;
    EXPECT_EQ(SkinResourceName("BORDER", 100), "BORDER");
    EXPECT_EQ(SkinResourceName("BORDER", 150), "BORDER_150");
}

} // namespace
} // namespace qor
