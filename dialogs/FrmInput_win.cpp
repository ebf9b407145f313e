#include "dialogs/FrmInput_win.h"

#include "dialogs/InputText.h"
#include "resources/resource.h"

namespace qor {

std::string FrmInput::InputText(HINSTANCE instance, HWND owner, const std::string& prompt,
                                const std::string& title, const std::string& inputText) {
    FrmInput window(prompt, title, inputText);
    // -1: the template or the window could not be made; the caller gets its text back unchanged.
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INPUT), owner, &FrmInput::DialogProc,
                    reinterpret_cast<LPARAM>(&window));
    return window.m_result;
}

INT_PTR CALLBACK FrmInput::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The object arrives with WM_INITDIALOG; messages before it (WM_SETFONT) have none.
    if (msg == WM_INITDIALOG)
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    auto* self = reinterpret_cast<FrmInput*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    const INT_PTR result = self->OnMessage(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    return result;
}

INT_PTR FrmInput::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) noexcept {
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
}

void FrmInput::OnInitDialog(HWND hwnd) {
    SetWindowTextA(hwnd, InputCaption(m_title).c_str());
    SetDlgItemTextA(hwnd, IDC_INPUT_PROMPT, m_prompt.c_str());
    const HWND box = GetDlgItem(hwnd, IDC_INPUT_TEXT);
    SetWindowTextA(box, m_inputText.c_str());
    // Above every other window, also above a dock raised in keyboard mode. This activates the
    // window, and the dialog manager then focuses the box: the texts are in place before.
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(box);
    SelectInputText(hwnd); // the box may have had the focus already, without a new EN_SETFOCUS
}

void FrmInput::SelectInputText(HWND hwnd) {
    SendDlgItemMessageA(hwnd, IDC_INPUT_TEXT, EM_SETSEL, 0, static_cast<LPARAM>(m_inputText.size()));
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
        std::string entered(static_cast<std::size_t>(GetWindowTextLengthA(box)) + 1, '\0');
        entered.resize(
            static_cast<std::size_t>(GetWindowTextA(box, entered.data(), static_cast<int>(entered.size()))));
        m_result = qor::InputResult(true, entered, m_inputText);
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
