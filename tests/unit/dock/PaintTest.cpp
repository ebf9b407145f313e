#include <gtest/gtest.h>

#include <sstream>

#include "dock/Paint.h"
#include "dock/Skin.h"
#include "fakes/Fakes.h"
#include "unit/dock/RecordingCanvas.h"

namespace qor {
namespace {

using test::CanvasCall;
using test::RecordingCanvas;
using Op = CanvasCall::Op;

std::string Str(const CanvasCall& c) {
    std::ostringstream os;
    os << c;
    return os.str();
}
std::vector<std::string> Strs(const std::vector<CanvasCall>& calls) {
    std::vector<std::string> out;
    for (const CanvasCall& c : calls)
        out.push_back(Str(c));
    return out;
}

// Expected calls, written the way the recording canvas prints them.
std::string Cached(bool skinElement, int index, int level, int x, int y) {
    CanvasCall c;
    c.op = Op::DrawCached;
    c.image = skinElement ? SkinImage(index) : ItemImage(index);
    c.level = level, c.x = x, c.y = y;
    return Str(c);
}
std::string Scaled(bool skinElement, int index, int x, int y, int side, int fade = kNoFade) {
    CanvasCall c;
    c.op = Op::DrawScaled;
    c.image = skinElement ? SkinImage(index) : ItemImage(index);
    c.level = 0, c.x = x, c.y = y, c.width = side, c.height = side, c.fade = fade;
    return Str(c);
}
std::string Text(const std::string& text, int x, int y) {
    CanvasCall c;
    c.op = Op::DrawText;
    c.text = text, c.x = x, c.y = y, c.width = 1366;
    return Str(c);
}
std::string Clear(uint32_t argb) {
    CanvasCall c;
    c.op = Op::Clear;
    c.argb = argb;
    return Str(c);
}
std::string Fill(uint32_t argb) {
    CanvasCall c;
    c.op = Op::FillRect;
    c.x = 607, c.y = 288, c.width = 152, c.height = 152, c.argb = argb; // the centre square
    return Str(c);
}
std::string Present(int alpha) {
    CanvasCall c;
    c.op = Op::Present;
    c.alpha = alpha;
    return Str(c);
}

constexpr uint32_t kBackArgb = 0xC0000000u; // default keyboard-mode backdrop
constexpr int kCaptionY = 364 + 76 + 10;    // LabelY(0) on a 728-pixel work area

// Eight positions on a 1366 x 728 work area (centre 683, 364, radius 284); position i shows
// image 100 + i and the title "Item i", except position 3 whose image is 0.
class PaintTest : public ::testing::Test {
protected:
    test::TestApp t;
    AppState& app = t.app;
    RecordingCanvas canvas;

    void SetUp() override {
        app.screen = MeasureScreen(ScreenInfo{{0, 0, 1366, 728}, 15, 15});
        SetDefaultSettings(app.cfg, app.run, app.screen);
        app.run.IconCount = 8;
        FillSizeLevels(app.geo, app.run);
        ComputeSlotTable(app.geo, app.screen, app.run);
        app.store.Items[0].Title = "QOR Desktop";
        for (int i = 1; i <= 8; ++i) {
            app.store.Items[i].Kind = kind::Shortcut;
            app.store.Items[i].IconRef = i == 3 ? 0 : 100 + i;
            app.store.Items[i].Title = "Item " + std::to_string(i);
        }
        IniIconParam(app);
    }

    const DockSlot& S(int i) const { return app.geo.Slots[i]; }

