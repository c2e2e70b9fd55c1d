// The watcher on its own: its set-up, the loop's hand-overs and resets, the
// pause after fruitless passes, and its end.
#include "CommInt/comm_event_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "comm_fixture.h"
#include "platform/threads.h"

namespace {

class RecordingThreadControl : public IThreadControl {
  public:
    std::uintptr_t OpenCurrentThread() override { return 77; }
    bool SetThreadPriority(std::uintptr_t thread, int priority) override {
        std::lock_guard<std::mutex> lock(mutex);
        priorities.emplace_back(thread, priority);
        return true;
    }
    void CloseThread(std::uintptr_t) override {}
    std::mutex mutex;
    std::vector<std::pair<std::uintptr_t, int>> priorities;
};

class WatcherTest : public CommTest {
  protected:
    WatcherTest() {
        port = comm.CreateFileA("Com2", kGenericRead | kGenericWrite, 0, kOpenExisting,
                                kFileFlagOverlapped);
    }
    ~WatcherTest() override { comm.CloseHandle(port); }

    TCommEventThread* Start(TCommEventTypes events = AllCommEvents()) {
        auto* watcher = new TCommEventThread(port, events);
        end = watcher->EndRecord();
        return watcher;
    }
    // The watcher's own event: the one its record is made with (it makes it
    // first thing on its own thread).
    std::uintptr_t WatcherEvent() const {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < limit) {
            for (const FakeComm::Call& c : comm.Calls())
                if (c.name == "CreateOverlapped") return c.handle;
            std::this_thread::yield();
        }
        return 0;
    }
    void StopAndAwaitEnd(TCommEventThread* watcher) {
        watcher->Stop();
        EXPECT_TRUE(PumpUntil([&] { return end->ended && end->gone; }));
    }

    std::uintptr_t port = 0;
    std::shared_ptr<TCommWatcherEnd> end;
    std::thread::id mainThread = std::this_thread::get_id();
};

TEST_F(WatcherTest, SetsTheDeviceMaskMakesItsEventsAndRunsAboveNormalPriority) {
    RecordingThreadControl control;
    ScopedSeam<IThreadControl> seam(&control);
    const int events = sync.OpenEvents();
    TCommEventThread* watcher = Start({evRxChar, evTxEmpty});
    EXPECT_EQ(comm.Masks(), std::vector<std::uint32_t>{0x0005});
    EXPECT_EQ(sync.OpenEvents(), events + 2);  // the device wait's and the stop event
    EXPECT_TRUE(watcher->FreeOnTerminate());
    ASSERT_TRUE(comm.AwaitPendingWait());  // it runs without being asked
    StopAndAwaitEnd(watcher);
    std::lock_guard<std::mutex> lock(control.mutex);
    EXPECT_EQ(control.priorities,
              (std::vector<std::pair<std::uintptr_t, int>>{{77, 1}}));  // ABOVE_NORMAL
    EXPECT_EQ(sync.OpenEvents(), events);                               // freed with the watcher
}

TEST_F(WatcherTest, AnEventIsHandedToTheMainThreadWithTheWatcherAndItsMask) {
    comm.QueueWaitNow(kEvBreak | kEvRxChar);
    TCommEventThread* watcher = Start();
    std::vector<std::uint32_t> masks;
    TObject* sender = nullptr;
    bool onMain = false;
    watcher->OnCommEvent = [&](TObject* Sender, std::uint32_t Mask) {
        masks.push_back(Mask);
        sender = Sender;
        onMain = std::this_thread::get_id() == mainThread;
    };
    ASSERT_TRUE(PumpUntil([&] { return !masks.empty(); }));
    EXPECT_EQ(masks, std::vector<std::uint32_t>{0x0041});
    EXPECT_EQ(sender, watcher);
    EXPECT_TRUE(onMain);

    ASSERT_TRUE(comm.AwaitPendingWait());
    comm.CompleteWait(kEvErr);
    ASSERT_TRUE(PumpUntil([&] { return masks.size() == 2; }));
    EXPECT_EQ(masks.back(), 0x0080u);
    StopAndAwaitEnd(watcher);
    EXPECT_EQ(masks.size(), 2u);
}

TEST_F(WatcherTest, AfterAHandOverTheEventIsResetEvenWithNobodyListening) {
    comm.QueueWaitNow(kEvTxEmpty);  // completes at once: the event is set
    comm.QueueWaitFail(kErrorNotSupported);
    TCommEventThread* watcher = Start();
    ASSERT_TRUE(PumpUntil([&] { return comm.WaitCalls() >= 2; }));
    EXPECT_FALSE(sync.Signalled(WatcherEvent()));
    StopAndAwaitEnd(watcher);
}

TEST_F(WatcherTest, AWaitThatBringsNoEventIsNotHandedOver) {
    comm.QueueWaitNow(0);  // completed, empty mask
    TCommEventThread* watcher = Start();
    int calls = 0;
    watcher->OnCommEvent = [&](TObject*, std::uint32_t) { ++calls; };
    // Pending, then ended by the system with error 995 and no event, as wine
    // does on a pty.
    ASSERT_TRUE(comm.AwaitPendingWait());
    comm.CompleteWait(0, kErrorOperationAborted);
    ASSERT_TRUE(comm.AwaitWaitCalls(3));
    EXPECT_FALSE(MainThread::CheckSynchronize(20));  // nothing was queued
    EXPECT_EQ(calls, 0);
    StopAndAwaitEnd(watcher);
    EXPECT_EQ(calls, 0);
}

