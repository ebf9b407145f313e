#include "platform/CodePage_win.h"

namespace qor::win {

namespace {

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// One character (one or two UTF-16 units) in the code page; empty when it has none.
std::string Encode(const wchar_t* unit, int units, UINT codePage) {
    char bytes[8] = {};
    BOOL usedDefault = FALSE;
    // UTF-8 as the code page holds every character but takes no default-character query.
    const bool utf8 = codePage == CP_UTF8;
    const int n = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, unit,
                                      units, bytes, sizeof bytes, nullptr, utf8 ? nullptr : &usedDefault);
    if (n <= 0 || usedDefault)
        return {};
    return std::string(bytes, static_cast<std::size_t>(n));
}

} // namespace

CodePageChars ToCodePageChars(std::wstring_view text) {
    const UINT codePage = GetACP();
    CodePageChars chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        int units = 1;
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            units = 2;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            units = 0; // half a character: nothing can hold it
        chars.push_back(units ? Encode(text.data() + i, units, codePage) : std::string());
        i += units ? static_cast<std::size_t>(units) : 1;
    }
    return chars;
}

std::wstring FromCodePage(std::string_view text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring WindowTextW(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

} // namespace qor::win
