#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "dock/FrmMain_win.h"
#include "fakes/Fakes.h"
#include "icons/ImageFiles_win.h"
#include "platform/GdiPlus_win.h"
#include "popup/FrmSubMenu_win.h"
#include "tray/FrmTray_win.h"
#include "win/dock/CanvasTestSupport.h"

namespace qor {
namespace {

struct RecordingProgram : win::IProgram {
    int exits = 0, queries = 0, ends = 0, frames = 0;
    bool lastEnding = false;
    void ExitProgram() override { ++exits; }
    void QueryEndSession() override { ++queries; }
    void EndSession(bool ending) override {
        ++ends;
        lastEnding = ending;
    }
    void FramePresented(double) override { ++frames; }
    void PendingImagesBuilt(std::size_t count) override { builtCounts.push_back(count); }
    std::vector<std::size_t> builtCounts;
};

class WindowsWin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gdiplus.Start(), 0);
        t.app.screen = MeasureScreen(ScreenInfo{{20, 10, 420, 310}, 15, 15});
    }
    gdip::Session gdiplus;
    test::TestApp t;
    RecordingProgram program;
    HINSTANCE instance = GetModuleHandleA(nullptr);
};

TEST_F(WindowsWin, FrmMainIsALayeredToolWindowOverTheWorkArea) {
    FrmMain dock(t.app, program);
    ASSERT_TRUE(dock.Load(instance));
    const HWND hwnd = dock.Hwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(t.app.dock.CentreImage, -1);
    EXPECT_FALSE(IsWindowVisible(hwnd)); // loaded, not shown

    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    const LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_NE(ex & WS_EX_LAYERED, 0);
    EXPECT_NE(ex & WS_EX_TOOLWINDOW, 0);

    // The canvas: 32-bit, the window's size, fully transparent, with a GDI+ graphics on it.
    ASSERT_NE(dock.Canvas(), nullptr);
    EXPECT_EQ(dock.Width(), 400);
    EXPECT_EQ(dock.Height(), 300);
    EXPECT_NE(dock.Canvas()->Graphics(), nullptr);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(GetCurrentObject(dock.Canvas()->MemoryDc(), OBJ_BITMAP), sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmWidth, 400);
    EXPECT_EQ(bm.bmHeight, 300);
    dock.Canvas()->FillRect(0, 0, 400, 300, 0xFF336699u, Composite::SourceCopy);
    EXPECT_NE(dock.Canvas()->Pixel(399, 299), 0u);
    dock.RestoreGDIPlus();
    bool allClear = true;
    for (int y = 0; y < 300; y += 7)
        for (int x = 0; x < 400; x += 7)
            allClear = allClear && dock.Canvas()->Pixel(x, y) == 0;
    EXPECT_TRUE(allClear);

    // Showing presents the first frame and leaves the dock at the bottom, not activated.
    dock.Show();
    dock.DockFocus(true);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(program.frames, 1);
    EXPECT_NE(GetForegroundWindow(), hwnd);
    dock.ExUpdateGDIPlus(0);
    EXPECT_EQ(program.frames, 2);

    // Minimized or hidden: the resting paint leaves the window alone.
    t.app.dock.State = 1;
    dock.DockFocus(true);
    EXPECT_EQ(program.frames, 2);

    dock.Unload();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(dock.Hwnd(), nullptr);
    EXPECT_EQ(dock.Canvas(), nullptr);
    dock.Unload(); // twice is harmless
}

TEST_F(WindowsWin, PopupPicturesAreBuiltAfterTheRingOnATimer) {
    FrmMain dock(t.app, program);
    ASSERT_TRUE(dock.Load(instance));
    Store& store = t.app.store;
    store.Items[kFirstCommandItem].Kind = kind::Command;
    store.Items[kFirstPoolItem].Kind = kind::Member;
    store.Items[kFirstPoolItem + 1].Kind = kind::Free; // nothing to build
    std::vector<int> built;
    dock.LoadImages([&](int item) { built.push_back(item); });
    EXPECT_EQ(t.app.sys.images, dock.Images());

    // The templates first, then every ring-side item; none of the pop-up pictures yet.
    ASSERT_GE(built.size(), 4u);
    EXPECT_EQ((std::vector<int>(built.begin(), built.begin() + 4)), (std::vector<int>{39, 40, 41, 42}));
    EXPECT_EQ(std::count(built.begin(), built.end(), 1), 1);
    EXPECT_EQ(std::count(built.begin(), built.end(), kLastTemplate), 1);
    EXPECT_TRUE(std::all_of(built.begin(), built.end(), [](int i) { return i < kFirstCommandItem; }));
    EXPECT_EQ(dock.PendingImages(), 2u);

    // The timer builds them from the message loop.
    built.clear();
    dock.BuildPendingImagesLater();
    const DWORD deadline = GetTickCount() + 5000;
    MSG msg;
    while (dock.PendingImages() > 0 && GetTickCount() < deadline) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(1);
    }
    EXPECT_EQ(built, (std::vector<int>{kFirstCommandItem, kFirstPoolItem}));
    EXPECT_EQ(dock.PendingImages(), 0u);
    EXPECT_EQ(program.builtCounts, std::vector<std::size_t>{2});

    // A tick stops building once its few milliseconds are used; finishing at once does not.
    dock.LoadImages([&](int item) {
        built.push_back(item);
        t.clock.now += 10; // each picture takes longer than a tick's share
    });
    built.clear();
    SendMessageA(dock.Hwnd(), WM_TIMER, static_cast<WPARAM>(FrmMain::Timer::BuildImages), 0);
    EXPECT_EQ(built, std::vector<int>{kFirstCommandItem});
    dock.FinishPendingImages();
    EXPECT_EQ(built, (std::vector<int>{kFirstCommandItem, kFirstPoolItem}));

    // Loading again and finishing at once (a pop-up about to open) builds the same, immediately.
    dock.LoadImages([&](int item) { built.push_back(item); });
    built.clear();
    dock.FinishPendingImages();
    EXPECT_EQ(built, (std::vector<int>{kFirstCommandItem, kFirstPoolItem}));
    dock.Unload();
    EXPECT_EQ(t.app.sys.images, nullptr);
}

