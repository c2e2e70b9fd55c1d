// The DX-cluster line: the row's fields by column, then the fixed layout;
// see the header.
#include "relay/dx_line.h"

#include <algorithm>

#include "relay/text_fields.h"
#include "vplusdde/spot_rows.h"

const char* const kOwnSpotter = "VARELI";

namespace {

// Columns of the spot row, counted from 0.
constexpr std::size_t kDxCallStart = 7;
constexpr std::size_t kCommentEnd = 28;  // the comment ends with column 28
constexpr std::size_t kSpotterStart = 29;
constexpr std::size_t kSpotterWidth = 6;
constexpr std::size_t kTimeStart = 36;
constexpr std::size_t kTimeWidth = 4;
// The DDE link has turned every control character into a blank, so the blank
// is the only white space of a row.
const char* const kRowBlank = " ";

// Columns of the cluster line, counted from 1 as the layout is known.
constexpr std::size_t kFrequencyEndColumn = 24;
constexpr std::size_t kDxCallWidth = 12;
constexpr std::size_t kCommentEndColumn = 69;  // 30 wide after a 12-character call
constexpr std::size_t kTimeColumn = 71;

// The part of text from `start` of at most `width` characters; empty past
// the end (a short last unit).
std::string Slice(const std::string& text, std::size_t start, std::size_t width) {
    if (start >= text.size()) return std::string();
    return text.substr(start, width);
}

}  // namespace

std::optional<DxSpot> ParseSpotRow(const std::string& row, const std::string& utcHhmm) {
    DxSpot spot;
    spot.frequencyKhz = ReadFrequency(row);
    if (spot.frequencyKhz <= 0 || row.size() <= kDxCallStart) return std::nullopt;
    const std::size_t callEnd = std::min(row.find(' ', kDxCallStart), row.size());
    spot.dxCall = row.substr(kDxCallStart, callEnd - kDxCallStart);
    if (spot.dxCall.empty()) return std::nullopt;
    if (callEnd < kCommentEnd)
        spot.comment = Trimmed(Slice(row, callEnd, kCommentEnd - callEnd), kRowBlank);
    spot.spotter = Trimmed(Slice(row, kSpotterStart, kSpotterWidth), kRowBlank);
    if (spot.spotter.empty()) spot.spotter = kOwnSpotter;
    const std::string time = Slice(row, kTimeStart, kTimeWidth);
    spot.timeHhmm = time.size() == kTimeWidth && AllDigits(time) ? time : utcHhmm;
    return spot;
}

std::string FormatDxLine(const DxSpot& spot) {
    std::string line = "DX de " + spot.spotter + ":";
    const std::string frequency = std::to_string(spot.frequencyKhz) + ".0";
    const std::size_t used = line.size() + frequency.size();
    line.append(used < kFrequencyEndColumn ? kFrequencyEndColumn - used : 1, ' ');
    line += frequency;
    line += "  ";
    AppendLeft(line, spot.dxCall, kDxCallWidth);
    // The comment, after one blank, gets what is left of the columns up to
    // kCommentEndColumn: all 30 unless a long call or spotter took some.
    if (line.size() + 1 < kCommentEndColumn) {
        line += ' ';
        line += spot.comment.substr(0, kCommentEndColumn - line.size());
    }
    // The time at kTimeColumn, or one blank after a line that reaches it.
    const std::size_t beforeTime = kTimeColumn - 1;
    line.append(line.size() < beforeTime ? beforeTime - line.size() : 1, ' ');
    line += spot.timeHhmm;
    line += "Z\r\n";
    return line;
}

std::optional<std::string> DxLine(const std::string& row, const std::string& utcHhmm) {
    const std::optional<DxSpot> spot = ParseSpotRow(row, utcHhmm);
    if (!spot) return std::nullopt;
    return FormatDxLine(*spot);
}

std::string HhmmOf(const LocalTime& time) {
    return ZeroPadded(time.hour, 2) + ZeroPadded(time.minute, 2);
}
