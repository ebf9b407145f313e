// FrmProperty: the property dialog of an item, modal over the dock. Its template is IDD_PROPERTY
// in resources/Dialogs.rc; what it shows and what its controls do is decided by
// icons/PropertyDialog, and this window moves values between its controls and that controller.
#pragma once

#include <windows.h>

#include "icons/PropertyDialog.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"

namespace qor {

struct AppState;
class IDockActions;

class FrmProperty final : private IPropertyHost {
public:
    // Shows the dialog for item `item` (with `addMode`, "&Add Shortcut": a group gets a new
    // member) modally over `owner`; returns when it is closed.
    static void Show(HINSTANCE instance, HWND owner, AppState& app, IDockActions& dock, int item,
                     bool addMode);

private:
    FrmProperty(AppState& app, int item, bool addMode, IDockActions& dock)
        : m_app(app), m_controller(app, dock, *this, item, addMode) {}

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnCommand(int id, int notification);
    void OnDrawPicture(const DRAWITEMSTRUCT& item);
    void OnEraseBackground(HDC dc);
    HBRUSH OnControlColour(HDC dc, HWND control);
    // Pixels of `dlu` dialog units down.
    int DialogUnitsDown(int dlu) const;

    // IPropertyHost
    void ShowCaption(const std::string& caption) override;
    void ShowFields(const PropertyFields& fields) override;
    void ShowLinkEntries(const std::vector<std::string>& entries, int selected) override;
    void ShowControls(const PropertyControls& controls) override;
    void ShowPicture(const IconSource& source) override;
    int Message(const std::string& text, const std::string& caption, unsigned flags) override;
    std::string OpenFile(const FileDialogRequest& request) override;
    void FocusField(const std::string& field) override;

    AppState& m_app;
    PropertyDialog m_controller;
    HWND m_hwnd = nullptr;
    double m_scale = 1.0;   // the system's dots per inch over 96
    gdip::Image m_picture;  // what the picture box shows (a copy: the file stays free)
    int m_pictureWidth = 0; // its own size
    int m_pictureHeight = 0;
};

} // namespace qor