class WatcherPauseTest : public WatcherTest {
  protected:
    // Records, for every pause, how many device waits came before it.
    WatcherPauseTest() {
        sync.onWait = [this](std::uintptr_t, std::uint32_t ms) {
            if (ms != TCommEventThread::kIdlePauseMs) return;
            std::lock_guard<std::mutex> lock(mutex);
            pausesAfter.push_back(comm.WaitCalls());
        };
    }
    ~WatcherPauseTest() override { sync.onWait = nullptr; }
    std::vector<int> PausesAfter() {
        std::lock_guard<std::mutex> lock(mutex);
        return pausesAfter;
    }
    std::mutex mutex;
    std::vector<int> pausesAfter;
};

TEST_F(WatcherPauseTest, FailedPassesInARowMakeItPauseUntilTheDeviceReportsAnEvent) {
    for (int i = 0; i < 5; ++i) comm.QueueWaitFail(kErrorNotSupported);
    TCommEventThread* watcher = Start();
    std::vector<std::uint32_t> masks;
    watcher->OnCommEvent = [&](TObject*, std::uint32_t Mask) { masks.push_back(Mask); };
    ASSERT_TRUE(comm.AwaitPendingWait());  // the sixth wait
    for (int i = 0; i < 3; ++i) comm.QueueWaitFail(kErrorNotSupported);
    ASSERT_TRUE(comm.CompleteWait(kEvRing));
    ASSERT_TRUE(PumpUntil([&] { return comm.WaitCalls() >= 10; }));
    ASSERT_TRUE(comm.AwaitPendingWait());  // the tenth
    StopAndAwaitEnd(watcher);
    // Passes 1 and 2 go on at once; from the third idle one on, each is
    // followed by a pause; the event that made it wait (pass 6) starts the
    // count again.
    EXPECT_EQ(PausesAfter(), (std::vector<int>{3, 4, 5, 9}));
    EXPECT_EQ(masks, std::vector<std::uint32_t>{kEvRing});
}

TEST_F(WatcherPauseTest, EventsReportedAtOnceOnEveryPassAreHandedOverAtAPace) {
    // wine reports unread received characters again on every pass.
    for (int i = 0; i < 5; ++i) comm.QueueWaitNow(kEvRxChar);
    TCommEventThread* watcher = Start();
    std::vector<std::uint32_t> masks;
    watcher->OnCommEvent = [&](TObject*, std::uint32_t Mask) { masks.push_back(Mask); };
    ASSERT_TRUE(PumpUntil([&] { return masks.size() == 5; }));
    ASSERT_TRUE(comm.AwaitPendingWait());
    StopAndAwaitEnd(watcher);
    EXPECT_EQ(PausesAfter(), (std::vector<int>{3, 4, 5}));
}

TEST_F(WatcherTest, StopEndsAPauseAndThePendingWaitAndTheWatcherPurgesOnItsWayOut) {
    for (int i = 0; i < 3; ++i) comm.QueueWaitFail(kErrorNotSupported);
    TCommEventThread* watcher = Start();
    const std::uintptr_t event = WatcherEvent();
    ASSERT_TRUE(sync.AwaitWaiter(event + 1));  // pausing now, on the stop event made after it
    comm.QueueWaitNow(0);
    int calls = 0;
    watcher->OnCommEvent = [&](TObject*, std::uint32_t) { ++calls; };
    StopAndAwaitEnd(watcher);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(comm.Purges(), std::vector<std::uint32_t>{0x000A});
    EXPECT_FALSE(sync.IsOpenEvent(event));
    EXPECT_EQ(comm.LiveRecords(), 0);
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(WatcherTest, AWaitPendingAtTheStopIsCancelledAndWaitedOutBeforeItsRecordGoes) {
    TCommEventThread* watcher = Start();
    ASSERT_TRUE(comm.AwaitPendingWait());
    StopAndAwaitEnd(watcher);
    EXPECT_EQ(comm.Count("CancelIo"), 1);
    EXPECT_EQ(comm.Count("GetOverlappedResult(wait)"), 1);
    EXPECT_FALSE(comm.CompleteWait(kEvRxChar));  // nothing left pending
    EXPECT_EQ(comm.LiveRecords(), 0);
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(WatcherTest, AWaitTheSystemEndsWithItsRecordStillSayingPendingIsOverAllTheSame) {
    // wine's serial wait can end so: its event is the only sign.
    TCommEventThread* watcher = Start();
    std::vector<std::uint32_t> masks;
    watcher->OnCommEvent = [&](TObject*, std::uint32_t Mask) { masks.push_back(Mask); };
    ASSERT_TRUE(comm.AwaitPendingWait());
    ASSERT_TRUE(comm.CompleteWaitLeavingRecordPending(kEvRing));
    ASSERT_TRUE(PumpUntil([&] { return !masks.empty(); }));
    EXPECT_EQ(masks, std::vector<std::uint32_t>{0x0100});
    ASSERT_TRUE(comm.AwaitPendingWait());  // and the next wait is on
    StopAndAwaitEnd(watcher);
    EXPECT_EQ(comm.LiveRecords(), 0);
    EXPECT_TRUE(comm.Violations().empty());
}

TEST_F(WatcherTest, TheEndIsRecordedOnTheMainThreadAndClosesAPortLeftToIt) {
    TCommEventThread* watcher = Start();
    end->portToClose = port;
    EXPECT_FALSE(end->ended);
    StopAndAwaitEnd(watcher);
    EXPECT_EQ(comm.OpenPorts(), 0);
    EXPECT_EQ(end->portToClose, kInvalidHandleValue);
    port = kInvalidHandleValue;  // already closed
}

}  // namespace
