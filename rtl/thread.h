// TThread: a thread object with a body, a terminate flag, a free-on-terminate
// flag and a priority. Created idle; Start runs the body on a new thread (a
// derived class that must run at once calls Start at the end of its own
// constructor, when the object is complete).
//
// Ownership: with FreeOnTerminate the thread deletes its object when the body
// and the termination notification have run; otherwise the creator deletes it,
// and the destructor first terminates and waits for the body. A derived class
// whose body may still run when it is deleted calls Terminate and WaitFor in
// its own destructor: by the time the base destructor runs, its parts are gone.
// Exceptions: one that escapes Execute is kept (FatalException), never thrown
// across the thread's end. Synchronize raises again what the call raised.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "rtl/classes.h"

enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// The system's value for a priority (THREAD_PRIORITY_*).
int ThreadPriorityValue(TThreadPriority priority);

class TThread : public TObject {
  public:
    TThread();
    ~TThread() override;

    void Start();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    bool Finished() const;
    // Waits until the body and the termination notification have run; on the
    // main thread it keeps running synchronised calls meanwhile. Not for a
    // thread that frees itself (its object may be gone).
    int WaitFor();

    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
    TThreadPriority Priority() const { return priority_; }
    void SetPriority(TThreadPriority priority);

    int ReturnValue() const { return returnValue_; }
    std::exception_ptr FatalException() const { return fatalException_; }

    TNotifyEvent OnTerminate;

  protected:
    // The body, run on the new thread.
    virtual void Execute() = 0;
    // The termination notification, run on the new thread after the body:
    // raises OnTerminate on the main thread.
    virtual void DoTerminate();
    // Runs the call on the main thread and waits for it.
    void Synchronize(const std::function<void()>& call);
    void SetReturnValue(int value) { returnValue_ = value; }

  private:
    void Run();

    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> freeOnTerminate_{false};
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    std::uintptr_t handle_ = 0;  // the thread's own handle, for its priority
    int returnValue_ = 0;
    std::exception_ptr fatalException_;

    mutable std::mutex mutex_;
    std::condition_variable finishedSignal_;
    bool finished_ = false;
    bool started_ = false;
};
