#include "dock/DockCanvas_win.h"

#include <algorithm>
#include <cmath>

#include "core/Settings.h"
#include "core/Text.h"
#include "dock/ImageCache_win.h"

namespace qor {

using namespace gdip;

namespace {

constexpr int kTextBoxHeight = 128;
constexpr int kCaptionFontSize = 17;
constexpr int kPanelFontSize = 12;
constexpr ARGB kPanelTextArgb = 0xFF010203u;
constexpr ARGB kPanelGreyArgb = 0xFF808080u;
// Bicubic scaling and anti-aliased glyphs may touch a pixel or two beyond the rectangle asked for.
constexpr int kBleed = 2;

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Union(const RECT& a, const RECT& b) {
    if (IsEmpty(a))
        return b;
    if (IsEmpty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// The BGRA word of a pre-multiplied pixel: each colour channel times alpha / 255, rounded.
uint32_t Premultiply(uint32_t argb) {
    const uint32_t a = argb >> 24;
    const auto channel = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (channel((argb >> 16) & 0xFF) << 16) | (channel((argb >> 8) & 0xFF) << 8) |
           channel(argb & 0xFF);
}

RECT Box(int x, int y, int width, int height, int bleed) {
    return RECT{x - bleed, y - bleed, x + width + bleed, y + height + bleed};
}

} // namespace

// A skin picture at one drawn size; `source` tells a reloaded picture apart.
struct DockCanvas::ScaledSkinEntry {
    const void* source = nullptr;
    int width = 0;
    int height = 0;
    ImageLevels levels;
};

namespace {
constexpr std::size_t kScaledSkinKept = 4;
} // namespace

// Declared so that destruction restores the DC's own bitmap, then deletes the DIB, then the DC.
struct DockCanvas::Surface {
    win::MemoryDc dc;
    win::Bitmap dib;
    win::SelectedObject selected; // the DIB in the DC
    uint32_t* bits = nullptr;
};

bool PresentLayered(HWND window, const CanvasFrame& frame) {
    if (!window || !frame.dc)
        return false;
    if (frame.partial && IsEmpty(frame.dirty))
        return true; // nothing changed since the window last got the canvas
    POINT source{0, 0};
    SIZE size = frame.size;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, frame.alpha, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof info;
    info.psize = &size;
    info.hdcSrc = frame.dc;
    info.pptSrc = &source;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    RECT dirty = frame.dirty;
    if (frame.partial)
        info.prcDirty = &dirty;
    if (UpdateLayeredWindowIndirect(window, &info))
        return true;
    // Some systems refuse a dirty rectangle the window never had; the full copy always works.
    return UpdateLayeredWindow(window, nullptr, nullptr, &size, frame.dc, &source, 0, &blend, ULW_ALPHA) !=
           FALSE;
}

std::unique_ptr<DockCanvas> DockCanvas::Create(HDC referenceDc, int width, int height, int dpi) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return nullptr;
    std::unique_ptr<DockCanvas> canvas(new DockCanvas());
    canvas->m_width = width;
    canvas->m_height = height;
    canvas->m_dpi = dpi;
    canvas->m_textBoxHeight = static_cast<float>(ScaleToDpi(kTextBoxHeight, dpi));
    canvas->m_outline = static_cast<float>(ScaleToDpi(1, dpi));
    const auto captionSize = static_cast<float>(ScaleToDpi(kCaptionFontSize, dpi));
    const auto panelSize = static_cast<float>(ScaleToDpi(kPanelFontSize, dpi));
    canvas->m_surface = std::make_unique<Surface>();
    Surface& s = *canvas->m_surface;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // top-down: row 0 is the top, as GDI+ lays out a bitmap
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bi.bmiHeader.biSizeImage = static_cast<DWORD>(4 * width * height);
    s.dc.reset(CreateCompatibleDC(referenceDc));
    if (!s.dc)
        return nullptr;
    void* bits = nullptr;
    s.dib.reset(CreateDIBSection(s.dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!s.dib || !bits)
        return nullptr;
    s.bits = static_cast<uint32_t*>(bits);
    s.selected = win::SelectedObject(s.dc.get(), s.dib.get());

    // GDI+ draws straight into the DIB's memory through a pre-multiplied bitmap laid over it:
    // the format UpdateLayeredWindow reads, and no round trip through the DC for every call
    // (a graphics made on the DC itself is several times slower, under Wine above all).
    GpBitmap* view = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits),
                                  &view) != Ok)
        return nullptr;
    canvas->m_view.reset(view);
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(view, &graphics) != Ok)
        return nullptr;
    canvas->m_graphics.reset(graphics);
    GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
    GdipSetTextRenderingHint(graphics, TextRenderingHintAntiAlias);

    // Verdana is on every Windows; elsewhere (Wine without the core fonts) the nearest
    // sans-serif face stands in, so captions never silently disappear.
    bool fontMade = false;
    for (const wchar_t* face : {L"Verdana", L"Tahoma", L"DejaVu Sans", L"Liberation Sans", L"Arial"})
        if (!fontMade)
            fontMade = canvas->CreateGraphicFont(face, captionSize);
    if (!fontMade)
        canvas->CreateGraphicFont(nullptr, captionSize);
    // The panel's rows are written in Arial; where it is missing, the metric-compatible face first.
    bool panelFontMade = false;
    for (const wchar_t* face : {L"Arial", L"Liberation Sans", L"DejaVu Sans", L"Tahoma"})
        if (!panelFontMade)
            panelFontMade = canvas->CreatePanelFont(face, panelSize);

    GpSolidFill* fill = nullptr;
    if (GdipCreateSolidFill(0x00FFFFFFu, &fill) != Ok)
        return nullptr;
    canvas->m_fillBrush.reset(fill);
    GpImageAttributes* edges = nullptr;
    if (GdipCreateImageAttributes(&edges) == Ok) {
        canvas->m_edges.reset(edges);
        GdipSetImageAttributesWrapMode(edges, WrapModeTileFlipXY, 0, FALSE);
    }
    return canvas;
}

