// The dock window follows the system's messages: a new work area moves and sizes both windows and
// their canvases, a new scale renders the skin from its pictures drawn at 150 %.
#include <fstream>
#include <iterator>

#include "dock/FrmMain_win.h"
#include "fakes/Fakes.h"
#include "popup/FrmSubMenu_win.h"
#include "win/dock/CanvasTestSupport.h"

namespace qor {
namespace {

class NoProgram final : public win::IProgram {
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override {}
    void PendingImagesBuilt(std::size_t) override {}
};

TEST(DisplayWin, TheDockFollowsTheWorkAreaAndTheScaleOfItsMonitor) {
    gdip::Session gdiplus;
    ASSERT_EQ(gdiplus.Start(), 0);
    test::TestApp t;
    t.sys.screen = ScreenInfo{{20, 10, 420, 310}, 15, 15};
    t.app.screen = MeasureScreen(t.sys.screen);
    SetDefaultSettings(t.app.cfg, t.app.run, t.app.screen);
    ReapplyGeometry(t.app);
    NoProgram program;
    FrmMain dock(t.app, program);
    FrmSubMenu popup(t.app, program);
    ASSERT_TRUE(dock.Load(GetModuleHandleA(nullptr)) && popup.Load(GetModuleHandleA(nullptr)));
    dock.Connect(&popup, nullptr, nullptr);
    dock.LoadImages(
        [](int) {},
        [](const std::string& name) -> std::optional<Bytes> {
            std::ifstream in(test::SourceDir() + "/resources/skin/" + name + ".png", std::ios::binary);
            return in ? std::optional<Bytes>(Bytes(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
        });
    dock.DockFocus(true);
    RECT r{};

    t.sys.screen.workArea = {0, 40, 640, 480}; // a taskbar took the top of the screen
    SendMessageA(dock.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    GetWindowRect(dock.Hwnd(), &r);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, dock.Width(), dock.Height()}),
              (std::vector<LONG>{0, 40, 640, 440}));
    GetWindowRect(popup.Hwnd(), &r);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(popup.Canvas()->Height(), 440);
    EXPECT_GT(test::Alpha(dock.Canvas()->Pixel(320, 220)), 0) << "the centre, painted where it is now";
    EXPECT_EQ(dock.Skin()->Store().Find(skin::Border)->width, 152);

    t.sys.screen.workArea = {0, 0, 640, 480};
    SendMessageA(dock.Hwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_EQ(dock.Height(), 440) << "another setting changes nothing";

    t.sys.screen.dpi = 144;
    SendMessageA(dock.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    EXPECT_EQ(dock.Height(), 480);
    EXPECT_EQ(dock.Canvas()->Dpi(), 144);
    EXPECT_EQ(popup.Canvas()->Dpi(), 144);
    const ImageLevels* border = dock.Skin()->Store().Find(skin::Border);
    EXPECT_EQ(border->width, 228); // "BORDER_150", 152 at 96 DPI
    EXPECT_EQ(border->scalePercent, 150);
    EXPECT_EQ(t.app.run.CentreBackSize, 152);
    EXPECT_EQ(dock.Images()->Store().Find(kCentreItem)->width, 192);
    EXPECT_GT(test::Alpha(dock.Canvas()->Pixel(320, 240)), 0);
    dock.Unload();
    popup.Unload();
}

} // namespace
} // namespace qor
