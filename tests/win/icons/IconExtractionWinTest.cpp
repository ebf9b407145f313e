// Icon extraction and the PNG encoders under Wine: real programs and libraries of the prefix,
// executables given icon and version resources by the test itself (UpdateResource on a copy of
// this test program, which has none of its own), and icon and picture files built byte by byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "icons/IconExtraction_win.h"
#include "icons/ImageFiles.h"
#include "icons/ImageFiles_win.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"
#include "unit/icons/IconBytes.h"

namespace qor {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;
using test::ByteVec;

// ---------------------------------------------------------------------------------------------
// Files and pictures

std::string SystemFolder() {
    char buffer[MAX_PATH] = {};
    GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer) + "\\";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ByteVec ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteVec(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const ByteVec& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// What a written picture holds, read back through GDI+.
struct Picture {
    bool loaded = false;
    UINT width = 0, height = 0;
    std::vector<ARGB> pixels;
    ARGB At(UINT x, UINT y) const { return pixels[y * width + x]; }
    static uint8_t Alpha(ARGB p) { return static_cast<uint8_t>(p >> 24); }
};

Picture LoadPicture(const std::string& path) {
    Picture p;
    GpBitmap* raw = nullptr;
    const std::wstring wide = gdip::Widen(path);
    if (GdipCreateBitmapFromFile(wide.c_str(), &raw) != Ok || !raw)
        return p;
    gdip::Image image(raw);
    GdipGetImageWidth(image.get(), &p.width);
    GdipGetImageHeight(image.get(), &p.height);
    p.pixels.resize(static_cast<std::size_t>(p.width) * p.height);
    for (UINT y = 0; y < p.height; ++y)
        for (UINT x = 0; x < p.width; ++x)
            GdipBitmapGetPixel(raw, static_cast<INT>(x), static_cast<INT>(y), &p.pixels[y * p.width + x]);
    p.loaded = true;
    return p;
}

bool IsPngFile(const std::string& path) {
    return IsPngSignature(ReadAll(path));
}

// A real picture saved with one of GDI+'s encoders: red on the left half, blue on the right.
ByteVec MakePicture(const std::string& path, int width, int height, int encoderIndex) {
    GpBitmap* raw = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &raw) != Ok)
        return {};
    gdip::Image image(raw);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            GdipBitmapSetPixel(raw, x, y, x < width / 2 ? 0xFFFF0000u : 0xFF0000FFu);
    CLSID clsid{};
    const std::wstring text = gdip::Widen(EncoderClsid(encoderIndex));
    CLSIDFromString(const_cast<LPOLESTR>(text.c_str()), &clsid);
    const std::wstring wide = gdip::Widen(path);
    if (GdipSaveImageToFile(image.get(), wide.c_str(), &clsid, nullptr) != Ok)
        return {};
    return ReadAll(path);
}

// A 32-bit icon image whose pixels are all `pixel` (ARGB) and whose mask makes the leftmost
// `clearColumns` columns transparent: an icon of the kind that carries its transparency in the
// mask only when `pixel` has no alpha.
ByteVec MaskedImage(int side, uint32_t pixel, int clearColumns) {
    ByteVec b = test::BitmapImage(side, side, 32, pixel);
    const int maskStride = ((side + 31) / 32) * 4;
    const std::size_t maskAt = b.size() - static_cast<std::size_t>(maskStride * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < clearColumns; ++x)
            b[maskAt + static_cast<std::size_t>(y * maskStride + x / 8)] |=
                static_cast<uint8_t>(0x80 >> (x % 8));
    return b;
}

// ---------------------------------------------------------------------------------------------
// Version resources

// One node of a version block: length, value length, type, key, padding, value, padding, children.
ByteVec VersionNode(const std::u16string& key, uint16_t type, const ByteVec& value, uint16_t valueLength,
                    const std::vector<ByteVec>& children = {}) {
    ByteVec b;
    test::Put16(b, 0);
    test::Put16(b, valueLength);
    test::Put16(b, type);
    test::PutText16(b, key);
    test::Align4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const ByteVec& child : children) {
        test::Align4(b);
        b.insert(b.end(), child.begin(), child.end());
    }
    b[0] = static_cast<uint8_t>(b.size());
    b[1] = static_cast<uint8_t>(b.size() >> 8);
    return b;
}

