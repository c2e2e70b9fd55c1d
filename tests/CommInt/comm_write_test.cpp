// Writing: the bounded wait, the lock around it on every path, and what a
// write that ran out of time leaves behind (nothing).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "comm_fixture.h"

namespace {

class CommWriteTest : public CommTest {
  protected:
    CommWriteTest() {
        port.Open();
        EXPECT_TRUE(comm.AwaitPendingWait());  // the watcher has its record
        writeEvent = WriteEventHandle();
        watcherRecords = comm.LiveRecords();
    }

    // The event the component's writes complete into: the one whose record
    // WriteFile is given. Found by a first write.
    std::uintptr_t WriteEventHandle() {
        std::uintptr_t event = 0;
        const std::size_t before = comm.Calls().size();
        port.Write("", 0);
        const std::vector<FakeComm::Call> calls = comm.Calls();
        for (std::size_t i = before; i < calls.size(); ++i)
            if (calls[i].name == "CreateOverlapped" &&
                calls[i].thread == std::this_thread::get_id())
                event = calls[i].handle;
        return event;
    }

    // Records, at every WriteFile and every wait on the write event, whether
    // the writing thread holds the lock.
    void WatchTheLock() {
        comm.onWriteFile = [this] { lockHeld.push_back(sync.CallerHoldsASection()); };
        sync.onWait = [this](std::uintptr_t handle, std::uint32_t) {
            if (handle == writeEvent) lockHeld.push_back(sync.CallerHoldsASection());
        };
    }

    TestComm port{nullptr};
    std::uintptr_t writeEvent = 0;
    int watcherRecords = 0;  // the watcher's own, while the port is open
    std::vector<bool> lockHeld;
};

TEST_F(CommWriteTest, AWriteThatCompletesReturnsItsCountAndClearsTheEvent) {
    WatchTheLock();
    const std::string line = std::string(42, 'x') + "\r\n";
    EXPECT_EQ(port.Write(line.data(), static_cast<int>(line.size())), 44);
    EXPECT_EQ(comm.Written(), line);
    EXPECT_FALSE(sync.Signalled(writeEvent));
    EXPECT_EQ(lockHeld, (std::vector<bool>{true, true}));
    EXPECT_FALSE(sync.AnySectionHeld());
    EXPECT_EQ(sync.WaitTimeouts(writeEvent).back(), 1000u);
    EXPECT_EQ(comm.Count("GetOverlappedResult"), 2);  // this one and the first
    EXPECT_EQ(comm.LiveRecords(), watcherRecords);
}

TEST_F(CommWriteTest, TheCountIsWhatTheSystemReportsEvenWhenShort) {
    comm.writeMode = FakeComm::WriteMode::Pending;
    std::thread device([&] {
        ASSERT_TRUE(sync.AwaitWaiter(writeEvent));
        comm.CompleteWrite(10);
    });
    EXPECT_EQ(port.Write("0123456789abcdef", 16), 10);
    device.join();
    EXPECT_EQ(comm.Written(), "0123456789");
}

TEST_F(CommWriteTest, ARefusedWriteRaisesAndReleasesTheLock) {
    WatchTheLock();
    comm.writeMode = FakeComm::WriteMode::Fail;
    comm.writeError = 5;
    try {
        port.Write("abc", 3);
        ADD_FAILURE() << "no ECommError";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.Message(), "Write error (Error: 5) ");
        EXPECT_EQ(e.ErrorCode(), 5);
    }
    EXPECT_EQ(lockHeld, std::vector<bool>{true});
    EXPECT_FALSE(sync.AnySectionHeld());
    EXPECT_EQ(comm.LiveRecords(), watcherRecords);
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(CommWriteTest, OnAClosedPortTheSystemRefusesTheWrite) {
    port.Close();
    try {
        port.Write("abc", 3);
        ADD_FAILURE() << "no ECommError";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.Message(), "Write error (Error: 6) ");
    }
    EXPECT_FALSE(sync.AnySectionHeld());
}

