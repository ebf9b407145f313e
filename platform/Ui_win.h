// Message boxes, the common file dialog and the busy pointer on Win32.
#pragma once

#include <windows.h>

#include "platform/Ui.h"

namespace qor {

// The application title used in captions the program forms itself.
constexpr const char* kAppTitle = "QOR Desktop";

class WinUi final : public IUi {
public:
    // The window that owns the file dialogs (the dock, once it exists).
    void SetOwner(HWND owner) { m_owner = owner; }
    // While a dialog runs a command, its message boxes and file dialogs are owned by it (so the
    // dialog waits for them); null gives them back to the default owner. Returns the previous.
    HWND SetDialogOwner(HWND owner) {
        const HWND previous = m_dialogOwner;
        m_dialogOwner = owner;
        return previous;
    }

    int ShowMessage(const std::string& text, const std::string& caption, unsigned flags) override;
    std::string FileDialog(const FileDialogRequest& request) override;
    void SetBusy(bool busy) override;

private:
    HWND m_owner = nullptr;
    HWND m_dialogOwner = nullptr;
    int m_busyDepth = 0;
    HCURSOR m_cursorBeforeBusy = nullptr;
};

// Trims the working set of the process (after start-up, dialogs and reloads).
void TrimWorkingSet();

} // namespace qor