ByteVec TextValue(const std::u16string& text) {
    ByteVec v;
    test::PutText16(v, text);
    return v;
}

// A version resource with one string table and the translation it announces.
ByteVec VersionResource(const std::u16string& table, uint32_t translation,
                        const std::u16string& description) {
    ByteVec fixed;
    test::Put32(fixed, 0xFEEF04BDu);
    test::Put32(fixed, 0x00010000u);
    for (int i = 0; i < 11; ++i)
        test::Put32(fixed, i < 4 ? 0x00010000u : 0);
    ByteVec words;
    test::Put32(words, translation);
    const ByteVec strings =
        VersionNode(u"StringFileInfo", 1, {}, 0,
                    {VersionNode(table, 1, {}, 0,
                                 {VersionNode(u"CompanyName", 1, TextValue(u"QOR Test"), 9),
                                  VersionNode(u"FileDescription", 1, TextValue(description),
                                              static_cast<uint16_t>(description.size() + 1)),
                                  VersionNode(u"InternalName", 1, TextValue(u"qortest"), 8)})});
    const ByteVec vars = VersionNode(u"VarFileInfo", 1, {}, 0, {VersionNode(u"Translation", 0, words, 4)});
    return VersionNode(u"VS_VERSION_INFO", 0, fixed, static_cast<uint16_t>(fixed.size()), {strings, vars});
}

// ---------------------------------------------------------------------------------------------
// Executables with resources of the test's making

struct Resource {
    WORD type;
    WORD id;
    ByteVec data;
};

std::string TestProgramPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
}

// A copy of `source` (by default this test program) with the given resources added.
bool MakeExecutable(const std::string& path, const std::vector<Resource>& resources,
                    const std::string& source = TestProgramPath()) {
    if (!CopyFileA(source.c_str(), path.c_str(), FALSE))
        return false;
    if (resources.empty())
        return true;
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    if (!update)
        return false;
    for (const Resource& r : resources) {
        if (!UpdateResourceA(update, MAKEINTRESOURCEA(r.type), MAKEINTRESOURCEA(r.id), 0,
                             const_cast<uint8_t*>(r.data.data()), static_cast<DWORD>(r.data.size()))) {
            EndUpdateResourceA(update, TRUE);
            return false;
        }
    }
    return EndUpdateResourceA(update, FALSE) != FALSE;
}

