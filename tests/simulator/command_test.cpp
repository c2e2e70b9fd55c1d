// The grammar of the simulator's control lines.
#include "simulator/command.h"

#include <gtest/gtest.h>

namespace vtsim {
namespace {

TEST(CommandTest, RowTextIsEverythingAfterTheBlankThatEndsTheNumber) {
    Command row = ParseCommand("row 3   7025 Q1AAA\r");
    EXPECT_EQ(row.verb, Verb::Row);
    EXPECT_EQ(row.number, 3);
    EXPECT_EQ(row.text, "  7025 Q1AAA");
    EXPECT_EQ(ParseCommand("row 18").text, "");
    EXPECT_EQ(ParseCommand("row 0 a\\x41").text, "a\\x41") << "row takes its text literally";
}

TEST(CommandTest, RowxDecodesByteEscapes) {
    Command row = ParseCommand("rowx 1 \\xe4\\x01\\\\x");
    EXPECT_EQ(row.verb, Verb::RowEscaped);
    EXPECT_EQ(row.text, std::string("\xE4\x01\\x"));
    EXPECT_EQ(Unescape("\\x00z"), std::string("\0z", 2));
    EXPECT_THROW(Unescape("\\n"), ECommandError);
    EXPECT_THROW(Unescape("\\x4"), ECommandError);
    EXPECT_THROW(Unescape("end\\"), ECommandError);
}

TEST(CommandTest, RowNumbersOutsideTheBlockAreRefused) {
    EXPECT_THROW(ParseCommand("row 19 x"), ECommandError);
    EXPECT_THROW(ParseCommand("row -1 x"), ECommandError);
    EXPECT_THROW(ParseCommand("row x"), ECommandError);
    EXPECT_THROW(ParseCommand("spot 25 7025 A B 1200"), ECommandError);
}

TEST(CommandTest, SpotTakesTheCommentBetweenTheCallAndTheLastTwoWords) {
    Command spot = ParseCommand("spot 2 7025 Q1AAA cq  dx up 2 Q9ZZZ 1305");
    EXPECT_EQ(spot.verb, Verb::Spot);
    EXPECT_EQ(spot.number, 2);
    EXPECT_EQ(spot.spot.frequency, "7025");
    EXPECT_EQ(spot.spot.dx, "Q1AAA");
    EXPECT_EQ(spot.spot.comment, "cq  dx up 2");
    EXPECT_EQ(spot.spot.spotter, "Q9ZZZ");
    EXPECT_EQ(spot.spot.time, "1305");

    Command bare = ParseCommand("spot 0 1830 OH1AA OH2BB 0000");
    EXPECT_EQ(bare.spot.comment, "");
    EXPECT_EQ(bare.spot.spotter, "OH2BB");
    EXPECT_THROW(ParseCommand("spot 0 1830 OH1AA 0000"), ECommandError);
    EXPECT_THROW(ParseCommand("spot 0 1830"), ECommandError);
}

TEST(CommandTest, SwitchesTakeOnOrOffAndTimesTakeMilliseconds) {
    EXPECT_TRUE(ParseCommand("refuse-advise on").flag);
    EXPECT_FALSE(ParseCommand("lf off").flag);
    EXPECT_EQ(ParseCommand("nozero on").verb, Verb::NoZero);
    EXPECT_THROW(ParseCommand("empty yes"), ECommandError);
    EXPECT_THROW(ParseCommand("empty"), ECommandError);
    EXPECT_THROW(ParseCommand("demo on off"), ECommandError);

    EXPECT_EQ(ParseCommand("delay 1500").number, 1500);
    EXPECT_EQ(ParseCommand("sleep 0").number, 0);
    EXPECT_THROW(ParseCommand("delay"), ECommandError);
    EXPECT_THROW(ParseCommand("delay 1.5"), ECommandError);
    EXPECT_THROW(ParseCommand("sleep 99999999999"), ECommandError);
}

TEST(CommandTest, BlankLinesAndCommentsDoNothingAndUnknownWordsFail) {
    EXPECT_EQ(ParseCommand("").verb, Verb::None);
    EXPECT_EQ(ParseCommand("   \r").verb, Verb::None);
    EXPECT_EQ(ParseCommand("# row 0 x").verb, Verb::None);
    EXPECT_THROW(ParseCommand("rwo 0 x"), ECommandError);
    EXPECT_THROW(ParseCommand("notify now"), ECommandError);
    EXPECT_EQ(ParseCommand("quit\r").verb, Verb::Quit);
    EXPECT_EQ(ParseCommand("echo  two  blanks").text, " two  blanks");
    EXPECT_EQ(ParseCommand("raw a\\x0db").text, "a\rb");
    EXPECT_EQ(ParseCommand("rows  my file.txt ").text, "my file.txt");
}

}  // namespace
}  // namespace vtsim
