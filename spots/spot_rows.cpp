// Spot rows: the cut and the row's columns; see the header.
#include "spots/spot_rows.h"

#include <algorithm>

#include "rtl/int_reading.h"
#include "rtl/text_fields.h"

namespace {

// Columns of the spot row, counted from 0.
constexpr std::size_t kFrequencyWidth = 6;
constexpr std::size_t kDxCallStart = 7;
constexpr std::size_t kCommentEnd = 28;  // the comment ends with column 28
constexpr std::size_t kSpotterStart = 29;
constexpr std::size_t kSpotterWidth = 6;
constexpr std::size_t kTimeStart = 36;
constexpr std::size_t kTimeWidth = 4;
// The DDE link has turned every control character into a blank, so the blank
// is the only white space of a row.
const char* const kRowBlank = " ";

// The part of text from `start` of at most `width` characters; empty past
// the end (a short last unit).
std::string Slice(const std::string& text, std::size_t start, std::size_t width) {
    if (start >= text.size()) return std::string();
    return text.substr(start, width);
}

// Where the DX call ends: its first blank, or the row's end.
std::size_t DxCallEnd(const std::string& row) {
    return std::min(row.find(' ', kDxCallStart), row.size());
}

}  // namespace

void ForEachSpotRow(const std::string& text,
                    const std::function<void(const std::string&)>& handle) {
    // A copy: a handler may change the string the caller passed.
    const std::string rest = text;  // NOLINT(performance-unnecessary-copy-initialization)
    for (std::size_t start = 0; start + 1 < rest.size(); start += kSpotRowLength) {
        handle(rest.substr(start, kSpotRowLength));
    }
}

std::vector<std::string> SpotRows(const std::string& text) {
    std::vector<std::string> rows;
    ForEachSpotRow(text, [&rows](const std::string& row) { rows.push_back(row); });
    return rows;
}

std::int32_t ReadFrequency(const std::string& row) {
    return ReadInteger(row.substr(0, kFrequencyWidth));
}

std::string ReadDxCall(const std::string& row) {
    if (row.size() <= kDxCallStart) return std::string();
    return row.substr(kDxCallStart, DxCallEnd(row) - kDxCallStart);
}

std::string ReadComment(const std::string& row) {
    if (row.size() <= kDxCallStart) return std::string();
    const std::size_t callEnd = DxCallEnd(row);
    if (callEnd >= kCommentEnd) return std::string();
    return Trimmed(Slice(row, callEnd, kCommentEnd - callEnd), kRowBlank);
}

std::string ReadSpotter(const std::string& row) {
    return Trimmed(Slice(row, kSpotterStart, kSpotterWidth), kRowBlank);
}

std::string ReadSpotTime(const std::string& row) {
    const std::string time = Slice(row, kTimeStart, kTimeWidth);
    return time.size() == kTimeWidth && AllDigits(time) ? time : std::string();
}
