#pragma once

#include <cstdint>

namespace qor {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds from an arbitrary start (GetTickCount64).
    virtual uint64_t Ticks() = 0;
    // Microsecond-resolution counter for durations in the trace.
    virtual double NowMs() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

} // namespace qor