    // The expected calls of ring position i at rest.
    void AddResting(std::vector<std::string>& out, int i) const {
        out.push_back(Cached(true, skin::BackSelectColor, 1, S(i).IconLeft, S(i).IconTop));
        out.push_back(Cached(false, app.dock.SlotImage[i], 1, S(i).IconLeft, S(i).IconTop));
    }
    // Calls that touch ring position i's rest or hover square.
    int CallsAt(int i) const {
        int n = 0;
        for (const CanvasCall& c : canvas.calls)
            if ((c.x == S(i).IconLeft && c.y == S(i).IconTop) ||
                (c.x == S(i).HoverLeft && c.y == S(i).HoverTop))
                ++n;
        return n;
    }
};

TEST_F(PaintTest, IniIconParamTakesEachPositionsStandInItem) {
    app.store.Groups[4].Members[0] = 200;
    app.store.Items[200].Kind = kind::Group;
    app.store.Items[200].IconRef = 7;
    app.store.Items[200].Title = "  Games";
    app.store.Items[200].Title.bytes[10] = '\0'; // junk after a NUL is cut off
    IniIconParam(app);
    EXPECT_EQ(app.dock.SlotImage[4], 7);
    EXPECT_EQ(app.dock.SlotKind[4], kind::Group);
    EXPECT_EQ(app.dock.SlotCaption[4], "Games");
    EXPECT_EQ(app.store.Items[200].Title.Peek(), "Games");
    EXPECT_EQ(app.store.Items[200].Title.View().substr(0, 6), "Games "); // written back cleaned
    EXPECT_EQ(app.dock.SlotImage[3], 0);
    EXPECT_EQ(app.dock.SlotCaption[1], "Item 1");
}

TEST_F(PaintTest, IniIconParamSkipsAPositionWithoutAStandIn) {
    app.store.Groups[5].Members.clear();
    app.store.Groups[6].Members[0] = 5000;
    IniIconParam(app);
    EXPECT_EQ(app.dock.SlotImage[5], 105);
    EXPECT_EQ(app.dock.SlotImage[6], 106);
}

TEST(PaintLetters, PositionsMapToDigitsLettersAndTilde) {
    const std::pair<int, char> rows[] = {{0, '~'},  {1, '0'},  {5, '4'},   {10, '9'}, {11, 'A'},
                                         {24, 'N'}, {36, 'Z'}, {37, '\0'}, {-1, '\0'}};
    for (auto [position, letter] : rows)
        EXPECT_EQ(SlotLetter(position), letter) << position;
}

TEST_F(PaintTest, DockNormalPaintsRingCaptionCentreThenPresents) {
    DockNormal(app, canvas, false);
    std::vector<std::string> expected{Clear(kClearArgb)};
    for (int i = 1; i <= 8; ++i)
        AddResting(expected, i);
    expected.push_back(Text("QOR Desktop", 0, kCaptionY));
    expected.push_back(Scaled(false, 0, 619, 300, 128));
    expected.push_back(Scaled(true, skin::Border, 607, 288, 152));
    expected.push_back(Present(255));
    EXPECT_EQ(Strs(canvas.calls), expected);
    // Position 3's image 0 is drawn at rest like any other.
    EXPECT_EQ(expected[6], Cached(false, 0, 1, S(3).IconLeft, S(3).IconTop));
}

TEST_F(PaintTest, DockNormalWithoutUpdateDoesNotPresent) {
    DockNormal(app, canvas, true);
    EXPECT_EQ(canvas.Count(Op::Present), 0);
    EXPECT_EQ(canvas.Count(Op::DrawCached), 16);
}

TEST_F(PaintTest, CentreShowsTheCrossFadedImageWithoutBorder) {
    app.dock.CentreImage = 105;
    DockNormal(app, canvas, false);
    const auto scaled = Strs(canvas.Of(Op::DrawScaled));
    EXPECT_EQ(scaled, std::vector<std::string>{Scaled(false, 105, 619, 300, 128)});
}

TEST_F(PaintTest, HoveredPositionIsEnlargedAndNamesTheCaption) {
    app.dock.HoverSlot = 2;
    DockAction(app, canvas, false);
    std::vector<std::string> expected{Clear(kClearArgb)};
    for (int i = 1; i <= 8; ++i)
        if (i != 2)
            AddResting(expected, i);
    expected.push_back(Cached(true, skin::BackSelectColor, 2, S(2).HoverLeft, S(2).HoverTop));
    expected.push_back(Scaled(false, 102, S(2).HoverLeft, S(2).HoverTop, 64));
    expected.push_back(Text("Item 2", 0, kCaptionY));
    expected.push_back(Scaled(false, 0, 619, 300, 128));
    expected.push_back(Scaled(true, skin::Border, 607, 288, 152));
    expected.push_back(Present(255));
    EXPECT_EQ(Strs(canvas.calls), expected);
}

TEST_F(PaintTest, HoveredSlotImageZeroShowsOnlyTheEnlargedBackdrop) {
    app.dock.HoverSlot = 3;
    DockAction(app, canvas, false);
    EXPECT_EQ(CallsAt(3), 1);
    const auto at3 = std::find_if(canvas.calls.begin(), canvas.calls.end(), [&](const CanvasCall& c) {
        return c.x == S(3).HoverLeft && c.y == S(3).HoverTop;
    });
    ASSERT_NE(at3, canvas.calls.end());
    EXPECT_EQ(Str(*at3), Cached(true, skin::BackSelectColor, 2, S(3).HoverLeft, S(3).HoverTop));
    EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"Item 3"});
}

