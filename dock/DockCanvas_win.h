// The GDI+ canvas the paint procedures draw on: a 32-bit DIB section selected into a memory
// DC, a GDI+ graphics object drawing into its pixels, and the text objects of the ring's captions
// and letters and of the pop-up panel's rows. The dock and the group pop-up each own one.
// It knows nothing of the window: Present hands the frame to a presenter callback (the window's
// UpdateLayeredWindow), so the same canvas serves the dock, the benchmark and the tests.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dock/Canvas.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"

namespace qor {

class ImageCache;
class SkinCache;
struct ImageLevels;
struct CachedLevel;

// One frame handed to the window. `dirty` is the part that changed since the previous present;
// `partial` is false when the whole canvas must be copied (first frame, changed alpha, or change
// tracking off). A partial frame with an empty `dirty` changed nothing.
struct CanvasFrame {
    HDC dc = nullptr;
    SIZE size{};
    BYTE alpha = 255;
    RECT dirty{};
    bool partial = false;
};
using CanvasPresenter = std::function<void(const CanvasFrame&)>;

// Puts a frame on a layered window at its current place: UpdateLayeredWindowIndirect with source
// point (0, 0), source-over per-pixel alpha at the frame's constant alpha, and the dirty rectangle
// for a partial frame. False when the system refuses.
bool PresentLayered(HWND window, const CanvasFrame& frame);

class DockCanvas final : public ICanvas {
public:
    // A canvas of width x height whose memory DC is compatible with `referenceDc` (the window's
    // DC; null for the screen). Null when any system object cannot be made.
    static std::unique_ptr<DockCanvas> Create(HDC referenceDc, int width, int height);
    ~DockCanvas() override;
    DockCanvas(const DockCanvas&) = delete;
    DockCanvas& operator=(const DockCanvas&) = delete;

    // The caches DrawCached/DrawScaled/DrawSource read (not owned; either may be null, then the
    // images it would hold draw nothing). Fade attributes come from the skin cache. An item's
    // level 0 left for later is made when it is first drawn.
    void SetCaches(ImageCache* items, const SkinCache* skin);
    void SetPresenter(CanvasPresenter presenter) { m_presenter = std::move(presenter); }
    // With change tracking on (the default), Clear repaints only what was drawn since the last
    // clear of the same colour and Present reports only what changed; the picture is the same.
    void SetChangeTracking(bool on);

    gdip::GpGraphics* Graphics() const { return m_graphics.get(); }
    HDC MemoryDc() const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The stored (pre-multiplied) BGRA value of a pixel as UpdateLayeredWindow reads it; 0 outside.
    uint32_t Pixel(int x, int y) const;

    // ICanvas
    void Clear(uint32_t argb) override;
    void FillRect(int x, int y, int width, int height, uint32_t argb, Composite mode) override;
    void DrawCached(ImageRef image, int level, int x, int y) override;
    void DrawScaled(ImageRef image, int x, int y, int width, int height, int fade) override;
    void DrawSource(ImageRef image, float sx, float sy, float sw, float sh, float dx, float dy, float dw,
                    float dh) override;
    void DrawOutlinedText(const std::string& text, int x, int y, int boxWidth) override;
    void DrawPanelText(const std::string& text, int x, int y, int boxWidth, int boxHeight, bool grey,
                       bool clearType) override;
    void Keep(int slot, int x, int y, int width, int height, uint64_t tag) override;
    bool Restore(int slot, int x, int y, int width, int height, uint64_t tag) override;
    void Present(uint8_t alpha) override;

private:
    struct Surface; // the DC, DIB section and the selection of the DIB
    DockCanvas() = default;
    bool CreateGraphicFont(const wchar_t* face, float emSize);
    // The pop-up panel's text objects: a regular font of `emSize` pixels, left and centred
    // alignment, a dark and a grey brush.
    bool CreatePanelFont(const wchar_t* face, float emSize);
    // The entry of an image; with `level0`, an item's level 0 left for later is made first.
    const ImageLevels* Find(ImageRef image, bool level0) const;
    // A skin picture drawn scaled is kept at that size as a cached bitmap: the pop-up's body is
    // stretched to the same height at every repaint, which costs far more than drawing it.
    const CachedLevel* ScaledSkin(const ImageLevels& entry, int width, int height);
    // Records that the pixels of a rectangle (clipped to the canvas) changed.
    void Touch(RECT r);

    // Declared in the order of their dependence, so destruction runs graphics, view, surface.
    std::unique_ptr<Surface> m_surface;
    int m_width = 0;
    int m_height = 0;
    gdip::Image m_view; // a bitmap over the DIB's pixels
    gdip::Graphics m_graphics;
    gdip::FontFamily m_family;
    gdip::Font m_font;
    gdip::StringFormat m_format;
    gdip::Brush m_textBrush;    // white
    gdip::Brush m_outlineBrush; // near-black outline
    gdip::Brush m_fillBrush;    // FillRect's colour, set per call
    gdip::FontFamily m_panelFamily;
    gdip::Font m_panelFont;
    gdip::StringFormat m_panelFormat;
    gdip::Brush m_panelTextBrush;  // near-black
    gdip::Brush m_panelGreyBrush;  // an inactive button's label
    gdip::ImageAttributes m_edges; // scaled drawing without transparent fringes

    struct ScaledSkinEntry;
    std::vector<std::unique_ptr<ScaledSkinEntry>> m_scaledSkin; // most recently used first
    struct KeptPixels {
        RECT rect{};
        uint64_t tag = 0;
        bool valid = false;
        std::vector<uint32_t> pixels;
    };
    std::array<KeptPixels, 4> m_kept;

    ImageCache* m_items = nullptr;
    const SkinCache* m_skin = nullptr;
    CanvasPresenter m_presenter;

    bool m_tracking = true;
    bool m_clearKnown = false; // everything outside m_painted holds m_clearColour
    uint32_t m_clearColour = 0;
    RECT m_painted{}; // drawn since the last clear
    RECT m_dirty{};   // changed since the last present
    bool m_presented = false;
    BYTE m_lastAlpha = 255;
};

} // namespace qor
