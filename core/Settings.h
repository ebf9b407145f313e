// The user's settings: the stored DockSettings record, the run-time values the dock works
// with, and the screen quantities measured at start.
#pragma once

#include <array>
#include <cstdint>

#include "core/Text.h"
#include "platform/System.h"

namespace qor {

// One record of QORCfg.cfg, fields in stored order.
struct DockSettings {
    int32_t IconSize = 0;
    int32_t MaxIconSize = 0;
    int32_t MagnifiedSize = 0;
    int32_t Radius = 0;
    int32_t IconCountCode = 0;
    std::array<uint8_t, 4> BackColor{}; // blue, green, red, alpha
    int16_t Spare1 = 0;
    int16_t AutoRun = 0;
    FixedText<255> UserIconPath;
    FixedText<255> Spare2;
    int32_t Spare3 = 0;
    int32_t WindowLeft = 0; // twips
    int32_t WindowTop = 0;  // twips
    int32_t Spare4 = 0;
    int16_t LockDragging = 0;
    int16_t HideGetStarted = 0;
    uint8_t HideDesktopIcons = 0;
    uint8_t AutoHide = 0;
    uint8_t DisplayLetter = 0;
    uint8_t MinimizedPosition = 0;
    uint8_t ClearType = 0;
    uint8_t Spare5 = 0;

    bool operator==(const DockSettings&) const = default;
};

// Screen quantities of the monitor the dock is on, in its pixels: measured at start and again
// whenever the displays change or the dock moves to another monitor. The sizes of the settings
// and the skin are given at 96 DPI; Scaled turns one into pixels of this screen.
struct ScreenMetrics {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int CentreX = 0;
    int CentreY = 0;
    Rect WorkArea;
    int ScreenWidthTwips = 0;
    int ScreenHeightTwips = 0;
    int MaxRadius = 0; // at 96 DPI, like the radius of the settings
    int MinRadius = 200;
    int Dpi = kBaseDpi;

    // A length at 96 DPI in pixels of this screen, rounded once (the same length at 96 DPI).
    int Scaled(int length) const;
    // The other way: pixels of this screen as a length at 96 DPI.
    int Unscaled(int pixels) const;
};

// The run-time values the dock works with; SaveSettings copies them into the record.
struct RunSettings {
    int IconSize = 48;
    int MaxIconSize = 128;
    int MagnifiedSize = 64;
    int Radius = 300;
    int DefaultRadius = 300;
    int IconCount = 24;
    std::array<uint8_t, 4> BackColor{0, 0, 0, 192}; // blue, green, red, alpha
    uint32_t BackColorArgb = 0xC0000000u;
    int CentreBackSize = 152;
    bool DesktopIconsHidden = false;
    bool TaskbarHidden = false; // the taskbar and start button were hidden by this program
};

// Offsets of the stored window position (a 416 x 69 pixel box at 15 twips per pixel).
constexpr int kWindowWidthTwips = 6240;
constexpr int kWindowHeightTwips = 1035;

// ARGB number (alpha in the top byte) of the four colour bytes.
uint32_t ColourToArgb(const std::array<uint8_t, 4>& bgra);

// Round to the nearest integer, ties to even (the rounding of every screen quantity).
int RoundHalfEven(double value);

// A length at 96 DPI in pixels of a screen of `dpi` dots per inch, ties to even.
int ScaleToDpi(int length, int dpi);

// Measures the screen quantities from the work area, its scale and the twips-per-pixel factors.
// ScreenWidth and ScreenHeight are the work area's size so that the ring is centred on it; the
// largest radius leaves the same room at every scale (80 at 96 DPI under the ring's centre
// height).
ScreenMetrics MeasureScreen(const ScreenInfo& info);

// The settings InitializeState starts from before the settings file is read: the defaults that
// depend on nothing but the screen.
void SetDefaultSettings(DockSettings& cfg, RunSettings& run, const ScreenMetrics& screen);

struct AppState;
// Screen metrics, defaults, stored settings, default catalogue, stored items, ring geometry.
// With `all` (start-up) the screen is the primary monitor, else (a reload) the dock's own.
void InitializeState(AppState& app, bool all, bool loadSettings, bool loadMenu);

} // namespace qor
