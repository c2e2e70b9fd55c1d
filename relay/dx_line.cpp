// The DX-cluster line: the row's fields as the spot rows give them, then the
// fixed layout; see the header.
#include "relay/dx_line.h"

#include "rtl/text_fields.h"
#include "spots/spot_rows.h"

const char* const kOwnSpotter = "VARELI";

namespace {

// Columns of the cluster line, counted from 1 as the layout is known.
constexpr std::size_t kFrequencyEndColumn = 24;
constexpr std::size_t kDxCallWidth = 12;
constexpr std::size_t kCommentEndColumn = 69;  // 30 wide after a 12-character call
constexpr std::size_t kTimeColumn = 71;

}  // namespace

std::optional<DxSpot> ParseSpotRow(const std::string& row, const std::string& utcHhmm) {
    DxSpot spot;
    spot.frequencyKhz = ReadFrequency(row);
    if (spot.frequencyKhz <= 0) return std::nullopt;
    spot.dxCall = ReadDxCall(row);
    if (spot.dxCall.empty()) return std::nullopt;
    spot.comment = ReadComment(row);
    spot.spotter = ReadSpotter(row);
    if (spot.spotter.empty()) spot.spotter = kOwnSpotter;
    const std::string time = ReadSpotTime(row);
    spot.timeHhmm = time.empty() ? utcHhmm : time;
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
