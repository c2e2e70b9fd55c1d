// The intake benchmark: the time of one run of spot intake over a 19-row
// update against the number of lines in the view, with all rows already shown
// and with all rows new, and side by side the same run with the duplicate test
// that reads every line of the view (NaiveIntake). Tones are left out (the
// host counts them instead of sounding them); forwarding is off.
//
// For each size the view is emptied and filled with that many spot lines;
// the last 19 are the rows of the "shown" update. Each timed run of
// SpotIntake gets a fresh SpotView whose index is taken from the benchmark's
// copy of the view's lines (reading them back would take minutes at 100,000
// lines under wine, and the program builds its index line by line as it
// appends); the run itself then works on the control alone. After an update
// of new rows the view is brought back to its size by dropping its oldest
// lines, untimed.
//
// A naive run that passes the budget is stopped where it stands; the record
// then gives the time spent and the whole update projected at the rate the
// run read lines, and the naive scan is not tried at larger sizes. Every
// completed run's outcome is checked (lines added, their text, the counter,
// the tones): a failed check is printed and makes the result false.
//
// Main thread only; the form must be shown. Raises what the toolkit raises.
#pragma once

#include <cstdio>
#include <functional>
#include <vector>

#include "bench/bench_form.h"

struct IntakeBenchConfig {
    std::vector<int> sizes{100, 1000, 10000, 100000};
    int runs = 5;
    // Seconds one naive update may take before it is stopped; a further run
    // follows only while the time spent in the case stays within it.
    double naiveBudget = 20;
};

// `pump` lets the window system catch up (paint) between runs, untimed.
bool RunIntakeBench(TBenchForm& form, const IntakeBenchConfig& config,
                    const std::function<void()>& pump);
