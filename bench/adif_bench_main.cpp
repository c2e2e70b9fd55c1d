// Reading a user's ADIF log of 100,000 QSOs (~25 MB): the reader and
// LogNeeds on the file read in 1 MiB slices (MB/s), and the follower's
// Steps as the main window would call them (how many, the longest), then one
// QSO appended and read. The log is made in a temporary file from the calls
// of MASTER.SCP; the country function is a trivial one, so that the figure is
// the reading's own.
//   adif_bench [--qsos N] [--runs N] [--scp PATH]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/adif_log.h"
#include "bench/clock.h"
#include "bench/report.h"
#include "bench/stats.h"
#include "platform/files.h"
#include "spots/adif_reader.h"
#include "spots/log_follower.h"
#include "spots/log_needs.h"

namespace {

// A stand-in for the country file: a number from the call's first two bytes.
std::optional<int> TrivialCountry(const std::string& call) {
    if (call.size() < 2) return std::nullopt;
    return (static_cast<unsigned char>(call[0]) * 31 + static_cast<unsigned char>(call[1])) % 400;
}

bool AnyKnown(int) {
    return true;
}

double Mb(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

// The file read in 1 MiB slices through the file seam into the reader and a
// LogNeeds; seconds. `records` gets the reader's count, `cpu` the processor
// seconds (std::clock: the process's own on Linux, so apart from the
// machine's load; MSVCRT's clock counts wall time).
double ReadOnce(IFiles& fs, const std::string& path, std::uint64_t* records, double* cpu) {
    const std::clock_t cpuStart = std::clock();
    const double start = BenchNow();
    LogNeeds needs;
    AdifReader reader(
        [&needs](const AdifRecord& qso) { needs.Add(qso, TrivialCountry, AnyKnown); });
    const std::uintptr_t h = fs.CreateFileA(
        path, files::kGenericRead, files::kShareRead | files::kShareWrite | files::kShareDelete,
        files::kOpenExisting, files::kAttributeNormal);
    if (h == files::kInvalidHandle) {
        Say("cannot open " + path);
        std::exit(1);
    }
    std::vector<char> buffer(1 << 20);
    std::uint32_t done = 0;
    while (fs.ReadFile(h, buffer.data(), static_cast<std::uint32_t>(buffer.size()), &done) &&
           done > 0)
        reader.Feed(buffer.data(), done);
    fs.CloseHandle(h);
    const double seconds = BenchNow() - start;
    *cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    *records = reader.RecordsRead();
    if (needs.QsoCount() != reader.RecordsRead() || reader.RecordsSkipped() != 0) {
        Say("FAILED: QSOs added and records read differ, or records were skipped");
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned qsos = 100000;
    int runs = 5;
    std::string scp = "/usr/share/hamradio-files/MASTER.SCP";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--qsos") == 0)
            qsos = static_cast<unsigned>(std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--scp") == 0) scp = argv[i + 1];
    }
    const std::vector<std::string> calls = ScpCalls(scp);
    if (calls.empty()) {
        Say("no calls in " + scp);
        return 1;
    }
    const std::string log = MakeLog(calls, qsos);
    const std::string path =
        (std::filesystem::temp_directory_path() / "vareli-adif-bench.adi").string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << log;
    }
    IFiles& fs = SystemFiles();
    Say("log: " + std::to_string(qsos) + " QSOs, " + Number(Mb(log.size())) + " MB, " +
        std::to_string(calls.size()) + " calls of " + scp);

    // Reader and LogNeeds: one unmeasured run to warm the page cache.
    std::uint64_t records = 0;
    double cpu = 0;
    ReadOnce(fs, path, &records, &cpu);
    std::vector<double> times;
    std::vector<double> cpuTimes;
    times.reserve(static_cast<std::size_t>(runs));
    cpuTimes.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        times.push_back(ReadOnce(fs, path, &records, &cpu));
        cpuTimes.push_back(cpu);
    }
    const Summary read = Summarize(times);
    const double cpuMedian = Summarize(cpuTimes).median;
    Fields fields = SummaryFields(read);
    fields.push_back({"bytes", std::to_string(log.size())});
    fields.push_back({"records", std::to_string(records)});
    fields.push_back({"mb_per_s_median", Number(Mb(log.size()) / read.median)});
    fields.push_back({"cpu_median", Number(cpuMedian)});
    PrintRecord("adif_read", fields);
    Say("reader + LogNeeds: " + Number(Mb(log.size()) / read.median) + " MB/s (median of " +
        std::to_string(runs) + "), best " + Number(Mb(log.size()) / read.min) + " MB/s, " +
        std::to_string(records) + " records; processor time " + Number(Mb(log.size()) / cpuMedian) +
        " MB/s (median)");

    // The follower, Step by Step as the window calls it.
    LogFollower follower(fs, path, TrivialCountry, AnyKnown);
    std::vector<double> steps;
    bool more = true;
    const double start = BenchNow();
    while (more) {
        const double before = BenchNow();
        more = follower.Step();
        steps.push_back(BenchNow() - before);
    }
    const double whole = BenchNow() - start;
    const Summary stepSummary = Summarize(steps);
    fields = SummaryFields(stepSummary);
    fields.push_back({"total", Number(whole)});
    fields.push_back({"qsos", std::to_string(follower.QsosRead())});
    PrintRecord("adif_follow", fields);
    Say("follower: " + std::to_string(steps.size()) + " slices, longest " +
        Number(stepSummary.max * 1e3) + " ms, median " + Number(stepSummary.median * 1e3) +
        " ms, all " + Number(whole * 1e3) + " ms, " + std::to_string(follower.QsosRead()) +
        " QSOs");

    // One QSO appended, as a logging program does after a QSO.
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << QsoRecord("VP8GEO", 1);
    }
    const double appendStart = BenchNow();
    int appendSteps = 1;
    while (follower.Step()) ++appendSteps;
    const double append = BenchNow() - appendStart;
    PrintRecord("adif_append", {{"seconds", Number(append)},
                                {"steps", std::to_string(appendSteps)},
                                {"qsos", std::to_string(follower.QsosRead())}});
    Say("one QSO appended: read in " + Number(append * 1e3) + " ms, " +
        std::to_string(appendSteps) + " step(s), " + std::to_string(follower.QsosRead()) + " QSOs");
    const bool ok = follower.QsosRead() == qsos + 1;
    std::filesystem::remove(path);
    if (!ok) {
        Say("FAILED: the follower did not read every QSO");
        return 1;
    }
    return 0;
}