class IconExtractionWin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(Session().Start(), 0);
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        Folder() = std::string(temp) + "qor-icon-tests-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(Folder().c_str(), nullptr);

        // The 256-pixel image is a real PNG; the others are bitmaps.
        Png256() = MakePicture(Folder() + "seed256.png", 256, 256, encoder::Png);
        ASSERT_TRUE(IsPngSignature(Png256()));
        const std::vector<Resource> resources = {
            // Group 1: 16, 32, 48 bitmaps and the 256 PNG.
            {3, 11, test::BitmapImage(16, 16, 32)},
            {3, 12, test::BitmapImage(32, 32, 32)},
            {3, 13, test::BitmapImage(48, 48, 32)},
            {3, 14, Png256()},
            {14, 1, test::IconGroup({{16, 16, 32, 11}, {32, 32, 32, 12}, {48, 48, 32, 13}, {0, 0, 32, 14}})},
            // Group 152: 32 pixels at 8 bits and at 32 bits with half-transparent pixels.
            {3, 21, test::BitmapImage(32, 32, 8)},
            {3, 22, test::BitmapImage(32, 32, 32, 0x80FF0000u)},
            {14, 152, test::IconGroup({{32, 32, 8, 21}, {32, 32, 32, 22}})},
            // Group 300: no entry with a usable bit count.
            {14, 300, test::IconGroup({{32, 32, 0, 21}, {48, 48, 64, 22}})},
            {16, 1, VersionResource(u"040904B0", 0x04B00409u, u"QOR Icon Test Program")},
        };
        ASSERT_TRUE(MakeExecutable(Program(), resources));
        ASSERT_TRUE(MakeExecutable(Bare(), {}));
        // A version block whose string table does not match its translation: only the raw
        // search finds the description.
        ASSERT_TRUE(MakeExecutable(
            Mismatched(),
            {{16, 1, VersionResource(u"040704E4", 0x04B00409u, u"Found Without Translation")}}));
    }
    static void TearDownTestSuite() {
        WIN32_FIND_DATAA found;
        const win::FindHandle find(FindFirstFileA((Folder() + "*").c_str(), &found));
        if (find.get() != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((Folder() + found.cFileName).c_str());
            } while (FindNextFileA(find.get(), &found));
        }
        RemoveDirectoryA(Folder().c_str());
        Session().Stop();
    }
    static gdip::Session& Session() {
        static gdip::Session session;
        return session;
    }
    static std::string& Folder() {
        static std::string folder;
        return folder;
    }
    static ByteVec& Png256() {
        static ByteVec png;
        return png;
    }
    static std::string Program() { return Folder() + "iconprog.exe"; }
    static std::string Bare() { return Folder() + "bare.exe"; }
    static std::string Mismatched() { return Folder() + "mismatched.exe"; }
    std::string Out(const std::string& name) {
        const std::string path = Folder() + name;
        DeleteFileA(path.c_str());
        return path;
    }

    WinIconTools tools;
};

// ---------------------------------------------------------------------------------------------
// Icon groups of executables

TEST_F(IconExtractionWin, The256PixelPngEntryIsWrittenUnchanged) {
    const std::string out = Out("first.png");
    ASSERT_EQ(tools.ExtractResourceIcon(Program(), 0, out), 1);
    EXPECT_EQ(ReadAll(out), Png256());
}

TEST_F(IconExtractionWin, The32BitEntryIsChosenOver8BitWithItsTransparency) {
    const std::string out = Out("alpha.png");
    ASSERT_EQ(tools.ExtractResourceIcon(Program(), -152, out), 1);
    ASSERT_TRUE(IsPngFile(out));
    const Picture p = LoadPicture(out);
    ASSERT_TRUE(p.loaded);
    EXPECT_EQ(p.width, 32u);
    EXPECT_EQ(p.height, 32u);
    // The image is half transparent everywhere: neither opaque (the 8-bit image, or alpha
    // lost) nor fully clear.
    for (auto [x, y] : {std::pair{0u, 0u}, {16u, 16u}, {31u, 31u}}) {
        const uint8_t a = Picture::Alpha(p.At(x, y));
        EXPECT_GE(a, 0x70) << x << "," << y;
        EXPECT_LE(a, 0x90) << x << "," << y;
    }
}

TEST_F(IconExtractionWin, IndexPastTheEndTakesTheLastGroupAndNegativeNamesTheIdentifier) {
    // Groups enumerate as 1, 152, 300; 300 has no usable entry.
    const std::string second = Out("second.png");
    EXPECT_EQ(tools.ExtractResourceIcon(Program(), 1, second), 1);
    EXPECT_EQ(LoadPicture(second).width, 32u);

    const std::string past = Out("past.png");
    WriteAll(past, {1, 2, 3});
    EXPECT_EQ(tools.ExtractResourceIcon(Program(), 99, past), 0); // the last group, 300: nothing usable
    EXPECT_EQ(ReadAll(past), (ByteVec{1, 2, 3}));                 // the output is left alone

    const std::string byId = Out("byid.png");
    EXPECT_EQ(tools.ExtractResourceIcon(Program(), -1, byId), 1);
    EXPECT_EQ(ReadAll(byId), Png256());

    const std::string missing = Out("missing.png");
    WriteAll(missing, {9});
    EXPECT_EQ(tools.ExtractResourceIcon(Program(), -7, missing), 0);
    EXPECT_EQ(tools.ExtractResourceIcon(Program(), INT_MIN, missing), 0);
    EXPECT_EQ(ReadAll(missing), (ByteVec{9}));
}

