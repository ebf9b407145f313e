#include "popup/PopupPaint.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/AppState.h"
#include "dock/Paint.h"
#include "dock/Skin.h"

namespace qor {

namespace {

constexpr int kPopupIconLevel = 4; // the 32-pixel renderings (at 96 DPI)

struct Layout {
    PanelMetrics m; // the panel's lengths on the dock's screen
    int rows;       // rows on screen
    int bodyHeight; // 38 per row
    int firstTextY; // the text line of row 1
    int firstRowY;  // the top of row 1's rectangle
    bool scroll;
};

Layout LayoutOf(const AppState& app, const PopupPanel& panel) {
    const PanelMetrics m = PanelMetricsAt(app.screen.Dpi);
    const int r = app.geo.PopupRows;
    const bool scroll = panel.ScrollLayout(r);
    const int rows = std::min(scroll ? r : panel.EntryCount, kMaxPopupRows);
    const int t = panel.MenuTop;
    const int rowTop = t + (scroll ? m.scrollRowsTop : m.frame);
    return Layout{m, rows, m.rowHeight * rows, rowTop + m.textInset, rowTop, scroll};
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
    const PanelMetrics& m = layout.m;
    const int l = panel.MenuLeft;
    const int y = layout.firstTextY + m.rowHeight * (k - 1);
    canvas.DrawCached(ItemImage(panel.EntryImage[e]), kPopupIconLevel, l + m.iconLeft, y - m.iconRise);
    DrawPopupText(app, canvas, panel.EntryCaption[e], l + m.captionLeft, y, m.captionWidth, m.textHeight,
                  false);
    const char letter = EntryLetter(e);
    if (letter != '\0')
        DrawPopupText(app, canvas, std::string(1, letter), l + m.letterLeft, y, m.letterWidth, m.textHeight,
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
    const PanelMetrics& m = layout.m;
    const int height = layout.bodyHeight + (layout.scroll ? m.scrollExtra : 0) + 2 * m.frame;
    return Rect{panel.MenuLeft, panel.MenuTop, panel.MenuLeft + m.width, panel.MenuTop + height};
}

// A button: its picture (lit or plain) and its label, dark while it can scroll.
void DrawButton(const AppState& app, ICanvas& canvas, const PanelMetrics& m, int left, int top, int picture,
                const char* label, bool active) {
    canvas.DrawCached(SkinImage(picture), 1, left + m.frame, top);
    DrawPopupText(app, canvas, label, left + m.buttonLabelLeft, top, m.buttonLabelWidth, m.buttonHeight,
                  !active);
}

// The panel at rest, keeping its frame and the whole picture for the highlight to start from.
void DrawPanel(const AppState& app, const PopupPanel& panel, ICanvas& canvas, const Layout& layout) {
    const PanelMetrics& m = layout.m;
    const int l = panel.MenuLeft;
    const int t = panel.MenuTop;
    const int h = layout.bodyHeight;
    const int extra = layout.scroll ? m.scrollExtra : 0;
    const Rect box = PanelBox(panel, layout);
    const uint64_t tag = PictureTag(app, panel, layout);
    RestoreGDIPlus(canvas);
    canvas.DrawScaled(SkinImage(skin::MenuBody), l, t + m.frame, m.width, h + extra, kNoFade);
    canvas.DrawCached(SkinImage(skin::MenuTop), 1, l, t);
    canvas.DrawCached(SkinImage(skin::MenuBottom), 1, l, t + m.frame - m.bottomRise + extra + h);
    if (layout.scroll) {
        canvas.DrawCached(SkinImage(skin::MenuSpace), 1, l + m.frame, t + m.spaceTop);
        canvas.DrawCached(SkinImage(skin::MenuSpace), 1, l + m.frame, t + m.scrollRowsTop + h);
    }
    canvas.Keep(kFrameSlot, box.left, box.top, box.Width(), box.Height(), tag);
    if (layout.scroll) {
        DrawButton(app, canvas, m, l, t + m.frame, skin::MenuUpUnselect, "PgUp", panel.CanScrollUp);
        DrawButton(app, canvas, m, l, t + m.pgDnGap + h, skin::MenuDownUnselect, "PgDn", panel.CanScrollDown);
    }
    for (int k = 1; k <= layout.rows; ++k)
        DrawRow(app, panel, canvas, layout, k);
    canvas.Keep(kRestSlot, box.left, box.top, box.Width(), box.Height(), tag);
}

} // namespace

void MenuNormal(const AppState& app, const PopupPanel& panel, ICanvas& canvas) {
    PaintTrace trace(app, "MenuNormal");
    DrawPanel(app, panel, canvas, LayoutOf(app, panel));
}

// The lit row or button is drawn over the panel at rest after its place was given back the frame
// alone, so the picture is that of the panel drawn without it and then lit. The panel at rest is
// painted anew only when what it shows has changed: a hover costs one row, not the panel.
void MenuAction(const AppState& app, const PopupPanel& panel, ICanvas& canvas, bool isMouseDown) {
    const Layout layout = LayoutOf(app, panel);
    const int r = app.dock.PopupHoverRow;
    PaintTrace trace(app, "MenuAction", r);
    const Rect box = PanelBox(panel, layout);
    const uint64_t tag = PictureTag(app, panel, layout);
    if (!canvas.Restore(kRestSlot, box.left, box.top, box.Width(), box.Height(), tag))
        DrawPanel(app, panel, canvas, layout);
    const PanelMetrics& m = layout.m;
    const int l = panel.MenuLeft;
    const int t = panel.MenuTop;
    // Kept with the panel at rest under the same tag: a canvas that keeps nothing draws the
    // light over the row at rest instead.
    const auto clearToFrame = [&](int top, int height) {
        canvas.Restore(kFrameSlot, l + m.frame, top, m.width - 2 * m.frame, height, tag);
    };
    if (r >= 1 && r <= layout.rows) {
        const int top = layout.firstRowY + m.rowHeight * (r - 1);
        clearToFrame(top, m.rowHeight);
        canvas.DrawCached(SkinImage(isMouseDown ? skin::MenuMouseDown : skin::MenuSelect), 1, l + m.frame,
                          top);
        DrawRow(app, panel, canvas, layout, r);
    } else if (layout.scroll && r == 0 && panel.CanScrollUp) {
        clearToFrame(t + m.frame, m.buttonHeight);
        DrawButton(app, canvas, m, l, t + m.frame, skin::MenuUpSelect, "PgUp", true);
    } else if (layout.scroll && r == layout.rows + 1 && panel.CanScrollDown) {
        const int top = t + m.pgDnGap + layout.bodyHeight;
        clearToFrame(top, m.buttonHeight);
        DrawButton(app, canvas, m, l, top, skin::MenuDownSelect, "PgDn", true);
    }
    canvas.Present(255);
}

void ForgetPanelPictures(ICanvas& canvas) {
    canvas.Keep(kRestSlot, 0, 0, 0, 0, 0);
    canvas.Keep(kFrameSlot, 0, 0, 0, 0, 0);
}

void MenuDragPaint(const AppState& app, const PopupPanel& panel, ICanvas& canvas, int item, double x,
                   double y) {
    PaintTrace trace(app, "MenuDragPaint");
    MenuNormal(app, panel, canvas);
    const double half = app.geo.SizeLevels[kPopupIconLevel] / 2.0;
    if (app.store.IsItem(item))
        canvas.DrawCached(ItemImage(app.store.Items[item].IconRef), kPopupIconLevel, RoundHalfEven(x - half),
                          RoundHalfEven(y - half));
    canvas.Present(255);
}

void MenuDelEffect(AppState& app, const PopupPanel& panel, ICanvas& canvas, int x, int y,
                   const PumpMessages& pump) {
    {
        PaintTrace trace(app, "MenuDelEffect");
        constexpr float kFrame = static_cast<float>(kDelIconFrameSide);
        const float side = static_cast<float>(app.screen.Scaled(kDelIconFrameSide));
        const float left = static_cast<float>(x) - side / 2;
        const float top = static_cast<float>(y) - side / 2;
        for (int f = 0; f < kDelIconFrames; ++f) {
            MenuNormal(app, panel, canvas);
            canvas.DrawSource(SkinImage(skin::DelIcon), static_cast<float>(f) * kFrame, 0, kFrame, kFrame,
                              left, top, side, side);
            canvas.Present(255);
            if (app.sys.clock)
                app.sys.clock->Sleep(kFrameWaitMs);
        }
    }
    if (pump)
        pump();
}

} // namespace qor
