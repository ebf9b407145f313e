// Byte layouts of QORCfg.cfg and QORMenu.cfg, checked against buffers built here field by field
// at their documented offsets, and the parsers' handling of short and nonsensical input.
#include <gtest/gtest.h>

#include <cstring>

#include "core/ConfigFormat.h"

namespace qor {
namespace {

// Little-endian value of `size` bytes at `offset`, written without the code under test.
void PutAt(Bytes& b, std::size_t offset, int64_t value, int size) {
    const auto u = static_cast<uint64_t>(value);
    for (int k = 0; k < size; ++k)
        b[offset + k] = static_cast<uint8_t>((u >> (8 * k)) & 0xFF);
}

void TextAt(Bytes& b, std::size_t offset, const std::string& text, std::size_t width) {
    for (std::size_t k = 0; k < width; ++k)
        b[offset + k] = k < text.size() ? static_cast<uint8_t>(text[k]) : ' ';
}

DockSettings SampleSettings() {
    DockSettings s;
    s.IconSize = 40;
    s.MaxIconSize = 128;
    s.MagnifiedSize = 72;
    s.Radius = 250;
    s.IconCountCode = 5;
    s.BackColor = {1, 2, 3, 200};
    s.Spare1 = 7;
    s.AutoRun = -1;
    s.UserIconPath = "C:\\Icons\\me.ico";
    s.Spare2 = "spare";
    s.Spare3 = 0x01020304;
    s.WindowLeft = 6000;
    s.WindowTop = -2;
    s.Spare4 = 8;
    s.LockDragging = -1;
    s.HideGetStarted = 3;
    s.HideDesktopIcons = 1;
    s.AutoHide = 1;
    s.DisplayLetter = 1;
    s.MinimizedPosition = 6;
    s.ClearType = 1;
    s.Spare5 = 0xAB;
    return s;
}

Bytes HandBuiltSettings() {
    Bytes b(564, 0);
    PutAt(b, 0, 40, 4);
    PutAt(b, 4, 128, 4);
    PutAt(b, 8, 72, 4);
    PutAt(b, 12, 250, 4);
    PutAt(b, 16, 5, 4);
    b[20] = 1;
    b[21] = 2;
    b[22] = 3;
    b[23] = 200;
    PutAt(b, 24, 7, 2);
    PutAt(b, 26, -1, 2);
    TextAt(b, 28, "C:\\Icons\\me.ico", 255);
    TextAt(b, 283, "spare", 255);
    PutAt(b, 538, 0x01020304, 4);
    PutAt(b, 542, 6000, 4);
    PutAt(b, 546, -2, 4);
    PutAt(b, 550, 8, 4);
    PutAt(b, 554, -1, 2);
    PutAt(b, 556, 3, 2);
    b[558] = 1;
    b[559] = 1;
    b[560] = 1;
    b[561] = 6;
    b[562] = 1;
    b[563] = 0xAB;
    return b;
}

DockItem SampleItem(int seed) {
    DockItem it;
    it.Kind = 5;
    it.Category = 2;
    it.IsSystem = -1;
    it.Param = 70 + seed;
    it.Spare = -3;
    it.IconRef = 300 + seed;
    it.Target = "C:\\Target" + std::to_string(seed);
    it.Title = "Title";
    it.LargeIconPath = "C:\\large.png";
    it.IconPath = "C:\\icon.png";
    it.TargetPath = "C:\\resolved.exe";
    it.Arguments = "/x";
    it.RunMode = 2;
    return it;
}

Bytes HandBuiltItem(int seed) {
    Bytes b(1297, 0);
    PutAt(b, 0, 5, 4);
    b[4] = 2;
    PutAt(b, 5, -1, 2);
    PutAt(b, 7, 70 + seed, 4);
    PutAt(b, 11, -3, 2);
    PutAt(b, 13, 300 + seed, 4);
    TextAt(b, 17, "C:\\Target" + std::to_string(seed), 255);
    TextAt(b, 272, "Title", 128);
    TextAt(b, 400, "C:\\large.png", 255);
    TextAt(b, 655, "C:\\icon.png", 255);
    TextAt(b, 910, "C:\\resolved.exe", 255);
    TextAt(b, 1165, "/x", 128);
    PutAt(b, 1293, 2, 4);
    return b;
}

// A group record with the standard array (1025 elements for group 3, 37 otherwise).
Bytes HandBuiltGroup(int g, const std::vector<int32_t>& members, int32_t count) {
    const int elements = g == 3 ? 1025 : 37;
    Bytes b(10 + 4 * elements + 4, 0);
    PutAt(b, 0, 1, 2);
    PutAt(b, 2, elements, 4);
    PutAt(b, 6, 0, 4);
    PutAt(b, 10, g, 4);
    for (std::size_t j = 0; j < members.size(); ++j)
        PutAt(b, 10 + 4 * (j + 1), members[j], 4);
    PutAt(b, 10 + 4 * elements, count, 4);
    return b;
}

// A hand-built standard menu file: the given group records (others empty) and free items,
// with the given items placed.
Bytes HandBuiltMenu(const std::map<int, Bytes>& groups, const std::map<int, Bytes>& items) {
    Bytes out;
    for (int g = 3; g <= 36; ++g) {
        auto it = groups.find(g);
        const Bytes rec = it != groups.end() ? it->second : HandBuiltGroup(g, {}, 0);
        out.insert(out.end(), rec.begin(), rec.end());
    }
    for (int i = 0; i <= 1024; ++i) {
        auto it = items.find(i);
        const Bytes rec = it != items.end() ? it->second : Bytes(1297, 0);
        out.insert(out.end(), rec.begin(), rec.end());
    }
    return out;
}

Store StandardStore() {
    Store s;
    s.Create();
    return s;
}

TEST(ConfigFormat, SizesOfTheLayouts) {
    EXPECT_EQ(kSettingsFileSize, 564u);
    EXPECT_EQ(kItemRecordSize, 1297u);
    EXPECT_EQ(kStandardMenuFileSize, 1338885u);
    EXPECT_EQ(HandBuiltGroup(3, {}, 0).size(), kAllProgramsRecordSize);
    EXPECT_EQ(HandBuiltGroup(4, {}, 0).size(), kGroupRecordSize);
}

TEST(ConfigFormat, SettingsRecordIsByteExact) {
    EXPECT_EQ(SerializeSettings(SampleSettings()), HandBuiltSettings());
    const auto parsed = ParseSettings(HandBuiltSettings());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, SampleSettings());
}

TEST(ConfigFormat, SettingsTextFieldsReadBackThroughCleaning) {
    Bytes b = HandBuiltSettings();
    // A NUL inside the field ends the text; zero bytes count as unused like blanks.
    std::memset(&b[28], 0, 255);
    std::memcpy(&b[28], "  abc\0def", 9);
    const auto parsed = ParseSettings(b);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->UserIconPath.Peek(), "abc");
}

