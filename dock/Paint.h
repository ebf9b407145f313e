// The dock's paint procedures. They decide what FrmMain shows and draw it through ICanvas: the
// resting ring (DockNormal), the ring with the hovered position highlighted (DockAction), the
// live preview of the rest-size slider (DockSizeChange), the centre cross-fade (EffectAction),
// the delete animation (DockDelEffect) and the minimized and hidden pictures.
//
// All of them read AppState (Slots, the slot arrays of DockRuntime, the run-time sizes) and
// change nothing but the canvas, except where noted (CentreImage, DockState, cleaned titles).
// They run on every pointer move, so the paint path does no scaling of its own and no work
// beyond the canvas calls.
#pragma once

#include <functional>
#include <string_view>

#include "dock/Canvas.h"

namespace qor {

struct AppState;

// Lets pending window messages run once, between the frames of a blocking animation; may be empty.
using PumpMessages = std::function<void()>;

constexpr uint32_t kClearArgb = 0x00FFFFFFu; // fully transparent white (ClearBrush)
constexpr int kEffectFrames = 8;             // centre cross-fade frames before the final one
constexpr uint32_t kFrameWaitMs = 25;        // wait after each animation frame

// Shortcut letter of a position: "0".."9" for 1..10, "A".."Z" for 11..36, "~" for the centre;
// '\0' for anything else.
char SlotLetter(int position);
// Letters are drawn only in keyboard mode and while "Do not display shortcut letters" is off.
bool LettersShown(const AppState& app);
// The position drawn lit: the one under the pointer, else in keyboard mode the keyboard
// selection; -1 none.
int LitSlot(const AppState& app);

// Refreshes SlotImage, SlotKind and SlotCaption of positions 0..36 from the item that stands for
// each position (Groups(i).Members(0)); the titles are cleaned and written back.
void IniIconParam(AppState& app);

// Trimmed text, outlined, in a box ScreenWidth wide with its left edge at x and top at y; text
// that is empty after trimming draws nothing.
void DrawText(const AppState& app, ICanvas& canvas, std::string_view text, int x, int y);
// First step of every full paint: the whole canvas to BackColor in keyboard mode (the dimmed
// backdrop), otherwise fully transparent.
void ClearCanvas(const AppState& app, ICanvas& canvas);
// The whole canvas fully transparent.
void RestoreGDIPlus(ICanvas& canvas);

// The resting ring; presents unless noUpdate. Nothing while minimized or hidden.
void DockNormal(AppState& app, ICanvas& canvas, bool noUpdate);
// The ring with the lit position (LitSlot) enlarged (pressed look when isMouseDown); always
// presents. Nothing while minimized or hidden. A position outside 0..IconCount paints the resting
// ring.
void DockAction(AppState& app, ICanvas& canvas, bool isMouseDown);
// DockNormal when the lit position is below 1, else DockAction without the pressed look (the
// repaint after a state or item change).
void DockRepaint(AppState& app, ICanvas& canvas);
// Live preview while the rest-size slider moves: sets DockState to expanded, draws every ring
// image scaled from level 0 to the new IconSize without its backdrop, and the centre exactly as
// at rest (the centre's size does not depend on the slider, so the preview keeps it still).
void DockSizeChange(AppState& app, ICanvas& canvas);
// Cross-fades the centre to the image of position effectIndex (negative: the centre's own) in
// eight frames and a final one, 25 ms apart, then sets CentreImage. Nothing when that image is
// already shown or the dock is minimized or hidden; only the centre square is repainted.
void EffectAction(AppState& app, ICanvas& canvas, int effectIndex);
// Five frames of the "DELICON" strip centred on (x, y) over the resting ring, then lets pending
// messages run once.
void DockDelEffect(AppState& app, ICanvas& canvas, int x, int y, const PumpMessages& pump);
// While a ring item is dragged: the ring without it and its image at rest size centred on the
// pointer, presented.
void DockDragPaint(AppState& app, ICanvas& canvas, double x, double y);

// The minimized picture: centre image and "BORDER" at the minimized position, presented opaque.
void PaintMinimizedPicture(AppState& app, ICanvas& canvas);
// The hidden picture (DockState already 2): with FadeOnHide the last picture fades out over 32
// frames (window alpha 247 down to 0, 25 ms apart), otherwise the window is cleared and made
// fully transparent at once.
void PaintHiddenPicture(AppState& app, ICanvas& canvas);

// After a settings change: size levels and Slots recomputed, then by mode 0 DockNormal,
// 1 DockSizeChange, 2 rebuildSizeLevel(2) without a repaint.
void RecomputeSlots(AppState& app, ICanvas& canvas, int mode,
                    const std::function<void(int)>& rebuildSizeLevel);

// Times one paint for the trace ("paint <name> [<detail>] <ms> ms", the detail left out when
// -2); costs one virtual call when the trace is off.
class PaintTrace {
public:
    PaintTrace(const AppState& app, const char* name, int detail = -2);
    ~PaintTrace();
    PaintTrace(const PaintTrace&) = delete;
    PaintTrace& operator=(const PaintTrace&) = delete;

private:
    const AppState& m_app;
    const char* m_name;
    int m_detail;
    bool m_on;
    double m_start = 0;
};

} // namespace qor
