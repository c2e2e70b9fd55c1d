// Spot rows: the cut and the frequency field; see the header.
#include "vplusdde/spot_rows.h"

#include "rtl/int_reading.h"

namespace {

constexpr std::size_t kFrequencyWidth = 6;

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