// The members go in the reverse order of their declaration: the graphics before the bitmap it
// draws on, and both before the DIB holding the pixels.
DockCanvas::~DockCanvas() = default;

bool DockCanvas::Resize(int width, int height, int dpi) {
    std::unique_ptr<DockCanvas> fresh = Create(nullptr, width, height, dpi);
    if (!fresh)
        return false;
    if (m_graphics)
        GdipFlush(m_graphics.get(), FlushIntentionSync);
    // Exchanged, not assigned: the old objects leave together with `fresh`, in the order of their
    // declaration, so no graphics object outlives the pixels it draws on.
    std::swap(m_surface, fresh->m_surface);
    std::swap(m_width, fresh->m_width);
    std::swap(m_height, fresh->m_height);
    std::swap(m_dpi, fresh->m_dpi);
    std::swap(m_textBoxHeight, fresh->m_textBoxHeight);
    std::swap(m_outline, fresh->m_outline);
    std::swap(m_view, fresh->m_view);
    std::swap(m_graphics, fresh->m_graphics);
    std::swap(m_family, fresh->m_family);
    std::swap(m_font, fresh->m_font);
    std::swap(m_format, fresh->m_format);
    std::swap(m_textBrush, fresh->m_textBrush);
    std::swap(m_outlineBrush, fresh->m_outlineBrush);
    std::swap(m_fillBrush, fresh->m_fillBrush);
    std::swap(m_panelFamily, fresh->m_panelFamily);
    std::swap(m_panelFont, fresh->m_panelFont);
    std::swap(m_panelFormat, fresh->m_panelFormat);
    std::swap(m_panelTextBrush, fresh->m_panelTextBrush);
    std::swap(m_panelGreyBrush, fresh->m_panelGreyBrush);
    std::swap(m_edges, fresh->m_edges);
    std::swap(m_scaledSkin, fresh->m_scaledSkin); // stretched for the old screen: made again
    std::swap(m_kept, fresh->m_kept);
    // Nothing of the old picture is known: the next clear and present cover the whole canvas.
    m_clearKnown = false;
    m_presented = false;
    m_painted = RECT{};
    m_dirty = RECT{};
    return true;
}