TEST_F(CommWriteTest, AWriteThatRunsOutOfTimeIsCancelledAndWaitedOutBeforeMinusOne) {
    WatchTheLock();
    comm.writeMode = FakeComm::WriteMode::Pending;
    port.SetWriteTimeout(20);
    EXPECT_EQ(port.Write("abc", 3), -1);
    EXPECT_EQ(sync.WaitTimeouts(writeEvent).back(), 20u);
    EXPECT_EQ(lockHeld, (std::vector<bool>{true, true}));
    EXPECT_FALSE(sync.AnySectionHeld());
    // Nothing of it is left to complete later into a freed record or into the
    // next write's event.
    EXPECT_FALSE(comm.CompleteWrite(3));
    EXPECT_TRUE(comm.Violations().empty());
    EXPECT_EQ(comm.LiveRecords(), watcherRecords);
    EXPECT_FALSE(sync.Signalled(writeEvent));
    EXPECT_EQ(comm.Count("CancelIo"), 1);
    EXPECT_EQ(comm.Count("GetOverlappedResult(wait)"), 1);
}

TEST_F(CommWriteTest, AWriteThatCompletesJustAfterTheTimeOutLeavesNoSignalBehind) {
    comm.writeMode = FakeComm::WriteMode::Pending;
    port.SetWriteTimeout(20);
    // The wait reports the time-out, and the write completes right then.
    sync.onWait = [&](std::uintptr_t handle, std::uint32_t) {
        if (handle != writeEvent) return;
        sync.ScriptWait(writeEvent, kWaitTimeout);
        comm.CompleteWrite(3);
    };
    EXPECT_EQ(port.Write("abc", 3), -1);
    sync.onWait = nullptr;
    EXPECT_FALSE(sync.Signalled(writeEvent));

    // The next write that completes in time reports its own count.
    comm.writeMode = FakeComm::WriteMode::Complete;
    EXPECT_EQ(port.Write("defg", 4), 4);
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(CommWriteTest, ATimeOutOfZeroLooksOnceAndMinusOneWaitsWithoutLimit) {
    port.SetWriteTimeout(0);
    EXPECT_EQ(port.Write("now", 3), 3);  // completed at once: event already set
    EXPECT_EQ(sync.WaitTimeouts(writeEvent).back(), 0u);
    comm.writeMode = FakeComm::WriteMode::Pending;
    EXPECT_EQ(port.Write("later", 5), -1);
    EXPECT_EQ(comm.LiveRecords(), watcherRecords);

    port.SetWriteTimeout(-1);
    std::thread device([&] {
        ASSERT_TRUE(sync.AwaitWaiter(writeEvent));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        comm.CompleteWrite(5);
    });
    EXPECT_EQ(port.Write("later", 5), 5);
    device.join();
    EXPECT_EQ(sync.WaitTimeouts(writeEvent).back(), 0xFFFFFFFFu);  // INFINITE
}

TEST_F(CommWriteTest, AnAbandonedOrFailedWaitCountsAsNotWritten) {
    comm.writeMode = FakeComm::WriteMode::Pending;
    sync.ScriptWait(writeEvent, kWaitAbandoned);
    EXPECT_EQ(port.Write("abc", 3), -1);
    sync.ScriptWait(writeEvent, kWaitFailed, 6);
    EXPECT_EQ(port.Write("abc", 3), -1);
    EXPECT_EQ(comm.LiveRecords(), watcherRecords);
    EXPECT_TRUE(comm.Violations().empty());
    EXPECT_FALSE(sync.AnySectionHeld());
}

TEST_F(CommWriteTest, WritesFromSeveralThreadsDoNotInterleave) {
    comm.writeMode = FakeComm::WriteMode::Pending;
    port.SetWriteTimeout(-1);
    std::atomic<int> done{0};
    std::thread second([&] {
        ASSERT_TRUE(sync.AwaitWaiter(writeEvent));  // the first write waits
        done += port.Write("BB", 2);
    });
    std::thread device([&] {
        ASSERT_TRUE(sync.AwaitWaiter(writeEvent));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        comm.CompleteWrite(3);  // the first; the second cannot have started
        while (!comm.CompleteWrite(2)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    done += port.Write("AAA", 3);
    second.join();
    device.join();
    EXPECT_EQ(done, 5);
    EXPECT_EQ(comm.Written(), "AAABB");
    EXPECT_TRUE(comm.Violations().empty());
}

}  // namespace
