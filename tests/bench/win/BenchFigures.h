// What the Windows benchmarks share: a millisecond clock and the median / 95th percentile of a
// series of samples.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace qor::bench {

inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Figure {
    double median = 0;
    double p95 = 0;
};

inline Figure Summarise(std::vector<double> samples) {
    if (samples.empty())
        return {};
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        const std::size_t i = static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
        return samples[std::min(i, samples.size() - 1)];
    };
    return {at(0.5), at(0.95)};
}

} // namespace qor::bench
