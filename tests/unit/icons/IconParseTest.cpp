#include <gtest/gtest.h>

#include <climits>

#include "icons/IconParse.h"
#include "icons/ImageFiles.h"
#include "unit/icons/IconBytes.h"

namespace qor {
namespace {

using test::BitmapImage;
using test::ByteVec;
using test::IconFile;
using test::IconGroup;
using test::PngLike;

// ---------------------------------------------------------------------------------------------
// Icon groups

TEST(IconGroupChoice, TakesTheWidestThenTheDeepestEntry) {
    struct Case {
        const char* name;
        std::vector<test::GroupEntry> entries;
        std::optional<uint16_t> chosenId;
    };
    const Case cases[] = {
        {"16/32/48 and a 256 PNG: the 256 image",
         {{16, 16, 32, 1}, {32, 32, 32, 2}, {48, 48, 32, 3}, {0, 0, 32, 4}},
         4},
        {"256 first still wins", {{0, 0, 32, 9}, {48, 48, 32, 3}}, 9},
        {"256 at 8 bits beats 48 at 32 bits", {{48, 48, 32, 3}, {0, 0, 8, 4}}, 4},
        {"32 at 8 bits vs 32 at 32 bits: the 32-bit one", {{32, 32, 8, 1}, {32, 32, 32, 2}}, 2},
        {"deeper first keeps its place", {{32, 32, 32, 2}, {32, 32, 8, 1}}, 2},
        {"two 256 images: the deeper", {{0, 0, 8, 1}, {0, 0, 32, 2}}, 2},
        {"equal entries: the first stays", {{32, 32, 32, 5}, {32, 32, 32, 6}}, 5},
        {"wider beats deeper", {{16, 16, 32, 1}, {48, 48, 4, 2}}, 2},
        {"bit counts outside 1..32 are left out",
         {{48, 48, 0, 1}, {0, 0, 64, 2}, {16, 16, 4, 3}, {32, 32, 33, 4}},
         3},
        {"nothing usable", {{48, 48, 0, 1}, {0, 0, 64, 2}}, std::nullopt},
        {"a one-pixel 1-bit image beats the starting pseudo-entry", {{1, 1, 1, 7}}, 7},
    };
    for (const Case& c : cases) {
        const ByteVec group = IconGroup(c.entries);
        const auto chosen = ChooseIconGroupEntry(group);
        ASSERT_EQ(chosen.has_value(), c.chosenId.has_value()) << c.name;
        if (chosen) {
            EXPECT_EQ(chosen->id, *c.chosenId) << c.name;
        }
    }
}

TEST(IconGroupChoice, ChosenEntryTellsSizeAndAlpha) {
    const ByteVec group = IconGroup({{0, 0, 32, 4}});
    const auto e = ChooseIconGroupEntry(group);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Width(), 256);
    EXPECT_EQ(e->Height(), 256);
    EXPECT_TRUE(e->KeepAlpha());
    const auto low = ChooseIconGroupEntry(IconGroup({{32, 24, 8, 4}}));
    ASSERT_TRUE(low);
    EXPECT_EQ(low->Width(), 32);
    EXPECT_EQ(low->Height(), 24);
    EXPECT_FALSE(low->KeepAlpha());
}

TEST(IconGroupParse, CountComesFromTheBytesNotTheHeader) {
    const std::vector<test::GroupEntry> two = {{16, 16, 32, 1}, {32, 32, 32, 2}};
    // A header claiming 65535 images reads only the two present; one claiming none still
    // reads them.
    EXPECT_EQ(ParseIconGroup(IconGroup(two, 0xFFFF)).size(), 2u);
    EXPECT_EQ(ParseIconGroup(IconGroup(two, 0)).size(), 2u);
    EXPECT_EQ(ChooseIconGroupEntry(IconGroup(two, 0xFFFF))->id, 2);
    // A cut entry at the end is not read.
    ByteVec cut = IconGroup(two);
    cut.resize(cut.size() - 3);
    const auto entries = ParseIconGroup(cut);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id, 1);
}