namespace {

// The text objects of one style: a font of `emSize` pixels in `family` and a string format with
// the given alignments. Nothing is handed out unless all of them were made.
bool MakeTextStyle(FontFamily ownedFamily, float emSize, INT style, StringAlignment align,
                   StringAlignment lineAlign, FontFamily& outFamily, Font& outFont, StringFormat& outFormat) {
    GpFont* font = nullptr;
    if (!ownedFamily || GdipCreateFont(ownedFamily.get(), emSize, style, UnitPixel, &font) != Ok)
        return false;
    Font ownedFont(font);
    GpStringFormat* format = nullptr;
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, &format) != Ok)
        return false;
    StringFormat ownedFormat(format);
    GdipSetStringFormatAlign(format, align);
    GdipSetStringFormatLineAlign(format, lineAlign);
    outFamily = std::move(ownedFamily);
    outFont = std::move(ownedFont);
    outFormat = std::move(ownedFormat);
    return true;
}

// A solid brush of one colour; empty when it could not be made.
Brush MakeSolidBrush(ARGB colour) {
    GpSolidFill* fill = nullptr;
    return Brush(GdipCreateSolidFill(colour, &fill) == Ok ? fill : nullptr);
}

} // namespace

bool DockCanvas::CreateGraphicFont(const wchar_t* face, float emSize) {
    GpFontFamily* family = nullptr;
    if (face) {
        if (GdipCreateFontFamilyFromName(face, nullptr, &family) != Ok || !family)
            return false;
    } else {
        // Last resort: the first family installed. The collection's families belong to it, so
        // ours is a clone.
        GpFontCollection* installed = nullptr;
        GpFontFamily* first = nullptr;
        INT count = 0;
        if (GdipNewInstalledFontCollection(&installed) != Ok ||
            GdipGetFontCollectionFamilyList(installed, 1, &first, &count) != Ok || count < 1 ||
            GdipCloneFontFamily(first, &family) != Ok || !family)
            return false;
    }
    FontFamily ownedFamily(family);
    Brush white = MakeSolidBrush(0xFFFFFFFFu);
    Brush outline = MakeSolidBrush(0xFF010203u);
    if (!white || !outline ||
        !MakeTextStyle(std::move(ownedFamily), emSize, FontStyleBold, StringAlignmentCenter,
                       StringAlignmentNear, m_family, m_font, m_format))
        return false;
    m_textBrush = std::move(white);
    m_outlineBrush = std::move(outline);
    return true;
}

bool DockCanvas::CreatePanelFont(const wchar_t* face, float emSize) {
    GpFontFamily* family = nullptr;
    if (GdipCreateFontFamilyFromName(face, nullptr, &family) != Ok || !family)
        return false;
    FontFamily ownedFamily(family);
    Brush dark = MakeSolidBrush(kPanelTextArgb);
    Brush grey = MakeSolidBrush(kPanelGreyArgb);
    if (!dark || !grey ||
        !MakeTextStyle(std::move(ownedFamily), emSize, FontStyleRegular, StringAlignmentNear,
                       StringAlignmentCenter, m_panelFamily, m_panelFont, m_panelFormat))
        return false;
    m_panelTextBrush = std::move(dark);
    m_panelGreyBrush = std::move(grey);
    return true;
}

void DockCanvas::SetCaches(ImageCache* items, const SkinCache* skin) {
    m_items = items;
    m_skin = skin;
}

void DockCanvas::SetChangeTracking(bool on) {
    m_tracking = on;
    m_clearKnown = false; // the next clear covers the whole canvas
    m_presented = false;  // and the next present the whole window
}

HDC DockCanvas::MemoryDc() const {
    return m_surface ? m_surface->dc.get() : nullptr;
}

uint32_t DockCanvas::Pixel(int x, int y) const {
    if (!m_surface || !m_surface->bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    GdiFlush();
    if (m_graphics)
        GdipFlush(m_graphics.get(), FlushIntentionSync);
    return m_surface
        ->bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)];
}

const ImageLevels* DockCanvas::Find(ImageRef image, bool level0) const {
    if (image.cache == ImageRef::Cache::Skin)
        return m_skin ? m_skin->Store().Find(image.index) : nullptr;
    if (!m_items)
        return nullptr;
    return level0 ? m_items->WithLevel0(image.index) : m_items->Store().Find(image.index);
}

