// The image and skin caches: rendering sizes, the skin load from the shipped pictures, rebuilds
// and releases, and damaged input.
#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <vector>

#include "dock/DockCanvas_win.h"
#include "dock/ImageCache_win.h"
#include "fakes/Fakes.h"
#include "win/dock/CanvasTestSupport.h"

namespace qor {
namespace {

std::string SkinFile(const std::string& name) {
    return test::SourceDir() + "/resources/skin/" + name + ".png";
}

std::optional<Bytes> ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The skin read from resources/skin/ as the program reads it from its resources.
SkinReader FolderSkinReader() {
    return [](const std::string& name) { return ReadHostFile(SkinFile(name)); };
}

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH]{};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

bool SavePngFile(gdip::GpImage* image, const std::string& path) {
    CLSID png{};
    CLSIDFromString(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &png);
    const std::wstring wide = gdip::Widen(path);
    return gdip::GdipSaveImageToFile(image, wide.c_str(), &png, nullptr) == gdip::Ok;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class ImageCacheTest : public test::GdiPlusSuite {
protected:
    void SetUp() override {
        canvas = DockCanvas::Create(nullptr, 64, 64);
        ASSERT_TRUE(canvas);
        images = std::make_unique<ImageCache>(canvas->Graphics());
        skin = std::make_unique<SkinCache>(canvas->Graphics());
        redPng = TempPath("qor-cache-red.png");
        gdip::Image red = test::SolidImage(40, 30, 0xFFFF0000u);
        ASSERT_TRUE(SavePngFile(red.get(), redPng));
    }
    void TearDown() override { DeleteFileA(redPng.c_str()); }

    std::unique_ptr<DockCanvas> canvas;
    std::unique_ptr<ImageCache> images;
    std::unique_ptr<SkinCache> skin;
    std::string redPng;
};

TEST_F(ImageCacheTest, ScaleIntoCacheGivesTheAskedSizes) {
    gdip::Image source = test::SolidImage(40, 30, 0xFF00FF00u);
    struct Case {
        int level, width, height;
        bool ownSize, filled;
        int expectWidth, expectHeight;
    };
    const Case cases[] = {
        {0, 0, 0, true, true, 40, 30},        // level 0 at the image's own size
        {0, 128, 128, false, true, 128, 128}, // the centre: level 0 scaled to 128
        {1, 48, 48, false, true, 48, 48},     {2, 64, 64, false, true, 64, 64},
        {3, 128, 128, false, true, 128, 128}, {4, 32, 32, false, true, 32, 32},
        {1, 0, 0, true, true, 40, 30}, // own size wins over the arguments
        {1, 0, 48, false, false, 0, 0},       {1, 48, -3, false, false, 0, 0},
        {5, 48, 48, false, false, 0, 0},      {-1, 48, 48, false, false, 0, 0},
        {1, 100000, 48, false, false, 0, 0},
    };
    for (const Case& c : cases) {
        ImageLevels entry;
        EXPECT_EQ(
            ScaleIntoCache(source.get(), entry, c.level, c.width, c.height, c.ownSize, canvas->Graphics()),
            c.filled)
            << c.level << " " << c.width << "x" << c.height;
        if (!c.filled)
            continue;
        if (c.level == 0) {
            EXPECT_EQ(entry.width, c.expectWidth);
            EXPECT_EQ(entry.height, c.expectHeight);
            UINT w = 0;
            gdip::GdipGetImageWidth(entry.image.get(), &w);
            EXPECT_EQ(static_cast<int>(w), c.expectWidth);
            EXPECT_EQ(test::PixelOf(entry.image.get(), 0, 0), 0xFF00FF00u); // opaque to the edge
        } else {
            ASSERT_NE(entry.Cached(c.level), nullptr);
            EXPECT_EQ(entry.Cached(c.level)->width, c.expectWidth);
            EXPECT_EQ(entry.Cached(c.level)->height, c.expectHeight);
        }
    }
    ImageLevels entry;
    EXPECT_FALSE(ScaleIntoCache(nullptr, entry, 0, 0, 0, true, canvas->Graphics()));
    EXPECT_FALSE(ScaleIntoCache(source.get(), entry, 1, 48, 48, false, nullptr)); // no graphics to cache for
    EXPECT_FALSE(entry.Has(1));
}

TEST_F(ImageCacheTest, WorkingImageFillsEntriesThroughTheInterface) {
    IImageCache& cache = *images;
    EXPECT_FALSE(cache.LoadWorkingFromFile(TempPath("qor-no-such-picture.png")));
    cache.ScaleIntoCache(5, 1, 48, 48, false); // no working image: nothing
    EXPECT_FALSE(cache.HasEntry(5, 1));

    ASSERT_TRUE(cache.LoadWorkingFromFile(redPng));
    cache.ScaleIntoCache(5, 1, 48, 48, false);
    cache.ScaleIntoCache(5, 0, 0, 0, true);
    cache.ScaleIntoCache(2000, 4, 32, 32, false); // beyond 1024: the cache grows with the items
    cache.ScaleIntoCache(-4, 1, 48, 48, false);   // ignored
    cache.DisposeWorking();
    EXPECT_TRUE(cache.HasEntry(5, 1));
    EXPECT_TRUE(cache.HasEntry(5, 0));
    EXPECT_FALSE(cache.HasEntry(5, 2));
    EXPECT_TRUE(cache.HasEntry(2000, 4));
    EXPECT_FALSE(cache.HasEntry(-4, 1));
    EXPECT_EQ(images->Store().Find(5)->width, 40);
    EXPECT_EQ(images->Store().Find(5)->height, 30);

    cache.FreeEntries(5);
    cache.FreeEntries(99999);
    for (int level = 0; level < kImageLevels; ++level)
        EXPECT_FALSE(cache.HasEntry(5, level));
}

TEST_F(ImageCacheTest, LoadedFileIsNotKeptOpen) {
    ASSERT_TRUE(images->LoadWorkingFromFile(redPng));
    EXPECT_TRUE(DeleteFileA(redPng.c_str())); // the program may delete an item's picture at once
    EXPECT_EQ(test::PixelOf(images->Working(), 3, 3), 0xFFFF0000u);
}

TEST_F(ImageCacheTest, DamagedPicturesLoadNothing) {
    const std::optional<Bytes> good = ReadHostFile(SkinFile("BORDER"));
    ASSERT_TRUE(good && good->size() > 64);
    EXPECT_TRUE(DecodeImage(*good));
    EXPECT_FALSE(DecodeImage(Bytes{}));
    EXPECT_FALSE(DecodeImage(Bytes(good->begin(), good->begin() + 40))); // cut inside the header
    Bytes garbage(3000);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 37 + 11);
    EXPECT_FALSE(DecodeImage(garbage));
    Bytes signatureOnly{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_FALSE(DecodeImage(signatureOnly));

    const std::string damaged = TempPath("qor-cache-damaged.png");
    WriteBytes(damaged, signatureOnly);
    EXPECT_FALSE(images->LoadWorkingFromFile(damaged));
    EXPECT_EQ(images->Working(), nullptr);
    DeleteFileA(damaged.c_str());
}

TEST_F(ImageCacheTest, ImagingComponentDecodesAsGdiPlusDoes) {
    // The decoder needs COM on this thread; the program starts it before any picture loads.
    const win::ComScope com;
    {
        PictureDecoder decoder;
        // A picture with soft, half-transparent edges: straight alpha must come through as stored.
        const std::string border = SkinFile("BORDER");
        gdip::Image viaDecoder = decoder.Decode(border);
        gdip::Image viaGdiPlus = LoadImageFile(border);
        ASSERT_TRUE(viaDecoder);
        ASSERT_TRUE(viaGdiPlus);
        UINT w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        gdip::GdipGetImageWidth(viaDecoder.get(), &w1);
        gdip::GdipGetImageHeight(viaDecoder.get(), &h1);
        gdip::GdipGetImageWidth(viaGdiPlus.get(), &w2);
        gdip::GdipGetImageHeight(viaGdiPlus.get(), &h2);
        EXPECT_EQ(w1, w2);
        EXPECT_EQ(h1, h2);
        int different = 0, translucent = 0;
        for (UINT y = 0; y < h1; y += 3)
            for (UINT x = 0; x < w1; x += 3) {
                const uint32_t a = test::PixelOf(viaDecoder.get(), static_cast<int>(x), static_cast<int>(y));
                different += a != test::PixelOf(viaGdiPlus.get(), static_cast<int>(x), static_cast<int>(y));
                translucent += (a >> 24) > 0 && (a >> 24) < 255;
            }
        EXPECT_EQ(different, 0);
        EXPECT_GT(translucent, 0);

        // The same from memory (the skin among the program's resources); damaged bytes give nothing.
        const std::optional<Bytes> bytes = ReadHostFile(border);
        ASSERT_TRUE(bytes);
        gdip::Image fromMemory = decoder.Decode(*bytes);
        ASSERT_TRUE(fromMemory);
        different = 0;
        for (UINT y = 0; y < h1; y += 3)
            for (UINT x = 0; x < w1; x += 3)
                different += test::PixelOf(fromMemory.get(), static_cast<int>(x), static_cast<int>(y)) !=
                             test::PixelOf(viaGdiPlus.get(), static_cast<int>(x), static_cast<int>(y));
        EXPECT_EQ(different, 0);
        EXPECT_FALSE(decoder.Decode(Bytes(bytes->begin(), bytes->begin() + 40)));
        EXPECT_FALSE(decoder.Decode(Bytes{}));

        // Through the cache, and a file the decoder refuses falls back to nothing at all.
        ImageCache withCom(canvas->Graphics());
        ASSERT_TRUE(withCom.LoadWorkingFromFile(redPng));
        EXPECT_EQ(test::PixelOf(withCom.Working(), 3, 3), 0xFFFF0000u);
        const std::string damaged = TempPath("qor-cache-damaged-wic.png");
        WriteBytes(damaged, Bytes{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13});
        EXPECT_FALSE(decoder.Decode(damaged));
        EXPECT_FALSE(withCom.LoadWorkingFromFile(damaged));
        EXPECT_FALSE(decoder.Decode(TempPath("qor-cache-missing.png")));
        DeleteFileA(damaged.c_str());
    }
}

TEST_F(ImageCacheTest, ShellIconOfAnExistingFile) {
    char exe[MAX_PATH]{};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    ASSERT_TRUE(images->LoadWorkingFromShellIcon(exe));
    UINT w = 0;
    gdip::GdipGetImageWidth(images->Working(), &w);
    EXPECT_GE(w, 16u);
    EXPECT_FALSE(images->LoadWorkingFromShellIcon(TempPath("qor-no-such-file.exe")));
    EXPECT_EQ(images->Working(), nullptr);
}

TEST_F(ImageCacheTest, SkinLoadBuildsEveryRenderingOfTheTable) {
    test::TestApp t;
    LoadSkinImages(t.app, *skin, *images, FolderSkinReader(), [](int) {});
    for (const SkinElement& e : SkinElements()) {
        const ImageLevels* entry = skin->Store().Find(e.number);
        ASSERT_NE(entry, nullptr) << e.name;
        switch (e.rendering) {
        case SkinRendering::None:
            EXPECT_FALSE(entry->Has(0)) << e.name;
            break;
        case SkinRendering::Level0:
            ASSERT_TRUE(entry->Has(0)) << e.name;
            EXPECT_EQ(entry->width, e.width) << e.name;
            EXPECT_EQ(entry->height, e.height) << e.name;
            EXPECT_FALSE(entry->Has(1)) << e.name;
            break;
        case SkinRendering::Level1Fixed:
            ASSERT_TRUE(entry->Has(1)) << e.name;
            EXPECT_EQ(entry->Cached(1)->width, e.cachedWidth) << e.name;
            EXPECT_EQ(entry->Cached(1)->height, e.cachedHeight) << e.name;
            EXPECT_FALSE(entry->Has(0)) << e.name;
            break;
        case SkinRendering::AllSizeLevels:
            ASSERT_TRUE(entry->Has(0)) << e.name;
            EXPECT_EQ(entry->width, e.width) << e.name;
            for (int level = 1; level < kImageLevels; ++level) {
                ASSERT_TRUE(entry->Has(level))
                    << e.name << " " << level << " size " << t.app.geo.SizeLevels[level];
                EXPECT_EQ(entry->Cached(level)->width, t.app.geo.SizeLevels[level]) << e.name;
            }
            break;
        }
    }
    EXPECT_EQ(t.app.run.CentreBackSize, 152);
    for (int k = 0; k < SkinCache::kFadeSteps; ++k)
        EXPECT_NE(skin->Fade(k), nullptr) << k;
    EXPECT_EQ(skin->Fade(SkinCache::kFadeSteps), nullptr);
    EXPECT_EQ(skin->Fade(-1), nullptr);
    // No centre picture of its own: the logo at 128 x 128.
    ASSERT_TRUE(images->HasEntry(0, 0));
    EXPECT_EQ(images->Store().Find(0)->width, 128);
    EXPECT_EQ(images->Store().Find(0)->height, 128);
}

TEST_F(ImageCacheTest, CentreUsesItsOwnPictureScaledTo128) {
    test::TestApp t;
    t.app.store.Items[0].IconPath = "  " + redPng + "  ";
    LoadSkinImages(t.app, *skin, *images, FolderSkinReader(), [](int) {});
    const ImageLevels* centre = images->Store().Find(0);
    ASSERT_TRUE(centre && centre->Has(0));
    EXPECT_EQ(centre->width, 128);
    EXPECT_EQ(centre->height, 128);
    EXPECT_EQ(test::PixelOf(centre->image.get(), 64, 64), 0xFFFF0000u);
    EXPECT_EQ(t.app.store.Items[0].IconPath.Peek(), redPng);
}

TEST_F(ImageCacheTest, ItemsAreBuiltTemplatesFirst) {
    test::TestApp t;
    std::vector<int> order;
    LoadSkinImages(t.app, *skin, *images, FolderSkinReader(), [&](int item) { order.push_back(item); });
    std::vector<int> expected{39, 40, 41, 42};
    for (int i = 1; i <= t.app.store.LastItem(); ++i)
        if (i < 39 || i > 42)
            expected.push_back(i);
    EXPECT_EQ(order, expected);
}

TEST_F(ImageCacheTest, WithoutABuilderItemsGetTheirPictureFile) {
    test::TestApp t;
    t.app.store.Items[5].Kind = kind::Shortcut;
    t.app.store.Items[5].IconPath = redPng;
    t.app.store.Items[6].Kind = kind::Shortcut;
    t.app.store.Items[6].IconPath = TempPath("qor-missing.png");
    t.app.store.Items[7].Kind = kind::Free;
    t.app.store.Items[7].IconPath = redPng;
    t.app.store.Items[70].Kind = kind::Shortcut;
    t.app.store.Items[70].IconPath = redPng;
    LoadSkinImages(t.app, *skin, *images, FolderSkinReader());
    EXPECT_TRUE(images->HasEntry(5, 1));
    EXPECT_TRUE(images->HasEntry(5, 0));
    EXPECT_EQ(images->Store().Find(5)->Cached(1)->width, 48);
    EXPECT_FALSE(images->HasEntry(6, 0));
    EXPECT_FALSE(images->HasEntry(7, 0));

    // The rest size changes: backdrop and items 1..64 re-rendered, the others left.
    t.app.geo.SizeLevels[1] = 40;
    RebuildSizeLevel(t.app, *skin, *images, 1);
    EXPECT_EQ(skin->Store().Find(skin::BackSelectColor)->Cached(1)->width, 40);
    EXPECT_EQ(skin->Store().Find(skin::BackSelectColor)->Cached(2)->width, 64);
    EXPECT_EQ(images->Store().Find(5)->Cached(1)->width, 40);
    EXPECT_EQ(images->Store().Find(70)->Cached(1)->width, 48);
    EXPECT_FALSE(images->HasEntry(6, 1));

    ReleaseImages(*skin, *images);
    for (int index : {0, 5, 70})
        for (int level = 0; level < kImageLevels; ++level)
            EXPECT_FALSE(images->HasEntry(index, level)) << index << " " << level;
    for (int element = 0; element < SkinCache::kElements; ++element)
        for (int level = 0; level < kImageLevels; ++level)
            EXPECT_FALSE(skin->Store().Find(element)->Has(level));
    EXPECT_EQ(skin->Fade(0), nullptr);
}

TEST_F(ImageCacheTest, MissingOrDamagedSkinIsSkipped) {
    test::TestApp t;
    SkinReader noBorder = [](const std::string& name) -> std::optional<Bytes> {
        if (name == "BORDER")
            return std::nullopt;
        return ReadHostFile(SkinFile(name));
    };
    LoadSkinImages(t.app, *skin, *images, noBorder, [](int) {});
    EXPECT_EQ(t.app.run.CentreBackSize, 152);
    EXPECT_FALSE(skin->Store().Find(skin::Border)->Has(0));
    EXPECT_TRUE(skin->Store().Find(skin::BackSelectColor)->Has(1));

    test::TestApp damaged;
    SkinReader garbage = [](const std::string&) -> std::optional<Bytes> { return Bytes(100, 0x42); };
    LoadSkinImages(damaged.app, *skin, *images, garbage, [](int) {});
    for (int element = 0; element < SkinCache::kElements; ++element)
        EXPECT_FALSE(skin->Store().Find(element)->Has(0));
    EXPECT_FALSE(images->HasEntry(0, 0)); // neither a centre picture nor a readable logo
    EXPECT_NE(skin->Fade(4), nullptr);    // the rest of the load still ran

    // The program's own resources: this test program carries none, so nothing is found.
    EXPECT_FALSE(ResourceSkinReader(GetModuleHandleA(nullptr))("BORDER"));
}

// ---- Pre-scaled copies ------------------------------------------------------------------------

std::optional<FILETIME> WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return data.ftLastWriteTime;
}

bool SetWriteTime(const std::string& path, FILETIME time) {
    const win::Handle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    return win::IsValid(file) && SetFileTime(file.get(), nullptr, nullptr, &time);
}

// The width of a cached level, 0 when there is none.
int CachedWidth(const ImageCache& cache, int index, int level) {
    const ImageLevels* entry = cache.Store().Find(index);
    const CachedLevel* cached = entry ? entry->Cached(level) : nullptr;
    return cached ? cached->width : 0;
}

bool SameTime(const std::optional<FILETIME>& a, const std::optional<FILETIME>& b) {
    return a && b && CompareFileTime(&*a, &*b) == 0;
}

class ScaledCopyTest : public ImageCacheTest {
protected:
    void SetUp() override {
        ImageCacheTest::SetUp();
        // A picture with soft, half-transparent edges, where any change of rendering would show.
        const std::optional<Bytes> border = ReadHostFile(SkinFile("BORDER"));
        ASSERT_TRUE(border);
        picture = TempPath("qor-copy-7.png");
        copy = picture + ".48.scaled";
        DeleteFileA(copy.c_str());
        WriteBytes(picture, *border);
        canvas->SetCaches(images.get(), skin.get());
    }
    void TearDown() override {
        DeleteFileA(picture.c_str());
        DeleteFileA(copy.c_str());
        ImageCacheTest::TearDown();
    }
    bool Build(int index, int side = 48) {
        return images->BuildFromPicture(index, picture, copy, 1, side, true);
    }
    // The pixels of a cached level as the canvas draws it.
    std::vector<uint32_t> Drawn(int index, int level, int side) {
        canvas->Clear(0);
        canvas->DrawCached(ItemImage(index), level, 0, 0);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                pixels.push_back(canvas->Pixel(x, y));
        return pixels;
    }
    std::vector<uint32_t> Level0(int index) {
        std::vector<uint32_t> pixels;
        const ImageLevels* entry = images->Store().Find(index);
        for (int y = 0; entry && entry->image && y < entry->height; ++y)
            for (int x = 0; x < entry->width; ++x)
                pixels.push_back(test::PixelOf(entry->image.get(), x, y));
        return pixels;
    }

