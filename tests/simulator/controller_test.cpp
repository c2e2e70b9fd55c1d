// The effect of control lines on what the simulator serves and announces,
// and the order in which queued lines may run.
#include "simulator/controller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "simulator/command.h"
#include "simulator/command_queue.h"
#include "simulator/event_log.h"

namespace vtsim {
namespace {

class RecordingHost : public ControllerHost {
  public:
    void Notify() override { calls.push_back("notify"); }
    void Hangup() override { calls.push_back("hangup"); }
    void Quit() override { calls.push_back("quit"); }
    void SetDemoTimer(bool on) override { calls.push_back(on ? "timer on" : "timer off"); }
    int UtcMinuteOfDay() override { return minute; }
    void Print(const std::string& line) override { calls.push_back("print " + line); }

    std::vector<std::string> calls;
    int minute = 13 * 60 + 5;
};

class ControllerTest : public ::testing::Test {
  protected:
    RecordingHost host_;
    Controller controller_{host_, 7};
};

TEST_F(ControllerTest, ServesBlankRowsWithCrLfAndAZeroByteAtFirst) {
    const std::string served = controller_.Served();
    ASSERT_EQ(served.size(), 19u * 42u + 1u);
    EXPECT_EQ(served.substr(0, 42), std::string(40, ' ') + "\r\n");
    EXPECT_EQ(served.back(), '\0');
    EXPECT_EQ(served.find('\0'), 798u);
}

TEST_F(ControllerTest, RowChangesAnnounceNothingUntilNotify) {
    controller_.Execute("row 0 first");
    controller_.Execute("spot 1 7025 Q1AAA cq dx Q9ZZZ 1305");
    controller_.Execute("clear");
    controller_.Execute("row 2 kept");
    EXPECT_TRUE(host_.calls.empty());
    controller_.Execute("notify");
    controller_.Execute("notify");
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"notify", "notify"}));
    EXPECT_EQ(controller_.page().Row(0), std::string(40, ' '));
    EXPECT_EQ(controller_.Served().substr(84, 6), "kept  ");
}

TEST_F(ControllerTest, ServedTextFollowsEmptyLfNozeroAndRaw) {
    controller_.Execute("row 0 A");
    controller_.Execute("lf on");
    EXPECT_EQ(controller_.Served().size(), 19u * 41u + 1u);
    EXPECT_EQ(controller_.Served().substr(40, 2), std::string("\n ", 2));

    controller_.Execute("nozero on");
    EXPECT_EQ(controller_.Served().size(), 19u * 41u);
    EXPECT_EQ(controller_.Served().back(), '\n');

    controller_.Execute("empty on");
    EXPECT_EQ(controller_.Served(), "");
    controller_.Execute("nozero off");
    EXPECT_EQ(controller_.Served(), std::string(1, '\0'));

    controller_.Execute("empty off");
    controller_.Execute("raw x\\x00y");
    EXPECT_EQ(controller_.Served(), std::string("x\0y\0", 4));
    controller_.Execute("block");
    controller_.Execute("lf off");
    EXPECT_EQ(controller_.Served().substr(0, 2), "A ");
    EXPECT_EQ(controller_.Served().size(), 799u);
}

TEST_F(ControllerTest, FaultSwitchesAreKeptForTheDdeSide) {
    controller_.Execute("delay 1500");
    controller_.Execute("refuse-advise on");
    controller_.Execute("refuse-request on");
    controller_.Execute("refuse-connect on");
    EXPECT_EQ(controller_.behaviour().delay_ms, 1500);
    EXPECT_TRUE(controller_.behaviour().refuse_advise);
    EXPECT_TRUE(controller_.behaviour().refuse_request);
    EXPECT_TRUE(controller_.behaviour().refuse_connect);
    controller_.Execute("refuse-advise off");
    controller_.Execute("delay 0");
    EXPECT_FALSE(controller_.behaviour().refuse_advise);
    EXPECT_EQ(controller_.behaviour().delay_ms, 0);
}

TEST_F(ControllerTest, PlatformCommandsGoToTheHostAndSleepReturnsItsPause) {
    EXPECT_EQ(controller_.Execute("sleep 250"), 250);
    EXPECT_EQ(controller_.Execute("echo hello there"), 0);
    controller_.Execute("hangup");
    controller_.Execute("quit");
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"print hello there", "hangup", "quit"}));
}

