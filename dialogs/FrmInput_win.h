// FrmInput: the modal one-line input window behind InputText. Its template is IDD_INPUT in
// resources/Dialogs.rc; what it hands back is decided by dialogs/InputText.
#pragma once

#include <windows.h>

#include <string>

namespace qor {

class FrmInput {
public:
    // Shows the window modally over `owner` (topmost, centred) with the prompt, the title as its
    // caption (the standard caption when empty) and the input text, selected, in its box.
    // Returns the text entered, or the input text when cancelled or left blank.
    static std::string InputText(HINSTANCE instance, HWND owner, const std::string& prompt,
                                 const std::string& title, const std::string& inputText);

private:
    FrmInput(const std::string& prompt, const std::string& title, const std::string& inputText)
        : m_prompt(prompt), m_title(title), m_inputText(inputText), m_result(inputText) {}

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnInitDialog(HWND hwnd);
    void OnCommand(HWND hwnd, int id, int notification);
    // Selects the box's text from position 0 for as many characters as the window opened with.
    void SelectInputText(HWND hwnd);

    const std::string& m_prompt;
    const std::string& m_title;
    const std::string& m_inputText;
    std::string m_result;
};

} // namespace qor
