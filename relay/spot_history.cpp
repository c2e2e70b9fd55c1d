// The daily spot files read back; see the header. The files are read in
// chunks and cut at LF by hand rather than with TextFileReader: that reader
// ends a line at a bare CR and the file at a Ctrl-Z, and holds a line of any
// length, while here a line needs its end to count and a long one is
// dropped as it streams past.
#include "relay/spot_history.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <utility>

#include "relay/calendar.h"
#include "relay/spot_log.h"

namespace {

constexpr std::uint32_t kChunkBytes = 64 * 1024;
// "YYYY-MM-DD HH:MM:SS " before the row.
constexpr std::size_t kStampBytes = 20;

// The number in `count` digits at `at`, or -1 when any is not a digit.
int DigitsAt(const std::string& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// `line` without its line end.
std::optional<LoggedSpot> ParseLine(const std::string& line) {
    if (line.size() <= kStampBytes) return std::nullopt;
    const std::pair<std::size_t, char> separators[] = {{4, '-'},  {7, '-'},  {10, ' '},
                                                       {13, ':'}, {16, ':'}, {19, ' '}};
    for (const auto& separator : separators)
        if (line[separator.first] != separator.second) return std::nullopt;
    LocalTime when;
    when.year = DigitsAt(line, 0, 4);
    when.month = DigitsAt(line, 5, 2);
    when.day = DigitsAt(line, 8, 2);
    when.hour = DigitsAt(line, 11, 2);
    when.minute = DigitsAt(line, 14, 2);
    when.second = DigitsAt(line, 17, 2);
    if (when.year < 1 || when.day < 1 || when.day > DaysInMonth(when.year, when.month) ||
        when.hour < 0 || when.hour > 23 || when.minute < 0 || when.minute > 59 || when.second < 0 ||
        when.second > 59)
        return std::nullopt;
    std::string row = line.substr(kStampBytes);
    if (row.find_first_not_of(' ') == std::string::npos) return std::nullopt;
    return LoggedSpot{std::move(row), when};
}

// The last `limit` spots taken, the older ones dropped as newer come.
class LatestSpots {
  public:
    explicit LatestSpots(std::size_t limit) : limit_(limit) {}

    // A whole line, its LF already cut off.
    void TakeLine(std::string line) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::optional<LoggedSpot> spot = ParseLine(line);
        if (!spot) return;
        spots_.push_back(std::move(*spot));
        if (spots_.size() > limit_) spots_.pop_front();
    }
    std::vector<LoggedSpot> Taken() {
        return std::vector<LoggedSpot>(std::make_move_iterator(spots_.begin()),
                                       std::make_move_iterator(spots_.end()));
    }

  private:
    std::size_t limit_;
    std::deque<LoggedSpot> spots_;
};

class ReadHandle {
  public:
    ReadHandle(IFiles& files, std::uintptr_t handle) : files_(files), handle_(handle) {}
    ~ReadHandle() { files_.CloseHandle(handle_); }  // nothing read is lost if it fails
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;

  private:
    IFiles& files_;
    std::uintptr_t handle_;
};

std::uint32_t SystemCodeOr(IFiles& files, std::uint32_t fallback) {
    const std::uint32_t code = files.GetLastError();
    return code != 0 ? code : fallback;
}

// The file's lines into `spots`; the failure's code, 0 when the file was read
// to its end or is not there.
std::uint32_t ReadLines(IFiles& files, const std::string& fileName, LatestSpots& spots) {
    const std::uintptr_t file =
        files.CreateFileA(fileName, files::kGenericRead, files::kShareRead | files::kShareWrite,
                          files::kOpenExisting, files::kAttributeNormal);
    if (file == files::kInvalidHandle) {
        const std::uint32_t code = SystemCodeOr(files, files::kErrorGenFailure);
        return code == files::kErrorFileNotFound || code == files::kErrorPathNotFound ? 0 : code;
    }
    const ReadHandle closer(files, file);
    std::vector<char> chunk(kChunkBytes);
    std::string line;
    bool tooLong = false;
    for (;;) {
        std::uint32_t got = 0;
        if (!files.ReadFile(file, chunk.data(), kChunkBytes, &got))
            return SystemCodeOr(files, files::kErrorReadFault);
        if (got == 0) return 0;  // a last line without its end is left out
        const char* at = chunk.data();
        const char* const end = at + got;
        while (at != end) {
            const char* const lf = std::find(at, end, '\n');
            if (!tooLong) {
                const std::size_t room = kMaxLoggedLineBytes + 1 - line.size();
                line.append(at, std::min(static_cast<std::size_t>(lf - at), room));
                tooLong = line.size() > kMaxLoggedLineBytes;
            }
            if (lf == end) break;
            if (!tooLong) spots.TakeLine(std::move(line));
            line.clear();
            tooLong = false;
            at = lf + 1;
        }
    }
}

}  // namespace

std::vector<LoggedSpot> ReadRecentSpots(IFiles& files, const LocalTime& now, std::size_t limit,
                                        const std::function<void(const std::string&)>& report) {
    LatestSpots spots(limit);
    for (const LocalTime& day : {ShiftedBy(now, -24 * 60), now}) {
        const std::string fileName = SpotLog::FileName(day);
        const std::uint32_t error = ReadLines(files, fileName, spots);
        if (error != 0 && report)
            report("Vihjetiedostoa " + fileName + " ei voitu lukea (virhe " +
                   std::to_string(error) + ").");
    }
    return spots.Taken();
}