TEST(IconGroupParse, GroupsOf19BytesOrLessAreNotUsed) {
    ByteVec group = IconGroup({{32, 32, 32, 1}});
    ASSERT_EQ(group.size(), 20u);
    EXPECT_EQ(ParseIconGroup(group).size(), 1u);
    for (std::size_t size : {0u, 1u, 6u, 19u}) {
        ByteVec small(group.begin(), group.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_TRUE(ParseIconGroup(small).empty()) << size;
        EXPECT_FALSE(ChooseIconGroupEntry(small)) << size;
    }
}

TEST(IconGroupNames, PicksThePositionOrTheLastName) {
    const std::vector<std::string> names = {"1", "MAINICON", "300"};
    struct Case {
        int32_t wanted;
        std::optional<std::string> result;
    };
    const Case cases[] = {{0, "1"}, {1, "MAINICON"}, {2, "300"}, {3, "300"}, {1000, "300"}, {INT_MAX, "300"}};
    for (const Case& c : cases) {
        IconGroupNamePicker picker(c.wanted);
        for (const auto& n : names)
            picker.Add(n);
        EXPECT_EQ(picker.Result(), c.result) << c.wanted;
    }
    EXPECT_FALSE(IconGroupNamePicker(0).Result());
}

TEST(IconGroupNames, NegativeIndexNamesTheIdentifier) {
    EXPECT_EQ(IconGroupNameFromIndex(-152), "152");
    EXPECT_EQ(IconGroupNameFromIndex(-1), "1");
    EXPECT_EQ(IconGroupNameFromIndex(-65535), "65535");
    EXPECT_FALSE(IconGroupNameFromIndex(-65536));
    EXPECT_FALSE(IconGroupNameFromIndex(INT_MIN));
    EXPECT_FALSE(IconGroupNameFromIndex(0));
    EXPECT_EQ(ResourceIdName(14), "14");
}

// ---------------------------------------------------------------------------------------------
// Icon images

TEST(SafeIconImage, PadsShortBitmapsAndRefusesNonsense) {
    const ByteVec full = BitmapImage(32, 32, 32);
    // header 40 + colour rows and mask rows counted over the doubled height
    const std::size_t bound = 40 + (32 * 4 + 4) * 64;
    ByteVec cut(full.begin(), full.begin() + 100);
    const Bytes safe = SafeIconImage(cut);
    ASSERT_EQ(safe.size(), bound);
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), safe.begin()));
    EXPECT_EQ(safe.back(), 0);
    // A complete image is never shortened.
    EXPECT_GE(SafeIconImage(full).size(), full.size());
    // 8-bit with its 256-entry colour table.
    const ByteVec eight = BitmapImage(16, 16, 8);
    EXPECT_EQ(SafeIconImage(ByteVec(eight.begin(), eight.begin() + 40)).size(),
              40u + 256 * 4 + (16 + 4) * 32);
    // PNG data passes unchanged.
    const ByteVec png = PngLike(30);
    EXPECT_EQ(SafeIconImage(png), Bytes(png.begin(), png.end()));

    auto with = [&](std::size_t at, uint32_t value) {
        ByteVec b = full;
        test::Set32(b, at, value);
        return b;
    };
    EXPECT_TRUE(SafeIconImage(ByteVec(full.begin(), full.begin() + 39)).empty());
    EXPECT_TRUE(SafeIconImage(with(0, 12)).empty());          // too small a header
    EXPECT_TRUE(SafeIconImage(with(0, 0x7FFFFFFF)).empty());  // absurd header size
    EXPECT_TRUE(SafeIconImage(with(4, 0)).empty());           // no width
    EXPECT_TRUE(SafeIconImage(with(4, 0x80000000u)).empty()); // negative width
    EXPECT_TRUE(SafeIconImage(with(8, 0xFFFFFFF0u)).empty()); // negative height
    EXPECT_TRUE(SafeIconImage(with(8, 100000)).empty());      // huge height
    EXPECT_TRUE(SafeIconImage(with(4, 257)).empty());         // wider than an icon
    EXPECT_FALSE(SafeIconImage(with(4, 256)).empty());
    EXPECT_TRUE(SafeIconImage(with(12, 0x00070001)).empty()); // 7 bits per pixel
    EXPECT_TRUE(SafeIconImage(with(16, 4)).empty());          // JPEG compression
    ByteVec palette = BitmapImage(16, 16, 4);
    test::Set32(palette, 32, 17); // more colours than 4 bits hold
    EXPECT_TRUE(SafeIconImage(palette).empty());
}

