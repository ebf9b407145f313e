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

// Slots of the canvas's kept pictures: the panel at rest, and its frame alone (body, top,
// bottom and separators: what lies under every row and button).
constexpr int kRestSlot = 0;
constexpr int kFrameSlot = 1;

// Names the panel's picture at rest: everything it is drawn from. A kept picture with another
// tag shows another panel.
uint64_t PictureTag(const AppState& app, const PopupPanel& panel, const Layout& layout) {
    uint64_t h = 1469598103934665603ull; // FNV-1a
    const auto mix = [&h](uint64_t v) {
        for (int i = 0; i < 8; ++i, v >>= 8) {
            h ^= v & 0xFF;
            h *= 1099511628211ull;
        }
    };
    for (int v :
         {panel.MenuLeft, panel.MenuTop, panel.EntryCount, panel.TopIndex, layout.rows,
          panel.CanScrollUp ? 1 : 0, panel.CanScrollDown ? 1 : 0, static_cast<int>(app.cfg.ClearType)})
        mix(static_cast<uint64_t>(static_cast<uint32_t>(v)));
    for (int k = 1; k <= layout.rows; ++k) {
        const int e = panel.TopIndex + k;
        if (e < 1 || e >= static_cast<int>(panel.EntryItem.size()))
            continue;
        mix(static_cast<uint64_t>(static_cast<uint32_t>(panel.EntryImage[e])));
        for (const char c : panel.EntryCaption[e])
            mix(static_cast<unsigned char>(c));
    }
    return h;
}

Rect PanelBox(const PopupPanel& panel, const Layout& layout) {
    const int height = layout.bodyHeight + (layout.scroll ? kScrollExtra : 0) + 2 * kFrame;
    return Rect{panel.MenuLeft, panel.MenuTop, panel.MenuLeft + kPanelWidth, panel.MenuTop + height};
}

// A button: its picture (lit or plain) and its label, dark while it can scroll.
void DrawButton(const AppState& app, ICanvas& canvas, int left, int top, int picture, const char* label,
                bool active) {
    canvas.DrawCached(SkinImage(picture), 1, left + kFrame, top);
    DrawPopupText(app, canvas, label, left + kButtonLabelLeft, top, kButtonLabelWidth, kButtonHeight,
                  !active);
}

// The panel at rest, keeping its frame and the whole picture for the highlight to start from.
void DrawPanel(const AppState& app, const PopupPanel& panel, ICanvas& canvas, const Layout& layout) {
    const int l = panel.MenuLeft;
    const int t = panel.MenuTop;
    const int h = layout.bodyHeight;
    const int extra = layout.scroll ? kScrollExtra : 0;
    const Rect box = PanelBox(panel, layout);
    const uint64_t tag = PictureTag(app, panel, layout);
    RestoreGDIPlus(canvas);
    canvas.DrawScaled(SkinImage(skin::MenuBody), l, t + kFrame, kPanelWidth, h + extra, kNoFade);
    canvas.DrawCached(SkinImage(skin::MenuTop), 1, l, t);
    canvas.DrawCached(SkinImage(skin::MenuBottom), 1, l, t + kFrame - kBottomRise + extra + h);
    if (layout.scroll) {
        canvas.DrawCached(SkinImage(skin::MenuSpace), 1, l + kFrame, t + kSpaceTop);
        canvas.DrawCached(SkinImage(skin::MenuSpace), 1, l + kFrame, t + kScrollRowTop + h);
    }
    canvas.Keep(kFrameSlot, box.left, box.top, box.Width(), box.Height(), tag);
    if (layout.scroll) {
        DrawButton(app, canvas, l, t + kFrame, skin::MenuUpUnselect, "PgUp", panel.CanScrollUp);
        DrawButton(app, canvas, l, t + kScrollTextTop + h, skin::MenuDownUnselect, "PgDn",
                   panel.CanScrollDown);
    }
    for (int k = 1; k <= layout.rows; ++k)
        DrawRow(app, panel, canvas, layout, k);
    canvas.Keep(kRestSlot, box.left, box.top, box.Width(), box.Height(), tag);
}

} // namespace

void MenuNormal(const AppState& app, const PopupPanel& panel, ICanvas& canvas) {
    PopupPaintTrace trace(app, "MenuNormal");
    DrawPanel(app, panel, canvas, LayoutOf(app, panel));
}

// The lit row or button is drawn over the panel at rest after its place was given back the frame
// alone, so the picture is that of the panel drawn without it and then lit. The panel at rest is
// painted anew only when what it shows has changed: a hover costs one row, not the panel.
void MenuAction(const AppState& app, const PopupPanel& panel, ICanvas& canvas, bool isMouseDown) {
    const Layout layout = LayoutOf(app, panel);
    const int r = app.dock.PopupHoverRow;
    PopupPaintTrace trace(app, "MenuAction", r);
    const Rect box = PanelBox(panel, layout);
    const uint64_t tag = PictureTag(app, panel, layout);
    if (!canvas.Restore(kRestSlot, box.left, box.top, box.Width(), box.Height(), tag))
        DrawPanel(app, panel, canvas, layout);
    const int l = panel.MenuLeft;
    const int t = panel.MenuTop;
    // Kept with the panel at rest under the same tag: a canvas that keeps nothing draws the
    // light over the row at rest instead.
    const auto clearToFrame = [&](int top, int height) {
        canvas.Restore(kFrameSlot, l + kFrame, top, kPanelWidth - 2 * kFrame, height, tag);
    };
    if (r >= 1 && r <= layout.rows) {
        const int top = layout.firstRowY + kRowHeight * (r - 1);
        clearToFrame(top, kRowHeight);
        canvas.DrawCached(SkinImage(isMouseDown ? skin::MenuMouseDown : skin::MenuSelect), 1, l + kFrame,
                          top);
        DrawRow(app, panel, canvas, layout, r);
    } else if (layout.scroll && r == 0 && panel.CanScrollUp) {
        clearToFrame(t + kFrame, kButtonHeight);
        DrawButton(app, canvas, l, t + kFrame, skin::MenuUpSelect, "PgUp", true);
    } else if (layout.scroll && r == layout.rows + 1 && panel.CanScrollDown) {
        const int top = t + kScrollTextTop + layout.bodyHeight;
        clearToFrame(top, kButtonHeight);
        DrawButton(app, canvas, l, top, skin::MenuDownSelect, "PgDn", true);
    }
    canvas.Present(255);
}

void ForgetPanelPictures(ICanvas& canvas) {
    canvas.Keep(kRestSlot, 0, 0, 0, 0, 0);
    canvas.Keep(kFrameSlot, 0, 0, 0, 0, 0);
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
