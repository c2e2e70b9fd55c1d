// The daily spot files read back; see the header. The files are read in
// chunks from their ends and cut at LF by hand rather than with
// TextFileReader: that reader reads forwards only, ends a line at a bare CR
// and the file at a Ctrl-Z, and holds a line of any length, while here a
// line needs its end to count and a long one is dropped as it streams past.
#include "relay/spot_history.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>

#include "relay/spot_log.h"
#include "rtl/calendar.h"
#include "rtl/file_handle.h"

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

// The stamp at `at`, when a real date and time of day and its blank stand
// there.
std::optional<LocalTime> StampAt(const std::string& line, std::size_t at) {
    const std::pair<std::size_t, char> separators[] = {{4, '-'},  {7, '-'},  {10, ' '},
                                                       {13, ':'}, {16, ':'}, {19, ' '}};
    for (const auto& separator : separators)
        if (line[at + separator.first] != separator.second) return std::nullopt;
    LocalTime when;
    when.year = DigitsAt(line, at, 4);
    when.month = DigitsAt(line, at + 5, 2);
    when.day = DigitsAt(line, at + 8, 2);
    when.hour = DigitsAt(line, at + 11, 2);
    when.minute = DigitsAt(line, at + 14, 2);
    when.second = DigitsAt(line, at + 17, 2);
    if (when.year < 1 || when.day < 1 || when.day > DaysInMonth(when.year, when.month) ||
        when.hour < 0 || when.hour > 23 || when.minute < 0 || when.minute > 59 || when.second < 0 ||
        when.second > 59)
        return std::nullopt;
    return when;
}

// Whether `a` reads later than `b`, to the second.
bool Later(const LocalTime& a, const LocalTime& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) >
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

// `line` without its line end. The last stamp counts: one before it belongs
// to a fragment that the line's true spot was joined to.
std::optional<LoggedSpot> ParseLine(const std::string& line) {
    if (line.size() <= kStampBytes) return std::nullopt;
    for (std::size_t at = line.size() - kStampBytes;; --at) {
        if (std::optional<LocalTime> when = StampAt(line, at)) {
            std::string row = line.substr(at + kStampBytes);
            // As the decoder link gives rows; a NUL (zeros left in a file's
            // tail by a power loss) the view could not even hold.
            for (char& c : row)
                if (static_cast<unsigned char>(c) < 0x20) c = ' ';
            if (row.find_first_not_of(' ') == std::string::npos) return std::nullopt;
            return LoggedSpot{std::move(row), *when};
        }
        if (at == 0) return std::nullopt;
    }
}

// A file's spots as found from its end backwards: newest first.
class NewestSpots {
  public:
    explicit NewestSpots(std::size_t limit) : limit_(limit) {}

    bool Full() const { return spots_.size() >= limit_; }
    // A whole line, its LF cut off.
    void TakeLine(const char* begin, const char* end) {
        if (Full() || static_cast<std::size_t>(end - begin) > kMaxLoggedLineBytes) return;
        if (end != begin && end[-1] == '\r') --end;
        std::optional<LoggedSpot> spot = ParseLine(std::string(begin, end));
        if (spot) spots_.push_back(std::move(*spot));
    }
    // Appends them to `spots` oldest first.
    void MoveOldestFirstTo(std::vector<LoggedSpot>& spots) {
        spots.insert(spots.end(), std::make_move_iterator(spots_.rbegin()),
                     std::make_move_iterator(spots_.rend()));
    }

  private:
    std::size_t limit_;
    std::vector<LoggedSpot> spots_;
};

// The bytes looked through at most for `limit` spots: that many lines of the
// longest length taken, each with its LF.
std::int64_t ByteBudget(std::size_t limit) {
    constexpr std::int64_t kLineBytes = kMaxLoggedLineBytes + 1;
    constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
    return limit > static_cast<std::size_t>(kMost / kLineBytes)
               ? kMost
               : static_cast<std::int64_t>(limit) * kLineBytes;
}

// The `count` bytes at `at` of the open file into `buffer`; how many were
// there (fewer when the file has shrunk meanwhile), or nullopt on failure.
std::optional<std::uint32_t> ReadAt(IFiles& files, std::uintptr_t file, std::int64_t at,
                                    char* buffer, std::uint32_t count) {
    if (!files.SetFilePointerEx(file, at, nullptr, files::kFileBegin)) return std::nullopt;
    std::uint32_t total = 0;
    while (total < count) {
        std::uint32_t got = 0;
        if (!files.ReadFile(file, buffer + total, count - total, &got)) return std::nullopt;
        if (got == 0) break;
        total += got;
    }
    return total;
}

