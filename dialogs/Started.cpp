#include "dialogs/Started.h"

#include "core/AppState.h"
#include "core/ConfigFiles.h"

namespace qor {

const std::array<TourPage, kTourPages> kTour{{
    {"TOUR1", "Your programs in a ring",
     "QOR Desktop keeps the programs, folders and documents you use most in a ring on your "
     "desktop. Click an icon to open it; click the centre to fold the ring away."},
    {"TOUR2", "Groups open where you point",
     "An icon can hold a whole group. Click it and its members open in a panel beside the "
     "ring; the wheel scrolls a long group."},
    {"TOUR3", "Everything from the keyboard",
     "Press Alt+Space anywhere: the ring comes to the front and every position shows its "
     "letter. Type the letter to open it, or Escape to go back."},
    {"TOUR4", "Make the ring your own",
     "Drag files from Explorer onto an icon to add them; drop several to make a group. "
     "Drag an icon off the ring to remove it, or right-click it to change it."},
    {"TOUR5", "Sizes, radius and more",
     "Open Settings from the notification-area icon to choose the icon sizes, the circle and "
     "the number of positions. Shift+Tab shows the plain desktop, Ctrl+Tab folds the ring."},
}};

TourState GetStartedTour::Show(int page) {
    m_state.page = page;
    m_state.lastEnabled = page > 0;
    m_state.nextEnabled = page < kTourPages - 1;
    m_app.cfg.HideGetStarted = static_cast<int16_t>(page);
    return m_state;
}

TourState GetStartedTour::Open() {
    const int stored = m_app.cfg.HideGetStarted;
    m_offAtOpen = stored == kTrue;
    return Show(stored >= 0 && stored < kTourPages ? stored : 0);
}

TourState GetStartedTour::Last() {
    return m_state.page > 0 ? Show(m_state.page - 1) : m_state;
}

TourState GetStartedTour::Next() {
    return m_state.page < kTourPages - 1 ? Show(m_state.page + 1) : m_state;
}

bool GetStartedTour::Close(bool dontShowAgain) {
    m_app.cfg.HideGetStarted = dontShowAgain ? kTrue : static_cast<int16_t>(m_state.page);
    return SaveSettings(m_app);
}

} // namespace qor
