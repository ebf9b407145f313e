// The rules of the one-line input window (FrmInput): what it hands back and what it selects.
#pragma once

#include <cstddef>
#include <string>

namespace qor {

// The caption of the input window when the caller gives no title.
constexpr const char* kInputCaption = "QOR Desktop Input";
// What the window takes: its answers become titles (a group's name, the user's name), stored in
// a field of this many bytes.
constexpr std::size_t kInputTextWidth = 128;

// The text the input window hands back. OK (or Enter) with an entry that holds more than blanks
// gives the entry exactly as typed, blanks kept; OK with an empty or blank-only entry, and
// Cancel, give the text the window opened with.
std::string InputResult(bool confirmed, const std::string& entered, const std::string& inputText);

// The window's caption for a title (the standard caption when the title is empty).
std::string InputCaption(const std::string& title);

} // namespace qor
