#include "CommObjs/critical_section.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fakes/fake_sync.h"
#include "platform/seam.h"

namespace {

class CriticalSectionTest : public ::testing::Test {
  protected:
    FakeSync sync;
    ScopedSeam<ISync> seam{&sync};
};

TEST_F(CriticalSectionTest, LivesFromConstructionToDestruction) {
    {
        TCriticalSection section;
        EXPECT_EQ(sync.LiveSections(), 1);
        section.Enter();
        EXPECT_TRUE(sync.CallerHoldsASection());
        section.Leave();
        EXPECT_FALSE(sync.AnySectionHeld());
    }
    EXPECT_EQ(sync.LiveSections(), 0);
    EXPECT_TRUE(sync.Misuse().empty());
}

TEST_F(CriticalSectionTest, KeepsASecondThreadOutUntilLeftAndLetsItsHolderEnterAgain) {
    TCriticalSection section;
    section.Enter();
    section.Enter();  // recursive, as the system's
    std::atomic<bool> entered{false};
    std::thread other([&] {
        section.Enter();
        entered = true;
        section.Leave();
    });
    section.Leave();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(entered);  // still held once
    section.Leave();
    other.join();
    EXPECT_TRUE(entered);
    EXPECT_TRUE(sync.Misuse().empty());
}

}  // namespace
