#include "spots/spot_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A row in the block's column layout.
std::string Row(const std::string& frequency, const std::string& dx, const std::string& comment,
                const std::string& spotter, const std::string& time) {
    auto field = [](std::string text, size_t width, bool right) {
        text.resize(std::min(text.size(), width));
        const std::string pad(width - text.size(), ' ');
        return right ? pad + text : text + pad;
    };
    return field(frequency, 6, true) + " " + field(dx, 6, false) + " " + field(comment, 14, false) +
           " " + field(spotter, 6, false) + " " + field(time, 4, false) + "  ";
}

TEST(SpotRows, TheTextIsCutIntoUnitsOf42WithOneTrailingCharacterDropped) {
    std::string block;
    for (int r = 0; r < 19; ++r)
        block += Row(std::to_string(7000 + r), "Q1AAA", "cq", "Q9ZZZ", "1305");
    ASSERT_EQ(block.size(), 798u);
    const std::vector<std::string> rows = SpotRows(block);
    ASSERT_EQ(rows.size(), 19u);
    EXPECT_EQ(rows.front(), block.substr(0, 42));
    EXPECT_EQ(rows.back(), block.substr(756, 42));  // starts at character 757

    EXPECT_TRUE(SpotRows("").empty());
    EXPECT_TRUE(SpotRows("x").empty());
    EXPECT_EQ(SpotRows(block.substr(0, 43)), std::vector<std::string>{block.substr(0, 42)});
    EXPECT_EQ(SpotRows(block.substr(0, 50)),
              (std::vector<std::string>{block.substr(0, 42), block.substr(42, 8)}));
    EXPECT_EQ(SpotRows("ab"), std::vector<std::string>{"ab"});
    EXPECT_EQ(SpotRows(block + "z").size(), 19u);
    EXPECT_EQ(SpotRows(block + "zz").back(), "zz");
}

TEST(SpotRows, TheWalkIsNotDisturbedByAHandlerThatChangesTheText) {
    std::string text(84, 'a');
    std::vector<std::string> seen;
    ForEachSpotRow(text, [&](const std::string& row) {
        seen.push_back(row);
        text = "x";  // as a nested update would
    });
    EXPECT_EQ(seen, (std::vector<std::string>{std::string(42, 'a'), std::string(42, 'a')}));
}

TEST(SpotRows, TheFrequencyComesFromColumnsOneToSixOrIsZero) {
    EXPECT_EQ(ReadFrequency(Row("7025", "Q1AAA", "cq dx", "Q9ZZZ", "1305")), 7025);
    EXPECT_EQ(ReadFrequency(Row("144300", "OH1AA", "", "OH9ZZ", "0001")), 144300);
    EXPECT_EQ(ReadFrequency("      Q1AAA"), 0);
    EXPECT_EQ(ReadFrequency(" 14025 Q1AAA"), 14025);
    EXPECT_EQ(ReadFrequency("14025  Q1AA"), 0);  // five digits then a blank
    EXPECT_EQ(ReadFrequency("1402 5 Q1AA"), 0);
    EXPECT_EQ(ReadFrequency("  $1F0 x"), 0x1F0);
    EXPECT_EQ(ReadFrequency("   -10 x"), -10);
    EXPECT_EQ(ReadFrequency(" 7O25 x"), 0);
    EXPECT_EQ(ReadFrequency("  28"), 28);  // a short unit
    EXPECT_EQ(ReadFrequency(""), 0);
}

// Each column from its own place: the comment ends with column 28 whatever
// the call's length, and a short last unit gives what it holds.
TEST(SpotRows, TheColumnsAreReadFromTheirPlacesAlsoInAShortRow) {
    const std::string row = Row("7025", "Q1AAA", " cq dx ", "Q9ZZZ", "1305");
    EXPECT_EQ(ReadDxCall(row), "Q1AAA");
    EXPECT_EQ(ReadComment(row), "cq dx");
    EXPECT_EQ(ReadSpotter(row), "Q9ZZZ");
    EXPECT_EQ(ReadSpotTime(row), "1305");

    // A 19-character call leaves column 28 to the comment; column 29 is not
    // the comment's even when it is no blank.
    std::string longCall = "  7025 Q1" + std::string(17, 'A') + " xyQ9ZZZ  1305  ";
    ASSERT_EQ(longCall.size(), kSpotRowLength);
    EXPECT_EQ(ReadDxCall(longCall), "Q1" + std::string(17, 'A'));
    EXPECT_EQ(ReadComment(longCall), "x");
    EXPECT_EQ(ReadSpotter(longCall), "Q9ZZZ");
    longCall.replace(26, 3, "AB ");  // the call runs through column 28: no comment
    EXPECT_EQ(ReadDxCall(longCall), "Q1" + std::string(17, 'A') + "AB");
    EXPECT_EQ(ReadComment(longCall), "");

    EXPECT_EQ(ReadDxCall("  7025 Q1AAA"), "Q1AAA");
    EXPECT_EQ(ReadComment("  7025 Q1AAA"), "");
    EXPECT_EQ(ReadSpotter("  7025 Q1AAA"), "");
    EXPECT_EQ(ReadDxCall("  7025 "), "");
    EXPECT_EQ(ReadComment("  7025 "), "");
    EXPECT_EQ(ReadDxCall(Row("7025", "", "cq", "Q9ZZZ", "1305")), "");
    EXPECT_EQ(ReadSpotter(Row("7025", "Q1AAA", "cq", "", "1305")), "");
    EXPECT_EQ(ReadSpotTime(Row("7025", "Q1AAA", "cq", "Q9ZZZ", "13a5")), "");
    EXPECT_EQ(ReadSpotTime(row.substr(0, 39)), "");  // three of its digits
}

}  // namespace
