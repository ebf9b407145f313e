// The ring's geometry. Positions are computed in double precision; the fixed-point quantities
// (half sizes and the letter distance) are exact in ten-thousandths and rounded once at the end.
#include "dock/Geometry.h"

#include <algorithm>
#include <cmath>

#include "core/AppState.h"

namespace qor {

namespace {

constexpr double kFixedScale = 10000.0; // four decimals

// c - side / 2, rounded once (the half of an integer side is exact in a double).
int CentredEdge(int centre, int side) {
    return RoundHalfEven(centre - side / 2.0);
}

int RingCount(int iconCount) {
    return std::clamp(iconCount, 0, kSlotBound);
}

} // namespace

int ComputePopupRows(int screenHeight) {
    const int rows = (screenHeight - 76) / 38 - 1;
    return rows > 18 ? 18 : rows;
}

void FillSizeLevels(DockGeometry& geo, const RunSettings& run) {
    geo.SizeLevels = {0, run.IconSize, run.MagnifiedSize, run.MaxIconSize, 32};
}

int64_t LetterAnchorDistance(int radius, int hoverSide) {
    const double half = hoverSide / 2.0;
    const double diagonal = std::sqrt(half * half + half * half);
    const auto diagonalFixed = static_cast<int64_t>(std::nearbyint(diagonal * kFixedScale));
    return static_cast<int64_t>(radius) * 10000 + diagonalFixed + 30000;
}

void ComputeSlotTable(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run) {
    const int cxCentre = screen.CentreX;
    const int cyCentre = screen.CentreY;

    DockSlot& centre = geo.Slots[0];
    centre.IconSide = run.MaxIconSize;
    centre.IconLeft = CentredEdge(cxCentre, centre.IconSide);
    centre.IconTop = CentredEdge(cyCentre, centre.IconSide);
    centre.HoverSide = run.CentreBackSize;
    centre.HoverLeft = CentredEdge(cxCentre, centre.HoverSide);
    centre.HoverTop = CentredEdge(cyCentre, centre.HoverSide);
    centre.LabelX = cxCentre;
    centre.LabelY = RoundHalfEven(cyCentre + centre.HoverSide / 2.0 + 10);

    const int count = RingCount(run.IconCount);
    if (count == 0)
        return;
    const double step = 360.0 / count;
    const double letterDistance =
        static_cast<double>(LetterAnchorDistance(run.Radius, run.MagnifiedSize)) / kFixedScale;

    for (int i = 1; i <= count; ++i) {
        const double degrees = (i - 1) * step;
        const double radians = degrees * kRingPi / 180.0;
        const double c = std::cos(radians);
        const double s = std::sin(radians);
        const int cx = RoundHalfEven(c * run.Radius + cxCentre);
        const int cy = RoundHalfEven(s * run.Radius + cyCentre);

        DockSlot& slot = geo.Slots[i];
        slot.IconSide = run.IconSize;
        slot.IconLeft = CentredEdge(cx, slot.IconSide);
        slot.IconTop = CentredEdge(cy, slot.IconSide);
        slot.HoverSide = run.MagnifiedSize;
        slot.HoverLeft = CentredEdge(cx, slot.HoverSide);
        slot.HoverTop = CentredEdge(cy, slot.HoverSide);
        slot.LabelX = RoundHalfEven(letterDistance * c);
        slot.LabelY = RoundHalfEven(letterDistance * s);
    }
}

void ApplyCentreBackSize(DockGeometry& geo, const ScreenMetrics& screen, int centreBackSize) {
    const int half = RoundHalfEven(centreBackSize / 2.0);
    DockSlot& centre = geo.Slots[0];
    centre.HoverSide = centreBackSize;
    centre.HoverLeft = screen.CentreX - half;
    centre.HoverTop = screen.CentreY - half;
    centre.LabelX = screen.CentreX;
    centre.LabelY = screen.CentreY + half + 10;
}

void ApplyCentreBackSize(AppState& app, int centreBackSize) {
    app.run.CentreBackSize = centreBackSize;
    ApplyCentreBackSize(app.geo, app.screen, centreBackSize);
}

void SetMinimizedPosition(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run,
                          int position) {
    const int back = run.CentreBackSize;
    const int centredLeft = CentredEdge(screen.CentreX, back);
    const int centredTop = CentredEdge(screen.CentreY, back);
    const int right = screen.ScreenWidth - back - 2;
    const int bottom = screen.ScreenHeight - back - 2;
    constexpr int kMargin = 2;

    switch (position) {
    case minpos::Center:
        geo.MiniBackLeft = centredLeft;
        geo.MiniBackTop = centredTop;
        break;
    case minpos::Top:
        geo.MiniBackLeft = centredLeft;
        geo.MiniBackTop = kMargin;
        break;
    case minpos::Bottom:
        geo.MiniBackLeft = centredLeft;
        geo.MiniBackTop = bottom;
        break;
    case minpos::Left:
        geo.MiniBackLeft = kMargin;
        geo.MiniBackTop = centredTop;
        break;
    case minpos::Right:
        geo.MiniBackLeft = right;
        geo.MiniBackTop = centredTop;
        break;
    case minpos::TopLeft:
        geo.MiniBackLeft = kMargin;
        geo.MiniBackTop = kMargin;
        break;
    case minpos::TopRight:
        geo.MiniBackLeft = right;
        geo.MiniBackTop = kMargin;
        break;
    case minpos::BottomLeft:
        geo.MiniBackLeft = kMargin;
        geo.MiniBackTop = bottom;
        break;
    case minpos::BottomRight:
        geo.MiniBackLeft = right;
        geo.MiniBackTop = bottom;
        break;
    default:
        break; // the backdrop stays; only the icon follows the current sizes
    }
    const int inset = RoundHalfEven((back - run.MaxIconSize) / 2.0);
    geo.MiniIconLeft = geo.MiniBackLeft + inset;
    geo.MiniIconTop = geo.MiniBackTop + inset;
}

int HitTest(const DockGeometry& geo, int iconCount, int x, int y) {
    const int count = RingCount(iconCount);
    for (int k = 0; k <= count; ++k) {
        const DockSlot& s = geo.Slots[k];
        if (x >= s.IconLeft && x < s.IconLeft + s.IconSide && y > s.IconTop && y < s.IconTop + s.IconSide)
            return k;
    }
    return -1;
}

} // namespace qor
