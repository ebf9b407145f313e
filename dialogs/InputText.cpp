#include "dialogs/InputText.h"

#include "core/Text.h"

namespace qor {

std::string InputResult(bool confirmed, const std::string& entered, const std::string& inputText) {
    if (!confirmed || TrimBlanks(entered).empty())
        return inputText;
    return entered;
}

std::string InputCaption(const std::string& title) {
    return title.empty() ? std::string(kInputCaption) : title;
}

} // namespace qor