TEST(ConfigFormat, SettingsShorterThanTheRecordAreUnreadable) {
    const Bytes b = HandBuiltSettings();
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{26}, std::size_t{563}})
        EXPECT_FALSE(ParseSettings(ByteSpan(b.data(), n))) << n;
    Bytes longer = b;
    longer.push_back(0x55);
    ASSERT_TRUE(ParseSettings(longer));
    EXPECT_EQ(*ParseSettings(longer), SampleSettings()); // trailing bytes are not looked at
}

TEST(ConfigFormat, ItemRecordIsByteExact) {
    Bytes out;
    AppendItemRecord(out, SampleItem(1));
    EXPECT_EQ(out, HandBuiltItem(1));

    const Bytes b = HandBuiltItem(2);
    ByteReader in(b);
    DockItem read;
    ASSERT_TRUE(ReadItemRecord(in, read));
    EXPECT_EQ(read, SampleItem(2));
    EXPECT_EQ(in.Position(), 1297u);
}

TEST(ConfigFormat, GroupRecordsAreByteExact) {
    Store s = StandardStore();
    s.Groups[3].Members[1] = 200;
    s.Groups[3].Members[2] = 201;
    s.Groups[3].Count = 2;
    Bytes out;
    AppendGroupRecord(out, s.Groups[3]);
    EXPECT_EQ(out, HandBuiltGroup(3, {200, 201}, 2));

    s.Groups[7].Members[1] = 150;
    s.Groups[7].Count = 1;
    out.clear();
    AppendGroupRecord(out, s.Groups[7]);
    EXPECT_EQ(out, HandBuiltGroup(7, {150}, 1));

    // An array that was never created: dimension count 0, then only Count.
    DockGroup never;
    never.Members.clear();
    never.Count = 0;
    out.clear();
    AppendGroupRecord(out, never);
    EXPECT_EQ(out, (Bytes{0, 0, 0, 0, 0, 0}));
}