// ---------------------------------------------------------------------------------------------
// Icon files

TEST(IconFilePlan, PngFileUnderAnIcoNameIsReencodedWhole) {
    const ByteVec png = PngLike(200);
    const IconFilePlan plan = PlanIconFileConversion(png);
    EXPECT_EQ(plan.outcome, IconFileOutcome::ImageFile);
}

TEST(IconFilePlan, ChoosesTheImageOfAnOrdinaryFile) {
    const ByteVec b16 = BitmapImage(16, 16, 32), b32 = BitmapImage(32, 32, 32), b48 = BitmapImage(48, 48, 32);
    const ByteVec b32x8 = BitmapImage(32, 32, 8), b16x4 = BitmapImage(16, 16, 4);
    const ByteVec png = PngLike(300);
    struct Case {
        const char* name;
        std::vector<test::FileImage> images;
        std::size_t chosen; // which image's data
        IconFileOutcome outcome;
        int width, height;
        bool alpha;
    };
    const Case cases[] = {
        {"single bitmap image", {{32, 32, 32, b32}}, 0, IconFileOutcome::Bitmap, 32, 32, true},
        {"later wider entry beats a smaller first image",
         {{16, 16, 32, b16}, {32, 32, 32, b32}, {48, 48, 32, b48}},
         2,
         IconFileOutcome::Bitmap,
         48,
         48,
         true},
        {"wider first image beats the entries",
         {{48, 48, 32, b48}, {16, 16, 32, b16}, {32, 32, 32, b32}},
         0,
         IconFileOutcome::Bitmap,
         48,
         48,
         true},
        {"deeper colour first, then width",
         {{16, 16, 4, b16x4}, {48, 48, 8, BitmapImage(48, 48, 8)}, {32, 32, 32, b32}},
         2,
         IconFileOutcome::Bitmap,
         32,
         32,
         true},
        {"32-bit first image beats an 8-bit entry of equal width",
         {{32, 32, 32, b32}, {32, 32, 8, b32x8}},
         0,
         IconFileOutcome::Bitmap,
         32,
         32,
         true},
        {"8-bit first image loses to a 32-bit entry",
         {{32, 32, 8, b32x8}, {32, 32, 32, b32}},
         1,
         IconFileOutcome::Bitmap,
         32,
         32,
         true},
        {"256-pixel PNG entry is taken at once",
         {{16, 16, 32, b16}, {0, 0, 32, png}, {48, 48, 32, b48}},
         1,
         IconFileOutcome::Png,
         256,
         256,
         true},
        {"PNG as the first image wins",
         {{0, 0, 32, png}, {48, 48, 32, b48}},
         0,
         IconFileOutcome::Png,
         256,
         256,
         true},
        {"8-bit only file draws without alpha",
         {{32, 32, 8, b32x8}},
         0,
         IconFileOutcome::Bitmap,
         32,
         32,
         false},
        {"an entry without a bit count loses to the first image's own",
         {{16, 16, 4, b16x4}, {32, 32, 0, b32x8}},
         0,
         IconFileOutcome::Bitmap,
         16,
         16,
         false},
        {"a 32-bit first image beats wider entries without a bit count",
         {{32, 32, 32, b32}, {16, 16, 0, b16x4}, {48, 48, 0, b16x4}},
         0,
         IconFileOutcome::Bitmap,
         32,
         32,
         true},
    };
    for (const Case& c : cases) {
        const ByteVec file = IconFile(c.images);
        const IconFilePlan plan = PlanIconFileConversion(file);
        const auto entries = ParseIconFileDirectory(file);
        ASSERT_EQ(entries.size(), c.images.size()) << c.name;
        EXPECT_EQ(plan.outcome, c.outcome) << c.name;
        EXPECT_EQ(plan.offset, entries[c.chosen].offset) << c.name;
        EXPECT_EQ(plan.size, c.images[c.chosen].data.size()) << c.name;
        EXPECT_EQ(plan.width, c.width) << c.name;
        EXPECT_EQ(plan.height, c.height) << c.name;
        EXPECT_EQ(plan.keepAlpha, c.alpha) << c.name;
    }
}

