#include <gtest/gtest.h>

#include "core/AppState.h"
#include "popup/PopupLayout.h"

namespace qor {
namespace {

// A 1366 x 728 work area (centre 683, 364), 48-pixel icons, 18 rows; panels laid out at (100, 50).
class PopupLayoutTest : public ::testing::Test {
protected:
    AppState app;
    PopupPanel panel;

    void SetUp() override {
        app.screen = MeasureScreen(ScreenInfo{{0, 0, 1366, 728}, 15, 15});
        app.run.IconSize = 48;
        app.geo.PopupRows = 18;
    }
    void Panel(int count, int topIndex = 0) {
        panel.EntryCount = count;
        panel.MenuLeft = 100;
        panel.MenuTop = 50;
        panel.TopIndex = topIndex;
        panel.CanScrollUp = panel.CanScrollDown = false;
        FillRowRects(panel, 18);
    }
};

TEST_F(PopupLayoutTest, ThePanelOpensOutwardBesideItsIconAndStaysOnTheScreen) {
    const struct {
        const char* what;
        int slot, iconLeft, iconTop, count, left, top; // heights: 3 entries 134, 10 entries 400
    } rows[] = {
        {"right of the centre: touching the icon's right edge", 1, 900, 340, 3, 948, 297},
        {"left of the centre: ending at the icon's left edge", 5, 400, 340, 3, 132, 297},
        {"exactly at the centre opens right", 3, 659, 600, 3, 707, 557},
        {"1 pixel left of the centre still opens right", 3, 658, 600, 3, 706, 557},
        {"2 pixels left of it opens left", 3, 657, 600, 3, 389, 557},
        {"at the top the panel starts at 0", 7, 659, 20, 10, 707, 0},
        {"at the bottom it ends at the screen's bottom", 3, 659, 650, 10, 707, 328},
        {"near the right edge it ends there", 1, 1200, 340, 3, 1098, 297},
        {"near the left edge it starts at 0", 5, 100, 340, 3, 0, 297},
        {"the centre's own group: 72 pixels right of the centre", 0, 0, 0, 3, 755, 297},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        app.geo.Slots[r.slot].IconLeft = r.iconLeft;
        app.geo.Slots[r.slot].IconTop = r.iconTop;
        EXPECT_EQ(GetMenuLoc(app, panel, true, r.count, r.slot), r.left);
        EXPECT_EQ(GetMenuLoc(app, panel, false, r.count, r.slot), r.top);
    }
}

TEST_F(PopupLayoutTest, PagesWheelStepsAndArrowKeysMoveAsTheUserExpects) {
    enum Op { WheelUp, WheelDown, ArrowUp, ArrowDown, PageUp, PageDown };
    const struct {
        const char* what;
        int count, top, hover;
        Op op;
        int newTop, newHover;
        bool canUp, canDown;
    } rows[] = {
        // 40 members and 18 rows: the last page starts at 22
        {"page down from the top", 40, 0, -1, PageDown, 18, -1, true, true},
        {"page down onto the last page", 40, 18, -1, PageDown, 22, -1, true, false},
        {"page up from the last page", 40, 22, -1, PageUp, 4, -1, true, true},
        {"page up to the top", 40, 4, -1, PageUp, 0, -1, false, true},
        {"page up from entry 18 reaches the top", 40, 18, -1, PageUp, 0, -1, false, true},
        {"wheel down one entry", 40, 0, -1, WheelDown, 1, -1, true, true},
        {"wheel down onto the last page", 40, 21, -1, WheelDown, 22, -1, true, false},
        {"wheel up from entry 1 reaches the top", 40, 1, -1, WheelUp, 0, -1, false, true},
        {"arrow down with nothing lit lights row 1", 40, 0, -1, ArrowDown, 0, 1, false, false},
        {"arrow down past the last row scrolls", 40, 0, 18, ArrowDown, 1, 18, true, true},
        {"arrow down on the last entry stays", 40, 22, 18, ArrowDown, 22, 18, false, false},
        {"arrow up with nothing lit lights the last row", 40, 0, -1, ArrowUp, 0, 18, false, false},
        {"arrow up past row 1 scrolls", 40, 3, 1, ArrowUp, 2, 1, true, true},
        {"arrow down from PgUp lights row 1", 40, 0, 0, ArrowDown, 0, 1, false, false},
        {"five members: the wheel changes nothing visible", 5, 0, -1, WheelDown, 0, -1, true, false},
        {"five members: arrow down stops at the last row", 5, 0, 5, ArrowDown, 0, 5, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Panel(r.count, r.top);
        int hover = r.hover;
        if (r.op == WheelUp || r.op == WheelDown)
            MenuWheelStep(panel, 18, r.op == WheelUp);
        else if (r.op == PageUp || r.op == PageDown)
            MenuUpAndDown(panel, 18, r.op == PageUp);
        else
            hover = MenuArrow(panel, 18, r.op == ArrowUp, r.hover);
        EXPECT_EQ(panel.TopIndex, r.newTop);
        EXPECT_EQ(hover, r.newHover);
        EXPECT_EQ(panel.CanScrollUp, r.canUp);
        EXPECT_EQ(panel.CanScrollDown, r.canDown);
    }
}

// One member more than PopupRows switches to the scroll layout: PgUp and PgDn, 60 pixels taller.
TEST_F(PopupLayoutTest, HitTestingGivesASharedEdgeToTheUpperRowAndLettersStopAfterEntryThirtySix) {
    EXPECT_EQ(PanelHeight(18, 18), 704);
    EXPECT_EQ(PanelHeight(19, 18), 764);
    const struct {
        int count, x, y, hit;
    } rows[] = {{3, 110, 60, 1},    {3, 109, 70, -1},  {3, 357, 70, 1},  {3, 358, 70, -1},  {3, 200, 59, -1},
                {3, 200, 98, 1},    {3, 200, 99, 2},   {3, 200, 174, 3}, {3, 200, 175, -1}, {18, 200, 85, 1},
                {18, 200, 779, -1}, {19, 200, 60, 0},  {19, 200, 85, 0}, {19, 200, 87, -1}, {19, 200, 90, 1},
                {19, 200, 779, 19}, {19, 200, 804, 19}};
    for (const auto& r : rows) {
        Panel(r.count);
        EXPECT_EQ(HitTestRows(panel, 18, r.x, r.y), r.hit) << r.count << " entries at " << r.x << "," << r.y;
    }
    // Letters: "0".."9", "A".."Z" for entries 1..36, none after.
    for (const auto& [entry, letter] : {std::pair{1, '0'}, {10, '9'}, {11, 'A'}, {36, 'Z'}, {37, '\0'}})
        EXPECT_EQ(EntryLetter(entry), letter) << "entry " << entry;
}

} // namespace
} // namespace qor