// The file's newest spots into `spots`, read from its end backwards; the
// failure's code, 0 when the file was read as far as needed or is not there.
std::uint32_t ReadTail(IFiles& files, const std::string& fileName, NewestSpots& spots,
                       std::int64_t budget) {
    const std::uintptr_t file =
        files.CreateFileA(fileName, files::kGenericRead, files::kShareRead | files::kShareWrite,
                          files::kOpenExisting, files::kAttributeNormal);
    if (file == files::kInvalidHandle) {
        const std::uint32_t code = SystemCodeOr(files, files::kErrorGenFailure);
        return code == files::kErrorFileNotFound || code == files::kErrorPathNotFound ? 0 : code;
    }
    const FileHandle closer(files, file);  // nothing read is lost if closing fails
    std::int64_t size = 0;
    if (!files.GetFileSizeEx(file, &size)) return SystemCodeOr(files, files::kErrorReadFault);
    const std::int64_t stop = size > budget ? size - budget : 0;
    std::vector<char> chunk(kChunkBytes);
    // The line that runs on past `end`, from `end` to its LF (left out); its
    // start is in bytes not read yet. At first the bytes after the file's
    // last LF: no line, as it has no end.
    std::string pending;
    bool pendingCounts = false;
    std::int64_t end = size;
    while (end > stop && !spots.Full()) {
        const std::int64_t from = std::max(stop, end - static_cast<std::int64_t>(kChunkBytes));
        const auto count = static_cast<std::uint32_t>(end - from);
        const std::optional<std::uint32_t> got = ReadAt(files, file, from, chunk.data(), count);
        if (!got) return SystemCodeOr(files, files::kErrorReadFault);
        if (*got < count) return 0;  // cut shorter meanwhile: what was read stands
        const char* const begin = chunk.data();
        const char* lineEnd = begin + count;
        const char* lf = lineEnd;
        while (lf != begin && !spots.Full()) {
            lf = std::find(std::make_reverse_iterator(lf), std::make_reverse_iterator(begin), '\n')
                     .base();
            if (lf == begin) break;  // no LF left: the rest joins `pending`
            // `lf` is just past an LF: the line from there on is whole. The
            // chunk's last line runs on into `pending`.
            if (lineEnd == begin + count) {
                if (pendingCounts) {
                    pending.insert(0, lf, static_cast<std::size_t>(lineEnd - lf));
                    spots.TakeLine(pending.data(), pending.data() + pending.size());
                }
            } else {
                spots.TakeLine(lf, lineEnd);
            }
            lineEnd = lf - 1;
            lf = lineEnd;
        }
        // What stands before the chunk's first LF (all of it without one)
        // starts a line whose start is in the bytes before `from`.
        if (lineEnd != begin + count) {
            pending.assign(begin, lineEnd);
            pendingCounts = true;
        } else if (pendingCounts) {
            pending.insert(0, begin, count);
        }
        if (pending.size() > kMaxLoggedLineBytes) {
            pending.clear();
            pendingCounts = false;
        }
        end = from;
    }
    // At the file's start the pending line is whole.
    if (end == 0 && pendingCounts) spots.TakeLine(pending.data(), pending.data() + pending.size());
    return 0;
}

}  // namespace

std::vector<LoggedSpot> ReadRecentSpots(IFiles& files, const LocalTime& now, std::size_t limit,
                                        const std::function<void(const std::string&)>& report) {
    std::vector<LoggedSpot> spots;
    // The day after holds spots only when the clock was set back past
    // midnight; the page may still show them.
    for (const LocalTime& day : {ShiftedBy(now, -24 * 60), now, ShiftedBy(now, 24 * 60)}) {
        const std::string fileName = SpotLog::FileName(day);
        NewestSpots newest(limit);
        const std::uint32_t error = ReadTail(files, fileName, newest, ByteBudget(limit));
        newest.MoveOldestFirstTo(spots);
        if (error != 0 && report)
            report("Vihjetiedostoa " + fileName + " ei voitu lukea (virhe " +
                   std::to_string(error) + ").");
    }
    // Oldest first by the stamps, whichever file holds them. A stamp later
    // than now was written before the clock was set back, so it is older than
    // every stamp up to now: the spots taken since the set-back are the
    // newest, not tomorrow's.
    std::stable_sort(spots.begin(), spots.end(), [&now](const LoggedSpot& a, const LoggedSpot& b) {
        const bool aheadA = Later(a.when, now);
        const bool aheadB = Later(b.when, now);
        return aheadA != aheadB ? aheadA : Later(b.when, a.when);
    });
    if (spots.size() > limit) spots.erase(spots.begin(), spots.end() - limit);
    return spots;
}
