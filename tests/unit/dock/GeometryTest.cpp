#include <gtest/gtest.h>

#include "core/AppState.h"
#include "core/Settings.h"
#include "dock/Geometry.h"

namespace qor {
namespace {

// A work area of width x height at the origin, with the defaults the program derives from it.
struct Screen {
    ScreenMetrics screen;
    RunSettings run;
    DockSettings cfg;
    DockGeometry geo;

    Screen(int width, int height) {
        screen = MeasureScreen(ScreenInfo{{0, 0, width, height}, 15, 15});
        SetDefaultSettings(cfg, run, screen);
    }
    const DockSlot& Compute() {
        ComputeSlotTable(geo, screen, run);
        return geo.Slots[0];
    }
};

struct RingRow {
    int position, iconLeft, iconTop, hoverLeft, hoverTop, labelX, labelY;
};

void ExpectRing(const DockGeometry& geo, const std::vector<RingRow>& rows) {
    for (const RingRow& r : rows) {
        SCOPED_TRACE("position " + std::to_string(r.position));
        const DockSlot& s = geo.Slots[r.position];
        EXPECT_EQ(s.IconLeft, r.iconLeft);
        EXPECT_EQ(s.IconTop, r.iconTop);
        EXPECT_EQ(s.HoverLeft, r.hoverLeft);
        EXPECT_EQ(s.HoverTop, r.hoverTop);
        EXPECT_EQ(s.LabelX, r.labelX);
        EXPECT_EQ(s.LabelY, r.labelY);
    }
}

TEST(GeometryScreen, WorkArea728GivesRadius284And16PopupRows) {
    Screen s(1366, 728);
    EXPECT_EQ(s.screen.CentreX, 683);
    EXPECT_EQ(s.screen.CentreY, 364);
    EXPECT_EQ(s.screen.MaxRadius, 284);
    EXPECT_EQ(s.run.Radius, 284);
    EXPECT_EQ(ComputePopupRows(s.screen.ScreenHeight), 16);
}

TEST(GeometryScreen, WorkArea1040GivesRadius300And18PopupRows) {
    Screen s(1920, 1040);
    EXPECT_EQ(s.screen.MaxRadius, 440);
    EXPECT_EQ(s.run.Radius, 300);
    EXPECT_EQ(ComputePopupRows(s.screen.ScreenHeight), 18);
}

TEST(GeometryScreen, PopupRowsTruncateAndCapAt18) {
    EXPECT_EQ(ComputePopupRows(76 + 38 * 10), 9);
    EXPECT_EQ(ComputePopupRows(76 + 38 * 10 + 37), 9);
    EXPECT_EQ(ComputePopupRows(76 + 38 * 11), 10);
    EXPECT_EQ(ComputePopupRows(76 + 38 * 19), 18);
    EXPECT_EQ(ComputePopupRows(76 + 38 * 20), 18);
    EXPECT_EQ(ComputePopupRows(2160), 18);
}

TEST(GeometrySizeLevels, FollowTheRunTimeSizes) {
    RunSettings run;
    run.IconSize = 40;
    run.MagnifiedSize = 90;
    DockGeometry geo;
    FillSizeLevels(geo, run);
    EXPECT_EQ(geo.SizeLevels, (std::array<int, 5>{0, 40, 90, 128, 32}));
}

TEST(GeometrySlots, CentreSquaresAndCaption) {
    Screen s(1366, 728);
    const DockSlot& c = s.Compute();
    EXPECT_EQ(c, (DockSlot{128, 619, 300, 152, 607, 288, 683, 364 + 76 + 10}));
}

TEST(GeometrySlots, EightPositionsStepByFortyFiveDegreesClockwiseFromThreeOClock) {
    Screen s(1366, 728);
    s.run.IconCount = 8;
    s.Compute();
    ExpectRing(s.geo, {
                          {1, 943, 340, 935, 332, 332, 0}, // 3 o'clock
                          {2, 860, 541, 852, 533, 235, 235},
                          {3, 659, 624, 651, 616, 0, 332}, // 6 o'clock
                          {4, 458, 541, 450, 533, -235, 235},
                          {5, 375, 340, 367, 332, -332, 0}, // 9 o'clock
                          {6, 458, 139, 450, 131, -235, -235},
                          {7, 659, 56, 651, 48, 0, -332}, // 12 o'clock
                          {8, 860, 139, 852, 131, 235, -235},
                      });
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(s.geo.Slots[i].IconSide, 48);
        EXPECT_EQ(s.geo.Slots[i].HoverSide, 64);
    }
}

TEST(GeometrySlots, ThirtySixPositionsOnA1040HighWorkArea) {
    Screen s(1920, 1040);
    s.run.IconCount = 36;
    s.Compute();
    ExpectRing(s.geo, {
                          {1, 1236, 496, 1228, 488, 348, 0},
                          {10, 936, 796, 928, 788, 0, 348},
                          {19, 636, 496, 628, 488, -348, 0},
                          {28, 936, 196, 928, 188, 0, -348},
                      });
}

TEST(GeometrySlots, PositionsAboveTheCountKeepWhatTheyHeld) {
    Screen s(1366, 728);
    s.run.IconCount = 36;
    s.Compute();
    const DockSlot before = s.geo.Slots[30];
    s.run.IconCount = 8;
    s.run.Radius = 250;
    s.Compute();
    EXPECT_EQ(s.geo.Slots[30], before);
    EXPECT_NE(s.geo.Slots[8].IconLeft, 860);
}

TEST(GeometrySlots, AnglesUseTheRingConstantNotFullPrecisionPi) {
    // sin(150 degrees) * 201 is exactly 100.5 with the true pi (rounding to 464) but a hair above
    // it with 3.1415926, so the icon's centre lands on 465.
    Screen s(1366, 728);
    s.run.IconCount = 12;
    s.run.Radius = 201;
    s.Compute();
    ExpectRing(s.geo, {{6, 485, 441, 477, 433, -216, 125}});
}

TEST(GeometrySlots, OddSidesRoundTiesToEven) {
    // 49 and 65 have half sizes 24.5 and 32.5: round(575.5) = 576 and round(576.5) = 576.
    Screen even(800, 600);
    even.run.IconCount = 8;
    even.run.Radius = 200;
    even.run.IconSize = 49;
    even.run.MagnifiedSize = 65;
    even.Compute();
    ExpectRing(even.geo, {{1, 576, 276, 568, 268, 249, 0}, {5, 176, 276, 168, 268, -249, 0}});

    Screen odd(802, 600); // centre 401, so position 1 sits at cx 601
    odd.run = even.run;
    odd.Compute();
    EXPECT_EQ(odd.geo.Slots[1].IconLeft, 576);
    EXPECT_EQ(odd.geo.Slots[1].HoverLeft, 568);
}

TEST(GeometryLetters, AnchorDistanceKeepsFourDecimals) {
    EXPECT_EQ(LetterAnchorDistance(300, 64), 3482548); // 300 + 45.2548 + 3
    EXPECT_EQ(LetterAnchorDistance(284, 64), 3322548);
    EXPECT_EQ(LetterAnchorDistance(200, 0), 2030000);
    EXPECT_EQ(LetterAnchorDistance(300, 65), 3489619); // sqrt(2 * 32.5^2) = 45.96194..
}

TEST(GeometryLetters, RingLabelsUseTheRoundedDiagonal) {
    // Both rows sit within a hundred-thousandth of a half pixel: the full-precision diagonal
    // would give 74 in the first, a truncated one -248 in the second.
    Screen s(1920, 1040);
    s.run.IconCount = 32;
    s.run.Radius = 349;
    s.run.MagnifiedSize = 35;
    s.Compute();
    EXPECT_EQ(s.geo.Slots[26].LabelX, 73);

    Screen t(1366, 728);
    t.run.IconCount = 20;
    t.run.Radius = 278;
    t.run.MagnifiedSize = 37;
    t.Compute();
    EXPECT_EQ(t.geo.Slots[9].LabelX, -249);
    EXPECT_EQ(t.geo.Slots[9].LabelY, 181);
}

TEST(GeometryCentre, SkinWidthRoundsTheHalfFirst) {
    Screen s(1366, 728);
    s.run.CentreBackSize = 151;
    const DockSlot computed = s.Compute();
    EXPECT_EQ(computed.HoverLeft, 608); // round(683 - 75.5)
    EXPECT_EQ(computed.LabelY, 450);    // round(449.5), ties to even

    ApplyCentreBackSize(s.geo, s.screen, 151);
    const DockSlot& c = s.geo.Slots[0];
    EXPECT_EQ(c.HoverSide, 151);
    EXPECT_EQ(c.HoverLeft, 683 - 76); // half = round(75.5) = 76
    EXPECT_EQ(c.HoverTop, 364 - 76);
    EXPECT_EQ(c.LabelX, 683);
    EXPECT_EQ(c.LabelY, 364 + 76 + 10);
    EXPECT_EQ(c.IconLeft, computed.IconLeft);
}

TEST(GeometryCentre, AppStateOverloadStoresTheWidth) {
    AppState app;
    app.screen = MeasureScreen(ScreenInfo{{0, 0, 1366, 728}, 15, 15});
    ApplyCentreBackSize(app, 160);
    EXPECT_EQ(app.run.CentreBackSize, 160);
    EXPECT_EQ(app.geo.Slots[0].HoverLeft, 603);
    EXPECT_EQ(app.geo.Slots[0].LabelY, 454);
}

TEST(GeometryMinimized, NinePositionsWithTheDefaultBackdrop) {
    Screen s(1366, 728);
    struct Row {
        int position, backLeft, backTop;
    };
    const int right = 1366 - 154, bottom = 728 - 154;
    const Row rows[] = {
        {minpos::Center, 607, 288},   {minpos::Top, 607, 2},           {minpos::Bottom, 607, bottom},
        {minpos::Left, 2, 288},       {minpos::Right, right, 288},     {minpos::TopLeft, 2, 2},
        {minpos::TopRight, right, 2}, {minpos::BottomLeft, 2, bottom}, {minpos::BottomRight, right, bottom},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("position " + std::to_string(r.position));
        SetMinimizedPosition(s.geo, s.screen, s.run, r.position);
        EXPECT_EQ(s.geo.MiniBackLeft, r.backLeft);
        EXPECT_EQ(s.geo.MiniBackTop, r.backTop);
        EXPECT_EQ(s.geo.MiniIconLeft, r.backLeft + 12);
        EXPECT_EQ(s.geo.MiniIconTop, r.backTop + 12);
    }
}

TEST(GeometryMinimized, OddBackdropAndUnknownPosition) {
    Screen s(1366, 728);
    s.run.CentreBackSize = 151;
    SetMinimizedPosition(s.geo, s.screen, s.run, minpos::Center);
    EXPECT_EQ(s.geo.MiniBackLeft, 608);      // round(683 - 75.5)
    EXPECT_EQ(s.geo.MiniIconLeft, 608 + 12); // round(11.5) = 12

    SetMinimizedPosition(s.geo, s.screen, s.run, minpos::BottomRight);
    s.run.CentreBackSize = 160;
    SetMinimizedPosition(s.geo, s.screen, s.run, 9); // keeps the backdrop, moves the icon
    EXPECT_EQ(s.geo.MiniBackLeft, 1366 - 151 - 2);
    EXPECT_EQ(s.geo.MiniBackTop, 728 - 151 - 2);
    EXPECT_EQ(s.geo.MiniIconLeft, 1366 - 151 - 2 + 16);
    EXPECT_EQ(s.geo.MiniIconTop, 728 - 151 - 2 + 16);
}

TEST(GeometryHitTest, EdgesOfTheRestSquare) {
    Screen s(1366, 728);
    s.run.IconCount = 8;
    s.Compute();
    const DockSlot& p1 = s.geo.Slots[1]; // 943, 340, side 48
    struct Probe {
        int x, y, expected;
    };
    const Probe probes[] = {
        {p1.IconLeft, p1.IconTop + 1, 1}, // left column counts
        {p1.IconLeft - 1, p1.IconTop + 1, -1},
        {p1.IconLeft + 10, p1.IconTop, -1},     // top row does not
        {p1.IconLeft + 47, p1.IconTop + 47, 1}, // last column and row inside
        {p1.IconLeft + 48, p1.IconTop + 10, -1},
        {p1.IconLeft + 10, p1.IconTop + 48, -1},
        {683, 364, 0}, // centre
        {619, 301, 0},
        {619, 300, -1},
        {p1.HoverLeft + 1, p1.HoverTop + 1, -1}, // the hover square is not hit-tested
        {0, 0, -1},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_EQ(HitTest(s.geo, 8, p.x, p.y), p.expected);
    }
}

TEST(GeometryHitTest, FirstMatchWinsAndOnlyTheRingCountIsTried) {
    DockGeometry geo;
    geo.Slots[0] = DockSlot{128, 100, 100, 152, 88, 88, 0, 0};
    geo.Slots[1] = DockSlot{48, 200, 150, 64, 192, 142, 0, 0}; // overlaps the centre's right part
    geo.Slots[2] = DockSlot{48, 210, 150, 64, 202, 142, 0, 0}; // overlaps position 1
    geo.Slots[9] = DockSlot{48, 400, 400, 64, 392, 392, 0, 0};
    EXPECT_EQ(HitTest(geo, 8, 210, 160), 0);
    EXPECT_EQ(HitTest(geo, 8, 240, 160), 1);
    EXPECT_EQ(HitTest(geo, 8, 250, 160), 2);
    EXPECT_EQ(HitTest(geo, 8, 410, 410), -1); // position 9 is not on an 8-position ring
    EXPECT_EQ(HitTest(geo, 12, 410, 410), 9);
    EXPECT_EQ(HitTest(geo, 0, 240, 160), -1);
}

} // namespace
} // namespace qor
