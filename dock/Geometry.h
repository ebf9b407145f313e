// Where the dock draws and hit-tests: the per-position table, the size levels at which
// images are pre-rendered, the minimized position and the pop-up's row count.
#pragma once

#include <array>
#include <cstdint>

#include "core/Settings.h"

namespace qor {

constexpr int kSlotBound = 36; // Slots 0..36: 0 the centre, 1..IconCount the ring

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

// (ScreenHeight - 76) \ 38 - 1, at most 18.
int ComputePopupRows(int screenHeight);
void FillSizeLevels(DockGeometry& geo, const RunSettings& run);
void ComputeSlotTable(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run);
// After the skin is loaded: the centre's hover square and label follow the "BORDER" width.
void ApplyCentreBackSize(DockGeometry& geo, const ScreenMetrics& screen, int centreBackSize);
void SetMinimizedPosition(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run, int position);
// First position 0..iconCount whose rest square holds the point, or -1.
int HitTest(const DockGeometry& geo, int iconCount, int x, int y);

} // namespace qor
