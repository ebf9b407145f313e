// Text between the wide characters of the system's controls and the system's ANSI code page, in
// which every stored text field is kept.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/FieldText.h"

namespace qor::win {

// Wide text as characters of the ANSI code page: each character's bytes, or empty text for one
// the code page has no character for (never a "?" or a look-alike in its place).
CodePageChars ToCodePageChars(std::wstring_view text);
// ANSI text of the code page as wide text.
std::wstring FromCodePage(std::string_view text);
// The text of a window or control, wide.
std::wstring WindowTextW(HWND hwnd);

} // namespace qor::win
