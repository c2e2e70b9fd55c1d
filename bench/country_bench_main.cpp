// The country of a call, timed: the real cty.csv parsed, then DxccOf over
// every call of MASTER.SCP (its comment lines, starting with "#", skipped).
// Prints the parse time, the average time of one lookup and the share of
// calls that have a country. Figures only; nothing is compared with a limit.
//   country_bench [CTY.CSV [MASTER.SCP]] [--rounds N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "spots/country_file.h"

namespace {

#ifdef _WIN32
// Under wine the host's root is drive Z:.
const char kDefaultFolder[] = "Z:/usr/share/hamradio-files/";
#else
const char kDefaultFolder[] = "/usr/share/hamradio-files/";
#endif

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool ReadWhole(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::vector<std::string> CallsOf(const std::string& text) {
    std::vector<std::string> calls;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        from = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line[0] != '#') calls.push_back(line);
    }
    return calls;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    int rounds = 7;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            paths.push_back(arg);
        }
    }
    const std::string ctyPath =
        paths.size() > 0 ? paths[0] : kDefaultFolder + std::string("cty.csv");
    const std::string scpPath =
        paths.size() > 1 ? paths[1] : kDefaultFolder + std::string("MASTER.SCP");
    std::string ctyText;
    std::string scpText;
    if (!ReadWhole(ctyPath, ctyText) || !ReadWhole(scpPath, scpText)) {
        std::fprintf(stderr, "cannot read %s or %s\n", ctyPath.c_str(), scpPath.c_str());
        return 1;
    }
    const std::vector<std::string> calls = CallsOf(scpText);

    std::vector<double> parses;
    CountryFile countries;
    for (int i = 0; i < rounds; ++i) {
        const double start = Now();
        countries = CountryFile::Parse(ctyText);
        parses.push_back(Now() - start);
    }
    if (countries.Empty() || calls.empty()) {
        std::fprintf(stderr, "no countries or no calls\n");
        return 1;
    }

    // One round unmeasured, so that the first touch of the tables is not in
    // the figure.
    std::size_t resolved = 0;
    long long checksum = 0;
    for (const std::string& call : calls) {
        const auto dxcc = countries.DxccOf(call);
        resolved += dxcc ? 1 : 0;
    }
    // Wall time, and the process's processor time beside it: on a machine
    // shared with other work the wall time also holds the time others ran.
    std::vector<double> perCall;
    std::vector<double> cpuPerCall;
    for (int round = 0; round < rounds; ++round) {
        const std::clock_t cpuStart = std::clock();
        const double start = Now();
        for (const std::string& call : calls) checksum += countries.DxccOf(call).value_or(-1);
        perCall.push_back((Now() - start) / static_cast<double>(calls.size()));
        cpuPerCall.push_back(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC /
                             static_cast<double>(calls.size()));
    }

    // Counts as double: %zu is not in every C runtime MinGW links.
    const double callCount = static_cast<double>(calls.size());
    std::printf("country file: %s (%.0f bytes, %.0f broken lines)\n", ctyPath.c_str(),
                static_cast<double>(ctyText.size()),
                static_cast<double>(countries.BrokenLines().size()));
    std::printf("calls: %s (%.0f calls)\n", scpPath.c_str(), callCount);
    std::printf("parse of cty.csv: median %.2f ms, fastest %.2f ms (%d parses)\n",
                Median(parses) * 1e3, *std::min_element(parses.begin(), parses.end()) * 1e3,
                rounds);
    std::printf(
        "DxccOf, average over all calls: median of rounds %.3f us, fastest %.3f us "
        "(%d rounds)\n",
        Median(perCall) * 1e6, *std::min_element(perCall.begin(), perCall.end()) * 1e6, rounds);
    std::printf("DxccOf, processor time a call: median of rounds %.3f us\n",
                Median(cpuPerCall) * 1e6);
    std::printf("calls with a country: %.0f of %.0f (%.2f %%)\n", static_cast<double>(resolved),
                callCount, 100.0 * static_cast<double>(resolved) / callCount);
    std::printf("(checksum %.0f)\n", static_cast<double>(checksum));
    return 0;
}