void DockCanvas::Touch(RECT r) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, m_width);
    r.bottom = std::min<LONG>(r.bottom, m_height);
    if (IsEmpty(r))
        return;
    m_painted = Union(m_painted, r);
    m_dirty = Union(m_dirty, r);
}

void DockCanvas::Clear(uint32_t argb) {
    if (!m_graphics || !m_surface || !m_surface->bits)
        return;
    // The canvas owns its pixels, so a clear is a plain fill of the pre-multiplied value: many
    // times faster than a GDI+ fill of the whole screen, which would dominate every frame.
    GdipFlush(m_graphics.get(), FlushIntentionSync);
    const uint32_t value = Premultiply(argb);
    if (m_tracking && m_clearKnown && argb == m_clearColour) {
        // Everything outside what was drawn since the last clear still holds this colour.
        if (!IsEmpty(m_painted)) {
            for (LONG y = m_painted.top; y < m_painted.bottom; ++y)
                std::fill_n(m_surface->bits +
                                static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                                static_cast<std::size_t>(m_painted.left),
                            static_cast<std::size_t>(m_painted.right - m_painted.left), value);
            m_dirty = Union(m_dirty, m_painted);
        }
    } else {
        std::fill_n(m_surface->bits, static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height),
                    value);
        m_dirty = RECT{0, 0, m_width, m_height};
        m_clearColour = argb;
        m_clearKnown = true;
    }
    m_painted = RECT{};
}

void DockCanvas::FillRect(int x, int y, int width, int height, uint32_t argb, Composite mode) {
    if (!m_graphics || !m_fillBrush || width <= 0 || height <= 0)
        return;
    GdipSetSolidFillColor(static_cast<GpSolidFill*>(m_fillBrush.get()), argb);
    if (mode == Composite::SourceCopy)
        GdipSetCompositingMode(m_graphics.get(), CompositingModeSourceCopy);
    GdipFillRectangleI(m_graphics.get(), m_fillBrush.get(), x, y, width, height);
    if (mode == Composite::SourceCopy)
        GdipSetCompositingMode(m_graphics.get(), CompositingModeSourceOver);
    Touch(Box(x, y, width, height, 0));
}

void DockCanvas::DrawCached(ImageRef image, int level, int x, int y) {
    const ImageLevels* entry = Find(image, false);
    const CachedLevel* cached = entry ? entry->Cached(level) : nullptr;
    if (!m_graphics || !cached)
        return;
    GdipDrawCachedBitmap(m_graphics.get(), cached->bitmap.get(), x, y);
    Touch(Box(x, y, cached->width, cached->height, 0));
}