TEST(ConfigFormat, MenuFileIsByteExact) {
    Store s = StandardStore();
    s.Items[129] = SampleItem(9);
    s.Items[1024] = SampleItem(10);
    s.Groups[3].Members[1] = 129;
    s.Groups[3].Count = 1;
    s.Groups[36].Members[1] = 1024;
    s.Groups[36].Count = 1;
    s.Items.push_back(SampleItem(11)); // item 1025 is never stored

    const Bytes expected =
        HandBuiltMenu({{3, HandBuiltGroup(3, {129}, 1)}, {36, HandBuiltGroup(36, {1024}, 1)}},
                      {{129, HandBuiltItem(9)}, {1024, HandBuiltItem(10)}});
    const Bytes out = SerializeMenu(s);
    ASSERT_EQ(out.size(), 1338885u);
    EXPECT_TRUE(out == expected);

    const auto image = ParseMenu(expected);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size, 1338885u);
    EXPECT_EQ(image->repairs, 0);
    EXPECT_EQ(image->items[129], SampleItem(9));
    EXPECT_EQ(image->items[1024], SampleItem(10));
    EXPECT_EQ(image->Group(3), s.Groups[3]);
    EXPECT_EQ(image->Group(36), s.Groups[36]);
    EXPECT_EQ(image->Group(20), s.Groups[20]);
}

TEST(ConfigFormat, MenuEndingEarlyAnywhereIsUnreadable) {
    const Bytes full = HandBuiltMenu({}, {});
    // Inside the first group, at a group boundary, inside the items, one byte short.
    for (std::size_t n :
         {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{4114}, std::size_t{4114 + 100},
          std::size_t{4114 + 33 * 162}, std::size_t{4114 + 33 * 162 + 1297 * 500}, full.size() - 1})
        EXPECT_FALSE(ParseMenu(ByteSpan(full.data(), n))) << n;
    EXPECT_TRUE(ParseMenu(full));
}

TEST(ConfigFormat, GroupRecordsWithImpossibleShapesAreUnreadable) {
    struct Case {
        const char* what;
        int16_t dims;
        int32_t elements;
    } cases[] = {
        {"negative dimension count", -1, 37},
        {"two dimensions", 2, 37},
        {"negative element count", 1, -1},
        {"element count past the end", 1, 0x7FFFFFFF},
        {"element count past the end, smaller", 1, 400000},
    };
    for (const Case& c : cases) {
        Bytes b = HandBuiltMenu({}, {});
        const std::size_t at = 4114; // group 4
        PutAt(b, at, c.dims, 2);
        PutAt(b, at + 2, c.elements, 4);
        EXPECT_FALSE(ParseMenu(b)) << c.what;
    }
}

TEST(ConfigFormat, OtherArrayShapesAreTakenIntoTheStandardSize) {
    // Group 4 stored with 3 elements and a never-created group 5: the file is shorter than the
    // standard one but consistent, and loads with standard arrays.
    Bytes g4(10 + 12 + 4, 0);
    PutAt(g4, 0, 1, 2);
    PutAt(g4, 2, 3, 4);
    PutAt(g4, 6, 0, 4);
    PutAt(g4, 10, 4, 4);
    PutAt(g4, 14, 130, 4);
    PutAt(g4, 18, 131, 4);
    PutAt(g4, 22, 2, 4);
    const Bytes g5{0, 0, 0, 0, 0, 0};
    Bytes item = HandBuiltItem(0);
    const Bytes b = HandBuiltMenu({{4, g4}, {5, g5}}, {{130, item}, {131, item}});
    const auto image = ParseMenu(b);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size, b.size());
    EXPECT_EQ(image->Group(4).Members.size(), 37u);
    EXPECT_EQ(image->Group(4).Count, 2);
    EXPECT_EQ(image->Group(4).Members[1], 130);
    EXPECT_EQ(image->Group(4).Members[2], 131);
    EXPECT_EQ(image->Group(5).Members.size(), 37u);
    EXPECT_EQ(image->Group(5).Members[0], 5);
    EXPECT_GT(image->repairs, 0);
}