TEST_F(IconExtractionWin, FilesWithoutIconsOrNotProgramsGiveNothing) {
    const std::string out = Out("none.png");
    EXPECT_EQ(tools.ExtractResourceIcon(Bare(), 0, out), 0);
    EXPECT_EQ(tools.ExtractResourceIcon(Folder() + "no such file.exe", 0, out), 0);
    const std::string text = Folder() + "text.exe";
    WriteAll(text, ByteVec(300, 'x'));
    EXPECT_EQ(tools.ExtractResourceIcon(text, 0, out), 0);
    EXPECT_FALSE(Exists(out));
}

TEST_F(IconExtractionWin, ProgramsAndLibrariesOfTheSystem) {
    const std::string sys = SystemFolder();
    for (const char* name : {"notepad.exe", "regedit.exe", "shell32.dll", "winecfg.exe"}) {
        std::string file = sys + name;
        if (std::string(name) == "regedit.exe" && !Exists(file)) {
            char windows[MAX_PATH] = {};
            GetWindowsDirectoryA(windows, MAX_PATH);
            file = std::string(windows) + "\\regedit.exe";
        }
        if (!Exists(file))
            continue;
        const std::string out = Out(std::string(name) + ".png");
        ASSERT_EQ(tools.ExtractResourceIcon(file, 0, out), 1) << file;
        const Picture p = LoadPicture(out);
        EXPECT_TRUE(p.loaded) << file;
        EXPECT_GE(p.width, 16u) << file;
        EXPECT_EQ(p.width, p.height) << file;
    }
    // A far index of a library with many groups still gives its last group.
    const std::string last = Out("shell32-last.png");
    EXPECT_EQ(tools.ExtractResourceIcon(sys + "shell32.dll", 100000, last), 1);
    EXPECT_TRUE(IsPngFile(last));
}

// ---------------------------------------------------------------------------------------------
// Version strings

