// Where the dock draws and hit-tests: the per-position table, the size levels at which
// images are pre-rendered, the minimized position and the pop-up's row count.
//
// Every coordinate is rounded once, to the nearest integer with ties to even. Half sizes are
// exact (a side of 49 has the half 24.5), so an odd side puts its left edge at round(c - 24.5).
//
// The sizes of the settings (rest, hover and centre sizes, the radius, the "BORDER" width) are
// lengths at 96 DPI. On a screen of another scale each is first scaled to its pixels
// (ScreenMetrics::Scaled), then laid out by the same formulas, so at 96 DPI nothing moves.
#pragma once

#include <array>
#include <cstdint>

#include "core/Settings.h"

namespace qor {

struct AppState;

constexpr int kSlotBound = 36; // Slots 0..36: 0 the centre, 1..IconCount the ring

// The angle constant of the ring (deliberately this value, not full-precision pi: every stored
// position of the ring was laid out with it).
constexpr double kRingPi = 3.1415926;

struct DockSlot {
    int32_t IconSide = 0;
    int32_t IconLeft = 0;
    int32_t IconTop = 0;
    int32_t HoverSide = 0;
    int32_t HoverLeft = 0;
    int32_t HoverTop = 0;
    int32_t LabelX = 0; // centre: absolute; ring: offset from the centre
    int32_t LabelY = 0;
    bool operator==(const DockSlot&) const = default;
};

struct DockGeometry {
    std::array<DockSlot, kSlotBound + 1> Slots{};
    // Sizes 1..4 in pixels of the screen (1 rest size, 2 magnified, 3 centre, 4 pop-up icon);
    // index 0 unused.
    std::array<int, 5> SizeLevels{0, 48, 64, 128, 32};
    int PopupRows = 18;
    int MiniBackLeft = 0;
    int MiniBackTop = 0;
    int MiniIconLeft = 0;
    int MiniIconTop = 0;
};

// Minimized positions of the centre icon (the settings dialog's list, in list order).
namespace minpos {
constexpr int Center = 0;
constexpr int Top = 1;
constexpr int Bottom = 2;
constexpr int Left = 3;
constexpr int Right = 4;
constexpr int TopLeft = 5;
constexpr int TopRight = 6;
constexpr int BottomLeft = 7;
constexpr int BottomRight = 8;
} // namespace minpos

constexpr int kPopupIconSize = 32; // size level 4 at 96 DPI

// (ScreenHeight - 76) \ 38 - 1, at most 18, for a height at 96 DPI.
int ComputePopupRows(int screenHeight);
// The size levels of the run-time sizes on a screen of `dpi` dots per inch.
void FillSizeLevels(DockGeometry& geo, const RunSettings& run, int dpi = kBaseDpi);
// Fills Slots 0..IconCount from the run-time settings (IconSize, MagnifiedSize, MaxIconSize,
// Radius, IconCount, CentreBackSize) and the screen's centre and scale. Positions above
// IconCount keep what they held.
void ComputeSlotTable(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run);
// The radius the ring is drawn at on this screen, at 96 DPI: the settings' radius, lowered to
// the screen's largest while the screen is too small for it (the settings keep theirs).
int RingRadius(const RunSettings& run, const ScreenMetrics& screen);
// Lays the ring out again for the current screen and settings: the pop-up's row count, the size
// levels, Slots at RingRadius, the centre's "BORDER" square and the minimized position. The
// settings window runs it after a change of sizes, the dock after a change of the displays.
void ReapplyGeometry(AppState& app);
// Measures `info` as the dock's screen and re-applies the geometry. False, with nothing
// changed, when it is the screen the dock already has.
bool ApplyScreen(AppState& app, const ScreenInfo& info);
// After the skin is loaded: the centre's hover square and label follow the "BORDER" width, with
// the half width rounded first (half = round(width / 2)). Does not touch run.CentreBackSize.
void ApplyCentreBackSize(DockGeometry& geo, const ScreenMetrics& screen, int centreBackSize);
// The same for the program state: stores the width as run.CentreBackSize, then applies it.
void ApplyCentreBackSize(AppState& app, int centreBackSize);
// Where the centre backdrop and icon wait while the dock is minimized (positions of minpos).
// Any other position keeps the backdrop where it was and recomputes only the icon from it.
void SetMinimizedPosition(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run,
                          int position);
// First position 0..iconCount whose rest square holds the point, or -1. The left column and the
// top row's neighbour below count; the top row, the right column and the bottom row do not:
// IconLeft <= x < IconLeft + IconSide and IconTop < y < IconTop + IconSide.
int HitTest(const DockGeometry& geo, int iconCount, int x, int y);

// Distance from the centre of a ring letter's anchor, in ten-thousandths of a pixel:
// radius + the hover square's half diagonal (taken to four decimals) + 3.
int64_t LetterAnchorDistance(int radius, int hoverSide);

} // namespace qor
