#include <gtest/gtest.h>

#include "core/Settings.h"
#include "fakes/Fakes.h"

namespace qor {
TEST(Smoke, InitializeStateRuns) {
    test::TestApp t;
    InitializeState(t.app, true, true, true);
    EXPECT_EQ(t.app.screen.ScreenHeight, 728);
}
} // namespace qor