TEST_F(IconExtractionWin, FileDescriptionOfProgramsWithAndWithoutVersion) {
    EXPECT_EQ(tools.GetVersionString(Program(), 6), "QOR Icon Test Program");
    EXPECT_EQ(tools.GetVersionString(Program(), 3), "QOR Test");
    EXPECT_EQ(tools.GetVersionString(Program(), 1), "qortest");
    EXPECT_EQ(tools.GetVersionString(Program(), 11), "");
    EXPECT_EQ(tools.GetVersionString(Program(), 12), "");
    EXPECT_EQ(tools.GetVersionString(Bare(), 6), "");
    EXPECT_EQ(tools.GetVersionString(Folder() + "no such file.exe", 6), "");
    // The string table the translation does not name: found by the raw search.
    EXPECT_EQ(tools.GetVersionString(Mismatched(), 6), "Found Without Translation");
    // A program of the system with a version resource has its own description.
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_NE(tools.GetVersionString(std::string(windows) + "\\regedit.exe", 6).find("Registry"),
              std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Icon files

TEST_F(IconExtractionWin, IconFileWithPngEntryWritesItUnchanged) {
    const std::string ico = Folder() + "withpng.ico";
    WriteAll(ico, test::IconFile({{16, 16, 32, test::BitmapImage(16, 16, 32)}, {0, 0, 32, Png256()}}));
    const std::string out = Out("withpng.png");
    ASSERT_EQ(tools.ConvertIconFile(ico, out), 1);
    EXPECT_EQ(ReadAll(out), Png256());
}

TEST_F(IconExtractionWin, BitmapIconFilesKeepTransparencyWhen32Bit) {
    const std::string ico = Folder() + "bitmaps.ico";
    WriteAll(ico, test::IconFile({{16, 16, 32, test::BitmapImage(16, 16, 32, 0x40FF0000u)},
                                  {48, 48, 32, test::BitmapImage(48, 48, 32, 0x80FF0000u)}}));
    const std::string out = Out("bitmaps.png");
    ASSERT_EQ(tools.ConvertIconFile(ico, out), 1);
    const Picture p = LoadPicture(out);
    ASSERT_TRUE(p.loaded);
    EXPECT_EQ(p.width, 48u);
    const uint8_t a = Picture::Alpha(p.At(20, 20));
    EXPECT_GE(a, 0x70);
    EXPECT_LE(a, 0x90);

    // 8 bits: drawn through its mask, opaque, in the palette colour.
    const std::string eight = Folder() + "eight.ico";
    WriteAll(eight, test::IconFile({{32, 32, 8, test::BitmapImage(32, 32, 8)}}));
    const std::string out8 = Out("eight.png");
    ASSERT_EQ(tools.ConvertIconFile(eight, out8), 1);
    const Picture q = LoadPicture(out8);
    ASSERT_EQ(q.width, 32u);
    EXPECT_EQ(q.At(5, 5), 0xFF0000FFu);
}

TEST_F(IconExtractionWin, UnusualLayoutIsReadByOwnOffsets) {
    // The first entry's image is stored last, behind a gap.
    const ByteVec small = test::BitmapImage(16, 16, 32), large = test::BitmapImage(48, 48, 32);
    ByteVec file = test::IconFile({{48, 48, 32, large}, {16, 16, 32, small}});
    const std::size_t dataAt = 6 + 32;
    ByteVec reordered(file.begin(), file.begin() + dataAt);
    reordered.insert(reordered.end(), 12, 0xEE);
    test::Set32(reordered, test::IcoOffsetField(1), static_cast<uint32_t>(dataAt + 12));
    reordered.insert(reordered.end(), small.begin(), small.end());
    test::Set32(reordered, test::IcoOffsetField(0), static_cast<uint32_t>(reordered.size()));
    reordered.insert(reordered.end(), large.begin(), large.end());
    const std::string ico = Folder() + "reordered.ico";
    WriteAll(ico, reordered);
    const std::string out = Out("reordered.png");
    ASSERT_EQ(tools.ConvertIconFile(ico, out), 1);
    EXPECT_EQ(LoadPicture(out).width, 48u);
}

TEST_F(IconExtractionWin, DamagedIconFilesWriteNothing) {
    ByteVec distant = test::IconFile({{32, 32, 32, test::BitmapImage(32, 32, 32)}});
    test::Set32(distant, test::IcoOffsetField(0), 0x7FFFFFF0u);
    ByteVec cut = test::IconFile({{32, 32, 32, test::BitmapImage(32, 32, 32)}});
    cut.resize(cut.size() / 3); // pixels missing: drawn from the padded copy, never past it
    ByteVec garbage(500, 0x5A);
    ByteVec fakePng = test::PngLike(200);
    fakePng[7] = 0; // starts like PNG, is not
    int n = 0;
    for (const ByteVec& bytes : {distant, garbage, ByteVec{}, test::IconFile({{0, 0, 32, fakePng}})}) {
        const std::string ico = Folder() + "damaged" + std::to_string(n) + ".ico";
        WriteAll(ico, bytes);
        const std::string out = Out("damaged" + std::to_string(n++) + ".png");
        EXPECT_EQ(tools.ConvertIconFile(ico, out), 0) << n;
        EXPECT_FALSE(Exists(out)) << n;
    }
    const std::string ico = Folder() + "cut.ico";
    WriteAll(ico, cut);
    tools.ConvertIconFile(ico, Out("cut.png")); // any outcome but a crash
    EXPECT_EQ(tools.ConvertIconFile(Folder() + "no such file.ico", Out("nofile.png")), 0);
}

// ---------------------------------------------------------------------------------------------
// Picture files

TEST_F(IconExtractionWin, PngStoredAsIcoIsRecognisedBySignature) {
    const std::string ico = Folder() + "really a png.ico";
    WriteAll(ico, MakePicture(Folder() + "source64.png", 64, 40, encoder::Png));
    const std::string out = Out("from-png-ico.png");
    ASSERT_EQ(tools.ConvertIconFile(ico, out), 1);
    const Picture p = LoadPicture(out);
    ASSERT_TRUE(IsPngFile(out));
    EXPECT_EQ(p.width, 64u);
    EXPECT_EQ(p.height, 40u);
    EXPECT_EQ(p.At(2, 2), 0xFFFF0000u);
}

TEST_F(IconExtractionWin, JpegRescaledTo128IsSavedAsPngUnderAnIcoName) {
    const std::string jpeg = Folder() + "photo.jpg";
    const ByteVec jpegBytes = MakePicture(jpeg, 300, 200, encoder::Jpeg);
    ASSERT_GT(jpegBytes.size(), 2u);
    ASSERT_EQ(jpegBytes[0], 0xFF); // really JPEG
    const std::string out = Out("User Icon.ico");
    WriteAll(out, {1, 2, 3}); // an old picture is overwritten
    ASSERT_EQ(ImageFileToPng(jpeg, out, true, 128, 128), 1);
    ASSERT_TRUE(IsPngFile(out));
    const Picture p = LoadPicture(out);
    EXPECT_EQ(p.width, 128u);
    EXPECT_EQ(p.height, 128u);
    // Aspect ratio not kept: the left half is still red, the right half blue.
    EXPECT_GT((p.At(10, 64) >> 16) & 0xFF, 0xC0u);
    EXPECT_GT(p.At(118, 64) & 0xFF, 0xC0u);

    EXPECT_EQ(ImageFileToPng(Folder() + "no such.jpg", Out("none.png"), true, 128, 128), 0);
    EXPECT_FALSE(Exists(Folder() + "none.png"));
    const std::string notPicture = Folder() + "not a picture.jpg";
    WriteAll(notPicture, ByteVec(100, 'x'));
    EXPECT_EQ(ImageFileToPng(notPicture, Out("none.png"), false, 0, 0), 0);
    EXPECT_FALSE(Exists(Folder() + "none.png"));
}

TEST_F(IconExtractionWin, ReencodingOntoItsOwnName) {
    const std::string path = Folder() + "self.png";
    MakePicture(path, 20, 10, encoder::Bmp); // BMP data under a ".png" name
    ASSERT_FALSE(IsPngFile(path));
    ASSERT_EQ(ImageFileToPng(path, path, false, 0, 0), 1);
    EXPECT_TRUE(IsPngFile(path));
    EXPECT_EQ(LoadPicture(path).width, 20u);
}

TEST_F(IconExtractionWin, PngEncoderIdentifier) {
    const CLSID png = PngEncoderClsid();
    EXPECT_EQ(png.Data1, 0x557CF406u);
    EXPECT_EQ(png.Data2, 0x1A04);
    EXPECT_EQ(png.Data3, 0x11D3);
}

// ---------------------------------------------------------------------------------------------
// Icon handles and the shell's icons

TEST_F(IconExtractionWin, IconDataWithAndWithoutAlpha) {
    const ByteVec image = test::BitmapImage(32, 32, 32, 0x80FF0000u);
    const std::string alpha = Out("with-alpha.png"), plain = Out("plain.png");
    ASSERT_TRUE(IconDataToPng(image, 32, 32, alpha, true));
    ASSERT_TRUE(IconDataToPng(image, 32, 32, plain, false));
    const uint8_t kept = Picture::Alpha(LoadPicture(alpha).At(8, 8));
    EXPECT_GE(kept, 0x70);
    EXPECT_LE(kept, 0x90);
    EXPECT_TRUE(LoadPicture(plain).loaded);
    EXPECT_FALSE(IconDataToPng(ByteVec(10, 0), 32, 32, Out("bad.png"), true));
    EXPECT_FALSE(IconDataToPng(image, 0, 32, Out("bad.png"), true));
    EXPECT_FALSE(Exists(Folder() + "bad.png"));
}

TEST_F(IconExtractionWin, IconHandleBecomesAnArgbBitmap) {
    ByteVec image = test::BitmapImage(32, 32, 32, 0x80FF0000u);
    const win::Icon icon(
        CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x30000, 0, 0, 0));
    ASSERT_TRUE(icon);
    gdip::Image bitmap = IconToBitmap(icon.get());
    ASSERT_TRUE(bitmap);
    UINT w = 0;
    GdipGetImageWidth(bitmap.get(), &w);
    EXPECT_EQ(w, 32u);
    ARGB pixel = 0;
    GdipBitmapGetPixel(gdip::AsBitmap(bitmap), 4, 4, &pixel);
    EXPECT_GE(pixel >> 24, 0x70u);
    EXPECT_LE(pixel >> 24, 0x90u);
    EXPECT_FALSE(IconToBitmap(nullptr));
}

TEST_F(IconExtractionWin, ShellIconOfAnExistingFile) {
    const std::string out = Out("shell.png");
    ASSERT_TRUE(tools.ExtractShellIcon(SystemFolder() + "notepad.exe", out));
    const Picture p = LoadPicture(out);
    ASSERT_TRUE(p.loaded);
    EXPECT_GE(p.width, 16u);
    EXPECT_FALSE(tools.ExtractShellIcon(Folder() + "no such file.msi", Out("noshell.png")));
    EXPECT_FALSE(Exists(Folder() + "noshell.png"));
}

TEST_F(IconExtractionWin, ResourceBytesByNumberAndName) {
    const win::Module module = LoadForResources(Program());
    ASSERT_TRUE(module);
    EXPECT_EQ(LoadResourceBytes(module.get(), "3", "14"), Png256());
    EXPECT_EQ(LoadResourceBytes(module.get(), "14", "152").size(), 6u + 2 * 14);
    EXPECT_TRUE(LoadResourceBytes(module.get(), "14", "153").empty());
    EXPECT_TRUE(LoadResourceBytes(module.get(), "99999", "1").empty());
    EXPECT_TRUE(LoadResourceBytes(nullptr, "3", "14").empty());
    EXPECT_FALSE(LoadForResources(Folder() + "no such file.dll"));
}

// ---------------------------------------------------------------------------------------------
// Transparency of icon images

TEST_F(IconExtractionWin, IconWithoutAlphaIsDrawnThroughItsMask) {
    // 32-bit red pixels that carry no alpha at all; the mask clears the left half.
    const ByteVec image = MaskedImage(32, 0x00FF0000u, 16);
    const std::string out = Out("mask-only.png");
    ASSERT_TRUE(IconDataToPng(image, 32, 32, out, true));
    const Picture p = LoadPicture(out);
    ASSERT_TRUE(p.loaded);
    for (UINT y : {0u, 15u, 31u}) {
        EXPECT_EQ(Picture::Alpha(p.At(4, y)), 0) << y;
        EXPECT_EQ(p.At(24, y), 0xFFFF0000u) << y;
    }
    // The same image in an icon file.
    const std::string ico = Folder() + "mask-only.ico";
    WriteAll(ico, test::IconFile({{32, 32, 32, image}}));
    const std::string fromFile = Out("mask-only-file.png");
    ASSERT_EQ(tools.ConvertIconFile(ico, fromFile), 1);
    EXPECT_EQ(LoadPicture(fromFile).At(24, 8), 0xFFFF0000u);

    // Nothing visible at all: no picture, so the caller falls back to another one.
    const std::string invisible = Out("invisible.png");
    EXPECT_FALSE(IconDataToPng(MaskedImage(32, 0x00FF0000u, 32), 32, 32, invisible, true));
    EXPECT_FALSE(Exists(invisible));
}

TEST_F(IconExtractionWin, HalfTransparentPixelsKeepTheirColour) {
    // Drawing an icon gives pre-multiplied pixels; the PNG holds them straight again.
    const std::string red = Out("half-red.png");
    ASSERT_TRUE(IconDataToPng(test::BitmapImage(32, 32, 32, 0x80FF0000u), 32, 32, red, true));
    EXPECT_EQ(LoadPicture(red).At(8, 8), 0x80FF0000u);

    const std::string mixed = Out("mixed.png");
    ASSERT_TRUE(IconDataToPng(test::BitmapImage(32, 32, 32, 0xC0336699u), 32, 32, mixed, true));
    const ARGB m = LoadPicture(mixed).At(20, 20);
    EXPECT_EQ(m >> 24, 0xC0u);
    EXPECT_NEAR(static_cast<int>((m >> 16) & 0xFF), 0x33, 1);
    EXPECT_NEAR(static_cast<int>((m >> 8) & 0xFF), 0x66, 1);
    EXPECT_NEAR(static_cast<int>(m & 0xFF), 0x99, 1);

    // An icon handle converted to a bitmap, as the shell's icons are.
    ByteVec image = test::BitmapImage(32, 32, 32, 0x80FF0000u);
    const win::Icon icon(
        CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x30000, 0, 0, 0));
    ASSERT_TRUE(icon);
    gdip::Image bitmap = IconToBitmap(icon.get());
    ASSERT_TRUE(bitmap);
    ARGB pixel = 0;
    GdipBitmapGetPixel(gdip::AsBitmap(bitmap), 30, 2, &pixel);
    EXPECT_EQ(pixel, 0x80FF0000u);
}