TEST(IconFilePlan, LaterOfEqualEntriesWins) {
    const ByteVec b16 = BitmapImage(16, 16, 4);
    const ByteVec a = BitmapImage(32, 32, 32, 0x11111111), b = BitmapImage(32, 32, 32, 0x22222222);
    const ByteVec file = IconFile({{16, 16, 4, b16}, {32, 32, 32, a}, {32, 32, 32, b}});
    EXPECT_EQ(PlanIconFileConversion(file).offset, ParseIconFileDirectory(file)[2].offset);
}

TEST(IconFilePlan, ReadsEachImageByItsOwnOffsetInUnusualLayouts) {
    // Images stored in reverse order with a gap after the directory: the first entry's data
    // is at the end of the file, so the bytes right after the directory are not an image.
    const ByteVec small = BitmapImage(16, 16, 32), large = BitmapImage(48, 48, 32);
    ByteVec file;
    test::Put16(file, 0);
    test::Put16(file, 1);
    test::Put16(file, 2);
    const uint32_t gap = 6 + 32 + 10;
    const uint32_t smallAt = gap, largeAt = gap + static_cast<uint32_t>(small.size());
    for (auto [w, data, at] : {std::tuple{48, &large, largeAt}, std::tuple{16, &small, smallAt}}) {
        file.push_back(static_cast<uint8_t>(w));
        file.push_back(static_cast<uint8_t>(w));
        file.push_back(0);
        file.push_back(0);
        test::Put16(file, 1);
        test::Put16(file, 32);
        test::Put32(file, static_cast<uint32_t>(data->size()));
        test::Put32(file, at);
    }
    file.insert(file.end(), 10, 0xEE);
    file.insert(file.end(), small.begin(), small.end());
    file.insert(file.end(), large.begin(), large.end());
    const IconFilePlan plan = PlanIconFileConversion(file);
    EXPECT_EQ(plan.outcome, IconFileOutcome::Bitmap);
    EXPECT_EQ(plan.offset, largeAt);
    EXPECT_EQ(plan.size, large.size());
    EXPECT_EQ(plan.width, 48);
}

