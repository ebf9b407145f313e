// The ring's geometry. Positions are computed in double precision; the fixed-point quantities
// (half sizes and the letter distance) are exact in ten-thousandths and rounded once at the end.
#include "dock/Geometry.h"

#include <algorithm>
#include <cmath>

#include "core/AppState.h"

namespace qor {

namespace {

constexpr double kFixedScale = 10000.0; // four decimals
constexpr int kCaptionGap = 10;         // the centre caption starts this far under the "BORDER"
constexpr int kLetterGap = 3;           // a ring letter's anchor beyond its hover square's corner

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

void FillSizeLevels(DockGeometry& geo, const RunSettings& run, int dpi) {
    geo.SizeLevels = {0, ScaleToDpi(run.IconSize, dpi), ScaleToDpi(run.MagnifiedSize, dpi),
                      ScaleToDpi(run.MaxIconSize, dpi), ScaleToDpi(kPopupIconSize, dpi)};
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
    const int iconSize = screen.Scaled(run.IconSize);
    const int magnifiedSize = screen.Scaled(run.MagnifiedSize);
    const int radius = screen.Scaled(run.Radius);

    DockSlot& centre = geo.Slots[0];
    centre.IconSide = screen.Scaled(run.MaxIconSize);
    centre.IconLeft = CentredEdge(cxCentre, centre.IconSide);
    centre.IconTop = CentredEdge(cyCentre, centre.IconSide);
    centre.HoverSide = screen.Scaled(run.CentreBackSize);
    centre.HoverLeft = CentredEdge(cxCentre, centre.HoverSide);
    centre.HoverTop = CentredEdge(cyCentre, centre.HoverSide);
    centre.LabelX = cxCentre;
    centre.LabelY = RoundHalfEven(cyCentre + centre.HoverSide / 2.0 + screen.Scaled(kCaptionGap));

    const int count = RingCount(run.IconCount);
    if (count == 0)
        return;
    const double step = 360.0 / count;
    // The letter's gap beyond the hover square's corner grows with the scale like the rest.
    const double letterDistance =
        static_cast<double>(LetterAnchorDistance(radius, magnifiedSize)) / kFixedScale +
        (screen.Scaled(kLetterGap) - kLetterGap);

    for (int i = 1; i <= count; ++i) {
        const double degrees = (i - 1) * step;
        const double radians = degrees * kRingPi / 180.0;
        const double c = std::cos(radians);
        const double s = std::sin(radians);
        const int cx = RoundHalfEven(c * radius + cxCentre);
        const int cy = RoundHalfEven(s * radius + cyCentre);

        DockSlot& slot = geo.Slots[i];
        slot.IconSide = iconSize;
        slot.IconLeft = CentredEdge(cx, slot.IconSide);
        slot.IconTop = CentredEdge(cy, slot.IconSide);
        slot.HoverSide = magnifiedSize;
        slot.HoverLeft = CentredEdge(cx, slot.HoverSide);
        slot.HoverTop = CentredEdge(cy, slot.HoverSide);
        slot.LabelX = RoundHalfEven(letterDistance * c);
        slot.LabelY = RoundHalfEven(letterDistance * s);
    }
}

void ApplyCentreBackSize(DockGeometry& geo, const ScreenMetrics& screen, int centreBackSize) {
    const int side = screen.Scaled(centreBackSize);
    const int half = RoundHalfEven(side / 2.0);
    DockSlot& centre = geo.Slots[0];
    centre.HoverSide = side;
    centre.HoverLeft = screen.CentreX - half;
    centre.HoverTop = screen.CentreY - half;
    centre.LabelX = screen.CentreX;
    centre.LabelY = screen.CentreY + half + screen.Scaled(kCaptionGap);
}

void ApplyCentreBackSize(AppState& app, int centreBackSize) {
    app.run.CentreBackSize = centreBackSize;
    ApplyCentreBackSize(app.geo, app.screen, centreBackSize);
}

void SetMinimizedPosition(DockGeometry& geo, const ScreenMetrics& screen, const RunSettings& run,
                          int position) {
    const int back = screen.Scaled(run.CentreBackSize);
    const int kMargin = screen.Scaled(2); // from the work area's edges
    const int centredLeft = CentredEdge(screen.CentreX, back);
    const int centredTop = CentredEdge(screen.CentreY, back);
    const int right = screen.ScreenWidth - back - kMargin;
    const int bottom = screen.ScreenHeight - back - kMargin;

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
    const int inset = RoundHalfEven((back - screen.Scaled(run.MaxIconSize)) / 2.0);
    geo.MiniIconLeft = geo.MiniBackLeft + inset;
    geo.MiniIconTop = geo.MiniBackTop + inset;
}

int RingRadius(const RunSettings& run, const ScreenMetrics& screen) {
    return std::min(run.Radius, std::max(screen.MaxRadius, 0));
}

void ReapplyGeometry(AppState& app) {
    app.geo.PopupRows = ComputePopupRows(app.screen.Unscaled(app.screen.ScreenHeight));
    FillSizeLevels(app.geo, app.run, app.screen.Dpi);
    RunSettings shown = app.run;
    shown.Radius = RingRadius(app.run, app.screen);
    ComputeSlotTable(app.geo, app.screen, shown);
    ApplyCentreBackSize(app.geo, app.screen, app.run.CentreBackSize);
    SetMinimizedPosition(app.geo, app.screen, app.run, app.cfg.MinimizedPosition);
}

bool ApplyScreen(AppState& app, const ScreenInfo& info) {
    const ScreenMetrics measured = MeasureScreen(info);
    if (measured.WorkArea == app.screen.WorkArea && measured.Dpi == app.screen.Dpi)
        return false;
    app.screen = measured;
    ReapplyGeometry(app);
    return true;
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
