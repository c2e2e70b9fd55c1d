// Kernel event objects of the serial driver: THandleObject (a handle that is
// closed with the object), TEvent (wait, set, reset) and TSimpleEvent (a
// manual-reset event, created clear). The serial component uses one as the
// completion event of its writes; the watcher uses one for its device waits
// and as its stop signal.
//
// Ownership: each object owns its handle and closes it in its destructor.
// Threads: SetEvent and WaitFor may be called from any thread; a
// manual-reset event stays signalled for every waiter until ResetEvent.
// Throws: nothing of its own (the seam must be installed: std::logic_error).
#pragma once

#include <cstdint>

#include "platform/sync.h"
#include "rtl/classes.h"

// The outcomes of a wait, in this order.
enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

class THandleObject : public TObject {
  public:
    ~THandleObject() override;

    std::uintptr_t Handle() const { return handle_; }
    // The system's error code of the last failed wait (or of a failed
    // creation); 0 until then.
    int LastError() const { return lastError_; }

  protected:
    THandleObject();

    ISync& sync_;
    std::uintptr_t handle_ = 0;
    int lastError_ = 0;
};

class TEvent : public THandleObject {
  public:
    // Timeout in milliseconds; kInfinite (0xFFFFFFFF) waits without limit.
    TWaitResult WaitFor(std::uint32_t Timeout);
    void SetEvent();
    void ResetEvent();

  protected:
    TEvent() = default;
};

class TSimpleEvent : public TEvent {
  public:
    // A manual-reset event, clear, without a name. The handle is kept as the
    // system gives it: a failed creation leaves 0 (waits then fail) and the
    // system's error code in LastError, for the owner to report.
    TSimpleEvent();
};
