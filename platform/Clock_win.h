// The clock seam on Win32.
#pragma once

#include "platform/Clock.h"

namespace qor {

class WinClock final : public IClock {
public:
    WinClock();
    uint64_t Ticks() override;
    double NowMs() override;
    void Sleep(uint32_t ms) override;

private:
    double m_msPerCount = 0.0;
};

} // namespace qor