const CachedLevel* DockCanvas::ScaledSkin(const ImageLevels& entry, int width, int height) {
    const void* source = entry.image.get();
    for (std::size_t i = 0; i < m_scaledSkin.size(); ++i) {
        ScaledSkinEntry& kept = *m_scaledSkin[i];
        if (kept.source == source && kept.width == width && kept.height == height) {
            std::rotate(m_scaledSkin.begin(), m_scaledSkin.begin() + static_cast<std::ptrdiff_t>(i),
                        m_scaledSkin.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return kept.levels.Cached(1);
        }
    }
    auto made = std::make_unique<ScaledSkinEntry>();
    made->source = source;
    made->width = width;
    made->height = height;
    if (!ScaleIntoCache(entry.image.get(), made->levels, 1, width, height, false, m_graphics.get()))
        return nullptr;
    if (m_scaledSkin.size() >= kScaledSkinKept)
        m_scaledSkin.pop_back();
    m_scaledSkin.insert(m_scaledSkin.begin(), std::move(made));
    return m_scaledSkin.front()->levels.Cached(1);
}

void DockCanvas::DrawScaled(ImageRef image, int x, int y, int width, int height, int fade) {
    const ImageLevels* entry = Find(image, true);
    if (!m_graphics || !entry || !entry->image || width <= 0 || height <= 0)
        return;
    if (image.cache == ImageRef::Cache::Skin && fade == kNoFade) {
        if (const CachedLevel* kept = ScaledSkin(*entry, width, height)) {
            GdipDrawCachedBitmap(m_graphics.get(), kept->bitmap.get(), x, y);
            Touch(Box(x, y, width, height, 0));
            return;
        }
    }
    GpImageAttributes* attributes = m_edges.get();
    if (fade != kNoFade) {
        attributes = m_skin ? m_skin->Fade(fade) : nullptr;
        if (!attributes)
            return; // an unknown fade step draws nothing rather than the image at full strength
    }
    GdipDrawImageRectRectI(m_graphics.get(), entry->image.get(), x, y, width, height, 0, 0, entry->width,
                           entry->height, UnitPixel, attributes, nullptr, nullptr);
    Touch(Box(x, y, width, height, kBleed));
}

void DockCanvas::DrawSource(ImageRef image, float sx, float sy, float sw, float sh, float dx, float dy,
                            float dw, float dh) {
    const ImageLevels* entry = Find(image, true);
    if (!m_graphics || !entry || !entry->image || dw <= 0 || dh <= 0)
        return;
    // The source rectangle is given in the picture's pixels at 100 %; a skin picture drawn at
    // another scale has more of them.
    const float k = static_cast<float>(entry->scalePercent) / 100.0f;
    GdipDrawImageRectRect(m_graphics.get(), entry->image.get(), dx, dy, dw, dh, sx * k, sy * k, sw * k,
                          sh * k, UnitPixel, nullptr, nullptr, nullptr);
    Touch(RECT{static_cast<LONG>(dx) - kBleed, static_cast<LONG>(dy) - kBleed,
               static_cast<LONG>(dx + dw) + 1 + kBleed, static_cast<LONG>(dy + dh) + 1 + kBleed});
}

void DockCanvas::DrawOutlinedText(const std::string& text, int x, int y, int boxWidth) {
    const std::string trimmed = TrimBlanks(text);
    if (!m_graphics || !m_font || trimmed.empty() || boxWidth <= 0)
        return;
    const std::wstring wide = Widen(trimmed);
    const INT length = static_cast<INT>(wide.size());
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const float w = static_cast<float>(boxWidth);
    // The outline: the text four times, one pixel off diagonally, then the white text on top.
    static constexpr int kOffsets[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
    for (const auto& o : kOffsets) {
        RectF box{fx + m_outline * static_cast<float>(o[0]), fy + m_outline * static_cast<float>(o[1]), w,
                  m_textBoxHeight};
        GdipDrawString(m_graphics.get(), wide.c_str(), length, m_font.get(), &box, m_format.get(),
                       m_outlineBrush.get());
    }
    RectF box{fx, fy, w, m_textBoxHeight};
    GdipDrawString(m_graphics.get(), wide.c_str(), length, m_font.get(), &box, m_format.get(),
                   m_textBrush.get());

    // What changed: the measured text, not the whole box, so a caption does not make the next
    // clear and present cover the full width of the screen.
    RectF bounds{};
    INT fitted = 0;
    INT lines = 0;
    const int outline = static_cast<int>(m_outline);
    RECT touched = Box(x, y, boxWidth, static_cast<int>(m_textBoxHeight), outline);
    if (GdipMeasureString(m_graphics.get(), wide.c_str(), length, m_font.get(), &box, m_format.get(), &bounds,
                          &fitted, &lines) == Ok &&
        bounds.Width > 0 && bounds.Height > 0) {
        const int pad = outline + kBleed + 2; // outline, anti-aliasing, glyph overhang
        // The text is centred on the box; some GDI+ versions report the measured box at the
        // layout's left edge, so only its width and vertical extent are taken.
        const float centre = fx + w / 2.0f;
        const float half = std::min(bounds.Width, w) / 2.0f;
        touched = RECT{static_cast<LONG>(std::floor(centre - half)) - pad, static_cast<LONG>(bounds.Y) - pad,
                       static_cast<LONG>(std::ceil(centre + half)) + pad,
                       static_cast<LONG>(bounds.Y + bounds.Height) + 1 + pad};
        touched.top = std::max(touched.top, static_cast<LONG>(y - outline));
        touched.bottom = std::min(touched.bottom, static_cast<LONG>(y + outline + m_textBoxHeight));
    }
    Touch(touched);
}

void DockCanvas::DrawPanelText(const std::string& text, int x, int y, int boxWidth, int boxHeight, bool grey,
                               bool clearType) {
    const std::string trimmed = TrimBlanks(text);
    if (!m_graphics || !m_panelFont || trimmed.empty() || boxWidth <= 0 || boxHeight <= 0)
        return;
    const std::wstring wide = Widen(trimmed);
    RectF box{static_cast<float>(x), static_cast<float>(y), static_cast<float>(boxWidth),
              static_cast<float>(boxHeight)};
    // The hint belongs to the graphics object, which the ring's anti-aliased captions share.
    if (clearType)
        GdipSetTextRenderingHint(m_graphics.get(), TextRenderingHintClearTypeGridFit);
    GdipDrawString(m_graphics.get(), wide.c_str(), static_cast<INT>(wide.size()), m_panelFont.get(), &box,
                   m_panelFormat.get(), grey ? m_panelGreyBrush.get() : m_panelTextBrush.get());
    if (clearType)
        GdipSetTextRenderingHint(m_graphics.get(), TextRenderingHintAntiAlias);
    Touch(Box(x, y, boxWidth, boxHeight, kBleed));
}

void DockCanvas::Keep(int slot, int x, int y, int width, int height, uint64_t tag) {
    if (slot < 0 || slot >= static_cast<int>(m_kept.size()) || !m_surface || !m_surface->bits)
        return;
    KeptPixels& kept = m_kept[static_cast<std::size_t>(slot)];
    kept.valid = false;
    const RECT r{std::max(x, 0), std::max(y, 0), std::min(x + width, m_width),
                 std::min(y + height, m_height)};
    if (IsEmpty(r)) {
        kept.pixels = {}; // an empty rectangle forgets the slot
        return;
    }
    if (m_graphics)
        GdipFlush(m_graphics.get(), FlushIntentionSync);
    const auto w = static_cast<std::size_t>(r.right - r.left);
    kept.pixels.resize(w * static_cast<std::size_t>(r.bottom - r.top));
    for (LONG row = r.top; row < r.bottom; ++row)
        std::copy_n(m_surface->bits + static_cast<std::size_t>(row) * static_cast<std::size_t>(m_width) +
                        static_cast<std::size_t>(r.left),
                    w, kept.pixels.data() + static_cast<std::size_t>(row - r.top) * w);
    kept.rect = r;
    kept.tag = tag;
    kept.valid = true;
}

bool DockCanvas::Restore(int slot, int x, int y, int width, int height, uint64_t tag) {
    if (slot < 0 || slot >= static_cast<int>(m_kept.size()) || !m_surface || !m_surface->bits)
        return false;
    const KeptPixels& kept = m_kept[static_cast<std::size_t>(slot)];
    const RECT r{x, y, x + width, y + height};
    if (!kept.valid || kept.tag != tag || IsEmpty(r) || r.left < kept.rect.left || r.top < kept.rect.top ||
        r.right > kept.rect.right || r.bottom > kept.rect.bottom)
        return false;
    if (m_graphics)
        GdipFlush(m_graphics.get(), FlushIntentionSync);
    const auto keptWidth = static_cast<std::size_t>(kept.rect.right - kept.rect.left);
    const auto w = static_cast<std::size_t>(r.right - r.left);
    for (LONG row = r.top; row < r.bottom; ++row)
        std::copy_n(kept.pixels.data() + static_cast<std::size_t>(row - kept.rect.top) * keptWidth +
                        static_cast<std::size_t>(r.left - kept.rect.left),
                    w,
                    m_surface->bits + static_cast<std::size_t>(row) * static_cast<std::size_t>(m_width) +
                        static_cast<std::size_t>(r.left));
    Touch(r);
    return true;
}

void DockCanvas::Present(uint8_t alpha) {
    if (!m_surface)
        return;
    if (m_graphics)
        GdipFlush(m_graphics.get(), FlushIntentionSync);
    CanvasFrame frame;
    frame.dc = m_surface->dc.get();
    frame.size = SIZE{m_width, m_height};
    frame.alpha = alpha;
    frame.partial = m_tracking && m_presented && alpha == m_lastAlpha;
    frame.dirty = frame.partial ? m_dirty : RECT{0, 0, m_width, m_height};
    m_dirty = RECT{};
    m_presented = true;
    m_lastAlpha = alpha;
    if (m_presenter)
        m_presenter(frame);
}

} // namespace qor
