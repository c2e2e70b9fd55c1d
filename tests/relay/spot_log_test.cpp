// The daily spot file on a real working folder: the line and the file name,
// appending to what is there, and a failing file reported once and retried.
#include "relay/spot_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "rtl/temp_folder.h"

namespace {

const std::string kRow = "  7025 Q1AAA  cq dx          Q9ZZZ  1305  ";

class SpotLogTest : public ::testing::Test {
  protected:
    SpotLogTest() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.Path("."));
    }
    ~SpotLogTest() override { std::filesystem::current_path(previous_); }

    std::vector<std::string> reports;
    FakeFiles files{SystemFiles()};
    SpotLog log{files, [this](const std::string& text) { reports.push_back(text); }};

  private:
    TempFolder folder_;
    std::filesystem::path previous_;
};

// Appended behind another program's lines while that program holds the file
// open for reading and writing; a new day starts a new file.
TEST_F(SpotLogTest, LinesAppendedToTheFileOfTheDay) {
    TempFolder::Write("vihjeet-20260305.txt", "earlier\r\n");
    const std::uintptr_t reader = SystemFiles().CreateFileA(
        "vihjeet-20260305.txt", files::kGenericRead | files::kGenericWrite,
        files::kShareRead | files::kShareWrite, files::kOpenExisting, files::kAttributeNormal);
    ASSERT_NE(reader, files::kInvalidHandle);

    EXPECT_TRUE(log.Append(kRow, LocalTime{2026, 3, 5, 9, 4, 7}));
    const std::string shortUnit = "  3510 Q2BBB";
    EXPECT_TRUE(log.Append(shortUnit, LocalTime{2026, 3, 5, 23, 59, 59}));
    EXPECT_TRUE(log.Append(kRow, LocalTime{2026, 3, 6, 0, 0, 0}));
    EXPECT_TRUE(SystemFiles().CloseHandle(reader));

    EXPECT_EQ(
        TempFolder::Read("vihjeet-20260305.txt"),
        "earlier\r\n2026-03-05 09:04:07 " + kRow + "\r\n2026-03-05 23:59:59 " + shortUnit + "\r\n");
    EXPECT_EQ(TempFolder::Read("vihjeet-20260306.txt"), "2026-03-06 00:00:00 " + kRow + "\r\n");
    EXPECT_EQ(files.calls.front(), "CreateFileA vihjeet-20260305.txt 80000004 3 4");
    EXPECT_EQ(files.openHandles, 0);
    EXPECT_TRUE(reports.empty());
}

// One report per file name, every spot tried again; a new day's file is
// reported on its own. A short write counts as failed, with 112.
TEST_F(SpotLogTest, FailingFileReportedOnceAndRetried) {
    files.createError = files::kErrorSharingViolation;
    EXPECT_FALSE(log.Append(kRow, LocalTime{2026, 3, 5, 9, 4, 7}));
    EXPECT_FALSE(log.Append(kRow, LocalTime{2026, 3, 5, 9, 4, 8}));
    EXPECT_EQ(files.calls.size(), 2u);
    EXPECT_EQ(reports, std::vector<std::string>{
                           "Vihjetiedostoon vihjeet-20260305.txt ei voitu kirjoittaa (virhe 32)."});

    files.createError = 0;
    EXPECT_TRUE(log.Append(kRow, LocalTime{2026, 3, 5, 9, 4, 9}));
    EXPECT_EQ(TempFolder::Read("vihjeet-20260305.txt"), "2026-03-05 09:04:09 " + kRow + "\r\n");

    files.failWriteCall = 2;  // half the line goes out
    EXPECT_FALSE(log.Append(kRow, LocalTime{2026, 3, 6, 8, 0, 0}));
    EXPECT_EQ(reports.back(),
              "Vihjetiedostoon vihjeet-20260306.txt ei voitu kirjoittaa (virhe 112).");
    files.failWriteCall = 3;
    files.writeError = files::kErrorHandleDiskFull;
    EXPECT_FALSE(log.Append(kRow, LocalTime{2026, 3, 7, 8, 0, 0}));
    EXPECT_EQ(reports.back(),
              "Vihjetiedostoon vihjeet-20260307.txt ei voitu kirjoittaa (virhe 39).");
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_EQ(files.openHandles, 0);
}

// A file that does not end in a line end (a cut write, another program's
// unfinished line) gets one before the next spot, and only that once; one
// cut between CR and LF gets the LF. When the last byte cannot be read the
// line end goes first anyway: an empty line costs nothing, a joined one a
// spot. Nothing that was there changes.
TEST_F(SpotLogTest, ASpotAfterACutLineStartsALineOfItsOwn) {
    const std::string cut = "2026-12-07 00:10:05 " + kRow + "\r\n2026-12-07 00:2";
    TempFolder::Write("vihjeet-20261207.txt", cut);
    EXPECT_TRUE(log.Append(kRow, LocalTime{2026, 12, 7, 9, 41, 7}));
    EXPECT_TRUE(log.Append(kRow, LocalTime{2026, 12, 7, 9, 41, 8}));
    EXPECT_EQ(TempFolder::Read("vihjeet-20261207.txt"),
              cut + "\r\n2026-12-07 09:41:07 " + kRow + "\r\n2026-12-07 09:41:08 " + kRow + "\r\n");

    TempFolder::Write("vihjeet-20261208.txt", "2026-12-08 00:10:05 " + kRow + "\r");
    EXPECT_TRUE(log.Append(kRow, LocalTime{2026, 12, 8, 9, 0, 0}));
    EXPECT_EQ(TempFolder::Read("vihjeet-20261208.txt"),
              "2026-12-08 00:10:05 " + kRow + "\r\n2026-12-08 09:00:00 " + kRow + "\r\n");

    files.failReadCall = 4;  // the fourth look at a last byte
    EXPECT_TRUE(log.Append(kRow, LocalTime{2026, 12, 8, 9, 0, 1}));
    EXPECT_EQ(TempFolder::Read("vihjeet-20261208.txt"),
              "2026-12-08 00:10:05 " + kRow + "\r\n2026-12-08 09:00:00 " + kRow +
                  "\r\n\r\n2026-12-08 09:00:01 " + kRow + "\r\n");
    EXPECT_EQ(files.openHandles, 0);
    EXPECT_TRUE(reports.empty());
}

}  // namespace