// ---------------------------------------------------------------------------------------------
// Reading icons runs nothing of the file

TEST_F(IconExtractionWin, ReadingTheIconsOfALibraryNeverRunsIt) {
    // The marker library creates QOR_MARKER_FILE when its DllMain runs.
    const std::string built =
        TestProgramPath().substr(0, TestProgramPath().find_last_of('\\') + 1) + "qor_marker_library.dll";
    ASSERT_TRUE(Exists(built)) << built;
    const std::string marker = Folder() + "dllmain-ran.txt";
    ASSERT_TRUE(SetEnvironmentVariableA("QOR_MARKER_FILE", marker.c_str()));
    const std::vector<Resource> icon = {{3, 5, test::BitmapImage(32, 32, 32, 0xFF00FF00u)},
                                        {14, 1, test::IconGroup({{32, 32, 32, 5}})}};
    const std::string library = Folder() + "marker.dll";
    ASSERT_TRUE(MakeExecutable(library, icon, built));

    const std::string out = Out("marker.png");
    EXPECT_EQ(tools.ExtractResourceIcon(library, 0, out), 1);
    EXPECT_EQ(LoadPicture(out).At(16, 16), 0xFF00FF00u);
    {
        const win::Module module = LoadForResources(library);
        ASSERT_TRUE(module);
        // A data-file mapping, marked as such in the low bits of its handle; not a loaded library.
        EXPECT_NE(reinterpret_cast<uintptr_t>(module.get()) & 3u, 0u);
    }
    EXPECT_FALSE(Exists(marker));

    // A path of 260 characters is refused by both data-file mappings under Wine, while a library
    // load still accepts it: such a file has no usable icon, and is not loaded at all.
    std::string folder = Folder() + std::string(240 - Folder().size(), 'd') + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string longPath = folder + std::string(260 - folder.size() - 4, 'm') + ".dll";
    ASSERT_EQ(longPath.size(), 260u);
    ASSERT_TRUE(MakeExecutable(longPath, icon, built));
    const std::string longOut = Out("marker-long.png");
    EXPECT_EQ(tools.ExtractResourceIcon(longPath, 0, longOut), 0);
    EXPECT_FALSE(LoadForResources(longPath));
    EXPECT_FALSE(Exists(marker));

    // The control: the same library loaded to run, as a plain load would, does run its DllMain.
    {
        const win::Module running(LoadLibraryA(longPath.c_str()));
        ASSERT_TRUE(running);
        EXPECT_TRUE(Exists(marker));
    }
    SetEnvironmentVariableA("QOR_MARKER_FILE", nullptr);
    DeleteFileA(longPath.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
} // namespace qor
