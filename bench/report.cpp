// The benchmark programs' output lines; see the header.
#include "bench/report.h"

#include <cstdio>

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

Fields SummaryFields(const Summary& s) {
    return {{"n", std::to_string(s.count)}, {"min", Number(s.min)}, {"median", Number(s.median)},
            {"p90", Number(s.p90)},         {"p99", Number(s.p99)}, {"max", Number(s.max)},
            {"mean", Number(s.mean)}};
}

void PrintRecord(const std::string& kind, const Fields& fields) {
    std::string line = "@@ " + kind;
    for (const auto& field : fields) line += " " + field.first + "=" + field.second;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}