    std::string picture;
    std::string copy;
};

TEST_F(ScaledCopyTest, CopyGivesTheSamePixelsAndLevel0FollowsWhenDrawn) {
    // No copy yet: the picture is decoded, both levels made at once, the copy written with the
    // picture's own write time.
    ASSERT_TRUE(Build(5));
    EXPECT_TRUE(images->HasEntry(5, 1));
    EXPECT_TRUE(images->HasEntry(5, 0));
    EXPECT_TRUE(SameTime(WriteTime(copy), WriteTime(picture)));
    const std::vector<uint32_t> fromPicture = Drawn(5, 1, 48);
    EXPECT_NE(std::count(fromPicture.begin(), fromPicture.end(), 0u), 48 * 48); // something is drawn

    // From the copy: the rest level pixel for pixel, level 0 left for later.
    ASSERT_TRUE(Build(6));
    EXPECT_TRUE(images->HasEntry(6, 1));
    EXPECT_FALSE(images->HasEntry(6, 0));
    EXPECT_EQ(images->PendingWork(), 1u);
    EXPECT_EQ(Drawn(6, 1, 48), fromPicture);

    // Drawing level 0 makes it first, the same as the one made at once.
    canvas->DrawScaled(ItemImage(6), 0, 0, 64, 64, kNoFade);
    EXPECT_TRUE(images->HasEntry(6, 0));
    EXPECT_EQ(images->PendingWork(), 0u);
    EXPECT_EQ(images->Store().Find(6)->width, 152);
    EXPECT_EQ(Level0(6), Level0(5));
}

TEST_F(ScaledCopyTest, OnlyAFreshCopyOfTheRightSizeServes) {
    ASSERT_TRUE(Build(5));
    const std::vector<uint32_t> border = Drawn(5, 1, 48);
    const std::optional<FILETIME> pictureTime = WriteTime(picture);
    ASSERT_TRUE(pictureTime);

    // The write time is what ties the copy to the picture: a copy stamped with it is used as it is.
    gdip::Image blue = test::SolidImage(48, 48, 0xFF0000FFu);
    ASSERT_TRUE(SavePngFile(blue.get(), copy));
    ASSERT_TRUE(SetWriteTime(copy, *pictureTime));
    ASSERT_TRUE(Build(6));
    EXPECT_FALSE(images->HasEntry(6, 0));
    EXPECT_EQ(Drawn(6, 1, 48).front(), 0xFF0000FFu);

    // Whatever else: the picture itself, and the copy written afresh from it.
    struct Case {
        const char* what;
        std::function<void()> prepare;
        int side;
    };
    FILETIME later = *pictureTime;
    later.dwHighDateTime += 1; // about seven minutes on
    const Case cases[] = {
        {"stale copy", [&] { ASSERT_TRUE(SetWriteTime(copy, later)); }, 48},
        {"picture rewritten",
         [&] {
             ASSERT_TRUE(SavePngFile(blue.get(), copy));
             ASSERT_TRUE(SetWriteTime(copy, *pictureTime));
             ASSERT_TRUE(SetWriteTime(picture, later));
         },
         48},
        {"damaged copy",
         [&] {
             WriteBytes(copy, Bytes{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13});
             ASSERT_TRUE(SetWriteTime(copy, *WriteTime(picture)));
         },
         48},
        {"copy of another size", [] {}, 56},
        {"no copy", [&] { DeleteFileA(copy.c_str()); }, 48},
    };
    for (const Case& c : cases) {
        ImageCache fresh(canvas->Graphics());
        canvas->SetCaches(&fresh, skin.get());
        c.prepare();
        ASSERT_TRUE(fresh.BuildFromPicture(6, picture, copy, 1, c.side, true)) << c.what;
        EXPECT_TRUE(fresh.HasEntry(6, 0)) << c.what; // the picture was decoded
        EXPECT_EQ(CachedWidth(fresh, 6, 1), c.side) << c.what;
        if (c.side == 48)
            EXPECT_EQ(Drawn(6, 1, 48), border) << c.what;
        EXPECT_TRUE(SameTime(WriteTime(copy), WriteTime(picture))) << c.what;
        // ... which the next build takes.
        ASSERT_TRUE(fresh.BuildFromPicture(7, picture, copy, 1, c.side, true)) << c.what;
        EXPECT_FALSE(fresh.HasEntry(7, 0)) << c.what;
        EXPECT_EQ(CachedWidth(fresh, 7, 1), c.side) << c.what;
        canvas->SetCaches(images.get(), skin.get());
    }
}

TEST_F(ScaledCopyTest, PicturesThatCannotServeLeaveTheEntryAlone) {
    ASSERT_TRUE(Build(5));
    // Without a copy name nothing is written; a copy that cannot be written is not needed.
    DeleteFileA(copy.c_str());
    ASSERT_TRUE(images->BuildFromPicture(6, picture, "", 4, 32, false));
    EXPECT_TRUE(images->HasEntry(6, 4));
    EXPECT_FALSE(images->HasEntry(6, 0));
    EXPECT_EQ(images->PendingWork(), 0u);
    EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(
        images->BuildFromPicture(8, picture, TempPath("qor-no-such-folder\\7.png.48.scaled"), 1, 48, true));
    EXPECT_TRUE(images->HasEntry(8, 1));

    // A missing or undecodable picture, or a level or size out of range: false, entries kept.
    const std::string damaged = TempPath("qor-copy-damaged.png");
    WriteBytes(damaged, Bytes(64, 0x42));
    EXPECT_FALSE(images->BuildFromPicture(5, TempPath("qor-copy-missing.png"), copy, 1, 48, true));
    EXPECT_FALSE(images->BuildFromPicture(5, damaged, damaged + ".48.scaled", 1, 48, true));
    EXPECT_FALSE(images->BuildFromPicture(5, picture, copy, 0, 48, true));
    EXPECT_FALSE(images->BuildFromPicture(5, picture, copy, 1, 100000, true));
    EXPECT_TRUE(images->HasEntry(5, 1));
    EXPECT_TRUE(images->HasEntry(5, 0));
    EXPECT_EQ(GetFileAttributesA((damaged + ".48.scaled").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(damaged.c_str());
}

TEST_F(ScaledCopyTest, CopiesMadeWhileTheSkinLoadsAreWrittenLater) {
    test::TestApp t;
    t.app.store.Items[5].Kind = kind::Shortcut;
    LoadSkinImages(t.app, *skin, *images, FolderSkinReader(), [&](int item) {
        if (item == 5)
            images->BuildFromPicture(5, picture, copy, 1, 48, true);
    });
    EXPECT_TRUE(images->HasEntry(5, 1));
    EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES); // not before the first frame
    EXPECT_EQ(images->PendingWork(), 1u);
    EXPECT_EQ(images->DoPendingWork(5), 1u);
    EXPECT_TRUE(SameTime(WriteTime(copy), WriteTime(picture)));
    EXPECT_EQ(images->PendingWork(), 0u);

    // Afterwards copies are written at once; unwritten ones are dropped with the images.
    DeleteFileA(copy.c_str());
    ASSERT_TRUE(Build(6));
    EXPECT_TRUE(SameTime(WriteTime(copy), WriteTime(picture)));
    DeleteFileA(copy.c_str());
    images->SetCopiesLater(true);
    ASSERT_TRUE(Build(7));
    EXPECT_EQ(images->PendingWork(), 1u);
    images->FreeAll();
    EXPECT_EQ(images->PendingWork(), 0u);
    EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ScaledCopyTest, LaterLevel0sAreMadeInTurnRebuiltFromAndForgottenWhenFreed) {
    ASSERT_TRUE(Build(1)); // writes the copy
    for (int index : {2, 3, 4, 5})
        ASSERT_TRUE(Build(index));
    EXPECT_EQ(images->PendingWork(), 4u);

    EXPECT_EQ(images->DoPendingWork(2), 2u); // lowest index first
    EXPECT_TRUE(images->HasEntry(2, 0));
    EXPECT_TRUE(images->HasEntry(3, 0));
    EXPECT_FALSE(images->HasEntry(4, 0));
    EXPECT_EQ(images->PendingWork(), 2u);

    // A new rest size re-renders from level 0, which is made first.
    images->RebuildLevel(4, 1, 40);
    EXPECT_TRUE(images->HasEntry(4, 0));
    EXPECT_EQ(CachedWidth(*images, 4, 1), 40);

    // Freed entries are forgotten; a picture gone meanwhile leaves level 0 empty.
    ASSERT_TRUE(Build(6));
    images->FreeEntries(5);
    EXPECT_EQ(images->PendingWork(), 1u);
    ASSERT_TRUE(DeleteFileA(picture.c_str()));
    EXPECT_EQ(images->DoPendingWork(10), 1u);
    EXPECT_FALSE(images->HasEntry(6, 0));
    EXPECT_TRUE(images->HasEntry(6, 1));
    EXPECT_EQ(images->PendingWork(), 0u);
    EXPECT_EQ(images->DoPendingWork(10), 0u);

    EXPECT_FALSE(Build(7)); // the picture is gone: its copy does not stand in for it
    images->FreeAll();
    EXPECT_EQ(images->PendingWork(), 0u);
}

} // namespace
} // namespace qor
