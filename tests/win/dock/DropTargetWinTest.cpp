// The dock window's OLE drop target, called as the system calls it for a drag from the shell: the
// effect it reports over a position and off the ring, and the drop itself, which adds the files
// once the drag source has its answer and refuses a name the code page cannot hold.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/AppState.h"
#include "dock/FrmMain_win.h"
#include "dock/Paint.h"
#include "fakes/Fakes.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"
#include "tools/FileListData.h"

namespace qor {
namespace {

struct NoProgram : win::IProgram {
    void ExitProgram() override {}
    void QueryEndSession() override {}
    void EndSession(bool) override {}
    void FramePresented(double) override {}
};

TEST(DropTargetWin, FilesDroppedOnABlankBecomeAGroup) {
    win::OleSession ole;
    ASSERT_TRUE(ole.Start());
    gdip::Session gdiplus;
    ASSERT_EQ(gdiplus.Start(), 0);
    test::TestApp t;
    AppState& app = t.app;
    app.screen = MeasureScreen(ScreenInfo{{20, 10, 920, 410}, 15, 15});
    app.run.IconCount = 8;
    for (int i = 0; i <= 8; ++i) {
        app.store.Items[i].Kind = i == 5 ? kind::Blank : kind::System;
        app.geo.Slots[i] = DockSlot{48, 100 * i, 100};
    }
    IniIconParam(app);
    t.fs.AddFile("C:\\Files\\a.txt", "a");
    t.fs.AddFile("C:\\Files\\b.txt", "b");

    NoProgram program;
    FrmMain dock(app, program);
    ASSERT_TRUE(dock.Load(GetModuleHandleA(nullptr)));
    IDropTarget* target = dock.DropTargetInterface();
    ASSERT_NE(target, nullptr) << "the dock window is no registered drop target";

    // "ā" is not in the Western code page: that file is refused, the other two are added.
    auto* data = new test::FileListData({L"C:\\Files\\a.txt", L"C:\\Files\\\u0101.txt", L"C:\\Files\\b.txt"});
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const POINTL overBlank{20 + 510, 10 + 120};
    const POINTL offTheRing{20 + 5, 10 + 5};
    DWORD effect = all;
    EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, overBlank, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(app.dock.DragSlot, 5);
    effect = all;
    target->DragOver(MK_LBUTTON, offTheRing, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(app.dock.DragSlot, -1);
    effect = all;
    target->DragOver(MK_LBUTTON, overBlank, &effect);
    effect = all;
    EXPECT_EQ(target->Drop(data, 0, overBlank, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(app.store.Items[5].Kind, kind::Blank) << "the drop must wait until the source has its answer";

    PumpPendingMessages();
    EXPECT_EQ(app.store.Items[5].Kind, kind::Group);
    EXPECT_EQ(app.store.Items[5].Title.Peek(), "New Group");
    ASSERT_EQ(app.store.Groups[5].Count, 2);
    EXPECT_EQ(app.store.Items[app.store.Groups[5].Members[2]].Target.Peek(), "C:\\Files\\b.txt");
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, RefusedDropText(1));
    EXPECT_EQ(app.dock.DragSlot, -1);

    data->Release();
    dock.Unload();
    EXPECT_EQ(dock.DropTargetInterface(), nullptr);
}

} // namespace
} // namespace qor