TEST(IconFilePlan, DamagedFilesGiveNoIconOrStayInside) {
    const ByteVec img = BitmapImage(32, 32, 32);
    const ByteVec good = IconFile({{32, 32, 32, img}, {16, 16, 32, BitmapImage(16, 16, 32)}});

    // Too short for a directory, or no images declared.
    for (std::size_t n : {0u, 5u, 6u, 21u})
        EXPECT_EQ(PlanIconFileConversion(ByteVec(good.begin(), good.begin() + n)).outcome,
                  IconFileOutcome::None)
            << n;
    ByteVec none = good;
    none[4] = none[5] = 0;
    EXPECT_EQ(PlanIconFileConversion(none).outcome, IconFileOutcome::None);

    // A huge count reads only the entries that fit; the plan stays inside the file.
    ByteVec huge = good;
    huge[4] = huge[5] = 0xFF;
    const IconFilePlan h = PlanIconFileConversion(huge);
    EXPECT_LE(h.offset + h.size, huge.size());

    // Offsets past the end: nothing.
    ByteVec far = IconFile({{32, 32, 32, img}});
    test::Set32(far, test::IcoOffsetField(0), 0xFFFFFFF0u);
    EXPECT_EQ(PlanIconFileConversion(far).outcome, IconFileOutcome::None);
    test::Set32(far, test::IcoOffsetField(0), static_cast<uint32_t>(far.size()));
    EXPECT_EQ(PlanIconFileConversion(far).outcome, IconFileOutcome::None);

    // A size past the end is cut at the end of the file.
    ByteVec longer = IconFile({{32, 32, 32, img}});
    test::Set32(longer, test::IcoSizeField(0), 0xFFFFFFFFu);
    const IconFilePlan l = PlanIconFileConversion(longer);
    EXPECT_EQ(l.outcome, IconFileOutcome::Bitmap);
    EXPECT_EQ(l.offset + l.size, longer.size());

    // The chosen entry's data outside the file: nothing rather than another image.
    ByteVec lost = good;
    test::Set32(lost, test::IcoOffsetField(1), 0x7FFFFFFF);
    test::Set32(lost, test::IcoOffsetField(0), 0x7FFFFFFF);
    EXPECT_EQ(PlanIconFileConversion(lost).outcome, IconFileOutcome::None);

    // Data that begins like PNG but is not: refused.
    ByteVec fakePng = PngLike(100);
    fakePng[5] = 0;
    EXPECT_EQ(PlanIconFileConversion(IconFile({{0, 0, 32, fakePng}})).outcome, IconFileOutcome::None);

    // A first image that is neither PNG nor a bitmap, with no other entry: nothing.
    EXPECT_EQ(PlanIconFileConversion(IconFile({{32, 32, 32, ByteVec(64, 0x41)}})).outcome,
              IconFileOutcome::None);
}

// ---------------------------------------------------------------------------------------------
// Version resources

TEST(VersionKeys, NumbersNameTheStringTableKeys) {
    const char* expected[] = {"Comments",       "InternalName",   "ProductName",      "CompanyName",
                              "LegalCopyright", "ProductVersion", "FileDescription",  "LegalTrademarks",
                              "PrivateBuild",   "FileVersion",    "OriginalFilename", "SpecialBuild"};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(VersionKey(i), expected[i]) << i;
    EXPECT_EQ(VersionKey(kFileDescriptionKey), "FileDescription");
    EXPECT_TRUE(VersionKey(-1).empty());
    EXPECT_TRUE(VersionKey(12).empty());
}

TEST(VersionKeys, SubBlockPathOfATranslationPair) {
    EXPECT_EQ(VersionSubBlockPath(0x0409, 0x04B0, "FileDescription"),
              "\\StringFileInfo\\040904B0\\FileDescription");
    EXPECT_EQ(VersionSubBlockPath(0x0c0a, 0x04e4, "ProductName"), "\\StringFileInfo\\0C0A04E4\\ProductName");
    EXPECT_EQ(VersionSubBlockPath(0, 0, "Comments"), "\\StringFileInfo\\00000000\\Comments");
}

ByteVec SampleVersionBlock() {
    ByteVec b;
    // A 4-aligned stand-in for the block's headers, with a non-text entry naming a key.
    test::Put16(b, 0);
    test::Put16(b, 0);
    test::Put16(b, 0);
    test::PutText16(b, u"FileDescription"); // type 0: not a text entry
    test::Align4(b);
    test::VersionString(b, u"CompanyName", u"Example Corp"); // odd key length: padded
    test::VersionString(b, u"FileDescription", u"Sample Editor");
    test::VersionString(b, u"Comments", u"No padding here"); // even key length
    test::VersionString(b, u"InternalName", u"sample");
    test::VersionString(b, u"ProductNameX", u"wrong one");
    test::VersionString(b, u"LegalTrademarks", u"", false);
    test::VersionString(b, u"ProductName", u"Sample");
    return b;
}

