// The benchmarks' clock: seconds from a monotonic high-resolution counter
// (steady_clock; under MinGW it reads QueryPerformanceCounter, under wine
// the host's monotonic clock, so two wine processes read the same clock).
// Any thread; never throws.
#pragma once

#include <chrono>

inline double BenchNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
