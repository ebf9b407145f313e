// The dock window follows the messages of a display change: a new work area moves and sizes both
// windows and their canvases, a new scale renders the skin from the pictures drawn for it.
#include <fstream>
#include <iterator>

#include "dock/FrmMain_win.h"
#include "fakes/Fakes.h"
#include "fakes/RecordingActions.h"
#include "popup/FrmSubMenu_win.h"
#include "win/dock/CanvasTestSupport.h"

namespace qor {
namespace {

class NoProgram final : public win::IProgram {
public:
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override {}
    void PendingImagesBuilt(std::size_t) override {}
};

// The skin read from resources/skin/, as the program reads it from its resources.
SkinReader FolderSkinReader() {
    return [](const std::string& name) -> std::optional<Bytes> {
        std::ifstream in(test::SourceDir() + "/resources/skin/" + name + ".png", std::ios::binary);
        if (!in)
            return std::nullopt;
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

TEST(DisplayWin, TheDockFollowsTheWorkAreaAndTheScaleOfItsMonitor) {
    gdip::Session gdiplus;
    ASSERT_EQ(gdiplus.Start(), 0);
    test::TestApp t;
    t.sys.screen = ScreenInfo{{20, 10, 420, 310}, 15, 15};
    t.app.screen = MeasureScreen(t.sys.screen);
    SetDefaultSettings(t.app.cfg, t.app.run, t.app.screen);
    t.app.run.Radius = 100;
    FillSizeLevels(t.app.geo, t.app.run);
    ComputeSlotTable(t.app.geo, t.app.screen, t.app.run);
    NoProgram program;
    FrmMain dock(t.app, program);
    FrmSubMenu popup(t.app, program);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(dock.Load(instance));
    ASSERT_TRUE(popup.Load(instance));
    dock.Connect(&popup, nullptr, nullptr);
    popup.Connect(&dock, nullptr, nullptr);
    dock.LoadImages([](int) {}, FolderSkinReader());
    dock.Show();
    dock.DockFocus(true);

    // The taskbar took the top of the screen: the work area is another one.
    t.sys.screen.workArea = {0, 40, 640, 480};
    SendMessageA(dock.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(WindowRect(dock.Hwnd()).left, 0);
    EXPECT_EQ(WindowRect(dock.Hwnd()).top, 40);
    EXPECT_EQ(dock.Width(), 640);
    EXPECT_EQ(dock.Height(), 440);
    ASSERT_NE(popup.Canvas(), nullptr);
    EXPECT_EQ(popup.Canvas()->Width(), 640);
    EXPECT_EQ(WindowRect(popup.Hwnd()).top, 40);
    // The centre is painted in the middle of the new canvas.
    EXPECT_GT(test::Alpha(dock.Canvas()->Pixel(320, 220)), 0);
    EXPECT_EQ(test::Alpha(dock.Canvas()->Pixel(100, 220)), 0);
    const ImageLevels* border = dock.Skin()->Store().Find(skin::Border);
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(border->width, 152);

    // Another setting of the system changes nothing.
    t.sys.screen.workArea = {0, 0, 640, 480};
    SendMessageA(dock.Hwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_EQ(dock.Height(), 440);

    // 150 %: the skin picture drawn for it, the centre's frame 228 pixels (152 at 96 DPI).
    t.sys.screen.dpi = 144;
    SendMessageA(dock.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    EXPECT_EQ(dock.Height(), 480);
    EXPECT_EQ(dock.Canvas()->Dpi(), 144);
    EXPECT_EQ(popup.Canvas()->Dpi(), 144);
    border = dock.Skin()->Store().Find(skin::Border);
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(border->width, 228);
    EXPECT_EQ(border->scalePercent, 150);
    EXPECT_EQ(t.app.run.CentreBackSize, 152);
    EXPECT_EQ(t.app.geo.Slots[0].HoverSide, 228);
    EXPECT_EQ(dock.Images()->Store().Find(kCentreItem)->width, 192);
    EXPECT_GT(test::Alpha(dock.Canvas()->Pixel(320, 240)), 0) << "painted again at the new centre";

    dock.Unload();
    popup.Unload();
}

} // namespace
} // namespace qor
