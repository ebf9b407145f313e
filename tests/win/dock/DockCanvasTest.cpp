// The GDI+ canvas drawn into at a known size and probed pixel by pixel: the values are the
// pre-multiplied BGRA words UpdateLayeredWindow reads.
#include <algorithm>
#include <vector>

#include "dock/DockCanvas_win.h"
#include "dock/ImageCache_win.h"
#include "win/dock/CanvasTestSupport.h"

namespace qor {
namespace {

using test::Alpha;
using test::Blue;
using test::Green;
using test::Red;

constexpr int kWidth = 400;
constexpr int kHeight = 300;

bool Near(int a, int b, int tolerance) {
    return std::abs(a - b) <= tolerance;
}

class DockCanvasTest : public test::GdiPlusSuite {
protected:
    void SetUp() override {
        canvas = DockCanvas::Create(nullptr, kWidth, kHeight);
        ASSERT_TRUE(canvas);
        items = std::make_unique<ImageCache>(canvas->Graphics());
        skin = std::make_unique<SkinCache>(canvas->Graphics());
        ASSERT_TRUE(skin->CreateFadeAttributes());
        canvas->SetCaches(items.get(), skin.get());
    }

    // A solid picture at level 1 (side x side) and level 0 (its own 40 x 40) of an item index.
    void PutSolid(int index, uint32_t argb, int side) {
        gdip::Image picture = test::SolidImage(40, 40, argb);
        ASSERT_TRUE(picture);
        items->SetWorking(std::move(picture));
        items->ScaleIntoCache(index, 1, side, side, false);
        items->ScaleIntoCache(index, 0, 0, 0, true);
        items->DisposeWorking();
        ASSERT_TRUE(items->HasEntry(index, 1));
        ASSERT_TRUE(items->HasEntry(index, 0));
    }

    std::vector<uint32_t> Snapshot(const DockCanvas& c) const {
        std::vector<uint32_t> pixels;
        pixels.reserve(static_cast<std::size_t>(kWidth * kHeight));
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels.push_back(c.Pixel(x, y));
        return pixels;
    }

