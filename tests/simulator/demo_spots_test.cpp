// The made-up spots of the demo page: plausible, in the row layout, with
// some Finnish stations among them.
#include "simulator/demo_spots.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace vtsim {
namespace {

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool LooksLikeCall(const std::string& call) {
    if (call.size() < 3 || call.size() > 6) return false;
    bool digit = false;
    for (char c : call) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digit = true;
        } else if (!std::isupper(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return digit && std::isupper(static_cast<unsigned char>(call.back()));
}

TEST(DemoSpotsTest, SpotsArePlausibleAndSomeHaveFinnishCalls) {
    DemoSpots demo(12345);
    int finnish_dx = 0, finnish_spotter = 0;
    std::set<std::string> frequencies;
    for (int i = 0; i < 500; ++i) {
        const SpotFields spot = demo.Next(600 + i);
        ASSERT_TRUE(AllDigits(spot.frequency)) << spot.frequency;
        const int khz = std::stoi(spot.frequency);
        EXPECT_GE(khz, 1800);
        EXPECT_LE(khz, 432999);
        frequencies.insert(spot.frequency);
        EXPECT_TRUE(LooksLikeCall(spot.dx)) << spot.dx;
        EXPECT_TRUE(LooksLikeCall(spot.spotter)) << spot.spotter;
        EXPECT_LE(spot.comment.size(), 14u) << spot.comment;
        EXPECT_EQ(spot.time, ClockText(600 + i));
        finnish_dx += spot.dx.compare(0, 2, "OH") == 0;
        finnish_spotter += spot.spotter.compare(0, 2, "OH") == 0;

        const std::string row = SpotRow(spot);
        ASSERT_EQ(row.size(), 40u);
        EXPECT_EQ(std::stoi(row.substr(0, 6)), khz);
    }
    EXPECT_GT(finnish_dx, 5);
    EXPECT_LT(finnish_dx, 250);
    EXPECT_GT(finnish_spotter, 25);
    EXPECT_LT(finnish_spotter, 400);
    EXPECT_GT(frequencies.size(), 300u) << "spots should differ from each other";
}

TEST(DemoSpotsTest, SameSeedGivesTheSameSpots) {
    DemoSpots a(99), b(99), c(100);
    const SpotFields first = a.Next(0);
    const SpotFields same = b.Next(0);
    EXPECT_EQ(SpotRow(first), SpotRow(same));
    bool differs = false;
    for (int i = 0; i < 5; ++i) differs |= SpotRow(a.Next(i)) != SpotRow(c.Next(i));
    EXPECT_TRUE(differs);
}

TEST(DemoSpotsTest, ClockTextIsHoursAndMinutesAndWrapsAroundMidnight) {
    EXPECT_EQ(ClockText(0), "0000");
    EXPECT_EQ(ClockText(13 * 60 + 5), "1305");
    EXPECT_EQ(ClockText(1439), "2359");
    EXPECT_EQ(ClockText(1440), "0000");
    EXPECT_EQ(ClockText(-1), "2359");
}

TEST(DemoSpotsTest, FilledPageRunsUpToTheGivenMinuteAcrossMidnight) {
    DemoSpots demo(1);
    Page page;
    demo.FillPage(page, 10);
    EXPECT_EQ(page.Row(18).substr(36), "0010");
    EXPECT_EQ(page.Row(13).substr(36), "0000");
    EXPECT_EQ(page.Row(12).substr(36), "2358");
}

}  // namespace
}  // namespace vtsim
