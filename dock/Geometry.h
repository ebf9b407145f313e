// Where the dock draws and hit-tests: the per-position table, the size levels at which
// images are pre-rendered, the minimized position and the pop-up's row count.
//
// Every coordinate is rounded once, to the nearest integer with ties to even. Half sizes are
// exact (a side of 49 has the half 24.5), so an odd side puts its left edge at round(c - 24.5).
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
    // Sizes 1..4 in pixels (1 rest size, 2 magnified, 3 centre, 4 pop-up icon); index 0 unused.
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

// (ScreenHeight - 76) \ 38 - 1, at most 18.
int ComputePopupRows(int screenHeight);
void FillSizeLevels(DockGeometry& geo, const RunSettings& run);
// Fills Slots 0..IconCount from the run-time settings (IconSize, MagnifiedSize, MaxIconSize,
// Radius, IconCount, CentreBackSize) and the screen's centre. Positions above IconCount keep
// what they held.
void ComputeSlotTable(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run);
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