    // Declared first so that it goes last: the cached bitmaps were made for its graphics.
    std::unique_ptr<DockCanvas> canvas;
    std::unique_ptr<ImageCache> items;
    std::unique_ptr<SkinCache> skin;
};

TEST_F(DockCanvasTest, ClearStoresPremultipliedColourEverywhere) {
    struct Case {
        uint32_t argb;
        int a, r, g, b;
    };
    const Case cases[] = {
        {0x00FFFFFFu, 0, 0, 0, 0},     // RestoreGDIPlus: fully transparent, colour dropped
        {0xC0000000u, 192, 0, 0, 0},   // the default dimmed backdrop
        {0xC0FF0000u, 192, 192, 0, 0}, // red at 192: stored pre-multiplied
        {0x80FFFFFFu, 128, 128, 128, 128}, {0xFF336699u, 255, 0x33, 0x66, 0x99},
    };
    for (const Case& c : cases) {
        canvas->Clear(c.argb);
        for (auto [x, y] :
             {std::pair{0, 0}, {kWidth - 1, 0}, {0, kHeight - 1}, {kWidth - 1, kHeight - 1}, {200, 150}}) {
            const uint32_t p = canvas->Pixel(x, y);
            EXPECT_EQ(Alpha(p), c.a) << std::hex << c.argb << " at " << std::dec << x << "," << y;
            EXPECT_TRUE(Near(Red(p), c.r, 1) && Near(Green(p), c.g, 1) && Near(Blue(p), c.b, 1))
                << std::hex << c.argb << " gave " << p;
        }
    }
}

TEST_F(DockCanvasTest, FillRectHonoursCompositingMode) {
    canvas->Clear(0xFF0000FFu);
    // Source copy punches a transparent hole; the right and bottom edges are exclusive.
    canvas->FillRect(10, 10, 20, 20, 0x00FFFFFFu, Composite::SourceCopy);
    EXPECT_EQ(canvas->Pixel(10, 10), 0u);
    EXPECT_EQ(canvas->Pixel(29, 29), 0u);
    EXPECT_EQ(canvas->Pixel(9, 10), 0xFF0000FFu);
    EXPECT_EQ(canvas->Pixel(30, 29), 0xFF0000FFu);
    // Source over blends half-transparent red onto the blue.
    canvas->FillRect(50, 50, 10, 10, 0x80FF0000u, Composite::SourceOver);
    const uint32_t p = canvas->Pixel(55, 55);
    EXPECT_EQ(Alpha(p), 255);
    EXPECT_TRUE(Near(Red(p), 128, 2)) << std::hex << p;
    EXPECT_TRUE(Near(Blue(p), 127, 2)) << std::hex << p;
    // A later source-over fill with a transparent colour changes nothing.
    canvas->FillRect(50, 50, 10, 10, 0x00FFFFFFu, Composite::SourceOver);
    EXPECT_EQ(canvas->Pixel(55, 55), p);
}

TEST_F(DockCanvasTest, CachedLevelIsDrawnUnscaledAtItsPoint) {
    PutSolid(7, 0xFFFF0000u, 16);
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawCached(ItemImage(7), 1, 50, 40);
    EXPECT_EQ(canvas->Pixel(50, 40), 0xFFFF0000u);
    EXPECT_EQ(canvas->Pixel(65, 55), 0xFFFF0000u);
    EXPECT_EQ(canvas->Pixel(49, 40), 0u);
    EXPECT_EQ(canvas->Pixel(50, 39), 0u);
    EXPECT_EQ(canvas->Pixel(66, 55), 0u);
    EXPECT_EQ(canvas->Pixel(65, 56), 0u);
    // Missing levels, indices and skin elements draw nothing.
    canvas->DrawCached(ItemImage(7), 2, 200, 200);
    canvas->DrawCached(ItemImage(8), 1, 200, 200);
    canvas->DrawCached(ItemImage(5000), 1, 200, 200);
    canvas->DrawCached(ItemImage(-1), 1, 200, 200);
    canvas->DrawCached(SkinImage(20), 1, 200, 200);
    EXPECT_EQ(canvas->Pixel(205, 205), 0u);
}

TEST_F(DockCanvasTest, LevelZeroIsScaledIntoTheRectangle) {
    PutSolid(3, 0xFF00FF00u, 48);
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawScaled(ItemImage(3), 100, 100, 64, 64, kNoFade);
    for (auto [x, y] : {std::pair{100, 100}, {163, 163}, {131, 131}, {100, 163}})
        EXPECT_EQ(canvas->Pixel(x, y), 0xFF00FF00u) << x << "," << y;
    for (auto [x, y] : {std::pair{97, 131}, {166, 131}, {131, 97}, {131, 166}})
        EXPECT_EQ(canvas->Pixel(x, y), 0u) << x << "," << y;
    canvas->DrawScaled(ItemImage(4), 200, 200, 64, 64, kNoFade); // no entry
    EXPECT_EQ(canvas->Pixel(230, 230), 0u);
}

TEST_F(DockCanvasTest, FadeAttributesScaleAlpha) {
    PutSolid(3, 0xFFFF0000u, 48);
    for (int k = 0; k < SkinCache::kFadeSteps; ++k) {
        canvas->Clear(0x00FFFFFFu);
        canvas->DrawScaled(ItemImage(3), 100, 100, 64, 64, k);
        const uint32_t p = canvas->Pixel(131, 131);
        const int expected = static_cast<int>(255.0 * (1.0 - 0.1 * (k + 1)) + 0.5);
        EXPECT_TRUE(Near(Alpha(p), expected, 3)) << "fade " << k << " gave " << std::hex << p;
        EXPECT_TRUE(Near(Red(p), expected, 3)) << "fade " << k << " gave " << std::hex << p; // pre-multiplied
    }
    // Step 4 halves, step 9 leaves nothing, an unknown step draws nothing.
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawScaled(ItemImage(3), 100, 100, 64, 64, 9);
    canvas->DrawScaled(ItemImage(3), 200, 100, 64, 64, 10);
    EXPECT_EQ(canvas->Pixel(131, 131), 0u);
    EXPECT_EQ(canvas->Pixel(231, 131), 0u);
}

TEST_F(DockCanvasTest, DrawSourceTakesOneFrameOfAStrip) {
    // A strip of two 20-pixel frames: red then blue; the second frame is drawn at 2x.
    gdip::Image strip = test::SolidImage(40, 20, 0xFFFF0000u);
    ASSERT_TRUE(strip);
    {
        gdip::GpGraphics* g = nullptr;
        ASSERT_EQ(gdip::GdipGetImageGraphicsContext(strip.get(), &g), gdip::Ok);
        gdip::Graphics owner(g);
        gdip::GpSolidFill* blue = nullptr;
        gdip::GdipCreateSolidFill(0xFF0000FFu, &blue);
        gdip::Brush brush(blue);
        gdip::GdipFillRectangleI(g, blue, 20, 0, 20, 20);
    }
    items->SetWorking(std::move(strip));
    items->ScaleIntoCache(19, 0, 0, 0, true);
    items->DisposeWorking();
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawSource(ItemImage(19), 20, 0, 20, 20, 100, 100, 40, 40);
    EXPECT_EQ(canvas->Pixel(120, 120), 0xFF0000FFu);
    EXPECT_EQ(canvas->Pixel(102, 102), 0xFF0000FFu);
    EXPECT_EQ(canvas->Pixel(95, 120), 0u);
}

TEST_F(DockCanvasTest, OutlinedTextIsWhiteWithADarkRimInsideItsBox) {
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawOutlinedText("Computer", 0, 100, kWidth);
    int white = 0;
    int dark = 0;
    long long whiteX = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = canvas->Pixel(x, y);
            if (p == 0)
                continue;
            // Nothing outside the 128-pixel box (one pixel of outline above and below).
            EXPECT_TRUE(y >= 99 && y < 100 + 128 + 1) << x << "," << y;
            if (p == 0xFFFFFFFFu) {
                ++white;
                whiteX += x;
            } else if (Alpha(p) == 255 && Red(p) <= 8 && Green(p) <= 8 && Blue(p) <= 8) {
                ++dark;
            }
        }
    }
    EXPECT_GT(white, 20);
    EXPECT_GT(dark, 20);
    // Centred on the box.
    ASSERT_GT(white, 0);
    EXPECT_NEAR(static_cast<double>(whiteX) / white, kWidth / 2.0, 12.0);
}