TEST(ConfigFormat, NonsenseInGroupsIsRepaired) {
    Bytes used = HandBuiltItem(0); // Kind 5
    struct Case {
        const char* what;
        int group;
        std::vector<int32_t> members;
        int32_t count;
        std::vector<int32_t> expected;
    } cases[] = {
        {"count beyond the array", 4, {130, 131}, 5000, {130, 131}},
        {"negative count", 4, {130}, -7, {}},
        {"index outside Items", 4, {130, 5000, -3, 131}, 4, {130, 131}},
        {"free pool item", 4, {130, 600, 131}, 3, {130, 131}},
        {"built-in item in a user group", 6, {70, 130}, 2, {130}},
        {"listed twice", 4, {130, 130, 131}, 3, {130, 131}},
        {"count larger than All Programs' room", 3, {130, 131}, 1025, {130, 131}},
    };
    for (const Case& c : cases) {
        const Bytes b = HandBuiltMenu({{c.group, HandBuiltGroup(c.group, c.members, c.count)}},
                                      {{130, used}, {131, used}});
        auto image = ParseMenu(b);
        ASSERT_TRUE(image) << c.what;
        const DockGroup& g = image->Group(c.group);
        ASSERT_EQ(g.Count, static_cast<int>(c.expected.size())) << c.what;
        for (std::size_t j = 0; j < c.expected.size(); ++j)
            EXPECT_EQ(g.Members[j + 1], c.expected[j]) << c.what;
        EXPECT_EQ(image->storedCounts[c.group - 3], c.count);
        EXPECT_GT(image->repairs, 0) << c.what;
    }
}

TEST(ConfigFormat, MemberListedByTwoGroupsStaysWithTheFirst) {
    const Bytes used = HandBuiltItem(0);
    const Bytes b = HandBuiltMenu({{4, HandBuiltGroup(4, {130}, 1)}, {9, HandBuiltGroup(9, {130, 131}, 2)}},
                                  {{130, used}, {131, used}});
    auto image = ParseMenu(b);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Group(4).Count, 1);
    EXPECT_EQ(image->Group(9).Count, 1);
    EXPECT_EQ(image->Group(9).Members[1], 131);
}

TEST(ConfigFormat, PositionZeroAlwaysHoldsTheGroup) {
    Bytes g = HandBuiltGroup(8, {}, 0);
    PutAt(g, 10, 77, 4);
    auto image = ParseMenu(HandBuiltMenu({{8, g}}, {}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Group(8).Members[0], 8);
}

TEST(ConfigFormat, ShiftedLowerBoundPlacesElementsByIndex) {
    // Lower bound 1: the stored elements are positions 1..37; position 37 is outside the room.
    Bytes g = HandBuiltGroup(10, {}, 0);
    PutAt(g, 6, 1, 4);
    PutAt(g, 10, 130, 4); // position 1
    PutAt(g, 10 + 4 * 37, 1, 4);
    const Bytes used = HandBuiltItem(0);
    auto image = ParseMenu(HandBuiltMenu({{10, g}}, {{130, used}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Group(10).Members[0], 10);
    EXPECT_EQ(image->Group(10).Count, 1);
    EXPECT_EQ(image->Group(10).Members[1], 130);

    // Lower bound -2: elements 0 and 1 lie before the room, element 3 is position 1. Lower bound
    // 5000: nothing lies in the room. Either way the whole record is read, and the next one after it.
    for (const int32_t lower : {-2, 5000}) {
        Bytes shifted = HandBuiltGroup(10, {}, 0);
        PutAt(shifted, 6, static_cast<uint32_t>(lower), 4);
        PutAt(shifted, 10 + 4 * 3, 130, 4);
        PutAt(shifted, 10 + 4 * 37, 1, 4);
        auto parsed = ParseMenu(
            HandBuiltMenu({{10, shifted}, {11, HandBuiltGroup(11, {131}, 1)}}, {{130, used}, {131, used}}));
        ASSERT_TRUE(parsed) << lower;
        EXPECT_EQ(parsed->Group(10).Count, lower == -2 ? 1 : 0) << lower;
        EXPECT_EQ(parsed->Group(10).Members[1], lower == -2 ? 130 : 0) << lower;
        EXPECT_EQ(parsed->Group(11).Members[1], 131) << lower;
    }
}

TEST(ConfigFormat, ReaderNeverReadsPastTheSpan) {
    const Bytes b{1, 2, 3};
    ByteReader in(b);
    EXPECT_EQ(in.I16(), 0x0201);
    EXPECT_EQ(in.I32(), 0); // only one byte left
    EXPECT_FALSE(in.Ok());
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_TRUE(in.Take(1).empty());
}

} // namespace
} // namespace qor
