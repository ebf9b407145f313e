#include "dialogs/FrmInput_win.h"

#include "core/FieldText.h"
#include "dialogs/InputText.h"
#include "platform/CodePage_win.h"
#include "resources/resource.h"

namespace qor {

std::string FrmInput::InputText(HINSTANCE instance, HWND owner, const std::string& prompt,
                                const std::string& title, const std::string& inputText) {
    FrmInput window(prompt, title, inputText);
    // A wide window: whatever the user types arrives whole, so that a character the code page
    // lacks is refused instead of turning into "?". -1: the template or the window could not be
    // made; the caller gets its text back unchanged.
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INPUT), owner, &FrmInput::DialogProc,
                    reinterpret_cast<LPARAM>(&window));
    return window.m_result;
}

INT_PTR CALLBACK FrmInput::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The object arrives with WM_INITDIALOG; messages before it (WM_SETFONT) have none.
    if (msg == WM_INITDIALOG)
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    auto* self = reinterpret_cast<FrmInput*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    const INT_PTR result = self->OnMessage(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    return result;
}

INT_PTR FrmInput::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) noexcept {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            OnInitDialog(hwnd);
            return FALSE; // the focus was placed on the text box
        case WM_COMMAND:
            OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE; // no exception crosses the dialog procedure
    }
}

void FrmInput::OnInitDialog(HWND hwnd) {
    SetWindowTextW(hwnd, win::FromCodePage(InputCaption(m_title)).c_str());
    SetDlgItemTextW(hwnd, IDC_INPUT_PROMPT, win::FromCodePage(m_prompt).c_str());
    const HWND box = GetDlgItem(hwnd, IDC_INPUT_TEXT);
    // No more characters than the field holds bytes; a double-byte text may still be longer
    // and is cut between characters when stored.
    SendMessageW(box, EM_LIMITTEXT, kInputTextWidth, 0);
    SetWindowTextW(box, win::FromCodePage(m_inputText).c_str());
    // Above every other window, also above a dock raised in keyboard mode. This activates the
    // window, and the dialog manager then focuses the box: the texts are in place before.
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(box);
    SelectInputText(hwnd); // the box may have had the focus already, without a new EN_SETFOCUS
}

void FrmInput::SelectInputText(HWND hwnd) {
    const std::size_t characters = win::FromCodePage(m_inputText).size();
    SendDlgItemMessageW(hwnd, IDC_INPUT_TEXT, EM_SETSEL, 0, static_cast<LPARAM>(characters));
}

void FrmInput::OnCommand(HWND hwnd, int id, int notification) {
    switch (id) {
    case IDC_INPUT_TEXT:
        // Whenever the box gets the focus, the text the window opened with is selected, so that
        // typing replaces it. The dialog manager selects everything before it moves the focus;
        // this comes after and wins.
        if (notification == EN_SETFOCUS)
            SelectInputText(hwnd);
        break;
    case IDOK: { // "&OK" or Enter
        const HWND box = GetDlgItem(hwnd, IDC_INPUT_TEXT);
        const FieldFit fit =
            FitStoredField(win::ToCodePageChars(win::WindowTextW(box)), kInputTextWidth, FieldOverflow::Cut);
        if (!fit.Accepted()) {
            // The window stays open with the text, for the user to change.
            MessageBoxW(hwnd,
                        win::FromCodePage(FieldRefusedText("text", fit.status, kInputTextWidth)).c_str(),
                        win::FromCodePage(InputCaption(m_title)).c_str(), MB_OK | MB_ICONEXCLAMATION);
            SetFocus(box);
            SendMessageW(box, EM_SETSEL, 0, -1);
            break;
        }
        m_result = qor::InputResult(true, fit.text, m_inputText);
        EndDialog(hwnd, IDOK);
        break;
    }
    case IDCANCEL: // "&Cancel", Escape or the close box
        m_result = m_inputText;
        EndDialog(hwnd, IDCANCEL);
        break;
    default:
        break;
    }
}

} // namespace qor
