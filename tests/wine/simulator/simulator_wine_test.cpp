// The simulator as another process, reached over wine's real DDEML: the
// block it serves, its notices, and each of its scripted faults.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "sim_process.h"

namespace {

using simtest::Answer;
using simtest::DdeClient;
using simtest::Pump;
using simtest::SimProcess;

const std::string kItem = "10,10,,,B(0/5/39/23)";

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

// Row `index` of a block whose rows are `width` columns plus `end`.
std::string RowOf(const std::string& bytes, int index, const std::string& end = "\r\n") {
    return bytes.substr(index * (40 + end.size()), 40);
}

class SimulatorTest : public ::testing::Test {
  protected:
    void Start(const std::string& extra = "") {
        service_ = simtest::UniqueService();
        sim_ = std::make_unique<SimProcess>("--service " + service_ + " " + extra);
        ASSERT_TRUE(sim_->WaitFor("ready", 30000)) << "the simulator did not come up";
    }
    void Connect() { ASSERT_TRUE(client_.Connect(service_, "590")); }

    std::string service_;
    std::unique_ptr<SimProcess> sim_;
    DdeClient client_;
};

TEST_F(SimulatorTest, ServesNineteenRowsOfFortyColumnsEndedByCrLfAndAZeroByte) {
    Start();
    sim_->Send("spot 0 7025 Q1AAA cq dx Q9ZZZ 1305");
    sim_->Send("rowx 5 A\\xE4B");
    sim_->Send("row 18 LAST");
    ASSERT_TRUE(sim_->Sync());
    Connect();
    EXPECT_TRUE(sim_->WaitFor("connect 590"));

    const Answer answer = client_.Request(kItem);
    ASSERT_TRUE(answer.ok) << "DMLERR " << answer.error;
    EXPECT_TRUE(sim_->WaitFor("request " + kItem));
    ASSERT_EQ(answer.bytes.size(), 19u * 42u + 1u);
    EXPECT_EQ(answer.bytes.back(), '\0');
    for (int row = 0; row < 19; ++row) {
        EXPECT_EQ(answer.bytes.substr(row * 42 + 40, 2), "\r\n") << "row " << row;
    }
    EXPECT_EQ(answer.bytes.find('\0'), 798u);
    EXPECT_EQ(RowOf(answer.bytes, 0), "  7025 Q1AAA  cq dx          Q9ZZZ  1305");
    EXPECT_EQ(RowOf(answer.bytes, 5),
              "A\xE4"
              "B" +
                  Blanks(37));
    EXPECT_EQ(RowOf(answer.bytes, 18), "LAST" + Blanks(36));
    EXPECT_EQ(RowOf(answer.bytes, 1), Blanks(40));
}

TEST_F(SimulatorTest, RefusesOtherTopicsItemsAndFormats) {
    Start();
    EXPECT_FALSE(client_.Connect(service_, "591"));
    EXPECT_TRUE(sim_->WaitFor("connect-refused 591"));
    Connect();
    EXPECT_FALSE(client_.Request("10,10,,,B(0/5/39/24)").ok);
    EXPECT_TRUE(sim_->WaitFor("request-refused 10,10,,,B(0/5/39/24)"));
    EXPECT_FALSE(client_.Request(kItem, CF_OEMTEXT).ok);
    EXPECT_FALSE(client_.AdvStart("other"));
    EXPECT_TRUE(sim_->WaitFor("advstart-refused other"));
    EXPECT_TRUE(client_.Request(kItem).ok);
}

TEST_F(SimulatorTest, NotifyAnnouncesChangedRowsOnceAndAlsoUnchangedText) {
    Start();
    Connect();
    ASSERT_TRUE(client_.AdvStart(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstart " + kItem));

    sim_->Send("row 3 CHANGED");
    sim_->Send("row 4 AND THIS");
    ASSERT_TRUE(sim_->Sync());
    Pump(300);
    EXPECT_EQ(client_.Notices(), 0) << "row changes must not announce by themselves";

    sim_->Send("notify");
    ASSERT_TRUE(client_.WaitNotices(1));
    EXPECT_TRUE(sim_->WaitFor("notify"));
    Pump(300);
    ASSERT_EQ(client_.Notices(), 1);
    ASSERT_EQ(client_.NoticeTexts()[0].size(), 799u);
    EXPECT_EQ(RowOf(client_.NoticeTexts()[0], 3), "CHANGED" + Blanks(33));
    EXPECT_EQ(RowOf(client_.NoticeTexts()[0], 4), "AND THIS" + Blanks(32));

    sim_->Send("notify");
    ASSERT_TRUE(client_.WaitNotices(2));
    EXPECT_EQ(client_.NoticeTexts()[1], client_.NoticeTexts()[0]);

    ASSERT_TRUE(client_.AdvStop(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstop " + kItem));
    sim_->Send("notify");
    ASSERT_TRUE(sim_->WaitFor("notify"));
    Pump(300);
    EXPECT_EQ(client_.Notices(), 2) << "no notice after the link has ended";
}

TEST_F(SimulatorTest, DelayedAnswersArriveLateOrTimeOut) {
    Start();
    Connect();
    sim_->Send("delay 400");
    ASSERT_TRUE(sim_->Sync());
    DWORD start = GetTickCount();
    Answer slow = client_.Request(kItem);
    EXPECT_TRUE(slow.ok);
    EXPECT_GE(GetTickCount() - start, 350u) << "the answer came before the delay";

    sim_->Send("delay 1500");
    ASSERT_TRUE(sim_->Sync());
    Answer late = client_.Request(kItem, CF_TEXT, 1000);
    EXPECT_FALSE(late.ok);
    EXPECT_EQ(late.error, static_cast<UINT>(DMLERR_DATAACKTIMEOUT));
    sim_->Send("delay 0");
    ASSERT_TRUE(sim_->Sync());
    Pump(1000);  // let the late answer land while no request is waiting
}

TEST_F(SimulatorTest, RefusesTheLinkOnlyWhileToldTo) {
    Start();
    Connect();
    sim_->Send("refuse-advise on");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_FALSE(client_.AdvStart(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstart-refused " + kItem));
    sim_->Send("refuse-advise off");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_TRUE(client_.AdvStart(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstart " + kItem));
}

TEST_F(SimulatorTest, ServesEmptyLoneLfRawAndUnterminatedTexts) {
    Start();
    Connect();
    sim_->Send("row 0 FIRST");
    sim_->Send("empty on");
    ASSERT_TRUE(sim_->Sync());
    Answer empty = client_.Request(kItem);
    ASSERT_TRUE(empty.ok);
    EXPECT_EQ(empty.bytes, std::string(1, '\0'));

    sim_->Send("empty off");
    sim_->Send("lf on");
    ASSERT_TRUE(sim_->Sync());
    Answer lf = client_.Request(kItem);
    ASSERT_TRUE(lf.ok);
    ASSERT_EQ(lf.bytes.size(), 19u * 41u + 1u);
    EXPECT_EQ(lf.bytes.find('\r'), std::string::npos);
    for (int row = 0; row < 19; ++row) EXPECT_EQ(lf.bytes[row * 41 + 40], '\n') << row;
    EXPECT_EQ(RowOf(lf.bytes, 0, "\n"), "FIRST" + Blanks(35));

    sim_->Send("lf off");
    sim_->Send("nozero on");
    ASSERT_TRUE(sim_->Sync());
    Answer unterminated = client_.Request(kItem);
    ASSERT_TRUE(unterminated.ok);
    ASSERT_EQ(unterminated.bytes.size(), 798u);
    EXPECT_EQ(unterminated.bytes.find('\0'), std::string::npos);

    sim_->Send("nozero off");
    sim_->Send("raw ab\\x01c");
    ASSERT_TRUE(sim_->Sync());
    Answer raw = client_.Request(kItem);
    ASSERT_TRUE(raw.ok);
    EXPECT_EQ(raw.bytes, std::string("ab\x01"
                                     "c",
                                     5));
    sim_->Send("block");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_EQ(client_.Request(kItem).bytes.size(), 799u);
}

TEST_F(SimulatorTest, QuitEndsTheServerInTheMiddleOfAConversation) {
    Start();
    Connect();
    ASSERT_TRUE(client_.AdvStart(kItem));
    sim_->Send("quit");
    EXPECT_TRUE(sim_->WaitFor("quit"));
    EXPECT_EQ(sim_->WaitExit(10000), 0);
    EXPECT_FALSE(client_.Request(kItem).ok);
}

}  // namespace
