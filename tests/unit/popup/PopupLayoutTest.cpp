#include <gtest/gtest.h>

#include "core/AppState.h"
#include "popup/PopupLayout.h"

namespace qor {
namespace {

// A 1366 x 728 work area: the screen's centre is (683, 364). Icons are 48 pixels; each row puts
// one ring position where it wants it.
class PopupLayoutTest : public ::testing::Test {
protected:
    AppState app;
    PopupPanel panel;

    void SetUp() override {
        app.screen = MeasureScreen(ScreenInfo{{0, 0, 1366, 728}, 15, 15});
        app.run.IconSize = 48;
        app.geo.PopupRows = 18;
    }
    // A panel of `count` entries laid out at (100, 50).
    void Panel(int count, int topIndex = 0) {
        panel.EntryCount = count;
        panel.MenuLeft = 100;
        panel.MenuTop = 50;
        panel.TopIndex = topIndex;
        FillRowRects(panel, app.geo.PopupRows);
    }
};

TEST_F(PopupLayoutTest, ThePanelOpensOutwardBesideItsIconAndStaysOnTheScreen) {
    struct Row {
        const char* what;
        int slot, iconLeft, iconTop, count;
        int left, top;
    };
    const Row rows[] = {
        // Panel heights: 3 entries 134, 10 entries 400.
        {"right of the centre: the panel touches the icon's right edge", 1, 900, 340, 3, 948, 297},
        {"left of the centre: the panel ends at the icon's left edge", 5, 400, 340, 3, 132, 297},
        {"exactly at the centre (6 o'clock) opens to the right", 3, 659, 600, 3, 707, 557},
        {"an icon's centre 1 pixel left of the screen's centre still opens right", 3, 658, 600, 3, 706, 557},
        {"2 pixels left of it opens left", 3, 657, 600, 3, 389, 557},
        {"at the top the panel starts at 0", 7, 659, 20, 10, 707, 0},
        {"at the bottom it ends at the screen's bottom", 3, 659, 650, 10, 707, 328},
        {"near the right edge it ends at the screen's right edge", 1, 1200, 340, 3, 1098, 297},
        {"near the left edge it starts at 0", 5, 100, 340, 3, 0, 297},
        {"the centre's own group: 72 pixels right of the centre, centred", 0, 0, 0, 3, 755, 297},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        app.geo.Slots[r.slot].IconLeft = r.iconLeft;
        app.geo.Slots[r.slot].IconTop = r.iconTop;
        EXPECT_EQ(GetMenuLoc(app, panel, true, r.count, r.slot), r.left);
        EXPECT_EQ(GetMenuLoc(app, panel, false, r.count, r.slot), r.top);
    }
    panel.GroupSlot = 0;
    EXPECT_EQ(GetMenuLoc(app, panel, true, 3, -1), 755) << "-1 stands for the panel's own group";
}

TEST_F(PopupLayoutTest, OneMemberMoreThanPopupRowsSwitchesToTheScrollLayout) {
    EXPECT_EQ(PanelHeight(18, 18), 704);
    EXPECT_EQ(PanelHeight(19, 18), 764) << "60 pixels taller than a full normal panel";
    EXPECT_EQ(PanelHeight(1, 18), 58);

    Panel(18);
    EXPECT_FALSE(panel.ScrollLayout(18));
    EXPECT_EQ(panel.RowRects[0], Rect{}) << "no PgUp button";
    EXPECT_EQ(panel.RowRects[1], (Rect{110, 60, 358, 98}));
    EXPECT_EQ(panel.RowRects[18], (Rect{110, 706, 358, 744}));
    EXPECT_EQ(panel.RowRects[19], Rect{}) << "no PgDn button";

    Panel(19);
    EXPECT_TRUE(panel.ScrollLayout(18));
    EXPECT_EQ(panel.RowRects[0], (Rect{110, 60, 358, 85})) << "PgUp";
    EXPECT_EQ(panel.RowRects[1], (Rect{110, 90, 358, 128}));
    EXPECT_EQ(panel.RowRects[18], (Rect{110, 736, 358, 774}));
    EXPECT_EQ(panel.RowRects[19], (Rect{110, 779, 358, 804})) << "PgDn";
}

TEST_F(PopupLayoutTest, PagesWheelStepsAndArrowKeysMoveAsTheUserExpects) {
    // 40 members, 18 rows: page down 18, 22 (the last page), page up 4, 0.
    Panel(40);
    struct Step {
        bool up;
        int top;
        bool canUp, canDown;
    };
    for (const Step& s : {Step{false, 18, true, true}, Step{false, 22, true, false},
                          Step{true, 4, true, true}, Step{true, 0, false, true}}) {
        MenuUpAndDown(panel, 18, s.up);
        EXPECT_EQ(panel.TopIndex, s.top);
        EXPECT_EQ(panel.CanScrollUp, s.canUp) << "at " << s.top;
        EXPECT_EQ(panel.CanScrollDown, s.canDown) << "at " << s.top;
    }

    enum Op { WheelUp, WheelDown, ArrowUp, ArrowDown, PageUp, PageDown };
    struct Row {
        const char* what;
        int count, top, hover;
        Op op;
        int newTop, newHover;
        bool canUp, canDown;
    };
    const Row rows[] = {
        {"wheel down one entry", 40, 0, -1, WheelDown, 1, -1, true, true},
        {"wheel down onto the last page", 40, 21, -1, WheelDown, 22, -1, true, false},
        {"wheel down on the last page stays", 40, 22, -1, WheelDown, 22, -1, true, false},
        {"wheel up one entry", 40, 5, -1, WheelUp, 4, -1, true, true},
        {"wheel up from entry 1 reaches the top", 40, 1, -1, WheelUp, 0, -1, false, true},
        {"arrow down with nothing lit lights row 1", 40, 0, -1, ArrowDown, 0, 1, false, false},
        {"arrow down moves the light", 40, 0, 4, ArrowDown, 0, 5, false, false},
        {"arrow down past the last row scrolls", 40, 0, 18, ArrowDown, 1, 18, true, true},
        {"arrow down on the last entry stays", 40, 22, 18, ArrowDown, 22, 18, false, false},
        {"arrow up with nothing lit lights the last row", 40, 0, -1, ArrowUp, 0, 18, false, false},
        {"arrow up past row 1 scrolls", 40, 3, 1, ArrowUp, 2, 1, true, true},
        {"arrow up at the top stays", 40, 0, 1, ArrowUp, 0, 1, false, false},
        {"arrow down from PgUp lights row 1", 40, 0, 0, ArrowDown, 0, 1, false, false},
        {"a page up from entry 18 reaches the top", 40, 18, -1, PageUp, 0, -1, false, true},
        {"five members: the wheel changes nothing visible", 5, 0, -1, WheelDown, 0, -1, true, false},
        {"five members: a page changes nothing visible", 5, 0, -1, PageDown, 0, -1, true, false},
        {"five members: arrow down stops at the last row", 5, 0, 5, ArrowDown, 0, 5, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Panel(r.count, r.top);
        panel.CanScrollUp = panel.CanScrollDown = false;
        int hover = r.hover;
        switch (r.op) {
        case WheelUp:
        case WheelDown:
            MenuWheelStep(panel, 18, r.op == WheelUp);
            break;
        case ArrowUp:
        case ArrowDown:
            hover = MenuArrow(panel, 18, r.op == ArrowUp, r.hover);
            break;
        case PageUp:
        case PageDown:
            MenuUpAndDown(panel, 18, r.op == PageUp);
            break;
        }
        EXPECT_EQ(panel.TopIndex, r.newTop);
        EXPECT_EQ(hover, r.newHover);
        EXPECT_EQ(panel.CanScrollUp, r.canUp);
        EXPECT_EQ(panel.CanScrollDown, r.canDown);
    }
}

TEST_F(PopupLayoutTest, HitTestingTakesTheLeftAndTopEdgesAndGivesASharedEdgeToTheUpperRow) {
    struct Row {
        const char* what;
        int count, x, y, hit;
    };
    const Row rows[] = {
        {"row 1's top-left corner", 3, 110, 60, 1},
        {"left of the rows", 3, 109, 70, -1},
        {"the last column", 3, 357, 70, 1},
        {"the right edge", 3, 358, 70, -1},
        {"above row 1", 3, 200, 59, -1},
        {"the edge between rows 1 and 2", 3, 200, 98, 1},
        {"just under it", 3, 200, 99, 2},
        {"row 3's bottom edge", 3, 200, 174, 3},
        {"under the last row", 3, 200, 175, -1},
        {"PgUp of the scroll layout", 40, 200, 85, 0},
        {"between PgUp and row 1", 40, 200, 87, -1},
        {"PgDn", 40, 200, 804, 19},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Panel(r.count);
        EXPECT_EQ(HitTestRows(panel, 18, r.x, r.y), r.hit);
    }
}

TEST(PopupLetters, EntriesOneToThirtySixHaveALetterAndNoneAfter) {
    const std::pair<int, char> rows[] = {{0, '\0'}, {1, '0'},   {10, '9'},   {11, 'A'},
                                         {36, 'Z'}, {37, '\0'}, {1024, '\0'}};
    for (const auto& [entry, letter] : rows)
        EXPECT_EQ(EntryLetter(entry), letter) << "entry " << entry;
}

} // namespace
} // namespace qor
