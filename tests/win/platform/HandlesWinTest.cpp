// The owners of platform/Handles_win.h: each gives back what it holds, once, with the call that
// belongs to its kind, and a move hands the resource over without giving it back.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>
#include <utility>
#include <vector>

#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"

namespace qor {
namespace {

TEST(HandlesWin, KernelHandlesCloseOnceAndReportTheClose) {
    win::Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(win::IsValid(event));
    const HANDLE raw = event.get();
    win::Handle moved = std::move(event);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(raw, &flags)); // still open: the move did not close it
    EXPECT_TRUE(win::Close(moved));
    EXPECT_FALSE(moved);
    EXPECT_FALSE(GetHandleInformation(raw, &flags));

    win::Handle none(INVALID_HANDLE_VALUE); // what CreateFile gives on failure
    EXPECT_FALSE(win::IsValid(none));
    EXPECT_FALSE(win::Close(none));
}

TEST(HandlesWin, UserAndGdiObjectsAreDestroyedWithTheirOwners) {
    HMENU rawMenu = nullptr;
    HBITMAP rawBitmap = nullptr;
    HDC rawDc = nullptr;
    {
        const win::Menu menu(CreatePopupMenu());
        const win::Bitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
        const win::MemoryDc dc(CreateCompatibleDC(nullptr));
        rawMenu = menu.get();
        rawBitmap = bitmap.get();
        rawDc = dc.get();
        ASSERT_TRUE(IsMenu(rawMenu));
        ASSERT_EQ(GetObjectType(rawBitmap), static_cast<DWORD>(OBJ_BITMAP));
        ASSERT_EQ(GetObjectType(rawDc), static_cast<DWORD>(OBJ_MEMDC));

        // A selected bitmap goes back out of the DC when its selection ends, so that its owner
        // can delete it.
        const HGDIOBJ original = GetCurrentObject(rawDc, OBJ_BITMAP);
        {
            const win::SelectedObject selected(rawDc, rawBitmap);
            EXPECT_TRUE(selected);
            EXPECT_EQ(GetCurrentObject(rawDc, OBJ_BITMAP), rawBitmap);
        }
        EXPECT_EQ(GetCurrentObject(rawDc, OBJ_BITMAP), original);
    }
    EXPECT_FALSE(IsMenu(rawMenu));
    EXPECT_EQ(GetObjectType(rawBitmap), 0u);
    EXPECT_EQ(GetObjectType(rawDc), 0u);

    // 16 x 16, 32 bits, opaque: the icon is gone with its owner.
    std::vector<BYTE> colour(16 * 16 * 4, 0xFF), mask(16 * 16 / 8, 0);
    HICON rawIcon = nullptr;
    {
        const win::Icon icon(CreateIcon(nullptr, 16, 16, 1, 32, mask.data(), colour.data()));
        ASSERT_TRUE(icon);
        rawIcon = icon.get();
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(rawIcon, &info));
        const win::Bitmap infoColour(info.hbmColor), infoMask(info.hbmMask);
    }
    ICONINFO after{};
    EXPECT_FALSE(GetIconInfo(rawIcon, &after));
}

// An interface that counts its references.
class Counted : public IUnknown {
public:
    ULONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

TEST(HandlesWin, ComPointersReleaseTheReferenceTheyHold) {
    Counted first, second;
    {
        win::ComPtr<IUnknown> p(&first);
        win::ComPtr<IUnknown> moved = std::move(p);
        EXPECT_FALSE(p);
        EXPECT_EQ(first.references, 1u);
        *moved.Put() = &second; // a new out-parameter releases what was held
        EXPECT_EQ(first.references, 0u);
        EXPECT_EQ(second.references, 1u);
    }
    EXPECT_EQ(second.references, 0u);
}

TEST(HandlesWin, OleAndComSessionsCountTheirReferencesAndEnd) {
    // On a thread of its own, so that the test program's other threads keep their COM state.
    std::thread([] {
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        {
            win::OleSession ole;
            ASSERT_TRUE(ole.Start());
            {
                // COM is already there: each scope counts a reference, or none when it asks for
                // another apartment mode, and gives back only what it took.
                const win::ComScope nested;
                const win::ComScope otherMode(COINIT_MULTITHREADED);
                EXPECT_TRUE(nested.Usable());
                EXPECT_TRUE(otherMode.Usable());
            }
            EXPECT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
            EXPECT_NE(type, APTTYPE_MTA);
        }
        EXPECT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
    }).join();
}

TEST(HandlesWin, LockedPixelsAreStoredBackWhenTheLockEnds) {
    gdip::Session session;
    ASSERT_EQ(session.Start(), 0);
    gdip::GpBitmap* raw = nullptr;
    ASSERT_EQ(gdip::GdipCreateBitmapFromScan0(2, 2, 0, PixelFormat32bppARGB, nullptr, &raw), gdip::Ok);
    const gdip::Image bitmap(raw);
    {
        const gdip::LockedBits lock(raw, 0, 0, 2, 2, gdip::ImageLockModeWrite, PixelFormat32bppARGB);
        ASSERT_TRUE(lock);
        static_cast<uint32_t*>(lock.Data().Scan0)[1] = 0x80FF0000u;
        // Locked twice: refused while the first lock holds.
        EXPECT_FALSE(gdip::LockedBits(raw, 0, 0, 2, 2, gdip::ImageLockModeRead, PixelFormat32bppARGB));
    }
    gdip::ARGB pixel = 0;
    gdip::GdipBitmapGetPixel(raw, 1, 0, &pixel);
    EXPECT_EQ(pixel, 0x80FF0000u);
}

} // namespace
} // namespace qor
