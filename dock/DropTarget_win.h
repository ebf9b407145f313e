// The dock window's OLE drop target: the system calls it while something is dragged over the
// window (also from another process, through COM), and it hands the pointer position, whether
// the data holds a file list, and on the drop the listed paths, to its sink (FrmMain).
#pragma once

#include <windows.h>

#include <ole2.h>

#include <cstdint>
#include <vector>

#include "core/FieldText.h"

namespace qor {

class IDropSink {
public:
    virtual ~IDropSink() = default;
    // The pointer at `screen` during a drag; the effect among `allowed` to report.
    virtual uint32_t DragOver(POINTL screen, bool hasFiles, uint32_t allowed) = 0;
    virtual void DragLeave() = 0;
    // The drop: the paths of the file list (in the code page, at most 1024), `hasFiles` false
    // when the data holds none. The effect to report.
    virtual uint32_t Drop(POINTL screen, std::vector<CodePageChars> names, bool hasFiles,
                          uint32_t allowed) = 0;
};

// Reads the file list of a data object: each path's characters in the code page, at most `limit`.
// Nothing when the data holds no file list.
bool ReadFileList(IDataObject* data, std::size_t limit, std::vector<CodePageChars>& names);
// True when the data offers a file list (CF_HDROP in global memory).
bool HasFileList(IDataObject* data);

class OleDropTarget final : public IDropTarget {
public:
    // A new target with one reference, which the caller owns.
    static OleDropTarget* Create(IDropSink* sink);
    // The sink goes away: every later call reports "no drop".
    void Detach() { m_sink = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;

private:
    explicit OleDropTarget(IDropSink* sink) : m_sink(sink) {}
    ~OleDropTarget() = default;

    LONG m_refs = 1;
    IDropSink* m_sink;
    bool m_hasFiles = false; // of the data being dragged now
};

} // namespace qor
