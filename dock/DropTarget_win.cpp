#include "dock/DropTarget_win.h"

#include <shellapi.h>

#include <new>

#include "platform/CodePage_win.h"
#include "platform/Handles_win.h"

namespace qor {

namespace {

FORMATETC FileListFormat() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

} // namespace

bool HasFileList(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

bool ReadFileList(IDataObject* data, std::size_t limit, std::vector<CodePageChars>& names) {
    names.clear();
    if (!data)
        return false;
    FORMATETC format = FileListFormat();
    win::StorageMedium stored;
    if (FAILED(data->GetData(&format, &stored.medium)) || stored.medium.tymed != TYMED_HGLOBAL)
        return false;
    const auto drop = static_cast<HDROP>(stored.medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && names.size() < limit; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        names.push_back(win::ToCodePageChars(path));
    }
    return true;
}

OleDropTarget* OleDropTarget::Create(IDropSink* sink) {
    return new (std::nothrow) OleDropTarget(sink);
}

HRESULT OleDropTarget::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG OleDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

ULONG OleDropTarget::Release() {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

HRESULT OleDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) {
    m_hasFiles = HasFileList(data);
    return DragOver(keys, pt, effect);
}

HRESULT OleDropTarget::DragOver(DWORD, POINTL pt, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    try {
        *effect = m_sink ? m_sink->DragOver(pt, m_hasFiles, *effect) : DROPEFFECT_NONE;
    } catch (...) {
        *effect = DROPEFFECT_NONE; // nothing crosses into the caller (another process, maybe)
    }
    return S_OK;
}

HRESULT OleDropTarget::DragLeave() {
    try {
        if (m_sink)
            m_sink->DragLeave();
    } catch (...) {
    }
    m_hasFiles = false;
    return S_OK;
}

HRESULT OleDropTarget::Drop(IDataObject* data, DWORD, POINTL pt, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    try {
        std::vector<CodePageChars> names;
        const bool hasFiles = ReadFileList(data, 1024, names);
        if (m_sink)
            *effect = m_sink->Drop(pt, std::move(names), hasFiles, allowed);
    } catch (...) {
        *effect = DROPEFFECT_NONE;
    }
    m_hasFiles = false;
    return S_OK;
}

} // namespace qor