TEST_F(PaintTest, PressedPositionSpringsBackToRestSizeInsideTheEnlargedBackdrop) {
    app.dock.HoverSlot = 2;
    DockAction(app, canvas, true);
    const auto all = Strs(canvas.calls);
    const auto back = std::find(all.begin(), all.end(),
                                Cached(true, skin::BackSelectColor, 2, S(2).HoverLeft, S(2).HoverTop));
    ASSERT_NE(back, all.end());
    EXPECT_EQ(*(back + 1), Cached(false, 102, 1, S(2).IconLeft, S(2).IconTop));
    EXPECT_EQ(canvas.Count(Op::DrawScaled), 2); // only the centre
}

TEST_F(PaintTest, NoHoverPaintsTheRestingRing) {
    app.dock.HoverSlot = -1;
    DockAction(app, canvas, false);
    const auto hovered = canvas.calls;
    canvas.Reset();
    DockNormal(app, canvas, false);
    EXPECT_EQ(Strs(hovered), Strs(canvas.calls));

    canvas.Reset();
    app.dock.HoverSlot = 30; // selected by key, beyond an 8-position ring
    DockAction(app, canvas, false);
    EXPECT_EQ(Strs(hovered), Strs(canvas.calls));
}

TEST_F(PaintTest, HoveredCentreKeepsTheWholeRingAndItsOwnCaption) {
    app.dock.HoverSlot = 0;
    DockAction(app, canvas, false);
    EXPECT_EQ(canvas.Count(Op::DrawCached), 17); // 8 x 2 ring + the centre's enlarged backdrop
    const auto all = Strs(canvas.calls);
    EXPECT_NE(std::find(all.begin(), all.end(), Cached(true, skin::BackSelectColor, 2, 607, 288)), all.end());
    EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"QOR Desktop"});
    EXPECT_EQ(all.back(), Present(255));
    EXPECT_EQ(all[all.size() - 2], Scaled(true, skin::Border, 607, 288, 152)); // centre painted last
}

TEST_F(PaintTest, KeyboardModeDimsAndLetters) {
    app.dock.KeyboardMode = true;
    DockNormal(app, canvas, false);
    EXPECT_EQ(Str(canvas.calls.front()), Clear(kBackArgb));
    const auto texts = canvas.Of(Op::DrawText);
    ASSERT_EQ(texts.size(), 10u);
    for (int i = 1; i <= 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Str(texts[i - 1]),
                  Text(std::string(1, SlotLetter(i)), S(i).LabelX, 364 + S(i).LabelY - 12));
    }
    EXPECT_EQ(Str(texts[0]), Text("0", 332, 352)); // 3 o'clock: 284 + 45.2548 + 3 out
    EXPECT_EQ(Str(texts[8]), Text("QOR Desktop", 0, kCaptionY));
    EXPECT_EQ(Str(texts[9]), Text("~", 0, kCaptionY - 182));
}

TEST_F(PaintTest, KeyboardModeHoverMovesTheLetterToTheCentre) {
    app.dock.KeyboardMode = true;
    app.dock.HoverSlot = 5;
    DockAction(app, canvas, false);
    const auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[7], "4"); // the hovered letter at its ring place, after the resting ones
    EXPECT_EQ(Str(canvas.Of(Op::DrawText)[8]), Text("Item 5", 0, kCaptionY));
    EXPECT_EQ(Str(canvas.Of(Op::DrawText)[9]), Text("4", 0, kCaptionY - 182));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "~"), 0);
}

