#include "platform/Ui_win.h"

#include "icons/FileDialog_win.h"

namespace qor {

void TrimWorkingSet() {
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

int WinUi::ShowMessage(const std::string& text, const std::string& caption, unsigned flags) {
    return MessageBoxA(m_dialogOwner, text.c_str(), caption.c_str(), flags);
}

std::string WinUi::FileDialog(const FileDialogRequest& request) {
    return ShowFileDialog(m_dialogOwner ? m_dialogOwner : m_owner, request, *this, kAppTitle);
}

void WinUi::SetBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0)
            m_cursorBeforeBusy = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        return;
    }
    if (m_busyDepth == 0)
        return;
    if (--m_busyDepth == 0)
        SetCursor(m_cursorBeforeBusy ? m_cursorBeforeBusy
                                     : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

} // namespace qor
