#include "dialogs/FrmAbout_win.h"

#include <commctrl.h>

#include "core/AppState.h"
#include "dialogs/About.h"
#include "resources/resource.h"

namespace qor {

void FrmAbout::Show(HINSTANCE instance, HWND owner, AppState& app) {
    FrmAbout window(app);
    if (app.sys.trace && app.sys.trace->Enabled())
        app.sys.trace->Line("about open");
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, &dlg::Procedure<FrmAbout>,
                    reinterpret_cast<LPARAM>(&window));
}

INT_PTR FrmAbout::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            OnInitDialog(hwnd);
            return FALSE; // the focus is on "&OK"
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) // "&OK", Escape, the close box
                EndDialog(hwnd, IDOK);
            return TRUE;
        case WM_NOTIFY: {
            // A click on a link, or Enter on one that has the focus, opens it.
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code != NM_CLICK && header->code != NM_RETURN)
                return FALSE;
            if (header->idFrom == IDC_ABOUT_HOME)
                OpenAboutLink(m_app, AboutLink::WebSite);
            else if (header->idFrom == IDC_ABOUT_MAIL)
                OpenAboutLink(m_app, AboutLink::SupportMail);
            else
                return FALSE;
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID == IDC_ABOUT_PICTURE)
                dlg::DrawPicture(*item, m_logo.get(), dlg::PictureFit::Fit);
            else if (item->CtlID == IDC_ABOUT_NAME)
                dlg::DrawHeading(*item, m_nameFont.Get(hwnd), false, GetSysColor(COLOR_WINDOWTEXT));
            return TRUE;
        }
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

void FrmAbout::OnInitDialog(HWND hwnd) {
    m_logo = dlg::LoadPicture("QORLOGO");
    // LabAbout, LabOS, the two link labels and the acknowledgements.
    dlg::SetControlText(hwnd, IDC_ABOUT_TEXT, AboutText());
    dlg::SetControlText(hwnd, IDC_ABOUT_OS, AboutSystemText(m_app));
    dlg::SetControlText(hwnd, IDC_ABOUT_HOME, "<a>" + AboutLinkText(AboutLink::WebSite) + "</a>");
    dlg::SetControlText(hwnd, IDC_ABOUT_MAIL, "<a>" + AboutLinkText(AboutLink::SupportMail) + "</a>");
    dlg::SetControlText(hwnd, IDC_ABOUT_THANKS, AboutAcknowledgements());
    SetFocus(GetDlgItem(hwnd, IDOK));
}

} // namespace qor