TEST_F(PaintTest, KeyboardModeWithLettersOffOnlyDims) {
    app.dock.KeyboardMode = true;
    app.cfg.DisplayLetter = 1;
    for (int hover : {-1, 4}) {
        canvas.Reset();
        app.dock.HoverSlot = hover;
        DockAction(app, canvas, false);
        EXPECT_EQ(Str(canvas.calls.front()), Clear(kBackArgb));
        EXPECT_EQ(canvas.Texts(), std::vector<std::string>{hover < 0 ? "QOR Desktop" : "Item 4"});
    }
    app.cfg.DisplayLetter = 0;
    app.dock.KeyboardMode = false;
    canvas.Reset();
    DockNormal(app, canvas, false);
    EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"QOR Desktop"}); // letters only in keyboard mode
}

TEST_F(PaintTest, DraggedPositionIsLeftOutEvenTheFirst) {
    app.dock.Dragging = true;
    for (int dragged : {1, 5, 8}) {
        SCOPED_TRACE(dragged);
        app.dock.DragSlot = dragged;
        canvas.Reset();
        DockNormal(app, canvas, true);
        EXPECT_EQ(CallsAt(dragged), 0);
        EXPECT_EQ(canvas.Count(Op::DrawCached), 14);
        canvas.Reset();
        DockSizeChange(app, canvas);
        EXPECT_EQ(CallsAt(dragged), 0);
    }
    app.dock.Dragging = false; // a drag candidate that never moved keeps its place
    canvas.Reset();
    DockNormal(app, canvas, true);
    EXPECT_EQ(CallsAt(8), 2);
}

TEST_F(PaintTest, DragPaintCentresTheDraggedIconOnThePointer) {
    app.dock.Dragging = true;
    app.dock.DragSlot = 2;
    DockDragPaint(app, canvas, 500.5, 401.0);
    const auto all = Strs(canvas.calls);
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], Cached(false, 102, 1, 476, 377)); // round(476.5) = 476
    EXPECT_EQ(all.back(), Present(255));
    EXPECT_EQ(CallsAt(2), 0);
}

TEST_F(PaintTest, CaptionsAreTrimmedAndEmptyOnesDrawNothing) {
    app.store.Items[0].Title = "   Home  ";
    DockNormal(app, canvas, false);
    EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"Home"});
    EXPECT_EQ(app.store.Items[0].Title.View().substr(0, 5), "Home "); // cleaned and written back

    app.store.Items[0].Title.bytes.fill('\0');
    app.store.Items[0].Title.bytes[0] = 'A';
    canvas.Reset();
    DockNormal(app, canvas, false);
    EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"A"});
    EXPECT_EQ(app.store.Items[0].Title.bytes[1], ' ');

    app.store.Items[0].Title = "";
    app.dock.SlotCaption[2] = "  Mail ";
    canvas.Reset();
    DockNormal(app, canvas, false);
    EXPECT_TRUE(canvas.Texts().empty());
    app.dock.HoverSlot = 2;
    canvas.Reset();
    DockAction(app, canvas, false);
    EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"Mail"});
}

TEST_F(PaintTest, NothingIsPaintedWhileMinimizedOrHidden) {
    app.dock.HoverSlot = 2;
    for (int state : {dockstate::Minimized, dockstate::Hidden}) {
        app.dock.State = state;
        DockNormal(app, canvas, false);
        DockAction(app, canvas, true);
        DockRepaint(app, canvas);
        EffectAction(app, canvas, 2);
    }
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_EQ(app.dock.CentreImage, -1);
    EXPECT_TRUE(t.clock.sleeps.empty());
}

