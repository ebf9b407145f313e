#include "popup/PopupPaint.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/AppState.h"
#include "dock/Skin.h"

namespace qor {

namespace {

constexpr int kPopupIconLevel = 4; // the 32-pixel renderings
constexpr int kPopupIconHalf = 16;
constexpr int kFrame = 10;
constexpr int kBottomRise = 2;        // "MENUBOTTOM" overlaps the body's last two lines
constexpr int kScrollExtra = 60;      // the two buttons and their separators
constexpr int kButtonLabelLeft = 210; // "PgUp" / "PgDn" beside the button's arrow
constexpr int kButtonLabelWidth = 48;
constexpr int kButtonHeight = 25;
constexpr int kSpaceTop = 35;      // separator under "PgUp"
constexpr int kScrollRowTop = 40;  // row 1's rectangle in the scroll layout
constexpr int kScrollTextTop = 45; // row 1's text line in the scroll layout; also "PgDn" above the rows
constexpr int kTextInset = 5;      // a row's text line under its rectangle's top
constexpr int kIconLeft = 13;
constexpr int kCaptionLeft = 48;
constexpr int kCaptionWidth = 183;
constexpr int kLetterLeft = 237;
constexpr int kLetterWidth = 18;
constexpr int kTextHeight = 28;

// Times one paint for the trace; costs one virtual call when the trace is off.
class PopupPaintTrace {
public:
    PopupPaintTrace(const AppState& app, const char* name, int detail = -2)
        : m_app(app), m_name(name), m_detail(detail),
          m_on(app.sys.trace && app.sys.clock && app.sys.trace->Enabled()) {
        if (m_on)
            m_start = app.sys.clock->NowMs();
    }
    ~PopupPaintTrace() {
        if (!m_on)
            return;
        char line[96];
        const double ms = m_app.sys.clock->NowMs() - m_start;
        if (m_detail == -2)
            std::snprintf(line, sizeof line, "paint %s %.3f ms", m_name, ms);
        else
            std::snprintf(line, sizeof line, "paint %s %d %.3f ms", m_name, m_detail, ms);
        m_app.sys.trace->Line(line);
    }
    PopupPaintTrace(const PopupPaintTrace&) = delete;
    PopupPaintTrace& operator=(const PopupPaintTrace&) = delete;

private:
    const AppState& m_app;
    const char* m_name;
    int m_detail;
    bool m_on;
    double m_start = 0;
};

struct Layout {
    int rows;       // rows on screen
    int bodyHeight; // 38 per row
    int firstTextY; // the text line of row 1
    int firstRowY;  // the top of row 1's rectangle
    bool scroll;
};

Layout LayoutOf(const AppState& app, const PopupPanel& panel) {
    const int r = app.geo.PopupRows;
    const bool scroll = panel.ScrollLayout(r);
    const int rows = std::min(scroll ? r : panel.EntryCount, kMaxPopupRows);
    const int t = panel.MenuTop;
    const int rowTop = t + (scroll ? kScrollRowTop : kFrame);
    return Layout{rows, kRowHeight * rows, rowTop + kTextInset, rowTop, scroll};
}

void DrawPopupText(const AppState& app, ICanvas& canvas, const std::string& text, int x, int y, int width,
                   int height, bool grey) {
    canvas.DrawPanelText(text, x, y, width, height, grey, app.cfg.ClearType == 1);
}

// Icon, caption and letter of row k.
void DrawRow(const AppState& app, const PopupPanel& panel, ICanvas& canvas, const Layout& layout, int k) {
    const int e = panel.TopIndex + k;
    if (e < 1 || e >= static_cast<int>(panel.EntryItem.size()))
        return;
    const int l = panel.MenuLeft;
    const int y = layout.firstTextY + kRowHeight * (k - 1);
    canvas.DrawCached(ItemImage(panel.EntryImage[e]), kPopupIconLevel, l + kIconLeft, y - 2);
    DrawPopupText(app, canvas, panel.EntryCaption[e], l + kCaptionLeft, y, kCaptionWidth, kTextHeight, false);
    const char letter = EntryLetter(e);
    if (letter != '\0')
        DrawPopupText(app, canvas, std::string(1, letter), l + kLetterLeft, y, kLetterWidth, kTextHeight,
                      false);
}

// The whole panel; row `skip` (and the lit button) left for the highlight to draw.
void DrawPanel(const AppState& app, const PopupPanel& panel, ICanvas& canvas, const Layout& layout, int skip,
               bool upLit, bool downLit) {
    const int l = panel.MenuLeft;
    const int t = panel.MenuTop;
    const int h = layout.bodyHeight;
    const int extra = layout.scroll ? kScrollExtra : 0;
    RestoreGDIPlus(canvas);
    canvas.DrawScaled(SkinImage(skin::MenuBody), l, t + kFrame, kPanelWidth, h + extra, kNoFade);
    canvas.DrawCached(SkinImage(skin::MenuTop), 1, l, t);
    canvas.DrawCached(SkinImage(skin::MenuBottom), 1, l, t + kFrame - kBottomRise + extra + h);
    if (layout.scroll) {
        const int downTop = t + kScrollTextTop + h;
        canvas.DrawCached(SkinImage(upLit ? skin::MenuUpSelect : skin::MenuUpUnselect), 1, l + kFrame,
                          t + kFrame);
        DrawPopupText(app, canvas, "PgUp", l + kButtonLabelLeft, t + kFrame, kButtonLabelWidth, kButtonHeight,
                      !panel.CanScrollUp);
        canvas.DrawCached(SkinImage(skin::MenuSpace), 1, l + kFrame, t + kSpaceTop);
        canvas.DrawCached(SkinImage(skin::MenuSpace), 1, l + kFrame, t + kScrollRowTop + h);
        canvas.DrawCached(SkinImage(downLit ? skin::MenuDownSelect : skin::MenuDownUnselect), 1, l + kFrame,
                          downTop);
        DrawPopupText(app, canvas, "PgDn", l + kButtonLabelLeft, downTop, kButtonLabelWidth, kButtonHeight,
                      !panel.CanScrollDown);
    }
    for (int k = 1; k <= layout.rows; ++k)
        if (k != skip)
            DrawRow(app, panel, canvas, layout, k);
}

} // namespace

void MenuNormal(const AppState& app, const PopupPanel& panel, ICanvas& canvas) {
    PopupPaintTrace trace(app, "MenuNormal");
    DrawPanel(app, panel, canvas, LayoutOf(app, panel), -1, false, false);
}

void MenuAction(const AppState& app, const PopupPanel& panel, ICanvas& canvas, bool isMouseDown) {
    const Layout layout = LayoutOf(app, panel);
    const int r = app.dock.PopupHoverRow;
    PopupPaintTrace trace(app, "MenuAction", r);
    const bool rowLit = r >= 1 && r <= layout.rows;
    const bool upLit = layout.scroll && r == 0 && panel.CanScrollUp;
    const bool downLit = layout.scroll && r == layout.rows + 1 && panel.CanScrollDown;
    DrawPanel(app, panel, canvas, layout, rowLit ? r : -1, upLit, downLit);
    if (rowLit) {
        const int backdrop = isMouseDown ? skin::MenuMouseDown : skin::MenuSelect;
        canvas.DrawCached(SkinImage(backdrop), 1, panel.MenuLeft + kFrame,
                          layout.firstRowY + kRowHeight * (r - 1));
        DrawRow(app, panel, canvas, layout, r);
    }
    canvas.Present(255);
}

void MenuDragPaint(const AppState& app, const PopupPanel& panel, ICanvas& canvas, int item, double x,
                   double y) {
    PopupPaintTrace trace(app, "MenuDragPaint");
    MenuNormal(app, panel, canvas);
    if (app.store.IsItem(item))
        canvas.DrawCached(ItemImage(app.store.Items[item].IconRef), kPopupIconLevel,
                          RoundHalfEven(x - kPopupIconHalf), RoundHalfEven(y - kPopupIconHalf));
    canvas.Present(255);
}

void MenuDelEffect(AppState& app, const PopupPanel& panel, ICanvas& canvas, int x, int y,
                   const PumpMessages& pump) {
    {
        PopupPaintTrace trace(app, "MenuDelEffect");
        constexpr float kSide = static_cast<float>(kDelIconFrameSide);
        const float left = static_cast<float>(x) - kSide / 2;
        const float top = static_cast<float>(y) - kSide / 2;
        for (int f = 0; f < kDelIconFrames; ++f) {
            MenuNormal(app, panel, canvas);
            canvas.DrawSource(SkinImage(skin::DelIcon), static_cast<float>(f) * kSide, 0, kSide, kSide, left,
                              top, kSide, kSide);
            canvas.Present(255);
            if (app.sys.clock)
                app.sys.clock->Sleep(kFrameWaitMs);
        }
    }
    if (pump)
        pump();
}

} // namespace qor
