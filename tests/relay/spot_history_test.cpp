// The daily spot files read back on a real working folder: which lines count,
// yesterday's file across month and year ends, the line limit over both
// files, and a file that cannot be read.
#include "relay/spot_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "relay/spot_log.h"
#include "rtl/temp_folder.h"

namespace {

class SpotHistoryTest : public ::testing::Test {
  protected:
    SpotHistoryTest() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.Path("."));
    }
    ~SpotHistoryTest() override { std::filesystem::current_path(previous_); }

    // The spots read, each as SpotLog would write it again: its time, row and
    // line end.
    std::string Read(const LocalTime& now, std::size_t limit = kRecentSpotLines) {
        std::string lines;
        for (const LoggedSpot& spot : ReadRecentSpots(
                 files, now, limit, [this](const std::string& text) { reports.push_back(text); }))
            lines += SpotLog::Line(spot.row, spot.when);
        EXPECT_EQ(files.openHandles, 0);
        return lines;
    }

    FakeFiles files{SystemFiles()};
    std::vector<std::string> reports;

  private:
    TempFolder folder_;
    std::filesystem::path previous_;
};

const LocalTime kNow{2026, 3, 5, 9, 30, 0};

TEST_F(SpotHistoryTest, GoodLinesComeBackAsWrittenOthersAreSkipped) {
    const std::string first = "2026-03-05 00:00:00   7025 Q1AAA  cq dx     Q9ZZZ  1305  \r\n";
    const std::string eightBit = "2026-03-05 23:59:59  14025 Q1\xc4\xd6  \xe4\r\n";
    TempFolder::Write("vihjeet-20260305.txt",
                      first + "2026-03-05 09:0\r\n" +                                 // cut short
                          "2026-13-05 09:04:07  7025 Q1BBB\r\n" +                     // month 13
                          "2026-02-29 09:04:07  7025 Q1BBB\r\n" +                     // no such day
                          "2026-03-05 24:00:00  7025 Q1BBB\r\n" +                     // hour 24
                          "2026-03-05 9:04:07   7025 Q1BBB\r\n" +                     // one digit
                          "2026-03-05 09:04:07\r\n" +                                 // no row
                          "2026-03-05 09:04:07    \r\n" +                             // blanks only
                          "2026-03-05 09:04:07|7025 Q1BBB\r\n" +                      // no blank
                          "2026-03-05 09:04:07 " + std::string(1010, 'x') + "\r\n" +  // too long
                          eightBit + "2026-03-05 09:04:08  3510 Q1CCC\n" +
                          "2026-03-05 09:04:09  3510 Q1D");  // its writing cut off
    // By their stamps, the day's last second last.
    EXPECT_EQ(Read(LocalTime{2026, 3, 5, 23, 59, 59}),
              first + "2026-03-05 09:04:08  3510 Q1CCC\r\n" + eightBit);
    EXPECT_TRUE(reports.empty());  // yesterday's file is missing: no spots, no word
}

// A spot joined to a fragment left without its line end: the row is what
// follows the line's last stamp, the fragment is never part of it.
TEST_F(SpotHistoryTest, AStampInTheMiddleOfALineStartsTheTrueRow) {
    TempFolder::Write(
        "vihjeet-20260305.txt",
        std::string("2026-03-05 00:22026-03-05 09:41:07  7025 Q1AAA\r\n") +
            "2026-03-05 00:10:05  7030 Q1BBB  cq2026-03-05 06:05:21  14025 OH2BH\r\n" +
            "  7030 Q1CCC  cq2026-03-05 06:05:22 \r\n" +             // a blank row after it
            "  7030 Q1DDD  cq2026-02-30 06:05:23  7025 Q1EEE\r\n");  // no such day
    EXPECT_EQ(Read(kNow),
              "2026-03-05 09:41:07  7025 Q1AAA\r\n2026-03-05 06:05:21  14025 OH2BH\r\n");
}

