#include "dialogs/FrmStarted_win.h"

#include "core/AppState.h"
#include "resources/resource.h"

namespace qor {

FrmStarted::~FrmStarted() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

bool FrmStarted::Show(HINSTANCE instance, HWND owner) {
    if (m_hwnd) {
        ShowState(m_tour.Open());
        CheckDlgButton(m_hwnd, IDC_STARTED_DONTSHOW,
                       m_tour.DontShowAgainAtOpen() ? BST_CHECKED : BST_UNCHECKED);
        SetForegroundWindow(m_hwnd);
        return true;
    }
    CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_STARTED), owner, &dlg::Procedure<FrmStarted>,
                       reinterpret_cast<LPARAM>(this));
    if (!m_hwnd)
        return false;
    ShowWindow(m_hwnd, SW_SHOW);
    return true;
}

void FrmStarted::Close() {
    if (m_hwnd)
        SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

bool FrmStarted::TranslateMessage(MSG& msg) {
    if (!m_hwnd || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd)))
        return false;
    return IsDialogMessageA(m_hwnd, &msg) != FALSE;
}

INT_PTR FrmStarted::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            m_hwnd = hwnd;
            OnInitDialog(hwnd);
            return FALSE; // the focus is on "Next >>"
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CLOSE:
            OnCommand(IDCANCEL);
            return TRUE;
        case WM_NCDESTROY:
            m_hwnd = nullptr;
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

void FrmStarted::OnInitDialog(HWND hwnd) {
    ShowState(m_tour.Open());
    CheckDlgButton(hwnd, IDC_STARTED_DONTSHOW, m_tour.DontShowAgainAtOpen() ? BST_CHECKED : BST_UNCHECKED);
    SetFocus(GetDlgItem(hwnd, IDC_STARTED_NEXT));
}

void FrmStarted::ShowState(const TourState& state) {
    const TourPage& page = kTour[static_cast<std::size_t>(state.page)];
    dlg::SetControlText(m_hwnd, IDC_STARTED_HEADING, page.heading);
    dlg::SetControlText(m_hwnd, IDC_STARTED_TEXT, page.text);
    dlg::SetControlText(m_hwnd, IDC_STARTED_STEP,
                        "Step " + std::to_string(state.page + 1) + " of " + std::to_string(kTourPages));
    const HWND last = GetDlgItem(m_hwnd, IDC_STARTED_LAST);
    const HWND next = GetDlgItem(m_hwnd, IDC_STARTED_NEXT);
    // A button about to be disabled gives the focus to the other one first, so that the keyboard
    // user is never left on a dead button.
    const HWND focus = GetFocus();
    if ((focus == next && !state.nextEnabled) || (focus == last && !state.lastEnabled))
        SendMessageA(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus == next ? last : next), TRUE);
    EnableWindow(last, state.lastEnabled ? TRUE : FALSE);
    EnableWindow(next, state.nextEnabled ? TRUE : FALSE);
    // Enter pages on while there is a page after this one.
    SendMessageA(m_hwnd, DM_SETDEFID, state.nextEnabled ? IDC_STARTED_NEXT : IDCANCEL, 0);
    InvalidateRect(GetDlgItem(m_hwnd, IDC_STARTED_PICTURE), nullptr, FALSE);
    InvalidateRect(GetDlgItem(m_hwnd, IDC_STARTED_HEADING), nullptr, TRUE);
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line("get-started page=" + std::to_string(state.page));
}

void FrmStarted::OnCommand(int id) {
    switch (id) {
    case IDC_STARTED_LAST:
        ShowState(m_tour.Last());
        break;
    case IDC_STARTED_NEXT:
        ShowState(m_tour.Next());
        break;
    case IDCANCEL: { // "Cancel", Escape, the close box
        if (!m_hwnd)
            break;
        const bool dontShow = IsDlgButtonChecked(m_hwnd, IDC_STARTED_DONTSHOW) == BST_CHECKED;
        const bool saved = m_tour.Close(dontShow);
        if (m_app.sys.trace && m_app.sys.trace->Enabled())
            m_app.sys.trace->Line("get-started close stored=" + std::to_string(m_app.cfg.HideGetStarted) +
                                  " ok=" + (saved ? "1" : "0"));
        DestroyWindow(m_hwnd);
        break;
    }
    default:
        break;
    }
}

void FrmStarted::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID == IDC_STARTED_HEADING) {
        dlg::DrawHeading(item, m_headingFont.Get(m_hwnd), false);
        return;
    }
    if (item.CtlID != IDC_STARTED_PICTURE)
        return;
    // Each page's picture is decoded when it is first shown: the tour opens during start-up.
    const auto page = static_cast<std::size_t>(m_tour.State().page);
    if (!m_pictures[page])
        m_pictures[page] = dlg::LoadPicture(kTour[page].picture);
    dlg::DrawPicture(item, m_pictures[page].get(), dlg::PictureFit::Cover);
}

} // namespace qor
