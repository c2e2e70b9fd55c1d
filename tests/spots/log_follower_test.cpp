// The log file followed on a real working folder: read in slices, only the
// added part read when it grew, read again when rewritten, a record cut at
// the end finished later, and files that cannot be read reported once per
// cause.
#include "spots/log_follower.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fakes/fake_files.h"
#include "rtl/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Calls by their first letter: O 224, D 230, G 223, V 150, F 227.
std::optional<int> CountryOf(const std::string& call) {
    switch (call.empty() ? ' ' : call[0]) {
        case 'O':
            return 224;
        case 'D':
            return 230;
        case 'G':
            return 223;
        case 'V':
            return 150;
        case 'F':
            return 227;
        default:
            return std::nullopt;
    }
}

std::string Qso(const std::string& call, const std::string& band = "20m") {
    return "<CALL:" + std::to_string(call.size()) + ">" + call +
           " <BAND:" + std::to_string(band.size()) + ">" + band +
           " <MODE:2>CW <QSO_DATE:8>20261201 <TIME_ON:4>1200 <RST_SENT:3>599 <EOR>\r\n";
}

const std::string kHeader = "Test log\r\n<ADIF_VER:5>3.1.4 <EOH>\r\n";

// A log of `count` QSOs with D calls on 20m, then one O call.
std::string BigLog(int count) {
    std::string log = kHeader;
    for (int i = 0; i < count; ++i) log += Qso("DL" + std::to_string(i) + "AB");
    return log + Qso("OH2BH");
}

class LogFollowerTest : public ::testing::Test {
  protected:
    LogFollowerTest() : previous_(fs::current_path()) { fs::current_path(folder_.Path(".")); }
    ~LogFollowerTest() override { fs::current_path(previous_); }

    LogFollower& Follower(std::size_t slice = LogFollower::kDefaultSlice,
                          const std::string& path = "log.adi") {
        follower_ = std::make_unique<LogFollower>(
            files, path, CountryOf, [](int dxcc) { return dxcc == 5; }, slice);
        return *follower_;
    }

    // Steps until the follower has nothing more to do; the number of steps.
    int Run(LogFollower& follower) {
        int steps = 1;
        while (follower.Step() && steps < 100000) ++steps;
        EXPECT_EQ(files.openHandles, 0);
        return steps;
    }

    static void Append(const std::string& bytes) {
        std::ofstream out("log.adi", std::ios::binary | std::ios::app);
        out << bytes;
    }
    // Gives the file a write time of its own, away from the one it had.
    static void Touch(int seconds) {
        fs::last_write_time("log.adi",
                            fs::file_time_type::clock::now() + std::chrono::seconds(seconds));
    }

    FakeFiles files{SystemFiles()};

  private:
    TempFolder folder_;
    fs::path previous_;
    std::unique_ptr<LogFollower> follower_;
};

TEST_F(LogFollowerTest, ReadsInSlicesAndSwapsInWhenWhole) {
    const std::string log = BigLog(300);
    TempFolder::Write("log.adi", log);
    LogFollower& follower = Follower(4096);
    EXPECT_FALSE(follower.Loaded());
    EXPECT_TRUE(follower.Step());
    // Half read: the empty log still answers.
    EXPECT_TRUE(follower.Needs().IsNewCountry(230, false));
    EXPECT_TRUE(follower.Reading());
    const int steps = 1 + Run(follower);
    EXPECT_EQ(steps, static_cast<int>(log.size() / 4096 + 1));
    EXPECT_TRUE(follower.Loaded());
    EXPECT_FALSE(follower.Reading());
    EXPECT_FALSE(follower.Needs().IsNewCountry(230, false));
    EXPECT_FALSE(follower.Needs().IsNewCountry(224, false));
    EXPECT_EQ(follower.QsosRead(), 301u);
    EXPECT_EQ(follower.RecordsSkipped(), 0u);
    EXPECT_EQ(files.bytesRead, log.size());
    EXPECT_FALSE(follower.TakeReport());
    // Opened for reading only, shared every way.
    EXPECT_EQ(files.calls[1], "CreateFileA log.adi 80000000 7 3");
}

TEST_F(LogFollowerTest, NoChangeOpensNothing) {
    TempFolder::Write("log.adi", BigLog(3));
    LogFollower& follower = Follower();
    Run(follower);
    files.calls.clear();
    EXPECT_FALSE(follower.Step());
    EXPECT_EQ(files.calls, std::vector<std::string>({"GetFileAttributesExA log.adi"}));
}

TEST_F(LogFollowerTest, WhenItGrewOnlyTheAddedPartIsRead) {
    TempFolder::Write("log.adi", BigLog(1000));
    LogFollower& follower = Follower(8192);
    Run(follower);
    ASSERT_TRUE(follower.Needs().IsNewCountry(223, false));
    const std::uint64_t before = files.bytesRead;
    const std::string added = Qso("G3AB", "40m") + Qso("VK2E");
    Append(added);
    Run(follower);
    // The check of the bytes before the old end, and the new bytes.
    EXPECT_EQ(files.bytesRead - before, LogFollower::kTailBytes + added.size());
    EXPECT_FALSE(follower.Needs().IsNewCountry(223, false));
    EXPECT_FALSE(follower.Needs().IsNewCountry(150, false));
    EXPECT_FALSE(follower.Needs().IsNewBand(230, Band::k20m, false));
    EXPECT_EQ(follower.QsosRead(), 1003u);
}

