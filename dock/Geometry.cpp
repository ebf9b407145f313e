// Placeholder until the ring geometry is computed.
#include "dock/Geometry.h"

namespace qor {

int ComputePopupRows(int screenHeight) {
    int rows = (screenHeight - 76) / 38 - 1;
    return rows > 18 ? 18 : rows;
}
void FillSizeLevels(DockGeometry& geo, const RunSettings& run) {
    geo.SizeLevels = {0, run.IconSize, run.MagnifiedSize, run.MaxIconSize, 32};
}
void ComputeSlotTable(DockGeometry&, const ScreenMetrics&, const RunSettings&) {}
void ApplyCentreBackSize(DockGeometry&, const ScreenMetrics&, int) {}
void SetMinimizedPosition(DockGeometry&, const ScreenMetrics&, const RunSettings&, int) {}
int HitTest(const DockGeometry&, int, int, int) { return -1; }

} // namespace qor
