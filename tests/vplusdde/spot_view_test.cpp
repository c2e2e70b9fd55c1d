#include "vplusdde/spot_view.h"

#include <gtest/gtest.h>

#include "fakes/fake_spot_lines.h"

namespace {

const std::string kRow = "  7025 Q1AAA  cq dx          Q9ZZZ  1305  ";

TEST(SpotView, ARowIsShownWhenItEqualsTheFirst42CharactersOfALine) {
    FakeSpotLines lines;
    SpotView view(lines);
    EXPECT_FALSE(view.IsShown(kRow));
    view.Append(kRow + "7.12.2026", 0);
    EXPECT_TRUE(view.IsShown(kRow));
    // Exact: case, and length, count.
    std::string lower = kRow;
    lower[7] = 'q';
    EXPECT_FALSE(view.IsShown(lower));
    EXPECT_FALSE(view.IsShown(kRow.substr(0, 41)));
    EXPECT_FALSE(view.IsShown(kRow + "7"));
}

TEST(SpotView, AShortLineMatchesOnlyARowOfItsWholeLength) {
    FakeSpotLines lines;
    SpotView view(lines);
    view.Append("short", 0);
    EXPECT_TRUE(view.IsShown("short"));
    // A short unit followed by the date is no longer the unit itself.
    view.Append(std::string("  14000 unit") + "7.12.2026", 0);
    EXPECT_FALSE(view.IsShown("  14000 unit"));
}

TEST(SpotView, StartsFromWhatTheControlHolds) {
    FakeSpotLines lines;
    lines.AppendLine(kRow + "1.1.2026", 0);
    SpotView view(lines);
    EXPECT_TRUE(view.IsShown(kRow));
    EXPECT_EQ(view.LineCount(), 1);
}

TEST(SpotView, TrimmingDropsTheOldestLinesAndForgetsThemInTheIndex) {
    FakeSpotLines lines;
    SpotView view(lines, /*maxLines=*/5, /*trimBy=*/2);
    for (int i = 0; i < 5; ++i) view.Append("row " + std::to_string(i), 0);
    EXPECT_EQ(lines.lines.size(), 5u);
    view.Append("row 5", 0);  // six lines: the two oldest go
    ASSERT_EQ(lines.lines.size(), 4u);
    EXPECT_EQ(lines.lines.front().first, "row 2");
    EXPECT_FALSE(view.IsShown("row 0"));
    EXPECT_FALSE(view.IsShown("row 1"));
    EXPECT_TRUE(view.IsShown("row 2"));
    EXPECT_TRUE(view.IsShown("row 5"));
    EXPECT_EQ(view.LineCount(), 4);
}

TEST(SpotView, AnEqualPrefixOnTwoLinesStaysShownUntilBothAreGone) {
    FakeSpotLines lines;
    SpotView view(lines, /*maxLines=*/3, /*trimBy=*/1);
    view.Append(kRow + "1.1.2026", 0);
    view.Append(kRow + "2.1.2026", 0);  // same spot on another day
    view.Append("other", 0);
    view.Append("fourth", 0);  // drops the first copy
    EXPECT_TRUE(view.IsShown(kRow));
    view.Append("fifth", 0);  // drops the second
    EXPECT_FALSE(view.IsShown(kRow));
}

// Many lines in one go leave the view and its index as appending them one
// by one would, the line cap included: here the oldest go in two trims, the
// second reaching into the new lines themselves.
TEST(SpotView, AppendingAllAtOnceEndsAsAppendingEachWould) {
    FakeSpotLines one, all;
    SpotView byOne(one, /*maxLines=*/5, /*trimBy=*/3);
    SpotView atOnce(all, /*maxLines=*/5, /*trimBy=*/3);
    const std::vector<SpotLine> added = {
        {"new 0", 1}, {"new 1", 2}, {"new 2", 1}, {"new 3", 2}, {"new 4", 1}};
    for (int i = 0; i < 4; ++i) {
        byOne.Append("old " + std::to_string(i), 0);
        atOnce.Append("old " + std::to_string(i), 0);
    }
    for (const SpotLine& line : added) byOne.Append(line.text, line.color);
    const int readsBefore = all.reads;
    atOnce.AppendAll(added);
    EXPECT_EQ(all.lines, one.lines);
    EXPECT_EQ(atOnce.LineCount(), byOne.LineCount());
    EXPECT_EQ(atOnce.LineCount(), 3);
    for (const std::string key : {"old 3", "new 1", "new 2", "new 4"})
        EXPECT_EQ(atOnce.IsShown(key), byOne.IsShown(key)) << key;
    EXPECT_TRUE(atOnce.IsShown("new 2"));
    EXPECT_EQ(all.batches, 1);
    EXPECT_EQ(all.reads - readsBefore, 4);  // only the lines trimmed, to forget them
}

// A line the control refuses is left out alone: every other line goes in, in
// order and indexed, in a few appends rather than one per line, and the
// refusal is raised once, after them.
TEST(SpotView, ALineTheControlRefusesIsLeftOutAlone) {
    FakeSpotLines lines;
    SpotView view(lines);
    view.Append("old", 0);
    std::vector<SpotLine> added(64);
    for (std::size_t i = 0; i < added.size(); ++i) added[i] = {"line " + std::to_string(i), 1};
    added[5].text = std::string("nul\0 5", 6);
    added[50].text = std::string("nul\0 50", 7);
    EXPECT_THROW(view.AppendAll(added), EOutOfResources);
    std::vector<std::pair<std::string, std::uint32_t>> expected = {{"old", 0}};
    for (int i = 0; i < 64; ++i)
        if (i != 5 && i != 50) expected.emplace_back("line " + std::to_string(i), 1);
    EXPECT_EQ(lines.lines, expected);
    EXPECT_EQ(view.LineCount(), 63);
    EXPECT_TRUE(view.IsShown("line 4"));
    EXPECT_TRUE(view.IsShown("line 6"));
    EXPECT_TRUE(view.IsShown("line 63"));
    EXPECT_LE(lines.batches, 30);
    // One refused line alone, and a batch that goes in whole, in one append.
    EXPECT_THROW(view.AppendAll({{std::string(1, '\0'), 1}}), EOutOfResources);
    EXPECT_EQ(view.LineCount(), 63);
    const int batches = lines.batches;
    view.AppendAll({{"a", 1}, {"b", 1}});
    EXPECT_EQ(lines.batches, batches + 1);
    EXPECT_EQ(view.LineCount(), 65);
}

TEST(SpotView, TheDuplicateTestReadsNoLines) {
    FakeSpotLines lines;
    SpotView view(lines);
    for (int i = 0; i < 1000; ++i) view.Append("line " + std::to_string(i), 0);
    const int before = lines.reads;
    for (int i = 0; i < 19; ++i) view.IsShown("line 500");
    EXPECT_EQ(lines.reads, before);
}

}  // namespace
