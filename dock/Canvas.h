// The drawing surface the paint procedures talk to. The program's implementation draws with
// GDI+ into the dock's off-screen bitmap; tests record the calls.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

enum class Composite { SourceOver, SourceCopy };

// An image the canvas can draw: an entry of ImageCache (by image index) or of SkinCache
// (by skin element number).
struct ImageRef {
    enum class Cache { Item, Skin } cache = Cache::Item;
    int index = 0;
    bool operator==(const ImageRef&) const = default;
};
inline ImageRef ItemImage(int index) {
    return {ImageRef::Cache::Item, index};
}
inline ImageRef SkinImage(int element) {
    return {ImageRef::Cache::Skin, element};
}

constexpr int kNoFade = -1; // DrawScaled without image attributes

class ICanvas {
public:
    virtual ~ICanvas() = default;
    // The whole canvas set to one ARGB value (source copy).
    virtual void Clear(uint32_t argb) = 0;
    virtual void FillRect(int x, int y, int width, int height, uint32_t argb, Composite mode) = 0;
    // A cached rendering (levels 1..4) drawn unscaled with its top-left at (x, y).
    virtual void DrawCached(ImageRef image, int level, int x, int y) = 0;
    // The level-0 image scaled into the rectangle; fade 0..9 selects FadeAttributes(fade).
    virtual void DrawScaled(ImageRef image, int x, int y, int width, int height, int fade) = 0;
    // Part of the level-0 image (floating-point rectangles, unit pixel).
    virtual void DrawSource(ImageRef image, float sx, float sy, float sw, float sh, float dx, float dy,
                            float dw, float dh) = 0;
    // White text with a dark outline in a box `boxWidth` wide and 128 high with its left edge at x,
    // centred horizontally, top-aligned.
    virtual void DrawOutlinedText(const std::string& text, int x, int y, int boxWidth) = 0;
    // The pop-up panel's text: plain 12-pixel Arial in the box (x, y, boxWidth, boxHeight),
    // left-aligned and centred vertically, dark or grey (an inactive button); ClearType
    // grid-fitted glyphs when `clearType`, else anti-aliased ones.
    virtual void DrawPanelText(const std::string& text, int x, int y, int boxWidth, int boxHeight, bool grey,
                               bool clearType) = 0;
    // Keeps a copy of the pixels of a rectangle in slot 0..3 with a tag naming what they show;
    // a later Keep in the same slot replaces it, an empty rectangle forgets it.
    virtual void Keep(int slot, int x, int y, int width, int height, uint64_t tag) = 0;
    // Puts back the part (x, y, width, height) of the copy in `slot` when it was kept with `tag`
    // and covers that part. False (and nothing drawn) otherwise.
    virtual bool Restore(int slot, int x, int y, int width, int height, uint64_t tag) = 0;
    // Hands the canvas to the window with a constant alpha (255 = UpdateGDIPlus).
    virtual void Present(uint8_t alpha) = 0;
};

} // namespace qor
