// Closing: the watcher is stopped and has ended before the handle is closed,
// a wake-up caused by the stop reaches no handler, a pending device wait is
// cancelled and waited out (or, when the driver never ends it, outlives a
// Close that stops waiting for it), and repeated opening leaves nothing
// behind. A Close that hangs fails its test within seconds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "comm_fixture.h"

namespace {

class CommCloseTest : public CommTest {
  protected:
    // Position of the first call of that name in the port log, or -1.
    // The first call of that name at or after from.
    int IndexOf(const std::string& name, int from = 0) const {
        const std::vector<std::string> names = comm.Names();
        for (std::size_t i = static_cast<std::size_t>(from); i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        return -1;
    }
    std::thread::id ThreadOf(const std::string& name) const {
        for (const FakeComm::Call& c : comm.Calls())
            if (c.name == name) return c.thread;
        return {};
    }
    // Runs Close on a thread of its own, which serves the watcher's
    // hand-overs meanwhile as the main thread would, and fails with the fault
    // named when Close has not returned within 10 s, well past its own bound
    // on the wait for the watcher.
    static void CloseOrEnd(TestComm& port, const char* fault) {
        std::promise<void> returned;
        std::future<void> done = returned.get_future();
        std::thread closer([&] {
            port.Close();
            returned.set_value();
        });
        if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready) EndHung(fault);
        closer.join();
    }
    // Nothing can end a hung Close or watcher cleanly (the fakes would go
    // while they still wait inside them): the test program ends here instead
    // of hanging until its time-out.
    [[noreturn]] static void EndHung(const char* fault) {
        ADD_FAILURE() << fault;
        std::fflush(stdout);
        std::_Exit(1);
    }
    std::thread::id mainThread = std::this_thread::get_id();
};

TEST_F(CommCloseTest, OnAClosedComponentCloseAndDestructionTouchNoDevice) {
    {
        TestComm port(nullptr);
        port.Close();
        port.Close();
    }
    EXPECT_EQ(comm.Calls().size(), 0u);
}

TEST_F(CommCloseTest, TheWatcherEndsAndPurgesBeforeTheHandleIsClosed) {
    TestComm port(nullptr);
    port.Open();
    ASSERT_TRUE(comm.AwaitPendingWait());
    const std::uintptr_t handle = port.Handle();
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(comm.OpenPorts(), 0);

    // The pending wait was cancelled by the thread that issued it and waited
    // out; then the purge; then, on the main thread, the handle was closed.
    const int cancel = IndexOf("CancelIo");
    const int drained = IndexOf("GetOverlappedResult(wait)", cancel);
    const int purge = IndexOf("PurgeComm");
    const int freed = IndexOf("FreeOverlapped");
    const int closed = IndexOf("CloseHandle");
    ASSERT_GE(cancel, 0);
    EXPECT_LT(cancel, drained);
    EXPECT_LT(drained, purge);
    EXPECT_LT(drained, freed);
    EXPECT_LT(purge, closed);
    EXPECT_LT(freed, closed);
    EXPECT_EQ(ThreadOf("CancelIo"), ThreadOf("WaitCommEvent"));
    EXPECT_NE(ThreadOf("PurgeComm"), mainThread);
    EXPECT_EQ(ThreadOf("CloseHandle"), mainThread);
    // The receive side only (RXABORT, RXCLEAR): written lines must still go out.
    EXPECT_EQ(comm.Purges(), std::vector<std::uint32_t>{0x000A});
    EXPECT_EQ(comm.Calls().back().name, "CloseHandle");
    EXPECT_EQ(comm.Calls().back().handle, handle);

    EXPECT_TRUE(comm.Violations().empty());
    EXPECT_EQ(comm.LiveRecords(), 0);
    EXPECT_EQ(sync.OpenEvents(), 1);  // only the component's write event is left
}

TEST_F(CommCloseTest, StopWakesTheWatcherSoThatItEndsBeforeCloseClosesThePort) {
    TestComm port(nullptr);
    port.Open();
    ASSERT_TRUE(comm.AwaitPendingWait());  // the watcher waits on the device
    CloseOrEnd(port, "Close did not return: the watcher was not woken by Stop");
    const int purged = IndexOf("PurgeComm");
    EXPECT_GE(purged, 0) << "the watcher had not ended when Close closed the port: "
                            "Stop did not wake it, and Close gave up waiting";
    EXPECT_LT(purged, IndexOf("CloseHandle")) << "Close closed the port before the watcher ended";
    // Its end (the termination notice, then its event freed) must not be
    // left waiting for a main thread that has moved on.
    if (!PumpUntil([&] { return comm.LiveRecords() == 0 && sync.OpenEvents() == 1; }))
        EndHung("the watcher never ended");
    for (const std::string& v : comm.Violations()) ADD_FAILURE() << v;
}

TEST_F(CommCloseTest, ADeviceWaitTheDriverNeverEndsHoldsCloseOnlyForItsBound) {
    comm.waitsOutliveCancel = true;
    TestComm port(nullptr);
    port.SetCloseTimeout(100);
    port.Open();
    ASSERT_TRUE(comm.AwaitPendingWait());
    CloseOrEnd(port,
               "Close did not return: it waits without bound for the watcher, "
               "whose device wait the driver never ends");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(comm.OpenPorts(), 0);    // closed, so that the driver can end the wait
    EXPECT_EQ(comm.LiveRecords(), 1);  // still the watcher's: the system may write into it
    // The driver lets go at last and writes into the record and the mask
    // field: both must still be there (ASan), and then go with the watcher.
    ASSERT_TRUE(comm.CompleteWait(kEvRxChar));
    if (!PumpUntil([&] { return comm.LiveRecords() == 0 && sync.OpenEvents() == 1; }))
        EndHung("the watcher did not end once its device wait was over");
    EXPECT_EQ(comm.Count("PurgeComm"), 0);  // the port was no longer its to use
    for (const std::string& v : comm.Violations()) ADD_FAILURE() << v;
}

TEST_F(CommCloseTest, AnEventHandedOverAsThePortClosesReachesNoHandler) {
    TestComm port(nullptr);
    int handled = 0;
    port.OnRxChar = [&](TObject*, int) { ++handled; };
    comm.inQueue = 5;
    std::atomic<bool> queued{false};
    MainThread::SetWakeUp([&] { queued = true; });
    comm.QueueWaitNow(kEvRxChar);
    port.Open();
    while (!queued) std::this_thread::yield();  // the watcher waits for the main thread
    MainThread::SetWakeUp(nullptr);
    port.Close();
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(comm.Count("ClearCommError"), 0);
    EXPECT_EQ(comm.OpenPorts(), 0);
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(CommCloseTest, AStopWakeUpOfAPendingWaitReachesNoHandler) {
    TestComm port(nullptr);
    int handled = 0;
    port.OnTxEmpty = [&](TObject*) { ++handled; };
    port.Open();
    ASSERT_TRUE(comm.AwaitPendingWait());
    port.Close();
    // The wait ended by the stop, then completed by the device: too late.
    EXPECT_FALSE(comm.CompleteWait(kEvTxEmpty));
    MainThread::CheckSynchronize(20);
    EXPECT_EQ(handled, 0);
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(CommCloseTest, AStopSignalSwallowedByTheNextDeviceWaitStillEndsTheWatcher) {
    // The watcher is between the top of its loop and its next device wait
    // when Close signals it; starting the wait clears the event, as the
    // system does. Close must still end.
    std::atomic<bool> inSecondWait{false};
    std::atomic<bool> closing{false};
    std::atomic<std::size_t> setEventsBefore{0};
    auto setEvents = [&] {
        std::size_t n = 0;
        for (const FakeSync::Call& c : sync.Calls()) n += c.name == "SetEvent" ? 1 : 0;
        return n;
    };
    int calls = 0;
    comm.onWaitCommEvent = [&] {
        if (++calls != 2) return;
        inSecondWait = true;
        while (!closing || setEvents() <= setEventsBefore)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    comm.QueueWaitFail(kErrorNotSupported);  // the first pass brings nothing
    TestComm port(nullptr);
    port.Open();
    while (!inSecondWait) std::this_thread::yield();
    setEventsBefore = setEvents();
    closing = true;
    port.Close();
    EXPECT_EQ(comm.OpenPorts(), 0);
    EXPECT_TRUE(comm.Violations().empty());
    EXPECT_EQ(comm.LiveRecords(), 0);
}

TEST_F(CommCloseTest, CloseFromInsideAHandlerLeavesTheHandleToTheWatchersEnd) {
    TestComm port(nullptr);
    bool handled = false;
    port.OnBreak = [&](TObject*) {
        port.Close();  // the watcher is blocked in this very hand-over
        handled = true;
    };
    comm.QueueWaitNow(kEvBreak);
    port.Open();
    ASSERT_TRUE(PumpUntil([&] { return handled; }));
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(PumpUntil([&] { return comm.OpenPorts() == 0; }));
    EXPECT_LT(IndexOf("PurgeComm"), IndexOf("CloseHandle"));
    EXPECT_EQ(ThreadOf("CloseHandle"), mainThread);
    EXPECT_TRUE(comm.Violations().empty());

    // The component is usable again.
    port.OnBreak = nullptr;
    port.Open();
    EXPECT_EQ(port.Write("x", 1), 1);
    port.Close();
    EXPECT_EQ(comm.OpenPorts(), 0);
}

TEST_F(CommCloseTest, AHandlerThatRaisesEndsTheWatcherAndCloseStillWorks) {
    TestComm port(nullptr);
    bool raised = false;
    port.OnBreak = [&](TObject*) {
        raised = true;
        throw Exception("handler failed");
    };
    comm.QueueWaitNow(kEvBreak);
    port.Open();
    ASSERT_TRUE(PumpUntil([&] { return raised; }));
    port.Close();
    EXPECT_EQ(comm.OpenPorts(), 0);
    EXPECT_EQ(comm.WaitCalls(), 1);  // the watcher waited no more
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(CommCloseTest, DestroyingAnOpenComponentClosesIt) {
    {
        TestComm port(nullptr);
        port.Open();
    }
    EXPECT_EQ(comm.OpenPorts(), 0);
    EXPECT_EQ(comm.Count("PurgeComm"), 1);
    EXPECT_EQ(sync.OpenEvents(), 0);
    EXPECT_EQ(sync.LiveSections(), 0);
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(CommCloseTest, AHundredOpenWriteCloseCyclesLeaveNothingBehind) {
    TestComm port(nullptr);
    const std::string line = std::string(42, 'k') + "\r\n";
    for (int i = 0; i < 100; ++i) {
        if (i % 3 == 1) comm.QueueWaitFail(kErrorNotSupported);
        if (i % 3 == 2) comm.QueueWaitNow(kEvTxEmpty);
        port.Open();
        ASSERT_EQ(port.Write(line.data(), 44), 44);
        port.Close();
    }
    EXPECT_EQ(comm.Written().size(), 4400u);
    EXPECT_EQ(comm.OpenPorts(), 0);
    EXPECT_EQ(comm.Count("CloseHandle"), 100);
    EXPECT_EQ(comm.Count("PurgeComm"), 100);
    EXPECT_EQ(comm.LiveRecords(), 0);
    EXPECT_EQ(sync.OpenEvents(), 1);
    EXPECT_TRUE(comm.Violations().empty());
}

}  // namespace
