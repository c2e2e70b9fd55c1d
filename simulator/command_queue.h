// Control lines waiting to run, in arrival order (script lines first, then
// standard input and DDE executes), and the pause a "sleep" puts on them.
// The main loop asks how long it may wait for messages before the next line
// is due, so DDE keeps being served while a script sleeps. Portable; times
// are milliseconds on any monotonic clock the caller chooses; main thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace vtsim {

class CommandQueue {
  public:
    void Push(std::string line) { lines_.push_back(std::move(line)); }
    bool Empty() const { return lines_.empty(); }

    // Holds every line back until `now_ms + ms`.
    void PauseFor(std::int64_t now_ms, int ms) { resume_at_ = now_ms + ms; }

    // True when a line is waiting and no pause holds it back.
    bool Ready(std::int64_t now_ms) const { return !lines_.empty() && now_ms >= resume_at_; }

    // The next line; call only when Ready.
    std::string Pop();

    // How long the caller may wait before a line is due: 0 when one is due
    // now, -1 when none is waiting (wait for input), else the rest of the pause.
    std::int64_t WaitMs(std::int64_t now_ms) const;

  private:
    std::deque<std::string> lines_;
    std::int64_t resume_at_ = 0;
};

}  // namespace vtsim
