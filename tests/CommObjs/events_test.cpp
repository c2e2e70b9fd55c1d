#include "CommObjs/events.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "fakes/fake_sync.h"
#include "platform/seam.h"

namespace {

class EventTest : public ::testing::Test {
  protected:
    FakeSync sync;
    ScopedSeam<ISync> seam{&sync};
};

TEST_F(EventTest, SimpleEventIsAManualResetEventCreatedClearWithoutAName) {
    TSimpleEvent event;
    const FakeSync::CreateArgs args = sync.LastCreate();
    EXPECT_TRUE(args.manualReset);
    EXPECT_FALSE(args.initialState);
    EXPECT_FALSE(args.named);
    EXPECT_NE(event.Handle(), 0u);
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST_F(EventTest, StaysSignalledForEveryWaitUntilReset) {
    TSimpleEvent event;
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(kInfinite), wrSignaled);
    event.ResetEvent();
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    EXPECT_EQ(event.LastError(), 0);
}

TEST_F(EventTest, WaitHandsTheTimeoutToTheSystemUnchanged) {
    TSimpleEvent event;
    event.SetEvent();
    event.WaitFor(1234);
    event.WaitFor(kInfinite);
    const std::vector<std::uint32_t> timeouts = sync.WaitTimeouts(event.Handle());
    ASSERT_EQ(timeouts.size(), 2u);
    EXPECT_EQ(timeouts[0], 1234u);
    EXPECT_EQ(timeouts[1], 0xFFFFFFFFu);
}

TEST_F(EventTest, SetFromAnotherThreadEndsAWaitWithoutLimit) {
    TSimpleEvent event;
    std::thread setter([&] {
        ASSERT_TRUE(sync.AwaitWaiter(event.Handle()));
        event.SetEvent();
    });
    EXPECT_EQ(event.WaitFor(kInfinite), wrSignaled);
    setter.join();
}

TEST_F(EventTest, FailedCreationLeavesAHandleWhoseWaitsFailWithTheSystemsError) {
    sync.failCreateEvent = true;
    TSimpleEvent event;
    EXPECT_EQ(event.Handle(), 0u);
    EXPECT_EQ(event.WaitFor(0), wrError);
    EXPECT_EQ(event.LastError(), 6);  // ERROR_INVALID_HANDLE
}

TEST_F(EventTest, WaitOutcomesMapInOrderAndOnlyAFailedWaitStoresTheError) {
    TSimpleEvent event;
    sync.ScriptWait(event.Handle(), kWaitAbandoned);
    EXPECT_EQ(event.WaitFor(0), wrAbandoned);
    EXPECT_EQ(event.LastError(), 0);

    sync.ScriptWait(event.Handle(), kWaitFailed, 1450);
    EXPECT_EQ(event.WaitFor(0), wrError);
    EXPECT_EQ(event.LastError(), 1450);

    // Any other value is an error too, but the last error stays as it was.
    sync.SetLastErrorForThisThread(5);
    sync.ScriptWait(event.Handle(), 0x00000101);  // not one of the four
    EXPECT_EQ(event.WaitFor(0), wrError);
    EXPECT_EQ(event.LastError(), 1450);

    EXPECT_EQ(static_cast<int>(wrSignaled), 0);
    EXPECT_EQ(static_cast<int>(wrTimeout), 1);
    EXPECT_EQ(static_cast<int>(wrAbandoned), 2);
    EXPECT_EQ(static_cast<int>(wrError), 3);
}

TEST_F(EventTest, DestructionClosesTheHandle) {
    std::uintptr_t handle = 0;
    {
        TSimpleEvent event;
        handle = event.Handle();
        EXPECT_TRUE(sync.IsOpenEvent(handle));
    }
    EXPECT_FALSE(sync.IsOpenEvent(handle));
    EXPECT_EQ(sync.Count("CloseHandle", handle), 1);
}

}  // namespace
