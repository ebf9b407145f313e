#include "dock/Paint.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/AppState.h"
#include "dock/Skin.h"

namespace qor {

namespace {

constexpr int kCentreLetterRise = 182; // the centre letter sits this far above the caption
constexpr int kRingLetterRise = 12;

bool Expanded(const AppState& app) {
    return app.dock.State < dockstate::Minimized;
}

int RingCount(const AppState& app) {
    return std::clamp(app.run.IconCount, 0, kSlotBound);
}

int SlotImageOf(const AppState& app, int position) {
    return app.dock.SlotImage[position];
}

// A length at 96 DPI in pixels of the dock's screen.
int Px(const AppState& app, int length) {
    return app.screen.Scaled(length);
}

void Wait(AppState& app, uint32_t ms) {
    if (app.sys.clock)
        app.sys.clock->Sleep(ms);
}

// Cut at the first NUL, blanks trimmed (CleanString without the copy).
std::string_view CleanView(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The centre item's title, cleaned; the cleaned value is written back only when the field is not
// already in its cleaned form, so the common case copies nothing.
std::string_view CentreTitle(AppState& app) {
    if (!app.store.IsItem(kCentreItem))
        return {};
    auto& title = app.store.Items[kCentreItem].Title;
    const std::string_view raw = title.View();
    const bool hasNul = raw.find('\0') != std::string_view::npos;
    const bool leadingBlank = !raw.empty() && raw.front() == ' ' && raw.find_first_not_of(' ') != raw.npos;
    if (hasNul || leadingBlank)
        title.Clean();
    return CleanView(title.View());
}

void DrawLetterAt(const AppState& app, ICanvas& canvas, int position, int x, int y) {
    const char letter[2] = {SlotLetter(position), '\0'};
    DrawText(app, canvas, std::string_view(letter, 1), x, y);
}

// The letter of ring position i at its place outside the ring.
void DrawRingLetter(const AppState& app, ICanvas& canvas, int i) {
    const DockSlot& s = app.geo.Slots[i];
    DrawLetterAt(app, canvas, i, s.LabelX, app.screen.CentreY + s.LabelY - Px(app, kRingLetterRise));
}

int CentreTextX(const AppState& app) {
    return RoundHalfEven(app.geo.Slots[0].LabelX - app.screen.ScreenWidth / 2.0);
}

// The caption under the centre and, when letters are shown, the letter above it.
void DrawCentreTexts(AppState& app, ICanvas& canvas, std::string_view caption, int letterPosition,
                     bool letters) {
    const int x = CentreTextX(app);
    const int y = app.geo.Slots[0].LabelY;
    DrawText(app, canvas, caption, x, y);
    if (letters)
        DrawLetterAt(app, canvas, letterPosition, x, y - Px(app, kCentreLetterRise));
}

// The ring at rest: backdrop and image of every position but `skip` and the dragged one.
void DrawRestingRing(const AppState& app, ICanvas& canvas, int skip, bool letters) {
    const int count = RingCount(app);
    const int dragged = app.dock.Dragging ? app.dock.DragSlot : -1;
    for (int i = 1; i <= count; ++i) {
        if (i == skip || i == dragged)
            continue;
        const DockSlot& s = app.geo.Slots[i];
        canvas.DrawCached(SkinImage(skin::BackSelectColor), 1, s.IconLeft, s.IconTop);
        canvas.DrawCached(ItemImage(SlotImageOf(app, i)), 1, s.IconLeft, s.IconTop);
        if (letters)
            DrawRingLetter(app, canvas, i);
    }
}

// The centre showing `image`: the picture at MaxIconSize, or for image 0 (and none) the centre's
// own picture framed by "BORDER".
void DrawCentre(const AppState& app, ICanvas& canvas, int image, int fade) {
    const DockSlot& c = app.geo.Slots[0];
    const int side = Px(app, app.run.MaxIconSize);
    if (image > 0) {
        canvas.DrawScaled(ItemImage(image), c.IconLeft, c.IconTop, side, side, fade);
        return;
    }
    const int back = Px(app, app.run.CentreBackSize);
    canvas.DrawScaled(ItemImage(kCentreItem), c.IconLeft, c.IconTop, side, side, fade);
    canvas.DrawScaled(SkinImage(skin::Border), c.HoverLeft, c.HoverTop, back, back, fade);
}

void ClearCentreSquare(const AppState& app, ICanvas& canvas) {
    const DockSlot& c = app.geo.Slots[0];
    const int back = Px(app, app.run.CentreBackSize);
    const uint32_t argb = app.dock.KeyboardMode ? app.run.BackColorArgb : kClearArgb;
    canvas.FillRect(c.HoverLeft, c.HoverTop, back, back, argb, Composite::SourceCopy);
}

// The resting picture without the present (DockNormal's steps).
void PaintResting(AppState& app, ICanvas& canvas) {
    const bool letters = LettersShown(app);
    ClearCanvas(app, canvas);
    DrawRestingRing(app, canvas, -1, letters);
    DrawCentreTexts(app, canvas, CentreTitle(app), kCentreItem, letters);
    DrawCentre(app, canvas, app.dock.CentreImage, kNoFade);
}

} // namespace

PaintTrace::PaintTrace(const AppState& app, const char* name, int detail)
    : m_app(app), m_name(name), m_detail(detail),
      m_on(app.sys.trace && app.sys.clock && app.sys.trace->Enabled()) {
    if (m_on)
        m_start = app.sys.clock->NowMs();
}

PaintTrace::~PaintTrace() {
    if (!m_on)
        return;
    const double ms = m_app.sys.clock->NowMs() - m_start;
    char line[96];
    if (m_detail == -2)
        std::snprintf(line, sizeof line, "paint %s %.3f ms", m_name, ms);
    else
        std::snprintf(line, sizeof line, "paint %s %d %.3f ms", m_name, m_detail, ms);
    m_app.sys.trace->Line(line);
}

char SlotLetter(int position) {
    if (position == 0)
        return '~';
    if (position >= 1 && position <= 10)
        return static_cast<char>(position + 47);
    if (position >= 11 && position <= kSlotBound)
        return static_cast<char>(position + 54);
    return '\0';
}

bool LettersShown(const AppState& app) {
    return app.dock.KeyboardMode && app.cfg.DisplayLetter == 0;
}

int LitSlot(const AppState& app) {
    const DockRuntime& d = app.dock;
    if (d.HoverSlot >= 0)
        return d.HoverSlot;
    return d.KeyboardMode ? d.SelectedSlot : -1;
}

void IniIconParam(AppState& app) {
    for (int i = 0; i <= kSlotBound; ++i) {
        if (!app.store.IsGroup(i) || app.store.Groups[i].Members.empty())
            continue;
        const int m = app.store.Groups[i].Members[0];
        if (!app.store.IsItem(m))
            continue;
        DockItem& item = app.store.Items[m];
        app.dock.SlotImage[i] = item.IconRef;
        app.dock.SlotKind[i] = item.Kind;
        app.dock.SlotCaption[i] = item.Title.Clean();
    }
}

void DrawText(const AppState& app, ICanvas& canvas, std::string_view text, int x, int y) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return; // nothing visible to draw
    const std::size_t last = text.find_last_not_of(' ');
    const std::string trimmed(text.substr(first, last - first + 1));
    canvas.DrawOutlinedText(trimmed, x, y, app.screen.ScreenWidth);
}

void ClearCanvas(const AppState& app, ICanvas& canvas) {
    if (app.dock.KeyboardMode)
        canvas.Clear(app.run.BackColorArgb);
    else
        RestoreGDIPlus(canvas);
}

void RestoreGDIPlus(ICanvas& canvas) {
    canvas.Clear(kClearArgb);
}

void DockNormal(AppState& app, ICanvas& canvas, bool noUpdate) {
    if (!Expanded(app))
        return;
    PaintTrace trace(app, "DockNormal");
    PaintResting(app, canvas);
    if (!noUpdate)
        canvas.Present(255);
}

void DockAction(AppState& app, ICanvas& canvas, bool isMouseDown) {
    if (!Expanded(app))
        return;
    const int count = RingCount(app);
    int h = LitSlot(app);
    if (h > count)
        h = -1; // a keyboard selection beyond the ring has no place on screen
    PaintTrace trace(app, "DockAction", h);
    const bool letters = LettersShown(app);

    ClearCanvas(app, canvas);
    DrawRestingRing(app, canvas, h, letters);

    if (h >= 0) {
        const DockSlot& s = app.geo.Slots[h];
        const int image = SlotImageOf(app, h);
        canvas.DrawCached(SkinImage(skin::BackSelectColor), 2, s.HoverLeft, s.HoverTop);
        if (isMouseDown) {
            canvas.DrawCached(ItemImage(image), 1, s.IconLeft, s.IconTop);
        } else if (image > 0) {
            const int side = Px(app, app.run.MagnifiedSize);
            canvas.DrawScaled(ItemImage(image), s.HoverLeft, s.HoverTop, side, side, kNoFade);
        }
        if (letters && h > 0)
            DrawRingLetter(app, canvas, h);
    }

    if (h > 0)
        DrawCentreTexts(app, canvas, app.dock.SlotCaption[h], h, letters);
    else
        DrawCentreTexts(app, canvas, CentreTitle(app), kCentreItem, letters);

    DrawCentre(app, canvas, app.dock.CentreImage, kNoFade);
    canvas.Present(255);
}

void DockRepaint(AppState& app, ICanvas& canvas) {
    if (LitSlot(app) < 1)
        DockNormal(app, canvas, false);
    else
        DockAction(app, canvas, false);
}

void DockSizeChange(AppState& app, ICanvas& canvas) {
    app.dock.State = dockstate::Expanded;
    PaintTrace trace(app, "DockSizeChange");
    const bool letters = LettersShown(app);
    const int count = RingCount(app);
    const int dragged = app.dock.Dragging ? app.dock.DragSlot : -1;
    const int side = Px(app, app.run.IconSize);

    ClearCanvas(app, canvas);
    for (int i = 1; i <= count; ++i) {
        if (i == dragged)
            continue;
        const DockSlot& s = app.geo.Slots[i];
        canvas.DrawScaled(ItemImage(SlotImageOf(app, i)), s.IconLeft, s.IconTop, side, side, kNoFade);
        if (letters)
            DrawRingLetter(app, canvas, i);
    }
    DrawCentreTexts(app, canvas, CentreTitle(app), kCentreItem, letters);
    DrawCentre(app, canvas, app.dock.CentreImage, kNoFade);
    canvas.Present(255);
}

void EffectAction(AppState& app, ICanvas& canvas, int effectIndex) {
    const int index = effectIndex < 0 ? 0 : effectIndex;
    if (index > kSlotBound)
        return;
    const int target = SlotImageOf(app, index);
    if (target == app.dock.CentreImage || !Expanded(app))
        return;
    PaintTrace trace(app, "EffectAction", index);
    const int shown = app.dock.CentreImage;

    for (int j = 0; j < kEffectFrames; ++j) {
        ClearCentreSquare(app, canvas);
        DrawCentre(app, canvas, target, kFadeLevels - 1 - j); // new picture, alpha 0.1 * j
        DrawCentre(app, canvas, shown, j);                    // old picture, alpha 0.9 - 0.1 * j
        canvas.Present(255);
        Wait(app, kFrameWaitMs);
    }
    ClearCentreSquare(app, canvas);
    DrawCentre(app, canvas, target, kNoFade);
    canvas.Present(255);
    app.dock.CentreImage = target;
}

void DockDelEffect(AppState& app, ICanvas& canvas, int x, int y, const PumpMessages& pump) {
    {
        PaintTrace trace(app, "DockDelEffect");
        // The strip's frames are 128 pixels at 96 DPI in its own units; drawn at the screen's scale.
        constexpr float kFrame = static_cast<float>(kDelIconFrameSide);
        const float side = static_cast<float>(Px(app, kDelIconFrameSide));
        const float left = static_cast<float>(x) - side / 2;
        const float top = static_cast<float>(y) - side / 2;
        for (int f = 0; f < kDelIconFrames; ++f) {
            DockNormal(app, canvas, true);
            canvas.DrawSource(SkinImage(skin::DelIcon), static_cast<float>(f) * kFrame, 0, kFrame, kFrame,
                              left, top, side, side);
            canvas.Present(255);
            Wait(app, kFrameWaitMs);
        }
    }
    if (pump)
        pump();
}

void DockDragPaint(AppState& app, ICanvas& canvas, double x, double y) {
    PaintTrace trace(app, "DockDragPaint");
    DockNormal(app, canvas, true);
    const int slot = app.dock.DragSlot;
    if (slot >= 0 && slot <= kSlotBound) {
        const double half = Px(app, app.run.IconSize) / 2.0;
        canvas.DrawCached(ItemImage(SlotImageOf(app, slot)), 1, RoundHalfEven(x - half),
                          RoundHalfEven(y - half));
    }
    canvas.Present(255);
}

void PaintMinimizedPicture(AppState& app, ICanvas& canvas) {
    PaintTrace trace(app, "Minimized");
    const int side = Px(app, app.run.MaxIconSize);
    const int back = Px(app, app.run.CentreBackSize);
    RestoreGDIPlus(canvas);
    canvas.DrawScaled(ItemImage(kCentreItem), app.geo.MiniIconLeft, app.geo.MiniIconTop, side, side, kNoFade);
    canvas.DrawScaled(SkinImage(skin::Border), app.geo.MiniBackLeft, app.geo.MiniBackTop, back, back,
                      kNoFade);
    canvas.Present(255);
}

void PaintHiddenPicture(AppState& app, ICanvas& canvas) {
    PaintTrace trace(app, "Hidden", app.dock.FadeOnHide ? 1 : 0);
    if (!app.dock.FadeOnHide) {
        RestoreGDIPlus(canvas);
        canvas.Present(0);
        return;
    }
    for (int i = 1; i <= kAlphaRampSteps; ++i) {
        DockNormal(app, canvas, true); // paints nothing once the state is hidden
        canvas.Present(AlphaRamp[kAlphaRampSteps - i]);
        Wait(app, kFrameWaitMs);
    }
}

void RecomputeSlots(AppState& app, ICanvas& canvas, int mode,
                    const std::function<void(int)>& rebuildSizeLevel) {
    ReapplyGeometry(app);
    switch (mode) {
    case 0:
        DockNormal(app, canvas, false);
        break;
    case 1:
        DockSizeChange(app, canvas);
        break;
    case 2:
        if (rebuildSizeLevel)
            rebuildSizeLevel(2);
        break;
    default:
        break;
    }
}

} // namespace qor