TEST(VersionRawSearch, FindsValuesAfterTheirKeys) {
    const ByteVec block = SampleVersionBlock();
    EXPECT_EQ(FindVersionStringRaw(block, "FileDescription"), u"Sample Editor");
    EXPECT_EQ(FindVersionStringRaw(block, "CompanyName"), u"Example Corp");
    EXPECT_EQ(FindVersionStringRaw(block, "Comments"), u"No padding here");
    EXPECT_EQ(FindVersionStringRaw(block, "InternalName"), u"sample");
    EXPECT_EQ(FindVersionStringRaw(block, "ProductName"), u"Sample");
    EXPECT_EQ(FindVersionStringRaw(block, "LegalTrademarks"), u"");
    EXPECT_EQ(FindVersionStringRaw(block, "Product"), u"");
    EXPECT_EQ(FindVersionStringRaw(block, "SpecialBuild"), u"");
    EXPECT_EQ(FindVersionStringRaw(block, ""), u"");
}

TEST(VersionRawSearch, StopsAtTheEndOfTheBlock) {
    ByteVec b;
    test::VersionString(b, u"FileDescription", u"Cut short");
    // Cut inside the value: the characters present, no more.
    const std::size_t valueAt = 6 + 32 + 2;
    ByteVec cut(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(valueAt + 7)); // 3.5 characters
    EXPECT_EQ(FindVersionStringRaw(cut, "FileDescription"), u"Cut");
    // Cut right after the key: nothing to read.
    ByteVec bare(b.begin(), b.begin() + 6 + 32);
    EXPECT_EQ(FindVersionStringRaw(bare, "FileDescription"), u"");
    // Cut inside the key.
    ByteVec inKey(b.begin(), b.begin() + 20);
    EXPECT_EQ(FindVersionStringRaw(inKey, "FileDescription"), u"");
    EXPECT_EQ(FindVersionStringRaw(ByteVec{}, "FileDescription"), u"");
    EXPECT_EQ(FindVersionStringRaw(ByteVec{1}, "FileDescription"), u"");
}

// ---------------------------------------------------------------------------------------------
// PNG signature and codecs

TEST(PngSignature, AllEightBytesMustMatch) {
    const ByteVec png = PngLike(8);
    EXPECT_TRUE(IsPngSignature(png));
    EXPECT_TRUE(IsPngSignature(PngLike(100)));
    EXPECT_FALSE(IsPngSignature(ByteVec(png.begin(), png.begin() + 7)));
    EXPECT_FALSE(IsPngSignature(ByteVec{}));
    for (std::size_t i = 0; i < 8; ++i) {
        ByteVec bad = png;
        bad[i] ^= 0x20;
        EXPECT_FALSE(IsPngSignature(bad)) << i;
    }
}

TEST(EncoderClsids, IndexNamesTheCodec) {
    const std::pair<int, const char*> table[] = {
        {encoder::Bmp, "{557CF400-1A04-11D3-9A73-0000F81EF32E}"},
        {encoder::Emf, "{557CF403-1A04-11D3-9A73-0000F81EF32E}"},
        {encoder::Wmf, "{557CF404-1A04-11D3-9A73-0000F81EF32E}"},
        {encoder::Jpeg, "{557CF401-1A04-11D3-9A73-0000F81EF32E}"},
        {encoder::Png, "{557CF406-1A04-11D3-9A73-0000F81EF32E}"},
        {encoder::Gif, "{557CF402-1A04-11D3-9A73-0000F81EF32E}"},
        {encoder::Tiff, "{557CF405-1A04-11D3-9A73-0000F81EF32E}"},
        {encoder::Ico, "{557CF407-1A04-11D3-9A73-0000F81EF32E}"},
        {-1, "{00000000-0000-0000-0000-000000000000}"},
        {8, "{00000000-0000-0000-0000-000000000000}"},
    };
    for (const auto& [index, clsid] : table)
        EXPECT_EQ(EncoderClsid(index), clsid) << index;
}

} // namespace
} // namespace qor
