// The simulated block's rows and the spot-row column layout.
#include "simulator/page.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vtsim {
namespace {

TEST(SpotRowTest, PlacesEachFieldInItsColumns) {
    // The made-up example: Q1AAA on 7025 kHz, "cq dx", spotted by Q9ZZZ at 13:05.
    const std::string row = SpotRow({"7025", "Q1AAA", "cq dx", "Q9ZZZ", "1305"});
    ASSERT_EQ(row.size(), 40u);
    EXPECT_EQ(row.substr(0, 6), "  7025");
    EXPECT_EQ(row.substr(7, 6), "Q1AAA ");
    EXPECT_EQ(row.substr(14, 14), "cq dx         ");
    EXPECT_EQ(row.substr(29, 6), "Q9ZZZ ");
    EXPECT_EQ(row.substr(36, 4), "1305");
    for (int column : {7, 14, 29, 36}) EXPECT_EQ(row[column - 1], ' ') << "column " << column;
}

TEST(SpotRowTest, SixDigitFrequencyFillsItsField) {
    EXPECT_EQ(SpotRow({"432100", "OH2XX", "", "OH6YY", "0001"}).substr(0, 7), "432100 ");
}

TEST(SpotRowTest, LongCallRunsIntoTheCommentButSpotterAndTimeKeepTheirColumns) {
    const std::string row =
        SpotRow({"14025", "OH0/DL1ABC", "a very long comment here", "OH1AAAAA", "2359"});
    ASSERT_EQ(row.size(), 40u);
    EXPECT_EQ(row.substr(7, 11), "OH0/DL1ABC ");
    EXPECT_EQ(row.substr(18, 10), "a very lon");
    EXPECT_EQ(row.substr(28, 8), " OH1AAA ");
    EXPECT_EQ(row.substr(36), "2359");
}

TEST(PageTest, RowsArePaddedOrCutToFortyColumnsAndKeepLeadingBlanks) {
    Page page;
    page.SetRow(0, "  short");
    page.SetRow(18, std::string(50, 'x'));
    EXPECT_EQ(page.Row(0), "  short" + std::string(33, ' '));
    EXPECT_EQ(page.Row(18), std::string(40, 'x'));
    EXPECT_EQ(page.Row(9), std::string(40, ' '));
    EXPECT_THROW(page.SetRow(19, "x"), std::out_of_range);
    EXPECT_THROW(page.SetRow(-1, "x"), std::out_of_range);
}

TEST(PageTest, BlockEndsEveryRowWithTheGivenLineEnd) {
    Page page;
    page.SetRow(1, "B");
    const std::string crlf = page.Block("\r\n");
    ASSERT_EQ(crlf.size(), 19u * 42u);
    EXPECT_EQ(crlf.substr(42, 42), "B" + std::string(39, ' ') + "\r\n");
    EXPECT_EQ(crlf.substr(crlf.size() - 2), "\r\n");
    EXPECT_EQ(page.Block("\n").size(), 19u * 41u);
}

TEST(PageTest, ScrollInDropsTheTopRowAndAddsAtTheBottom) {
    Page page;
    for (int i = 0; i < kPageRows; ++i) page.SetRow(i, "row" + std::to_string(i));
    page.ScrollIn("new");
    EXPECT_EQ(page.Row(0).substr(0, 4), "row1");
    EXPECT_EQ(page.Row(17).substr(0, 5), "row18");
    EXPECT_EQ(page.Row(18), "new" + std::string(37, ' '));
    page.Clear();
    EXPECT_EQ(page.Block(""), std::string(std::size_t{19} * 40, ' '));
}

}  // namespace
}  // namespace vtsim
