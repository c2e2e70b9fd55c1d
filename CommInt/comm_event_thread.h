// TCommEventThread: the serial component's watcher. While a port is open it
// waits on the device for the chosen line events and hands each one to the
// main thread, where the component turns it into its On... events.
//
// Threads: the constructor, Stop and OnCommEvent run on the main thread; the
// body (Execute) runs on the watcher's own thread, at above-normal priority.
// Ownership: the watcher frees itself when its body ends (free-on-terminate);
// nobody else deletes it. Its end is recorded in a TCommWatcherEnd that the
// component keeps (shared), so the component can tell, on the main thread,
// whether the watcher still exists. The watcher owns its events.
// Throws: the constructor, ECommError "Error creating event" when an event
// cannot be made (the thread is then not started); an exception raised by
// OnCommEvent is raised again on the watcher's thread and ends the body (kept
// as the thread's FatalException).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "CommInt/comm_types.h"
#include "CommObjs/events.h"
#include "platform/comm.h"
#include "rtl/thread.h"

// The main thread's view of one watcher's end; outlives the watcher. Read and
// written on the main thread only (the watcher reaches it through hand-overs),
// apart from gone, portLock and portClosed.
struct TCommWatcherEnd {
    // The body has ended and the watcher is about to go; do not touch it.
    bool ended = false;
    // Set by the watcher's destructor when it has freed its events: from then
    // on the watcher makes no more system calls.
    std::atomic<bool> gone{false};
    // The main thread is inside one of this watcher's hand-overs.
    bool handingOver = false;
    // A port handle to close once the watcher has ended (set by a Close that
    // could not wait for it).
    std::uintptr_t portToClose = kInvalidHandleValue;
    // Held by the watcher for each of its calls on the port, and by a Close
    // that closes the port before the watcher has ended (its wait for the end
    // ran out), which sets portClosed: from then on the watcher leaves the
    // port alone, since the number may already name another device.
    std::mutex portLock;
    bool portClosed = false;
};

class TCommEventThread : public TThread {
  public:
    using TCommEvent = std::function<void(TObject* Sender, std::uint32_t Mask)>;

    // After this many idle passes in a row (the device wait failed, brought
    // nothing, or completed at once), the watcher pauses on its stop signal
    // for kIdlePauseMs before the next pass.
    static constexpr int kIdlePassesBeforePause = 3;
    static constexpr std::uint32_t kIdlePauseMs = 50;
    // While a device wait is on, how often the watcher looks for Stop.
    static constexpr std::uint32_t kStopPollMs = 10;

    // Sets the device's event mask for Events and starts the thread at once.
    // Raises "Error creating event" (not started) when an event fails.
    TCommEventThread(std::uintptr_t ComHandle, TCommEventTypes Events);
    ~TCommEventThread() override;

    // Sets the terminate flag, then signals the stop event; does not wait.
    void Stop();

    std::shared_ptr<TCommWatcherEnd> EndRecord() const { return end_; }

    // Called on the main thread for each event, with the watcher as Sender
    // and the device's event mask. Empty until the component assigns it.
    TCommEvent OnCommEvent;

  protected:
    void Execute() override;

  private:
    void HandOver();
    // Runs call (which acts on the port) unless Close has closed the port
    // under the watcher; false then.
    template <class Call>
    bool OnPort(const Call& call);
    void EndPendingWait(std::uintptr_t overlapped);

    IComm& comm_;
    std::uintptr_t comHandle_;
    std::unique_ptr<TSimpleEvent> event_;  // the device wait's: signalled by the system only
    std::unique_ptr<TSimpleEvent> stop_;   // Stop's
    std::uint32_t eventMask_ = 0;
    std::shared_ptr<TCommWatcherEnd> end_;
};
