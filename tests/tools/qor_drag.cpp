// qor_drag.exe <x> <y> <file>...: drags a file list from this process and drops it at screen
// point (x, y), the way the shell does when the user drags files from a folder window: OLE's
// DoDragDrop with a CF_HDROP data object. Under Wine a drop target registered by another process
// is reached through COM. The pointer is put at (x, y) first; the drag "holds the button" for a
// few of OLE's 50 ms ticks so that the target sees it enter and pass over, then drops.
// Prints "result=<hex> effect=<n>"; exit code 0 when the data was dropped, 1 when the drag ended
// without a drop, 2 on bad arguments.
//
// Built by the Windows build as build/win/qor_drag.exe (a console program, static runtime).
#include <windows.h>

#include <ole2.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/tools/FileListData.h"

namespace {

class HoldThenDrop final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // lives on the stack of wWinMain
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return ++m_ticks < kHeldTicks ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    static constexpr int kHeldTicks = 8;
    int m_ticks = 0;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 2;
    const int x = _wtoi(argv[1]);
    const int y = _wtoi(argv[2]);
    std::vector<std::wstring> files(argv + 3, argv + argc);
    if (FAILED(OleInitialize(nullptr)))
        return 2;
    SetCursorPos(x, y);
    auto* data = new qor::test::FileListData(std::move(files));
    HoldThenDrop source;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result =
        DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    data->Release();
    std::printf("result=0x%08lx effect=%lu\n", static_cast<unsigned long>(result),
                static_cast<unsigned long>(effect));
    std::fflush(stdout);
    OleUninitialize();
    return result == DRAGDROP_S_DROP ? 0 : 1;
}
