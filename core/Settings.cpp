#include "core/Settings.h"

#include <cmath>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "items/Catalogue.h"

namespace qor {

uint32_t ColourToArgb(const std::array<uint8_t, 4>& bgra) {
    return (static_cast<uint32_t>(bgra[3]) << 24) | (static_cast<uint32_t>(bgra[2]) << 16) |
           (static_cast<uint32_t>(bgra[1]) << 8) | static_cast<uint32_t>(bgra[0]);
}

int RoundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value)); // the default rounding mode is ties to even
}

namespace {

// A scale outside what any monitor reports is taken for 100 %.
int SaneDpi(int dpi) {
    constexpr int kLowest = 48;
    constexpr int kHighest = 960;
    return dpi >= kLowest && dpi <= kHighest ? dpi : kBaseDpi;
}

} // namespace

int ScaleToDpi(int length, int dpi) {
    dpi = SaneDpi(dpi);
    if (dpi == kBaseDpi)
        return length;
    return RoundHalfEven(static_cast<double>(length) * dpi / kBaseDpi);
}

int ScreenMetrics::Scaled(int length) const {
    return ScaleToDpi(length, Dpi);
}

int ScreenMetrics::Unscaled(int pixels) const {
    const int dpi = SaneDpi(Dpi);
    if (dpi == kBaseDpi)
        return pixels;
    return RoundHalfEven(static_cast<double>(pixels) * kBaseDpi / dpi);
}

ScreenMetrics MeasureScreen(const ScreenInfo& info) {
    ScreenMetrics m;
    m.Dpi = SaneDpi(info.dpi);
    m.WorkArea = info.workArea;
    m.ScreenWidth = info.workArea.Width();
    m.ScreenHeight = info.workArea.Height();
    m.CentreX = RoundHalfEven(m.ScreenWidth / 2.0);
    m.CentreY = RoundHalfEven(m.ScreenHeight / 2.0);
    m.ScreenWidthTwips = m.ScreenWidth * info.twipsPerPixelX;
    m.ScreenHeightTwips = m.ScreenHeight * info.twipsPerPixelY;
    m.MaxRadius = m.Unscaled(m.CentreY) - 80;
    m.MinRadius = 200;
    return m;
}

void SetDefaultSettings(DockSettings& cfg, RunSettings& run, const ScreenMetrics& screen) {
    run.DefaultRadius = screen.MaxRadius >= 300 ? 300 : screen.MaxRadius;
    run.Radius = run.DefaultRadius;
    run.MaxIconSize = 128;
    run.IconSize = 48;
    run.MagnifiedSize = 64;
    run.IconCount = 24;
    run.BackColor[3] = 192;
    run.BackColorArgb = ColourToArgb(run.BackColor);
    run.CentreBackSize = 152;

    cfg.IconSize = run.IconSize;
    cfg.MaxIconSize = run.MaxIconSize;
    cfg.MagnifiedSize = run.MagnifiedSize;
    cfg.Radius = run.Radius;
    cfg.IconCountCode = (run.IconCount - 8) / 4;
    cfg.BackColor = run.BackColor;
    cfg.AutoRun = kTrue;
    cfg.WindowLeft = RoundHalfEven((screen.ScreenWidthTwips - kWindowWidthTwips) / 2.0);
    cfg.WindowTop = screen.ScreenHeightTwips - kWindowHeightTwips;
    cfg.Spare4 = 0;
}

void InitializeState(AppState& app, bool all, bool loadSettings, bool loadMenu) {
    // The constant tables (PNG signature, skin names, alpha ramp, fade matrices) are compiled
    // in. Start-up (`all`) measures the primary monitor; a reload keeps the monitor the dock is
    // on, where its windows are.
    const Rect& work = app.screen.WorkArea;
    const bool onAMonitor = !all && work.Width() > 0 && work.Height() > 0;
    app.screen = MeasureScreen(
        onAMonitor ? app.sys.sys->GetScreenInfoAt(work.left + work.Width() / 2, work.top + work.Height() / 2)
                   : app.sys.sys->GetScreenInfo());
    SetDefaultSettings(app.cfg, app.run, app.screen);
    app.geo.PopupRows = ComputePopupRows(app.screen.Unscaled(app.screen.ScreenHeight));

    if (loadSettings)
        LoadSettings(app);
    FillSizeLevels(app.geo, app.run, app.screen.Dpi);

    BuildDefaultCatalogue(app);
    const bool menuLoaded = loadMenu && LoadMenu(app);
    if (!menuLoaded)
        for (int entry = 3; entry <= 8; ++entry)
            SetDefaultEntry(app, entry, entry);

    ComputeSlotTable(app.geo, app.screen, app.run);
}

} // namespace qor