// Only the end of a file is read: a 50 MB file costs what its last 2,000
// lines take, and they come back whole across the pieces it is read in; a
// file that holds no spot lines is looked through only as far as 2,000
// lines of the longest kind reach.
TEST_F(SpotHistoryTest, TheEndOfALargeFileIsReadNotTheWhole) {
    auto line = [](int n) {
        return SpotLog::Line("  7025 Q1" + std::to_string(n),
                             LocalTime{2026, 3, 5, n / 3600 % 24, n / 60 % 60, n % 60});
    };
    std::string recent;
    for (int n = 0; n < 2000; ++n) recent += line(n);
    std::string big;
    const std::string filler = line(99999);
    while (big.size() < 50000000u) big += filler;
    TempFolder::Write("vihjeet-20260305.txt", big + recent + "2026-03-05 09:29:5");
    EXPECT_EQ(Read(kNow), recent);
    EXPECT_LE(files.bytesRead, 2 * recent.size());

    files.bytesRead = 0;
    TempFolder::Write("vihjeet-20260305.txt", std::string(3000000u, 'x') + "\r\n" + recent);
    TempFolder::Write("vihjeet-20260304.txt", std::string(3000000u, '\n'));
    EXPECT_EQ(Read(kNow), recent);
    EXPECT_LE(files.bytesRead, kRecentSpotLines * (kMaxLoggedLineBytes + 1) + 2 * recent.size());

    // Where the looking stops, the line cut there is never taken, though its
    // end would read as one: whole, it is too long to be a spot line.
    std::filesystem::remove("vihjeet-20260304.txt");
    TempFolder::Write("vihjeet-20260305.txt",
                      std::string(2000, 'x') + "2026-03-05 08:00:00  7025 Q1CUT\r\n\r\n");
    EXPECT_EQ(Read(kNow, 1), "");
}

// Yesterday's file first, then today's; no older one. Read and write sharing:
// a program appending to a file does not keep it from being read.
TEST_F(SpotHistoryTest, YesterdayAcrossMonthAndYearEnds) {
    TempFolder::Write("vihjeet-20280228.txt", "2028-02-28 23:00:00  7001 Q1OLD\r\n");
    TempFolder::Write("vihjeet-20280229.txt", "2028-02-29 23:59:59  7002 Q1LEAP\r\n");
    TempFolder::Write("vihjeet-20280301.txt", "2028-03-01 00:00:00  7003 Q1NEW\r\n");
    EXPECT_EQ(Read(LocalTime{2028, 3, 1, 0, 0, 1}),
              "2028-02-29 23:59:59  7002 Q1LEAP\r\n2028-03-01 00:00:00  7003 Q1NEW\r\n");
    EXPECT_EQ(files.calls.front(), "CreateFileA vihjeet-20280229.txt 80000000 3 3");

    TempFolder::Write("vihjeet-20261231.txt", "2026-12-31 23:59:00  7004 Q1EVE\r\n");
    EXPECT_EQ(Read(LocalTime{2027, 1, 1, 12, 0, 0}), "2026-12-31 23:59:00  7004 Q1EVE\r\n");
}

// The last 2,000 lines of the two files together, oldest first.
TEST_F(SpotHistoryTest, LimitTakesTheLatestLinesOfBothFiles) {
    auto lines = [](int day, int from, int to) {
        std::string text;
        for (int n = from; n < to; ++n)
            text += SpotLog::Line("  7025 Q1" + std::to_string(n),
                                  LocalTime{2026, 3, day, n / 3600, n / 60 % 60, n % 60});
        return text;
    };
    TempFolder::Write("vihjeet-20260304.txt", lines(4, 0, 1500));
    TempFolder::Write("vihjeet-20260305.txt", lines(5, 0, 600));
    EXPECT_EQ(Read(kNow), lines(4, 100, 1500) + lines(5, 0, 600));
    EXPECT_EQ(Read(kNow, 500), lines(5, 100, 600));
}

// A NUL (zeros left in a file's tail by a power loss, the line then ended by
// the next spot's repair) and every other control character become blanks,
// as the decoder link gives rows; a line of nothing else is skipped.
TEST_F(SpotHistoryTest, ControlCharactersInARowBecomeBlanks) {
    TempFolder::Write("vihjeet-20260305.txt",
                      std::string("2026-03-05 08:00:00  7025 Q1AAA\0\0\0\r\n", 36) +
                          std::string("2026-03-05 08:00:01 \0\0\0\0\r\n", 26) +
                          "2026-03-05 08:00:02  7\x01\t\x1f Q1\x7f\x80\r\n");
    EXPECT_EQ(Read(kNow),
              "2026-03-05 08:00:00  7025 Q1AAA   \r\n"
              "2026-03-05 08:00:02  7    Q1\x7f\x80\r\n");
}

