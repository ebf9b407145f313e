// Text helpers shared by every subsystem: the cleaning rule for stored text fields,
// ASCII case folding and the fixed-width ANSI text fields of the stored records.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qor {

// Cut at the first NUL character, then remove leading and trailing blanks.
std::string CleanString(std::string_view text);

// Leading and trailing blanks removed (no NUL rule).
std::string TrimBlanks(std::string_view text);

std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
// Replaces every occurrence of `from` (non-empty) by `to`.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
// Text with a trailing backslash added when missing (empty stays empty).
std::string WithBackslash(std::string text);

// A fixed-width ANSI text field of a stored record: exactly N bytes, no terminator.
// Assignment pads shorter text with blanks and cuts longer text; a fresh field is all zero bytes.
template <std::size_t N> struct FixedText {
    std::array<char, N> bytes{};

    static constexpr std::size_t kWidth = N;

    void Set(std::string_view text) {
        const std::size_t n = text.size() < N ? text.size() : N;
        for (std::size_t i = 0; i < n; ++i)
            bytes[i] = text[i];
        for (std::size_t i = n; i < N; ++i)
            bytes[i] = ' ';
    }
    FixedText& operator=(std::string_view text) {
        Set(text);
        return *this;
    }
    // The cleaned value, written back into the field (readers always clean).
    std::string Clean() {
        std::string c = CleanString(View());
        Set(c);
        return c;
    }
    // The cleaned value without writing it back.
    std::string Peek() const { return CleanString(View()); }
    std::string_view View() const { return std::string_view(bytes.data(), N); }
    bool operator==(const FixedText&) const = default;
};

} // namespace qor