TEST_F(DockCanvasTest, TextIsTrimmedAndBlankTextDrawsNothing) {
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawOutlinedText("   ", 0, 100, kWidth);
    canvas->DrawOutlinedText("", 0, 100, kWidth);
    const std::vector<uint32_t> blank = Snapshot(*canvas);
    EXPECT_TRUE(std::all_of(blank.begin(), blank.end(), [](uint32_t p) { return p == 0; }));

    canvas->DrawOutlinedText("  My Computer ", 0, 100, kWidth);
    const std::vector<uint32_t> padded = Snapshot(*canvas);
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawOutlinedText("My Computer", 0, 100, kWidth);
    EXPECT_TRUE(Snapshot(*canvas) == padded);
}

TEST_F(DockCanvasTest, PresentReportsWholeThenChangedPart) {
    std::vector<CanvasFrame> frames;
    canvas->SetPresenter([&](const CanvasFrame& f) { frames.push_back(f); });
    PutSolid(7, 0xFFFF0000u, 16);

    canvas->Clear(0x00FFFFFFu);
    canvas->Present(255);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FALSE(frames[0].partial);
    EXPECT_EQ(frames[0].dc, canvas->MemoryDc());
    EXPECT_EQ(frames[0].size.cx, kWidth);
    EXPECT_EQ(frames[0].size.cy, kHeight);
    EXPECT_EQ(frames[0].alpha, 255);

    canvas->Clear(0x00FFFFFFu);
    canvas->DrawCached(ItemImage(7), 1, 50, 40);
    canvas->Present(255);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[1].partial);
    EXPECT_LE(frames[1].dirty.left, 50);
    EXPECT_LE(frames[1].dirty.top, 40);
    EXPECT_GE(frames[1].dirty.right, 66);
    EXPECT_GE(frames[1].dirty.bottom, 56);
    EXPECT_LT(frames[1].dirty.right - frames[1].dirty.left, kWidth);

    // Moving the icon: the old place is cleared and both are reported.
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawCached(ItemImage(7), 1, 300, 200);
    canvas->Present(255);
    EXPECT_EQ(canvas->Pixel(55, 45), 0u);
    EXPECT_LE(frames[2].dirty.left, 50);
    EXPECT_GE(frames[2].dirty.bottom, 216);

    // A new constant alpha changes the whole window.
    canvas->Present(128);
    EXPECT_FALSE(frames[3].partial);
    EXPECT_EQ(frames[3].alpha, 128);

    // Without tracking every frame is whole.
    canvas->SetChangeTracking(false);
    canvas->Clear(0x00FFFFFFu);
    canvas->Present(128);
    canvas->Present(128);
    EXPECT_FALSE(frames[4].partial);
    EXPECT_FALSE(frames[5].partial);
}

