// Text the user types or drops, on its way into a fixed-width ANSI field of a stored record.
// The fields hold bytes of the system's ANSI code page; a character that code page lacks would be
// stored as "?", and a cut at the field's width could split a double-byte character. One rule
// decides for every dialog and for dropped paths: characters the code page lacks are refused;
// text longer than its field is cut after the last whole character that fits, or refused where a
// cut would change its meaning (paths).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qor {

// Typed text as the code page spells it: one entry per character, holding its bytes (one or two),
// or empty when the code page has no such character.
using CodePageChars = std::vector<std::string>;

// What a text longer than its field gets.
enum class FieldOverflow {
    Cut,    // cut after the last whole character that fits (titles, arguments)
    Refuse, // refused (paths: a shorter path names another file)
};

enum class FieldFitStatus {
    Fits,          // stored as typed
    Cut,           // stored without its tail
    TooLong,       // refused: longer than the field
    NotInCodePage, // refused: a character the code page lacks
};

struct FieldFit {
    FieldFitStatus status = FieldFitStatus::Fits;
    std::string text; // what the field receives (empty when refused)

    bool Accepted() const { return status == FieldFitStatus::Fits || status == FieldFitStatus::Cut; }
};

// The rule: `chars` on its way into a field of `width` bytes.
FieldFit FitStoredField(const CodePageChars& chars, std::size_t width, FieldOverflow overflow);

// Plain ANSI text as characters of a single-byte code page (each byte one character); for text
// that already is in the code page.
CodePageChars SingleByteChars(const std::string& text);

// The message for a refused field ("title", "target", ...) of `width` bytes, for the user.
std::string FieldRefusedText(const std::string& fieldName, FieldFitStatus status, std::size_t width);

} // namespace qor