TEST_F(LogFollowerTest, GrownWithOtherBytesBeforeTheOldEndIsReadAgain) {
    const std::string log = BigLog(1000);
    TempFolder::Write("log.adi", log);
    LogFollower& follower = Follower();
    Run(follower);
    // The last QSO rewritten (the same length), and one more after it.
    std::string changed = log;
    changed.replace(changed.rfind("OH2BH"), 5, "FO2BH");
    TempFolder::Write("log.adi", changed + Qso("G3AB"));
    const std::uint64_t before = files.bytesRead;
    Run(follower);
    EXPECT_GE(files.bytesRead - before, changed.size());
    EXPECT_TRUE(follower.Needs().IsNewCountry(224, false));
    EXPECT_FALSE(follower.Needs().IsNewCountry(227, false));
    EXPECT_EQ(follower.QsosRead(), 1002u);
}

TEST_F(LogFollowerTest, RewrittenShorterIsReadAgainTheOldAnsweringMeanwhile) {
    TempFolder::Write("log.adi", BigLog(1000));
    LogFollower& follower = Follower(4096);
    Run(follower);
    TempFolder::Write("log.adi", kHeader + Qso("G3AB") + std::string(10000, ' ') + Qso("VK2E"));
    EXPECT_TRUE(follower.Step());
    EXPECT_FALSE(follower.Needs().IsNewCountry(224, false));  // the old reading
    Run(follower);
    EXPECT_TRUE(follower.Needs().IsNewCountry(224, false));
    EXPECT_TRUE(follower.Needs().IsNewCountry(230, false));
    EXPECT_FALSE(follower.Needs().IsNewCountry(223, false));
    EXPECT_EQ(follower.QsosRead(), 2u);
}

TEST_F(LogFollowerTest, SameSizeOtherTimeIsReadAgain) {
    TempFolder::Write("log.adi", kHeader + Qso("OH2BH"));
    LogFollower& follower = Follower();
    Run(follower);
    TempFolder::Write("log.adi", kHeader + Qso("DL2BH"));
    Touch(5);
    Run(follower);
    EXPECT_TRUE(follower.Needs().IsNewCountry(224, false));
    EXPECT_FALSE(follower.Needs().IsNewCountry(230, false));
    // Only the time changed: read again too.
    const std::uint64_t before = files.bytesRead;
    Touch(10);
    Run(follower);
    EXPECT_EQ(files.bytesRead - before, (kHeader + Qso("DL2BH")).size());
}

TEST_F(LogFollowerTest, ARecordCutAtTheEndCountsWhenFinished) {
    const std::string last = Qso("G3AB", "15m");
    TempFolder::Write("log.adi", kHeader + Qso("OH2BH") + last.substr(0, 20));
    LogFollower& follower = Follower();
    Run(follower);
    EXPECT_TRUE(follower.Needs().IsNewCountry(223, false));
    EXPECT_EQ(follower.QsosRead(), 1u);
    EXPECT_EQ(follower.RecordsSkipped(), 0u);
    Append(last.substr(20));
    Run(follower);
    EXPECT_FALSE(follower.Needs().IsNewCountry(223, false));
    EXPECT_FALSE(follower.Needs().IsNewBand(223, Band::k15m, false));
    EXPECT_EQ(follower.QsosRead(), 2u);
    EXPECT_EQ(follower.RecordsSkipped(), 0u);
}

TEST_F(LogFollowerTest, MissingFileReportedOnceThenAgainOnlyAfterASuccess) {
    LogFollower& follower = Follower();
    EXPECT_FALSE(follower.Step());
    EXPECT_EQ(follower.TakeReport(), std::string("Lokitiedostoa log.adi ei l\xF6ydy."));
    EXPECT_FALSE(follower.Step());
    EXPECT_FALSE(follower.Step());
    EXPECT_FALSE(follower.TakeReport());
    TempFolder::Write("log.adi", kHeader + Qso("OH2BH"));
    Run(follower);
    EXPECT_FALSE(follower.TakeReport());
    EXPECT_FALSE(follower.Needs().IsNewCountry(224, false));
    fs::remove("log.adi");
    EXPECT_FALSE(follower.Step());
    EXPECT_EQ(follower.TakeReport(), std::string("Lokitiedostoa log.adi ei l\xF6ydy."));
    // The log read before still answers.
    EXPECT_FALSE(follower.Needs().IsNewCountry(224, false));
    // No such folder is missing too (3).
    LogFollower& inFolder = Follower(LogFollower::kDefaultSlice, "puuttuu/log.adi");
    EXPECT_FALSE(inFolder.Step());
    EXPECT_EQ(inFolder.TakeReport(), std::string("Lokitiedostoa puuttuu/log.adi ei l\xF6ydy."));
}

