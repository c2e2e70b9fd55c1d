// Lines handed to the main thread by the standard-input reader thread, with
// an event the main loop waits on beside its message queue. Owned by the program's main function;
// Post and PostEnd from any thread, Take on the main thread. Never throws past std::bad_alloc.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>

namespace vtsim {

class Mailbox {
  public:
    Mailbox();
    ~Mailbox();
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    void Post(std::string line);
    // The sender has no more lines (standard input ended).
    void PostEnd();

    // Moves every waiting line out; `ended` tells whether PostEnd came since
    // the last call.
    std::deque<std::string> Take(bool& ended);

    HANDLE Event() const { return event_; }

  private:
    HANDLE event_;
    std::mutex lock_;
    std::deque<std::string> lines_;
    bool ended_ = false;
};

// Starts a detached thread that reads lines from `input` until it ends and
// posts each to `mailbox`, then PostEnd. The thread is never joined: it may
// sit in ReadFile until the process exits.
bool StartLineReader(HANDLE input, Mailbox& mailbox);

}  // namespace vtsim
