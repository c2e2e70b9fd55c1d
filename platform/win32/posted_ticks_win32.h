// PostedTicks: periodic ticks that reach a window as posted messages, not as
// WM_TIMER. Windows makes a WM_TIMER only when no posted message waits, so a
// telnet client that keeps sending held back every timer for as long as it
// sent: WSAAsyncSelect posts FD_READ again after each recv that leaves data,
// and the queue was never empty. A posted tick queues behind what is already
// posted and takes its turn, in whichever loop dispatches (a message box's
// too).
//
// A timer of the system's timer queue posts the message from a pool thread;
// at most one message per timer waits, so a loop held up for a while finds
// one tick, not a backlog. (A tick taken off the queue and not dispatched
// would silence its timer: every loop of the program dispatches what it
// takes.) Each start has a serial number of its own, carried in the message:
// a tick posted before Stop, or before the id was started again, is told
// apart by Take and dropped.
//
// Owned by the window's owner and used on the window's thread only. Stop and
// the destructor wait for a callback under way, so none runs after them (nor
// against freed memory); the callback only posts. Nothing here throws but
// std::bad_alloc from Start.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

struct PostedTickTimer;

class PostedTicks {
  public:
    // `message` is the one the window procedure hands to Take.
    explicit PostedTicks(unsigned message);
    ~PostedTicks();
    PostedTicks(const PostedTicks&) = delete;
    PostedTicks& operator=(const PostedTicks&) = delete;

    // Posts (message, id, serial) to `window` (an HWND) about every
    // `intervalMs`, the first after one interval; a timer already started
    // with that id is stopped first. False when the system gives no timer.
    bool Start(void* window, std::uintptr_t id, std::uint32_t intervalMs);
    // Nothing for an id not started.
    void Stop(std::uintptr_t id);
    void StopAll();
    // For the window procedure, with the message's wParam and lParam: true
    // when the tick belongs to a timer still started (the caller runs it);
    // from here on the timer may post its next tick.
    bool Take(std::uintptr_t wParam, std::intptr_t lParam);

  private:
    unsigned message_;
    std::intptr_t lastSerial_ = 0;
    std::map<std::uintptr_t, std::unique_ptr<PostedTickTimer>> timers_;
};