TEST_F(ControllerTest, BadLinesThrowAndChangeNothing) {
    controller_.Execute("row 0 before");
    EXPECT_THROW(controller_.Execute("row 40 x"), ECommandError);
    EXPECT_THROW(controller_.Execute("frobnicate"), ECommandError);
    EXPECT_THROW(controller_.Execute("rows /nonexistent/file/rows.txt"), ECommandError);
    EXPECT_EQ(controller_.page().Row(0).substr(0, 6), "before");
    EXPECT_TRUE(host_.calls.empty());
}

TEST_F(ControllerTest, RowsFileSetsEveryRowAndBlanksTheRest) {
    const std::string name = ::testing::TempDir() + "vtsim_rows.txt";
    {
        std::ofstream file(name, std::ios::binary);
        file << "first\r\n  second\n";
    }
    controller_.Execute("row 5 old");
    controller_.Execute("rows " + name);
    EXPECT_EQ(controller_.page().Row(0), "first" + std::string(35, ' '));
    EXPECT_EQ(controller_.page().Row(1), "  second" + std::string(32, ' '));
    EXPECT_EQ(controller_.page().Row(5), std::string(40, ' '));
    std::remove(name.c_str());
}

TEST_F(ControllerTest, DemoFillsThePageAnnouncesAndScrollsNewSpotsIn) {
    controller_.DemoTick();
    EXPECT_TRUE(host_.calls.empty()) << "no ticks while the demo is off";

    controller_.Execute("demo on");
    EXPECT_TRUE(controller_.DemoOn());
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"timer on", "notify"}));
    for (int row = 0; row < kPageRows; ++row) {
        EXPECT_NE(controller_.page().Row(row), std::string(40, ' ')) << row;
    }
    EXPECT_EQ(controller_.page().Row(18).substr(36), "1305");
    EXPECT_EQ(controller_.page().Row(0).substr(36), "1229") << "older spots further up";

    const std::string second = controller_.page().Row(1);
    host_.minute = 13 * 60 + 6;
    controller_.DemoTick();
    EXPECT_EQ(controller_.page().Row(0), second);
    EXPECT_EQ(controller_.page().Row(18).substr(36), "1306");
    EXPECT_EQ(host_.calls.back(), "notify");

    controller_.Execute("demo on");
    EXPECT_EQ(host_.calls.size(), 3u) << "turning on twice does nothing more";
    controller_.Execute("demo off");
    EXPECT_EQ(host_.calls.back(), "timer off");
    controller_.DemoTick();
    EXPECT_EQ(host_.calls.back(), "timer off");
}

TEST(CommandQueueTest, SleepHoldsLaterLinesBackForItsPause) {
    CommandQueue queue;
    EXPECT_EQ(queue.WaitMs(0), -1);
    EXPECT_FALSE(queue.Ready(0));
    queue.Push("a");
    queue.Push("b");
    ASSERT_TRUE(queue.Ready(1000));
    EXPECT_EQ(queue.Pop(), "a");
    queue.PauseFor(1000, 500);
    EXPECT_FALSE(queue.Ready(1499));
    EXPECT_EQ(queue.WaitMs(1200), 300);
    EXPECT_TRUE(queue.Ready(1500));
    EXPECT_EQ(queue.WaitMs(1500), 0);
    EXPECT_EQ(queue.Pop(), "b");
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.WaitMs(1200), -1) << "a pause with nothing waiting: wait for input";
}

TEST(EventLogTest, WritesEachLineToTheStreamAndTheLogFile) {
    const std::string name = ::testing::TempDir() + "vtsim_events.log";
    std::remove(name.c_str());
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        EventLog log(out);
        log.Print("ready");
        ASSERT_TRUE(log.OpenFile(name));
        log.Print("connect 590");
        // Flushed at once: readable before the log is closed.
        std::ifstream early(name);
        std::string first;
        std::getline(early, first);
        EXPECT_EQ(first, "connect 590");
        EXPECT_FALSE(log.OpenFile("/nonexistent/dir/x.log"));
    }
    std::rewind(out);
    char buffer[64] = {};
    const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, out);
    EXPECT_EQ(std::string(buffer, got), "ready\nconnect 590\n");
    std::fclose(out);
    std::remove(name.c_str());
}

}  // namespace
}  // namespace vtsim
