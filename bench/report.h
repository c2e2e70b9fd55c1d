// The lines the benchmark programs print: a record for the driver that
// builds the table ("@@ KIND key=value ..."; values without blanks, times in
// seconds) and plain lines for a reader, both to standard output, flushed at
// once so a driver reading a pipe sees them as they come.
//
// Any thread, one at a time; never throws.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bench/stats.h"

using Fields = std::vector<std::pair<std::string, std::string>>;

// "@@ kind k1=v1 k2=v2 ...".
void PrintRecord(const std::string& kind, const Fields& fields);
// A sample summary's fields: n, min, median, p90, p99, max, mean (seconds).
Fields SummaryFields(const Summary& summary);
// A number as the records write it (enough digits for nanoseconds).
std::string Number(double value);
// A plain line.
void Say(const std::string& line);
