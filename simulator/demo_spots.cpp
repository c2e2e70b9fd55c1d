// Made-up spot generation; see demo_spots.h.
#include "simulator/demo_spots.h"

#include <cstdio>
#include <iterator>

namespace vtsim {

namespace {

struct Band {
    int low_khz;
    int high_khz;
    int weight;
};

// Amateur bands from 160 m to 70 cm, weighted towards the busy HF bands.
constexpr Band kBands[] = {
    {1810, 1990, 3},     {3500, 3790, 5},     {5351, 5366, 1},   {7000, 7190, 8},
    {10100, 10140, 4},   {14000, 14340, 12},  {18068, 18160, 5}, {21000, 21440, 8},
    {24890, 24980, 4},   {28000, 29690, 6},   {50000, 50500, 4}, {70000, 70250, 1},
    {144000, 144490, 3}, {432000, 432400, 1},
};

constexpr const char* kForeignPrefixes[] = {
    "DL", "G",  "F",  "EA", "I",   "SM",  "LA", "ES", "YL", "LY",  "SP",  "OK", "HA", "YO",
    "UA", "UR", "JA", "VK", "ZL",  "K",   "W",  "N",  "VE", "PY",  "LU",  "ZS", "VU", "BY",
    "HL", "4X", "9A", "S5", "EA8", "CT3", "TF", "OY", "JW", "UA9", "VP8", "A6",
};

constexpr const char* kFinnishPrefixes[] = {"OH", "OH", "OH", "OG", "OH0", "OJ0"};

constexpr const char* kComments[] = {
    "cq dx",   "CW",        "SSB 59", "up 2",   "tnx qso",    "FT8 -12dB", "loud",     "QSX 7165",
    "pse QSL", "es",        "tropo",  "aurora", "MS",         "RTTY",      "FT4",      "cq contest",
    "599 TU",  "long path", "QRZ?",   "weak",   "big signal", "split",     "via LoTW", "EU only",
};

template <class Array>
constexpr int Count(const Array& array) {
    return static_cast<int>(std::size(array));
}

}  // namespace

std::string ClockText(int minute_of_day) {
    int minute = minute_of_day % 1440;
    if (minute < 0) minute += 1440;
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", minute / 60, minute % 60);
    return text;
}

DemoSpots::DemoSpots(std::uint32_t seed) : random_(seed) {}

int DemoSpots::Below(int limit) {
    return static_cast<int>(random_() % static_cast<std::uint32_t>(limit));
}

std::string DemoSpots::Call(bool finnish) {
    std::string call = finnish ? kFinnishPrefixes[Below(Count(kFinnishPrefixes))]
                               : kForeignPrefixes[Below(Count(kForeignPrefixes))];
    // A prefix that ends in a digit has its area number already.
    if (call.back() < '0' || call.back() > '9') call += static_cast<char>('0' + Below(10));
    // One to three letters of suffix, the call at most six characters long.
    for (int letters = 1 + Below(3); letters > 0 && call.size() < 6; --letters) {
        call += static_cast<char>('A' + Below(26));
    }
    return call;
}

SpotFields DemoSpots::Next(int minute_of_day) {
    int total = 0;
    for (const auto& band : kBands) total += band.weight;
    int pick = Below(total);
    const Band* band = &kBands[0];
    for (const auto& candidate : kBands) {
        if (pick < candidate.weight) {
            band = &candidate;
            break;
        }
        pick -= candidate.weight;
    }
    SpotFields spot;
    spot.frequency = std::to_string(band->low_khz + Below(band->high_khz - band->low_khz + 1));
    spot.dx = Call(Below(100) < 8);
    // The page is Finnish: many spots are reported by Finnish stations.
    spot.spotter = Call(Below(100) < 35);
    spot.comment = kComments[Below(Count(kComments))];
    spot.time = ClockText(minute_of_day);
    return spot;
}

void DemoSpots::FillPage(Page& page, int minute_of_day) {
    for (int row = 0; row < kPageRows; ++row) {
        const int age = (kPageRows - 1 - row) * 2;
        page.SetRow(row, SpotRow(Next(minute_of_day - age)));
    }
}

}  // namespace vtsim