TEST_F(LogFollowerTest, HeldFileReportedOnceAndTriedAgain) {
    TempFolder::Write("log.adi", kHeader + Qso("OH2BH"));
    IFiles& system = SystemFiles();
    const std::uintptr_t held = system.CreateFileA("log.adi", files::kGenericWrite, 0,
                                                   files::kOpenExisting, files::kAttributeNormal);
    ASSERT_NE(held, files::kInvalidHandle);
    LogFollower& follower = Follower();
    EXPECT_FALSE(follower.Step());
    EXPECT_EQ(follower.TakeReport(),
              std::string("Lokitiedostoa log.adi ei voi lukea: toinen ohjelma pit\xE4\xE4 "
                          "sit\xE4 auki (virhe 32)."));
    EXPECT_FALSE(follower.Step());
    EXPECT_FALSE(follower.TakeReport());
    // Let go without a change: tried again all the same.
    system.CloseHandle(held);
    Run(follower);
    EXPECT_FALSE(follower.Needs().IsNewCountry(224, false));
    EXPECT_FALSE(follower.TakeReport());
}

TEST_F(LogFollowerTest, EachCauseReportedOnceReadErrorsToo) {
    TempFolder::Write("log.adi", kHeader + Qso("OH2BH"));
    LogFollower& follower = Follower();
    files.createError = files::kErrorAccessDenied;
    EXPECT_FALSE(follower.Step());
    EXPECT_EQ(follower.TakeReport(), std::string("Lokitiedostoa log.adi ei voi lukea (virhe 5)."));
    EXPECT_FALSE(follower.Step());
    EXPECT_FALSE(follower.TakeReport());
    // Another cause is another report.
    files.createError = 0;
    files.failReadCall = 1;
    files.readError = files::kErrorReadFault;
    EXPECT_FALSE(follower.Step());
    EXPECT_EQ(follower.TakeReport(), std::string("Lokitiedostoa log.adi ei voi lukea (virhe 30)."));
    EXPECT_EQ(files.openHandles, 0);
    EXPECT_FALSE(follower.Loaded());
    Run(follower);
    EXPECT_TRUE(follower.Loaded());
    EXPECT_FALSE(follower.Needs().IsNewCountry(224, false));
    // After the success, the first cause is told again.
    files.createError = files::kErrorAccessDenied;
    Touch(5);
    EXPECT_FALSE(follower.Step());
    EXPECT_EQ(follower.TakeReport(), std::string("Lokitiedostoa log.adi ei voi lukea (virhe 5)."));
}

TEST_F(LogFollowerTest, BrokenRecordsAreCountedAndTheRestRead) {
    TempFolder::Write("log.adi", kHeader + Qso("OH2BH") + "<CALL:40>DL1A<EOR>\r\n" +
                                     "<CALL:4 G3AB<EOR>" + Qso("VK2E"));
    LogFollower& follower = Follower();
    Run(follower);
    EXPECT_EQ(follower.QsosRead(), 2u);
    EXPECT_EQ(follower.RecordsSkipped(), 2u);
    EXPECT_TRUE(follower.Needs().IsNewCountry(230, false));
    EXPECT_FALSE(follower.Needs().IsNewCountry(150, false));
}

TEST_F(LogFollowerTest, ATwoGigabyteFileOfNulsIsReadInBoundedSlices) {
    // A QSO, then some 2.1 GB of NULs (a sparse file, as a crash can leave
    // one), then a QSO: the NULs break the record they stand in, which ends
    // only at the last QSO's <EOR>. Then one more QSO is appended and read
    // from past the 2^31st byte.
    const std::string first = kHeader + Qso("OH2BH");
    TempFolder::Write("log.adi", first);
    const std::uintmax_t nuls = (std::uintmax_t(1) << 31) + 4096;
    fs::resize_file("log.adi", first.size() + nuls);
    Append(Qso("DL1AB"));
    const std::size_t slice = std::size_t(64) << 20;
    LogFollower& follower = Follower(slice);
    const int steps = Run(follower);
    EXPECT_EQ(steps, static_cast<int>(fs::file_size("log.adi") / slice + 1));
    EXPECT_EQ(follower.QsosRead(), 1u);
    EXPECT_EQ(follower.RecordsSkipped(), 1u);
    EXPECT_FALSE(follower.Needs().IsNewCountry(224, false));
    EXPECT_TRUE(follower.Needs().IsNewCountry(230, false));
    const std::uint64_t before = files.bytesRead;
    Append(Qso("G3ABC"));
    Run(follower);
    EXPECT_EQ(files.bytesRead - before, LogFollower::kTailBytes + Qso("G3ABC").size());
    EXPECT_EQ(follower.QsosRead(), 2u);
    EXPECT_FALSE(follower.Needs().IsNewCountry(223, false));
}

}  // namespace
