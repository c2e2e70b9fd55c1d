#include "vplusdde/spot_intake.h"

#include <unordered_set>

#include "rtl/int_reading.h"
#include "spots/spot_rows.h"

bool IsOhSpot(const std::string& row) {
    return (row.size() >= 9 && row.compare(7, 2, "OH") == 0) ||
           (row.size() >= 31 && row.compare(29, 2, "OH") == 0);
}

void SpotIntake::Run(const std::string& itemText) {
    // The rows are cut from the text as it was at the start, even when a nested
    // run (inside a forwarding message box) sees a newer one.
    ForEachSpotRow(itemText, [this](const std::string& row) {
        if (!view_.IsShown(row) && restored_.count(row) == 0 && InBand(row)) Accept(row);
    });
    ShowCount();
}

void SpotIntake::ShowCount() {
    host_.SetSpotCount(std::to_string(counter_) + " vihjett\xE4");
}

bool SpotIntake::InBand(const std::string& row) {
    const std::int32_t frequency = ReadFrequency(row);
    // Upper first, and the lower limit only for rows under it.
    if (frequency > StrToInt(host_.UpperLimitText())) return false;
    return frequency >= StrToInt(host_.LowerLimitText());
}

std::uint32_t SpotIntake::ColorOf(const std::string& row, const SpotMarks& marks) const {
    // The rarer the news, the stronger its claim on the line's one colour.
    if (marks.newCountry) return kSpotPurple;
    if (marks.watched) return kSpotGreen;
    if (marks.newBand) return kSpotTeal;
    return IsOhSpot(row) ? kSpotRed : kSpotNavy;
}

void SpotIntake::Restore(const std::vector<Restored>& spots) {
    if (spots.empty()) return;  // nothing to look up in the view either
    std::vector<SpotLine> lines;
    std::unordered_set<std::string> gathered;  // keys of the lines above
    for (const Restored& spot : spots) {
        // Taken before the restart whether its line goes in or not.
        restored_.insert(spot.row);
        if (view_.IsShown(spot.row) || gathered.count(spot.row) != 0) continue;
        const SpotMarks marks = host_.Marks(spot.row);
        std::string line = spot.row + spot.dateText + host_.LineTail(marks);
        gathered.insert(SpotView::Key(line));
        lines.push_back({std::move(line), ColorOf(spot.row, marks)});
    }
    view_.AppendAll(std::move(lines));
}

void SpotIntake::Accept(const std::string& row) {
    // Wraps like the 32-bit counter it is, instead of overflowing.
    counter_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter_) + 1u);
    const SpotMarks marks = host_.Marks(row);
    host_.PlayTone(1500, 50);
    if (IsOhSpot(row)) host_.PlayTone(2000, 150);
    if (marks.watched) host_.PlayTone(kWatchedToneHz, kWatchedToneMs);
    // A new country is new on its band as well: one tone says the bigger news.
    if (marks.newCountry)
        host_.PlayTone(kNewCountryToneHz, kNewCountryToneMs);
    else if (marks.newBand)
        host_.PlayTone(kNewBandToneHz, kNewBandToneMs);
    view_.Append(row + host_.TodayText() + host_.LineTail(marks), ColorOf(row, marks));
    if (marks.watched || marks.newCountry || marks.newBand) host_.WatchedSpotShown();
    host_.Relay(row);
    if (host_.ForwardingOn()) host_.Forward(row);
    host_.SetLastSpotTime(host_.NowText());
}
