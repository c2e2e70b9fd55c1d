// Summaries of timing samples; see the header.
#include "bench/stats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    // Nearest rank: the smallest sample with at least p percent at or below it.
    const double rank = std::ceil(p / 100.0 * static_cast<double>(sorted.size()));
    const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
}

Summary Summarize(std::vector<double> samples) {
    Summary s;
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.count = static_cast<int>(samples.size());
    s.min = samples.front();
    s.max = samples.back();
    s.median = Percentile(samples, 50);
    s.p90 = Percentile(samples, 90);
    s.p99 = Percentile(samples, 99);
    s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / s.count;
    return s;
}
