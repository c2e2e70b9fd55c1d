// The baseline intake; see the header.
#include "bench/naive_intake.h"

#include "rtl/int_reading.h"
#include "spots/spot_rows.h"

void NaiveIntake::Run(const std::string& itemText) {
    // The rows are cut from a copy (ForEachSpotRow's), as in SpotIntake.
    ForEachSpotRow(itemText, [this](const std::string& row) {
        if (IsShown(row)) return;
        const std::int32_t frequency = ReadFrequency(row);
        if (frequency > StrToInt(host_.UpperLimitText())) return;
        if (frequency < StrToInt(host_.LowerLimitText())) return;
        Accept(row);
    });
    host_.SetSpotCount(std::to_string(counter_) + " vihjett\xE4");
}

bool NaiveIntake::IsShown(const std::string& row) {
    bool shown = false;
    const int count = lines_.LineCount();
    for (int i = 0; i < count; ++i) {
        // Every line is read, also after a match: the cost does not depend on
        // where the row stands.
        if (lines_.Line(i).compare(0, 42, row) == 0) shown = true;
    }
    return shown;
}

void NaiveIntake::Accept(const std::string& row) {
    ++counter_;
    host_.PlayTone(1500, 50);
    std::uint32_t color = kSpotNavy;
    if (IsOhSpot(row)) {
        host_.PlayTone(2000, 150);
        color = kSpotRed;
    }
    lines_.AppendLine(row + host_.TodayText(), color);
    if (host_.ForwardingOn()) host_.Forward(row);
    host_.SetLastSpotTime(host_.NowText());
}