// A restart on the first of a month reads the last day of the one before,
// its 31st too.
TEST_F(SpotHistoryTest, TheFirstOfAMonthTakesTheLastDayOfTheMonthBefore) {
    const struct {
        const char* file;
        const char* line;
        LocalTime now;
    } cases[] = {
        {"vihjeet-20270831.txt", "2027-08-31 23:59:59  7001 Q1AUG\r\n", {2027, 9, 1, 0, 1, 0}},
        {"vihjeet-20270731.txt", "2027-07-31 12:00:00  7002 Q1JUL\r\n", {2027, 8, 1, 0, 1, 0}},
        {"vihjeet-20270430.txt", "2027-04-30 12:00:00  7003 Q1APR\r\n", {2027, 5, 1, 0, 1, 0}},
        {"vihjeet-20280229.txt", "2028-02-29 12:00:00  7004 Q1FEB\r\n", {2028, 3, 1, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        TempFolder::Write(c.file, c.line);
        EXPECT_EQ(Read(c.now), c.line) << c.file;
    }
}

// The newest spots by their stamps, whichever file holds them: tomorrow's
// file, written before the clock was set back past midnight, is older than
// the spots taken since; a stamp copied into yesterday's file counts by its
// own time.
TEST_F(SpotHistoryTest, TheNewestSpotsWinWhicheverFileHoldsThem) {
    TempFolder::Write("vihjeet-20260304.txt",
                      "2026-03-04 23:00:00  7001 Q1Y1\r\n2026-03-05 09:20:00  7002 Q1Y2\r\n");
    TempFolder::Write("vihjeet-20260305.txt",
                      "2026-03-05 09:10:00  7003 Q1T1\r\n2026-03-05 09:00:00  7004 Q1T2\r\n"
                      "2026-03-05 09:30:00  7005 Q1T3\r\n");
    TempFolder::Write("vihjeet-20260306.txt",
                      "2026-03-06 00:00:01  7006 Q1M1\r\n2026-03-06 00:00:02  7007 Q1M2\r\n"
                      "2026-03-06 00:00:03  7008 Q1M3\r\n2026-03-06 00:00:04  7009 Q1M4\r\n");
    // Q1T3 stands at now itself: not ahead of it.
    EXPECT_EQ(Read(kNow, 4),
              "2026-03-05 09:00:00  7004 Q1T2\r\n2026-03-05 09:10:00  7003 Q1T1\r\n"
              "2026-03-05 09:20:00  7002 Q1Y2\r\n2026-03-05 09:30:00  7005 Q1T3\r\n");
    // With room for all, tomorrow's come first, in their own order.
    EXPECT_EQ(Read(kNow).substr(0, 64),
              "2026-03-06 00:00:01  7006 Q1M1\r\n2026-03-06 00:00:02  7007 Q1M2\r\n");
}

// Reported once for the file, with the system's code; the other files are
// still read. A file that cannot be opened at all is reported the same way.
TEST_F(SpotHistoryTest, UnreadableFileIsReportedAndTheOtherRead) {
    TempFolder::Write("vihjeet-20260304.txt", "2026-03-04 10:00:00  7001 Q1OLD\r\n");
    TempFolder::Write("vihjeet-20260305.txt", "2026-03-05 08:00:00  7002 Q1NEW\r\n");
    files.failReadCall = 1;
    files.readError = files::kErrorAccessDenied;
    EXPECT_EQ(Read(kNow), "2026-03-05 08:00:00  7002 Q1NEW\r\n");
    EXPECT_EQ(reports, std::vector<std::string>{
                           "Vihjetiedostoa vihjeet-20260304.txt ei voitu lukea (virhe 5)."});

    reports.clear();
    // Tomorrow's, after the clock was set back past midnight.
    TempFolder::Write("vihjeet-20260306.txt", "2026-03-06 00:10:00  7003 Q1BAK\r\n");
    files.createError = files::kErrorSharingViolation;
    EXPECT_EQ(Read(kNow), "");
    EXPECT_EQ(reports, (std::vector<std::string>{
                           "Vihjetiedostoa vihjeet-20260304.txt ei voitu lukea (virhe 32).",
                           "Vihjetiedostoa vihjeet-20260305.txt ei voitu lukea (virhe 32).",
                           "Vihjetiedostoa vihjeet-20260306.txt ei voitu lukea (virhe 32)."}));
}

}  // namespace