TEST_F(PaintTest, EffectActionCrossFadesTheCentreInEightFramesAndAFinalOne) {
    EffectAction(app, canvas, 2);
    std::vector<std::string> expected;
    for (int j = 0; j < 8; ++j) {
        expected.push_back(Fill(kClearArgb));
        expected.push_back(Scaled(false, 102, 619, 300, 128, 9 - j));
        expected.push_back(Scaled(false, 0, 619, 300, 128, j)); // the logo framed, as before
        expected.push_back(Scaled(true, skin::Border, 607, 288, 152, j));
        expected.push_back(Present(255));
    }
    expected.push_back(Fill(kClearArgb));
    expected.push_back(Scaled(false, 102, 619, 300, 128));
    expected.push_back(Present(255));
    EXPECT_EQ(Strs(canvas.calls), expected);
    for (const CanvasCall& c : canvas.Of(Op::FillRect))
        EXPECT_EQ(c.mode, Composite::SourceCopy);
    EXPECT_EQ(t.clock.sleeps, std::vector<uint32_t>(8, 25));
    EXPECT_EQ(app.dock.CentreImage, 102);
}

TEST_F(PaintTest, EffectActionBackToTheCentreInKeyboardMode) {
    app.dock.CentreImage = 102;
    app.dock.KeyboardMode = true;
    EffectAction(app, canvas, -1); // negative: the centre's own image 0
    const auto all = Strs(canvas.calls);
    ASSERT_EQ(all.size(), 8u * 5 + 4);
    EXPECT_EQ(all[0], Fill(kBackArgb));
    EXPECT_EQ(all[1], Scaled(false, 0, 619, 300, 128, 9));
    EXPECT_EQ(all[2], Scaled(true, skin::Border, 607, 288, 152, 9));
    EXPECT_EQ(all[3], Scaled(false, 102, 619, 300, 128, 0));
    EXPECT_EQ(all[all.size() - 3], Scaled(false, 0, 619, 300, 128));
    EXPECT_EQ(all[all.size() - 2], Scaled(true, skin::Border, 607, 288, 152));
    EXPECT_EQ(app.dock.CentreImage, 0);
}

TEST_F(PaintTest, EffectActionOnTheImageAlreadyShownDoesNothing) {
    app.dock.CentreImage = 104;
    EffectAction(app, canvas, 4);
    app.dock.CentreImage = 0;
    EffectAction(app, canvas, 3); // position 3 shows image 0, which is the centre's
    EffectAction(app, canvas, 0);
    EffectAction(app, canvas, 37); // no such position
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_TRUE(t.clock.sleeps.empty());
    EXPECT_EQ(app.dock.CentreImage, 0);
}

TEST_F(PaintTest, DeleteAnimationPlaysFiveFramesOverTheRestingRing) {
    std::size_t callsWhenPumped = 0;
    int pumps = 0;
    DockDelEffect(app, canvas, 700, 50, [&] {
        ++pumps;
        callsWhenPumped = canvas.calls.size();
    });
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(callsWhenPumped, canvas.calls.size());
    const auto frames = canvas.Of(Op::DrawSource);
    ASSERT_EQ(frames.size(), 5u);
    for (int f = 0; f < 5; ++f) {
        SCOPED_TRACE(f);
        const CanvasCall& c = frames[f];
        EXPECT_TRUE(c.IsImage(SkinImage(skin::DelIcon)));
        EXPECT_FLOAT_EQ(c.sx, 128.0f * f);
        EXPECT_FLOAT_EQ(c.sy, 0);
        EXPECT_FLOAT_EQ(c.sw, 128);
        EXPECT_FLOAT_EQ(c.sh, 128);
        EXPECT_FLOAT_EQ(c.dx, 636);
        EXPECT_FLOAT_EQ(c.dy, -14);
        EXPECT_FLOAT_EQ(c.dw, 128);
        EXPECT_FLOAT_EQ(c.dh, 128);
    }
    EXPECT_EQ(canvas.Count(Op::Clear), 5);   // the ring repainted under every frame
    EXPECT_EQ(canvas.Count(Op::Present), 5); // once per frame, after the strip
    EXPECT_EQ(canvas.calls.back().op, Op::Present);
    EXPECT_EQ(canvas.calls[canvas.calls.size() - 2].op, Op::DrawSource);
    EXPECT_EQ(t.clock.sleeps, std::vector<uint32_t>(5, 25));
}

