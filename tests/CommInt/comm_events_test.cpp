// Line events: from the device through the watcher to the handlers, in their
// fixed order, on the main thread.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "comm_fixture.h"

namespace {

class CommEventsTest : public CommTest {
  protected:
    // Assigns every handler; each notes its name (and argument) and sender.
    void AssignAll() {
        auto note = [this](const char* name) {
            return [this, name](TObject* Sender) { Note(name, Sender); };
        };
        port.OnBreak = note("Break");
        port.OnCts = note("Cts");
        port.OnDsr = note("Dsr");
        port.OnRing = note("Ring");
        port.OnRlsd = note("Rlsd");
        port.OnRxFlag = note("RxFlag");
        port.OnTxEmpty = note("TxEmpty");
        port.OnError = [this](TObject* Sender, int Errors) {
            Note("Error " + std::to_string(Errors), Sender);
        };
        port.OnRxChar = [this](TObject* Sender, int Count) {
            waitsSeenByRxChar = comm.WaitCalls();
            Note("RxChar " + std::to_string(Count), Sender);
        };
    }
    void Note(const std::string& what, TObject* Sender) {
        fired.push_back(what);
        if (Sender != &port) wrongSender = true;
        if (std::this_thread::get_id() != mainThread) offMainThread = true;
    }

    TestComm port{nullptr};
    std::vector<std::string> fired;
    bool wrongSender = false;
    bool offMainThread = false;
    int waitsSeenByRxChar = -1;
    std::thread::id mainThread = std::this_thread::get_id();
};

TEST_F(CommEventsTest, HandlersRunInTheirFixedOrderWhateverTheBitOrder) {
    port.Open();
    AssignAll();
    comm.commErrors = 0x0008;  // CE_FRAME
    comm.inQueue = 12;
    port.HandleCommEvent(nullptr, 0x01FF);
    const std::vector<std::string> expected = {"Break", "Cts",       "Dsr",    "Error 8", "Ring",
                                               "Rlsd",  "RxChar 12", "RxFlag", "TxEmpty"};
    EXPECT_EQ(fired, expected);
    EXPECT_FALSE(wrongSender);
    EXPECT_EQ(comm.commErrors, 0u);  // read and cleared by ClearCommError
}

TEST_F(CommEventsTest, OnlyTheBitsInTheMaskFireAndErrorsAreClearedFirst) {
    port.Open();
    AssignAll();
    comm.commErrors = 0x0010;  // CE_BREAK
    comm.inQueue = 3;
    port.HandleCommEvent(nullptr, kEvTxEmpty | kEvErr | kEvCts);
    EXPECT_EQ(fired, (std::vector<std::string>{"Cts", "Error 16", "TxEmpty"}));
    EXPECT_EQ(comm.Count("ClearCommError"), 1);
}

TEST_F(CommEventsTest, ReceivedCharactersAreAnnouncedOnlyWhenSomeWait) {
    port.Open();
    AssignAll();
    comm.inQueue = 0;
    port.HandleCommEvent(nullptr, kEvRxChar);
    EXPECT_TRUE(fired.empty());
    comm.inQueue = 1;
    port.HandleCommEvent(nullptr, kEvRxChar);
    EXPECT_EQ(fired, std::vector<std::string>{"RxChar 1"});
}

TEST_F(CommEventsTest, UnassignedHandlersAreSkipped) {
    port.Open();
    port.OnRing = [this](TObject* Sender) { Note("Ring", Sender); };
    comm.inQueue = 4;
    port.HandleCommEvent(nullptr, 0x01FF);
    EXPECT_EQ(fired, std::vector<std::string>{"Ring"});
}

TEST_F(CommEventsTest, ADeviceEventReachesTheHandlersOnTheMainThreadOneAtATime) {
    AssignAll();
    comm.inQueue = 2;
    comm.QueueWaitNow(kEvRxChar);
    comm.QueueWaitNow(kEvBreak);
    port.Open();
    ASSERT_TRUE(PumpUntil([&] { return fired.size() == 2; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"RxChar 2", "Break"}));
    EXPECT_FALSE(offMainThread);
    EXPECT_FALSE(wrongSender);
    EXPECT_EQ(waitsSeenByRxChar, 1);  // no new device wait before it was handled

    // A wait that goes on in the background and then completes.
    ASSERT_TRUE(comm.AwaitPendingWait());
    ASSERT_TRUE(comm.CompleteWait(kEvTxEmpty));
    ASSERT_TRUE(PumpUntil([&] { return fired.size() == 3; }));
    EXPECT_EQ(fired.back(), "TxEmpty");
    port.Close();
    EXPECT_TRUE(comm.Violations().empty());
}

}  // namespace
