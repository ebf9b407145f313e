#include "core/FieldText.h"

namespace qor {

FieldFit FitStoredField(const CodePageChars& chars, std::size_t width, FieldOverflow overflow) {
    for (const std::string& c : chars)
        if (c.empty())
            return {FieldFitStatus::NotInCodePage, {}};
    FieldFit fit;
    for (const std::string& c : chars) {
        if (fit.text.size() + c.size() > width) {
            if (overflow == FieldOverflow::Refuse)
                return {FieldFitStatus::TooLong, {}};
            fit.status = FieldFitStatus::Cut;
            break;
        }
        fit.text += c;
    }
    return fit;
}

CodePageChars SingleByteChars(const std::string& text) {
    CodePageChars chars;
    chars.reserve(text.size());
    for (char c : text)
        chars.emplace_back(1, c);
    return chars;
}

std::string FieldRefusedText(const std::string& fieldName, FieldFitStatus status, std::size_t width) {
    if (status == FieldFitStatus::TooLong)
        return "The " + fieldName + " is too long. QOR Desktop can store at most " + std::to_string(width) +
               " characters here; please shorten it.";
    return "The " + fieldName +
           " contains characters that cannot be stored with this computer's language settings. "
           "Please replace them and try again.";
}

} // namespace qor
