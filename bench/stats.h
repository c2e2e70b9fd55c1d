// Summaries of timing samples for the benchmark programs: count, minimum,
// median, percentiles, maximum and mean.
//
// Pure functions; any thread; throw nothing beyond allocation.
#pragma once

#include <vector>

struct Summary {
    int count = 0;
    double min = 0;
    double median = 0;
    double p90 = 0;
    double p99 = 0;
    double max = 0;
    double mean = 0;
};

// Percentiles by nearest rank over the sorted samples; all zero when empty.
Summary Summarize(std::vector<double> samples);

// The sample at nearest rank p (0..100) of the sorted samples.
double Percentile(const std::vector<double>& sorted, double p);
