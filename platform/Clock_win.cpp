#include "platform/Clock_win.h"

#include <windows.h>

namespace qor {

WinClock::WinClock() {
    LARGE_INTEGER frequency{};
    // Never fails on XP and later; the guard keeps a broken counter from dividing by zero.
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        m_msPerCount = 1000.0 / static_cast<double>(frequency.QuadPart);
}

uint64_t WinClock::Ticks() {
    return GetTickCount64();
}

double WinClock::NowMs() {
    LARGE_INTEGER now{};
    if (m_msPerCount == 0.0 || !QueryPerformanceCounter(&now))
        return static_cast<double>(GetTickCount64());
    return static_cast<double>(now.QuadPart) * m_msPerCount;
}

void WinClock::Sleep(uint32_t ms) {
    ::Sleep(ms);
}

} // namespace qor
