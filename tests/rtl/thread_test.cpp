#include "rtl/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "rtl/main_thread.h"

namespace {

// Hands a value to the main thread and notes what came back.
class Worker : public TThread {
  public:
    std::atomic<int> mainThreadCalls{0};
    bool sawMainThread = false;
    std::string caught;
    bool throwOnMain = false;

  protected:
    void Execute() override {
        try {
            Synchronize([this] {
                sawMainThread = MainThread::IsMainThread();
                ++mainThreadCalls;
                if (throwOnMain) throw Exception("from the main thread");
            });
        } catch (const Exception& e) {
            caught = e.Message();
        }
        SetReturnValue(7);
    }
};

TEST(Thread, SynchronisedCallRunsOnTheMainThreadWhileItWaits) {
    Worker worker;
    worker.Start();
    EXPECT_EQ(worker.WaitFor(), 7);  // pumps the queue while waiting
    EXPECT_EQ(worker.mainThreadCalls, 1);
    EXPECT_TRUE(worker.sawMainThread);
    EXPECT_TRUE(worker.caught.empty());
}

TEST(Thread, ExceptionOfTheSynchronisedCallIsRaisedAgainInTheThread) {
    Worker worker;
    worker.throwOnMain = true;
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(worker.caught, "from the main thread");
}

TEST(Thread, SynchronisedCallWaitsForTheMainLoop) {
    Worker worker;
    std::atomic<bool> woken{false};
    MainThread::SetWakeUp([&] { woken = true; });
    worker.Start();
    while (!woken) std::this_thread::yield();
    EXPECT_EQ(worker.mainThreadCalls, 0);  // queued, not yet run
    while (!MainThread::CheckSynchronize(10)) {
    }
    worker.WaitFor();
    MainThread::SetWakeUp(nullptr);
    EXPECT_EQ(worker.mainThreadCalls, 1);
}

class Thrower : public TThread {
  protected:
    void Execute() override { throw std::runtime_error("body failed"); }
};

TEST(Thread, EscapingExceptionIsKeptNotThrown) {
    Thrower t;
    t.Start();
    t.WaitFor();
    ASSERT_TRUE(t.FatalException());
    EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::runtime_error);
}

class SelfFreeing : public TThread {
  public:
    explicit SelfFreeing(std::atomic<bool>* gone) : gone_(gone) { SetFreeOnTerminate(true); }
    ~SelfFreeing() override { *gone_ = true; }

  protected:
    void Execute() override {
        while (!Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

  private:
    std::atomic<bool>* gone_;
};

TEST(Thread, FreeOnTerminateDeletesItselfAndRaisesOnTerminateOnTheMainThread) {
    std::atomic<bool> gone{false};
    std::atomic<bool> terminateOnMain{false};
    auto* t = new SelfFreeing(&gone);
    t->OnTerminate = [&](TObject*) { terminateOnMain = MainThread::IsMainThread(); };
    t->Start();
    t->Terminate();
    while (!gone) MainThread::CheckSynchronize(5);
    EXPECT_TRUE(terminateOnMain);
}

TEST(Thread, TerminateEndsALoopingBodyAndWaitForReturnsAfterIt) {
    std::atomic<bool> ended{false};
    {
        class Loop : public TThread {
          public:
            explicit Loop(std::atomic<bool>* ended) : ended_(ended) {}
            ~Loop() override {
                Terminate();
                WaitFor();
            }
            std::atomic<bool>* ended_;

          protected:
            void Execute() override {
                while (!Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                *ended_ = true;
            }
        } loop(&ended);
        loop.Start();
    }
    EXPECT_TRUE(ended);
}

}  // namespace
