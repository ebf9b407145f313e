#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "dock/Skin.h"
#include "popup/PopupPaint.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

using test::CanvasCall;
using Op = CanvasCall::Op;

// A panel at (100, 50) whose entry e shows image 500 + e and the caption "Entry e"; 18 rows.
class PopupPaintTest : public ::testing::Test {
protected:
    AppState app;
    PopupPanel panel;
    test::RecordingCanvas canvas;

    void Panel(int count, int topIndex = 0) {
        app.geo.PopupRows = 18;
        panel.EntryCount = count;
        panel.MenuLeft = 100;
        panel.MenuTop = 50;
        panel.TopIndex = topIndex;
        panel.EntryItem.assign(count + 1, 0);
        panel.EntryImage.assign(count + 1, 0);
        panel.EntryCaption.assign(count + 1, "");
        for (int e = 1; e <= count; ++e) {
            panel.EntryImage[e] = 500 + e;
            panel.EntryCaption[e] = "Entry " + std::to_string(e);
        }
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (const CanvasCall& c : canvas.calls) {
            std::ostringstream line;
            line << c;
            out.push_back(line.str());
        }
        return out;
    }
};

TEST_F(PopupPaintTest, TheNormalLayoutDrawsTheFrameThenIconCaptionAndLetterPerRowAndKeepsBoth) {
    Panel(2);
    MenuNormal(app, panel, canvas);
    const std::vector<std::string> expected = {
        "Clear 0xffffff",
        "DrawScaled skin 8 level 0 at 100,60 268x76 fade -1", // MENUBODY for two rows
        "DrawCached skin 9 level 1 at 100,50 0x0 fade -1",    // MENUTOP
        "DrawCached skin 10 level 1 at 100,134 0x0 fade -1",  // MENUBOTTOM
        "Keep 1 100,50 268x96",                               // the frame alone
        "DrawCached item 501 level 4 at 113,63 0x0 fade -1",
        "PanelText 'Entry 1' in 148,65 183x28",
        "PanelText '0' in 337,65 18x28",
        "DrawCached item 502 level 4 at 113,101 0x0 fade -1",
        "PanelText 'Entry 2' in 148,103 183x28",
        "PanelText '1' in 337,103 18x28",
        "Keep 0 100,50 268x96", // the panel at rest
    };
    EXPECT_EQ(Lines(), expected) << "MenuNormal does not present";

    // The last page of 40: buttons grey while they cannot scroll, no letters from entry 37 on.
    Panel(40, 22);
    panel.CanScrollUp = true;
    app.cfg.ClearType = 1;
    canvas.Reset();
    MenuNormal(app, panel, canvas);
    std::vector<std::string> texts;
    for (const CanvasCall& c : canvas.Of(Op::PanelText)) {
        texts.push_back(c.text + (c.grey ? " grey" : ""));
        EXPECT_TRUE(c.clearType);
    }
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 4),
              (std::vector<std::string>{"PgUp", "PgDn grey", "Entry 23", "M"}));
    EXPECT_EQ(texts.back(), "Entry 40");
    EXPECT_EQ(canvas.Of(Op::DrawScaled).at(0).height, 38 * 18 + 60);
}

TEST_F(PopupPaintTest, TheLitRowIsDrawnOnItsBackdropAndOnlyActiveButtonsLightUp) {
    const struct {
        const char* what;
        int count, hover;
        bool mouseDown, canUp;
        int backdrop, y; // the skin picture lit at x 110 (-1 none)
    } rows[] = {
        {"row 2 under the pointer", 3, 2, false, false, skin::MenuSelect, 98},
        {"row 2 pressed", 3, 2, true, false, skin::MenuMouseDown, 98},
        {"row 1 of the scroll layout", 40, 1, false, false, skin::MenuSelect, 90},
        {"PgUp while it can scroll", 40, 0, false, true, skin::MenuUpSelect, 60},
        {"PgUp at the top keeps its plain picture", 40, 0, false, false, -1, 0},
        {"nothing lit", 3, -1, false, false, -1, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Panel(r.count);
        panel.CanScrollUp = r.canUp;
        app.dock.PopupHoverRow = r.hover;
        canvas.Reset();
        MenuAction(app, panel, canvas, r.mouseDown);
        int lit = -1;
        for (const CanvasCall& c : canvas.calls)
            for (int s : {skin::MenuSelect, skin::MenuMouseDown, skin::MenuUpSelect, skin::MenuDownSelect})
                if (c.IsImage(SkinImage(s))) {
                    lit = s;
                    EXPECT_EQ(c.x, 110);
                    EXPECT_EQ(c.y, r.y);
                }
        EXPECT_EQ(lit, r.backdrop);
        EXPECT_EQ(canvas.calls.back().op, Op::Present);
    }
}

TEST_F(PopupPaintTest, AHoverRepaintsOnlyTheLitRowUntilThePanelChanges) {
    Panel(3);
    MenuNormal(app, panel, canvas);
    app.dock.PopupHoverRow = 2;
    canvas.Reset();
    MenuAction(app, panel, canvas, false);
    const std::vector<std::string> expected = {
        "Restore 0 100,50 268x134", // the panel at rest
        "Restore 1 110,98 248x38",  // row 2's place: the frame alone
        "DrawCached skin 1 level 1 at 110,98 0x0 fade -1",
        "DrawCached item 502 level 4 at 113,101 0x0 fade -1",
        "PanelText 'Entry 2' in 148,103 183x28",
        "PanelText '1' in 337,103 18x28",
        "Present alpha 255",
    };
    EXPECT_EQ(Lines(), expected);

    panel.EntryCaption[3] = "Renamed"; // the group changed: the whole panel again
    canvas.Reset();
    MenuAction(app, panel, canvas, false);
    EXPECT_EQ(canvas.Count(Op::Clear), 1);
    EXPECT_EQ(canvas.Count(Op::PanelText), 8) << "three rows, then row 2 lit";
}

} // namespace
} // namespace qor