// The limited clear must leave exactly the picture a full clear would.
TEST_F(DockCanvasTest, ChangeTrackingPaintsTheSamePicture) {
    std::unique_ptr<DockCanvas> full = DockCanvas::Create(nullptr, kWidth, kHeight);
    ASSERT_TRUE(full);
    full->SetCaches(items.get(), skin.get());
    full->SetChangeTracking(false);
    PutSolid(7, 0xFFFF0000u, 16);
    PutSolid(8, 0x8000FF00u, 24);

    const uint32_t backgrounds[] = {0x00FFFFFFu, 0x00FFFFFFu, 0xC0000000u,
                                    0xC0000000u, 0x00FFFFFFu, 0x00FFFFFFu};
    int frame = 0;
    for (uint32_t background : backgrounds) {
        for (DockCanvas* c : {canvas.get(), full.get()}) {
            c->Clear(background);
            c->DrawCached(ItemImage(7), 1, 20 + 37 * frame, 30 + 11 * frame);
            c->DrawScaled(ItemImage(8), 300 - 40 * frame, 150, 64, 64, frame % 2 ? 4 : kNoFade);
            c->DrawOutlinedText(frame % 2 ? "Recycle Bin" : "My Documents", 60 * frame - 150, 200, kWidth);
            if (frame == 3)
                c->FillRect(0, 0, 40, 40, 0x00FFFFFFu, Composite::SourceCopy);
            c->Present(255);
        }
        EXPECT_TRUE(Snapshot(*canvas) == Snapshot(*full)) << "frame " << frame;
        ++frame;
    }
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

TEST_F(DockCanvasTest, PresentsOnALayeredWindow) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QorCanvasTestLayered";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0,
                                  kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    std::vector<bool> results;
    canvas->SetPresenter([&](const CanvasFrame& f) { results.push_back(PresentLayered(window, f)); });
    PutSolid(7, 0xFFFF0000u, 16);
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawCached(ItemImage(7), 1, 10, 10);
    canvas->Present(255); // whole
    ShowWindow(window, SW_SHOWNOACTIVATE);
    canvas->Clear(0x00FFFFFFu);
    canvas->DrawCached(ItemImage(7), 1, 100, 100);
    canvas->Present(255); // changed part only
    canvas->Present(255); // nothing changed
    canvas->Present(0);   // invisible
    DestroyWindow(window);
    EXPECT_EQ(results, (std::vector<bool>{true, true, true, true}));
    EXPECT_FALSE(PresentLayered(nullptr, CanvasFrame{}));
}

TEST_F(DockCanvasTest, RefusesImpossibleSizes) {
    EXPECT_FALSE(DockCanvas::Create(nullptr, 0, 100));
    EXPECT_FALSE(DockCanvas::Create(nullptr, 100, -1));
    EXPECT_FALSE(DockCanvas::Create(nullptr, 100000, 100));
}

} // namespace
} // namespace qor
