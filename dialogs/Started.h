// The "Get Started" tour FrmStarted, its portable side: five pages paged with "<< Last" and
// "Next >>". The page shown is the setting HideGetStarted itself, so the tour reopens where the
// user left it; "Don't show again" stores -1 when the window closes.
#pragma once

#include <array>

namespace qor {

struct AppState;

constexpr int kTourPages = 5;

// One page: the picture's resource name, a heading and a few lines under it.
struct TourPage {
    const char* picture;
    const char* heading;
    const char* text;
};
extern const std::array<TourPage, kTourPages> kTour;

// The page shown and which of the two paging buttons can be pressed.
struct TourState {
    int page = 0;
    bool lastEnabled = false;
    bool nextEnabled = true;

    bool operator==(const TourState&) const = default;
};

class GetStartedTour {
public:
    explicit GetStartedTour(AppState& app) : m_app(app) {}

    // The window opens at the page HideGetStarted names; a value that names no page (-1 too:
    // the tour opened although it is not shown at start) opens the first page.
    TourState Open();
    // "<< Last" and "Next >>": one page back or on; nothing beyond the first or the last page.
    TourState Last();
    TourState Next();
    TourState State() const { return m_state; }
    // "Don't show again" is ticked when the window opens while the tour is off at start.
    bool DontShowAgainAtOpen() const { return m_offAtOpen; }
    // The window closes (by any means): -1 when "Don't show again" is ticked, else the page
    // stays; then the settings are saved. False when they could not be written.
    bool Close(bool dontShowAgain);

private:
    TourState Show(int page);

    AppState& m_app;
    TourState m_state;
    bool m_offAtOpen = false;
};

} // namespace qor
