#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "dock/Skin.h"
#include "fakes/Fakes.h"
#include "popup/PopupPaint.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

using test::CanvasCall;
using Op = CanvasCall::Op;

// A panel at (100, 50) whose entry e shows image 500 + e and the caption "Entry e".
class PopupPaintTest : public ::testing::Test {
protected:
    test::TestApp t;
    AppState& app = t.app;
    PopupPanel panel;
    test::RecordingCanvas canvas;

    void SetUp() override { app.geo.PopupRows = 18; }
    void Panel(int count, int topIndex = 0) {
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
        FillRowRects(panel, 18);
    }
    // Each call as one readable line.
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (const CanvasCall& c : canvas.calls) {
            std::ostringstream os;
            os << c;
            out.push_back(os.str());
        }
        return out;
    }
    std::vector<std::string> PanelTexts() const {
        std::vector<std::string> out;
        for (const CanvasCall& c : canvas.Of(Op::PanelText))
            out.push_back(c.text + (c.grey ? " grey" : ""));
        return out;
    }
};

TEST_F(PopupPaintTest, TheNormalLayoutDrawsTheFrameThenIconCaptionAndLetterPerRow) {
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
}

TEST_F(PopupPaintTest, TheScrollLayoutShowsItsPageWithButtonsGreyWhileInactive) {
    Panel(40, 22); // the last page: entries 23..40
    panel.CanScrollUp = true;
    panel.CanScrollDown = false;
    app.cfg.ClearType = 1;
    MenuNormal(app, panel, canvas);
    const auto texts = PanelTexts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0], "PgUp");
    EXPECT_EQ(texts[1], "PgDn grey");
    EXPECT_EQ(texts[2], "Entry 23");
    EXPECT_EQ(texts[3], "M") << "entry 23's letter";
    EXPECT_EQ(texts.back(), "Entry 40") << "entries from 37 on have no letter";
    EXPECT_EQ(canvas.Count(Op::DrawCached), 2 + 2 + 2 + 18) << "top and bottom, buttons, separators, icons";
    for (const CanvasCall& c : canvas.Of(Op::PanelText))
        EXPECT_TRUE(c.clearType) << "ClearType setting 1";
    const auto body = canvas.Of(Op::DrawScaled);
    ASSERT_EQ(body.size(), 1u);
    EXPECT_EQ(body[0].height, 38 * 18 + 60);
    EXPECT_TRUE(canvas.calls[2].IsImage(SkinImage(skin::MenuTop)));
}

TEST_F(PopupPaintTest, TheLitRowIsDrawnLastOnItsBackdropAndOnlyActiveButtonsLightUp) {
    struct Row {
        const char* what;
        int count, hover;
        bool mouseDown, canUp;
        int backdrop, x, y; // the skin picture lit and where; -1 none
    };
    const Row rows[] = {
        {"row 2 under the pointer", 3, 2, false, false, skin::MenuSelect, 110, 98},
        {"row 2 pressed", 3, 2, true, false, skin::MenuMouseDown, 110, 98},
        {"row 1 of the scroll layout", 40, 1, false, false, skin::MenuSelect, 110, 90},
        {"PgUp while it can scroll", 40, 0, false, true, skin::MenuUpSelect, 110, 60},
        {"PgUp at the top keeps its plain picture", 40, 0, false, false, -1, 0, 0},
        {"nothing lit", 3, -1, false, false, -1, 0, 0},
    };
    for (const Row& r : rows) {
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
                    EXPECT_EQ(c.x, r.x);
                    EXPECT_EQ(c.y, r.y);
                }
        EXPECT_EQ(lit, r.backdrop);
        ASSERT_FALSE(canvas.calls.empty());
        EXPECT_EQ(canvas.calls.back().op, Op::Present);
        if (r.hover >= 1) {
            // The lit row's caption comes after every other row's.
            const auto texts = PanelTexts();
            EXPECT_EQ(texts[texts.size() - 2], "Entry " + std::to_string(r.hover));
        }
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

TEST_F(PopupPaintTest, TheDeleteAnimationPlaysFiveFramesOverThePanel) {
    Panel(2);
    int pumped = 0;
    MenuDelEffect(app, panel, canvas, 500, 300, [&] { ++pumped; });
    const auto frames = canvas.Of(Op::DrawSource);
    ASSERT_EQ(frames.size(), 5u);
    for (int f = 0; f < 5; ++f) {
        EXPECT_TRUE(frames[f].IsImage(SkinImage(skin::DelIcon)));
        EXPECT_EQ(frames[f].sx, 128.0f * f);
        EXPECT_EQ(frames[f].dx, 436.0f);
        EXPECT_EQ(frames[f].dy, 236.0f);
    }
    EXPECT_EQ(canvas.Count(Op::Present), 5);
    EXPECT_EQ(canvas.Count(Op::Clear), 5) << "each frame starts from the panel at rest";
    EXPECT_EQ(t.clock.sleeps, std::vector<uint32_t>(5, 25));
    EXPECT_EQ(pumped, 1);
}

} // namespace
} // namespace qor
