#include "dock/Accessible.h"

namespace qor {

const char* AccessEventName(AccessEvent event) {
    switch (event) {
    case AccessEvent::Focus:
        return "focus";
    case AccessEvent::NameChange:
        return "name-change";
    case AccessEvent::PopupStart:
        return "popup-start";
    case AccessEvent::PopupEnd:
        return "popup-end";
    }
    return "?";
}

int ElementAt(const std::vector<AccessibleElement>& elements, int x, int y) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const AccessibleElement& e = elements[i];
        if ((e.States & access::Invisible) == 0 && x >= e.Bounds.left && x < e.Bounds.right &&
            y >= e.Bounds.top && y < e.Bounds.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace qor