TEST_F(PaintTest, SizePreviewScalesTheRingWithoutBackdrops) {
    app.dock.State = dockstate::Minimized;
    app.run.IconSize = 40;
    RecomputeSlots(app, canvas, 1, nullptr);
    EXPECT_EQ(app.dock.State, dockstate::Expanded);
    EXPECT_EQ(app.geo.SizeLevels[1], 40);
    std::vector<std::string> expected{Clear(kClearArgb)};
    for (int i = 1; i <= 8; ++i)
        expected.push_back(Scaled(false, app.dock.SlotImage[i], S(i).IconLeft, S(i).IconTop, 40));
    expected.push_back(Text("QOR Desktop", 0, kCaptionY));
    expected.push_back(Scaled(false, 0, 619, 300, 128));
    expected.push_back(Scaled(true, skin::Border, 607, 288, 152));
    expected.push_back(Present(255));
    EXPECT_EQ(Strs(canvas.calls), expected);
    EXPECT_EQ(S(1).IconLeft, 967 - 20);
}

TEST_F(PaintTest, RecomputeSlotsModes) {
    app.run.Radius = 250;
    RecomputeSlots(app, canvas, 0, nullptr);
    EXPECT_EQ(S(1).IconLeft, 683 + 250 - 24);
    EXPECT_EQ(canvas.calls.back().op, Op::Present);

    canvas.Reset();
    std::vector<int> rebuilt;
    app.run.MagnifiedSize = 80;
    RecomputeSlots(app, canvas, 2, [&](int level) { rebuilt.push_back(level); });
    EXPECT_EQ(rebuilt, std::vector<int>{2});
    EXPECT_EQ(app.geo.SizeLevels[2], 80);
    EXPECT_EQ(S(1).HoverSide, 80);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(PaintTest, MinimizedPictureAtEachOfTheNinePositions) {
    // The centre picture at 128 inside the 152-pixel "BORDER", 2 pixels off the chosen edges.
    const int right = 1366 - 154, bottom = 728 - 154;
    const struct {
        int position, left, top;
    } rows[] = {
        {minpos::Center, 607, 288},   {minpos::Top, 607, 2},           {minpos::Bottom, 607, bottom},
        {minpos::Left, 2, 288},       {minpos::Right, right, 288},     {minpos::TopLeft, 2, 2},
        {minpos::TopRight, right, 2}, {minpos::BottomLeft, 2, bottom}, {minpos::BottomRight, right, bottom},
    };
    app.dock.State = dockstate::Minimized;
    for (const auto& r : rows) {
        SCOPED_TRACE("position " + std::to_string(r.position));
        canvas.calls.clear();
        SetMinimizedPosition(app.geo, app.screen, app.run, r.position);
        PaintMinimizedPicture(app, canvas);
        EXPECT_EQ(Strs(canvas.calls), (std::vector<std::string>{
                                          Clear(kClearArgb),
                                          Scaled(false, 0, r.left + 12, r.top + 12, 128),
                                          Scaled(true, skin::Border, r.left, r.top, 152),
                                          Present(255),
                                      }));
    }
}

TEST_F(PaintTest, HiddenPictureFadesOutOverThirtyTwoFrames) {
    DockNormal(app, canvas, false);
    canvas.Reset();
    app.dock.State = dockstate::Hidden;
    app.dock.FadeOnHide = true;
    PaintHiddenPicture(app, canvas);
    ASSERT_EQ(canvas.calls.size(), 32u);
    std::vector<int> alphas;
    for (const CanvasCall& c : canvas.calls) {
        EXPECT_EQ(c.op, Op::Present);
        alphas.push_back(c.alpha);
    }
    EXPECT_EQ(alphas.front(), 247);
    EXPECT_EQ(alphas[1], 239);
    EXPECT_EQ(alphas[15], 128);
    EXPECT_EQ(alphas[30], 8);
    EXPECT_EQ(alphas.back(), 0);
    EXPECT_TRUE(std::is_sorted(alphas.rbegin(), alphas.rend()));
    EXPECT_EQ(t.clock.sleeps, std::vector<uint32_t>(32, 25));
}

TEST_F(PaintTest, HiddenPictureWithoutFadeIsImmediate) {
    app.dock.State = dockstate::Hidden;
    PaintHiddenPicture(app, canvas);
    EXPECT_EQ(Strs(canvas.calls), (std::vector<std::string>{Clear(kClearArgb), Present(0)}));
    EXPECT_TRUE(t.clock.sleeps.empty());
}

TEST_F(PaintTest, EveryPaintIsTracedWithItsDuration) {
    test::RecordingTrace trace;
    app.sys.trace = &trace;
    DockNormal(app, canvas, false);
    app.dock.HoverSlot = 4;
    DockAction(app, canvas, false);
    app.dock.State = dockstate::Minimized;
    DockNormal(app, canvas, false); // not painted, not traced
    ASSERT_EQ(trace.lines.size(), 2u);
    EXPECT_EQ(trace.lines[0], "paint DockNormal 0.000 ms");
    EXPECT_EQ(trace.lines[1], "paint DockAction 4 0.000 ms");
}

TEST(Skin, ElementsHaveTheirNamesSizesAndRenderings) {
    struct Row {
        int number;
        const char* name;
        int width, height;
        SkinRendering rendering;
        int cachedWidth, cachedHeight;
    };
    using R = SkinRendering;
    const Row rows[] = {
        {0, "LOGO", 128, 128, R::None, 0, 0},
        {1, "MENUSELECT", 248, 38, R::Level1Fixed, 248, 38},
        {2, "MENUMOUSEDOWN", 248, 38, R::Level1Fixed, 248, 38},
        {3, "MENUUPUNSELECT", 248, 25, R::Level1Fixed, 248, 25},
        {4, "MENUUPSELECT", 248, 25, R::Level1Fixed, 248, 25},
        {5, "MENUDOWNUNSELECT", 248, 25, R::Level1Fixed, 248, 25},
        {6, "MENUDOWNSELECT", 248, 25, R::Level1Fixed, 248, 25},
        {7, "MENUSPACE", 248, 5, R::Level1Fixed, 248, 5},
        {8, "MENUBODY", 268, 656, R::Level0, 0, 0},
        {9, "MENUTOP", 268, 12, R::Level1Fixed, 268, 12},
        {10, "MENUBOTTOM", 268, 12, R::Level1Fixed, 268, 12},
        {12, "BORDER", 152, 152, R::Level0, 0, 0},
        {16, "NODROP", 64, 64, R::Level1Fixed, 48, 48},
        {17, "ADDICON", 110, 110, R::Level1Fixed, 48, 48},
        {18, "REPLACEICON", 64, 64, R::Level1Fixed, 48, 48},
        {19, "DELICON", 640, 128, R::Level0, 0, 0},
        {20, "BACKSELECTCOLOR", 128, 128, R::AllSizeLevels, 0, 0},
    };
    const auto elements = SkinElements();
    ASSERT_EQ(elements.size(), std::size(rows));
    for (std::size_t k = 0; k < elements.size(); ++k) {
        const Row& r = rows[k];
        const SkinElement& e = elements[k];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(e.number, r.number); // also the load order
        EXPECT_STREQ(e.name, r.name);
        EXPECT_EQ(e.width, r.width);
        EXPECT_EQ(e.height, r.height);
        EXPECT_EQ(e.rendering, r.rendering);
        EXPECT_EQ(e.cachedWidth, r.cachedWidth);
        EXPECT_EQ(e.cachedHeight, r.cachedHeight);
    }
}

TEST(Skin, AlphaRampRoundsHalvesToEven) {
    const int expected[kAlphaRampSteps + 1] = {0,   8,   16,  24,  32,  40,  48,  56,  64,  72,  80,
                                               88,  96,  104, 112, 120, 128, 135, 143, 151, 159, 167,
                                               175, 183, 191, 199, 207, 215, 223, 231, 239, 247, 255};
    for (int k = 0; k <= kAlphaRampSteps; ++k)
        EXPECT_EQ(AlphaRamp[k], expected[k]) << k;
}

TEST(Skin, FadeFactorsStepDownByATenth) {
    const float expected[kFadeLevels] = {0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f, 0.0f};
    for (int k = 0; k < kFadeLevels; ++k)
        EXPECT_FLOAT_EQ(FadeAlpha(k), expected[k]) << k;
    EXPECT_FLOAT_EQ(FadeAlpha(kNoFade), 1.0f);
}

} // namespace
} // namespace qor
