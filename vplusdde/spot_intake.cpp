#include "vplusdde/spot_intake.h"

#include "rtl/int_reading.h"
#include "vplusdde/spot_rows.h"

bool IsOhSpot(const std::string& row) {
    return (row.size() >= 9 && row.compare(7, 2, "OH") == 0) ||
           (row.size() >= 31 && row.compare(29, 2, "OH") == 0);
}

void SpotIntake::Run(const std::string& itemText) {
    // The rows are cut from the text as it was at the start, even when a nested
    // run (inside a forwarding message box) sees a newer one.
    ForEachSpotRow(itemText, [this](const std::string& row) {
        if (!view_.IsShown(row) && InBand(row)) Accept(row);
    });
    host_.SetSpotCount(std::to_string(counter_) + " vihjett\xE4");
}

bool SpotIntake::InBand(const std::string& row) {
    const std::int32_t frequency = ReadFrequency(row);
    // Upper first, and the lower limit only for rows under it.
    if (frequency > StrToInt(host_.UpperLimitText())) return false;
    return frequency >= StrToInt(host_.LowerLimitText());
}

void SpotIntake::Accept(const std::string& row) {
    // Wraps like the 32-bit counter it is, instead of overflowing.
    counter_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter_) + 1u);
    host_.PlayTone(1500, 50);
    std::uint32_t color = kSpotNavy;
    if (IsOhSpot(row)) {
        host_.PlayTone(2000, 150);
        color = kSpotRed;
    }
    view_.Append(row + host_.TodayText(), color);
    host_.Relay(row);
    if (host_.ForwardingOn()) host_.Forward(row);
    host_.SetLastSpotTime(host_.NowText());
}
