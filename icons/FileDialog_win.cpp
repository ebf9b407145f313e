#include "icons/FileDialog_win.h"

#include <commdlg.h>

#include "icons/FileDialog.h"

namespace qor {

std::string ShowFileDialog(HWND owner, const FileDialogRequest& request, IUi& ui,
                           const std::string& applicationTitle) {
    std::optional<FileDialogRecord> record = PrepareFileDialog(request);
    if (!record) {
        ui.ShowMessage(kFileNameOverflowText, FileDialogOverflowTitle(applicationTitle), mb::IconExclamation);
        return {};
    }
    OPENFILENAMEA ofn{};
    // The pre-Windows 2000 layout (76 bytes on 32-bit Windows): no places bar extension fields.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpstrFilter = record->filter.empty() ? nullptr : record->filter.c_str();
    ofn.lpstrFile = record->file.data();
    ofn.nMaxFile = static_cast<DWORD>(record->file.size());
    ofn.lpstrFileTitle = record->fileTitle.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(record->fileTitle.size());
    ofn.lpstrInitialDir = record->initialFolder.empty() ? nullptr : record->initialFolder.c_str();
    ofn.lpstrTitle = record->title.empty() ? nullptr : record->title.c_str();
    ofn.Flags = record->flags;
    ofn.lpstrDefExt = record->defaultExtension.empty() ? nullptr : record->defaultExtension.c_str();

    const BOOL chosen = record->save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    std::string result = chosen ? FileDialogResult(record->file.data(), record->file.size()) : std::string{};
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    return result;
}

} // namespace qor