TEST_F(WindowsWin, RingPicturesAtTheirOwnSizeFollowFirstOnTheTimer) {
    char folder[MAX_PATH]{};
    GetTempPathA(MAX_PATH, folder);
    const std::string picture = std::string(folder) + "qor-dock-ring.png";
    const std::string copy = picture + ".48.scaled";
    gdip::Image green = test::SolidImage(64, 64, 0xFF00FF00u);
    ASSERT_EQ(SavePng(green.get(), picture), 0);
    DeleteFileA(copy.c_str());

    FrmMain dock(t.app, program);
    ASSERT_TRUE(dock.Load(instance));
    t.app.store.Items[kFirstPoolItem].Kind = kind::Member;
    ImageCache* images = dock.Images();
    bool ringFirst = false;
    dock.LoadImages([&](int item) { ringFirst = item == kFirstPoolItem && images->HasEntry(6, 0); });
    ASSERT_TRUE(images->BuildFromPicture(5, picture, copy, 1, 48, true)); // writes the copy
    ASSERT_TRUE(images->BuildFromPicture(6, picture, copy, 1, 48, true)); // level 0 left for later
    EXPECT_FALSE(images->HasEntry(6, 0));
    EXPECT_EQ(dock.PendingImages(), 2u);

    dock.BuildPendingImagesLater();
    const DWORD deadline = GetTickCount() + 5000;
    MSG msg;
    while (dock.PendingImages() > 0 && GetTickCount() < deadline) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(1);
    }
    EXPECT_TRUE(images->HasEntry(6, 0));
    EXPECT_TRUE(ringFirst);
    EXPECT_EQ(program.builtCounts, std::vector<std::size_t>{2});

    dock.Unload();
    DeleteFileA(picture.c_str());
    DeleteFileA(copy.c_str());
}

TEST_F(WindowsWin, EveryWindowPassesCloseAndSessionEndToTheProgram) {
    FrmMain dock(t.app, program);
    FrmTray tray(t.app, program);
    FrmSubMenu popup(t.app, program);
    ASSERT_TRUE(dock.Load(instance));
    ASSERT_TRUE(tray.Load(instance, nullptr));
    ASSERT_TRUE(popup.Load(instance));

    for (HWND w : {dock.Hwnd(), tray.Hwnd(), popup.Hwnd()}) {
        const int before = program.exits;
        SendMessageA(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.exits, before + 1);
        EXPECT_TRUE(IsWindow(w)); // closing is the program's decision, not the window's
        EXPECT_EQ(SendMessageA(w, WM_QUERYENDSESSION, 0, 0), TRUE);
        SendMessageA(w, WM_ENDSESSION, TRUE, 0);
        EXPECT_TRUE(program.lastEnding);
        SendMessageA(w, WM_ENDSESSION, FALSE, 0);
        EXPECT_FALSE(program.lastEnding);
    }
    EXPECT_EQ(program.queries, 3);
    EXPECT_EQ(program.ends, 6);
}

TEST_F(WindowsWin, TrayIsAHiddenTopLevelWindowAndThePopupAHiddenLayeredOne) {
    FrmTray tray(t.app, program);
    ASSERT_TRUE(tray.Load(instance, nullptr));
    EXPECT_FALSE(IsWindowVisible(tray.Hwnd()));
    EXPECT_EQ(GetAncestor(tray.Hwnd(), GA_PARENT), GetDesktopWindow()); // not message-only
    char caption[64] = {};
    GetWindowTextA(tray.Hwnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, "QOR Desktop");
    EXPECT_NE(tray.TaskbarCreatedMessage(), 0u);
    EXPECT_EQ(FindWindowA(FrmTray::kClassName, "QOR Desktop"), tray.Hwnd());

    FrmSubMenu popup(t.app, program);
    ASSERT_TRUE(popup.Load(instance));
    EXPECT_FALSE(IsWindowVisible(popup.Hwnd()));
    EXPECT_NE(GetWindowLongPtrA(popup.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    ASSERT_NE(popup.Canvas(), nullptr);
    EXPECT_EQ(popup.Canvas()->Width(), 400);
    EXPECT_EQ(popup.Canvas()->Height(), 300);

    const HWND trayHwnd = tray.Hwnd(), popupHwnd = popup.Hwnd();
    tray.Unload();
    popup.Unload();
    EXPECT_FALSE(IsWindow(trayHwnd));
    EXPECT_FALSE(IsWindow(popupHwnd));
    EXPECT_EQ(popup.Canvas(), nullptr);
}

} // namespace
} // namespace qor
