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

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// A data object holding a file list (CF_HDROP, wide names), as the shell hands one over.
class FileListData final : public IDataObject {
public:
    explicit FileListData(std::vector<std::wstring> files) : m_files(std::move(files)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium)
            return E_INVALIDARG;
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = MakeDropFiles();
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format)
            return E_INVALIDARG;
        return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~FileListData() = default;

    // DROPFILES followed by each name and its NUL, the list ended by one more NUL.
    HGLOBAL MakeDropFiles() const {
        std::wstring names;
        for (const std::wstring& f : m_files)
            names += f + L'\0';
        names += L'\0';
        const SIZE_T size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        if (!memory)
            return nullptr;
        auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = TRUE;
        std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(),
                    names.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        return memory;
    }

    LONG m_refs = 1;
    std::vector<std::wstring> m_files;
};

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
    auto* data = new FileListData(std::move(files));
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
