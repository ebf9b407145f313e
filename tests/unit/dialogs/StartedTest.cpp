// The "Get Started" tour: the page it opens at, paging with its two buttons, and what closing
// stores.
#include <gtest/gtest.h>

#include "core/ConfigFormat.h"
#include "dialogs/Started.h"
#include "fakes/Fakes.h"

namespace qor {
namespace {

struct Tour : test::TestApp {
    explicit Tour(int stored) {
        app.screen = MeasureScreen(sys.screen);
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.cfg.HideGetStarted = static_cast<int16_t>(stored);
    }
    GetStartedTour tour{app};
    int16_t Stored() { return ParseSettings(fs.files[app.paths.SettingsFile])->HideGetStarted; }
};

TEST(GetStarted, OpensAtTheStoredPageAndPagesWithinTheFive) {
    // stored value -> the page shown, "<< Last" and "Next >>" enabled, the box ticked
    const std::tuple<int, TourState, bool> opens[] = {
        {0, {0, false, true}, false}, {3, {3, true, true}, false},   {4, {4, true, false}, false},
        {-1, {0, false, true}, true}, // opened by the "Get Started" command although off at start
        {5, {0, false, true}, false}, {-7, {0, false, true}, false},
    };
    for (const auto& [stored, state, ticked] : opens) {
        Tour t(stored);
        EXPECT_EQ(t.tour.Open(), state) << stored;
        EXPECT_EQ(t.tour.DontShowAgainAtOpen(), ticked) << stored;
        EXPECT_EQ(t.app.cfg.HideGetStarted, state.page) << stored;
    }

    Tour t(3);
    t.tour.Open();
    EXPECT_EQ(t.tour.Next(), (TourState{4, true, false}));
    EXPECT_EQ(t.tour.Next(), (TourState{4, true, false})); // nothing beyond the last page
    for (int page : {3, 2, 1})
        EXPECT_EQ(t.tour.Last(), (TourState{page, true, true}));
    EXPECT_EQ(t.tour.Last(), (TourState{0, false, true}));
    EXPECT_EQ(t.tour.Last(), (TourState{0, false, true}));
    EXPECT_EQ(t.tour.Next(), (TourState{1, true, true}));
    EXPECT_EQ(t.app.cfg.HideGetStarted, 1);
}

TEST(GetStarted, ClosingStoresThePageOrMinusOne) {
    Tour kept(0);
    kept.tour.Open();
    kept.tour.Next(), kept.tour.Next(), kept.tour.Next();
    EXPECT_TRUE(kept.tour.Close(false));
    EXPECT_EQ(kept.Stored(), 3); // the next start opens at page 3

    Tour off(2);
    off.tour.Open();
    EXPECT_TRUE(off.tour.Close(true));
    EXPECT_EQ(off.Stored(), -1);
    EXPECT_EQ(off.app.cfg.HideGetStarted, -1);
}

} // namespace
} // namespace qor
