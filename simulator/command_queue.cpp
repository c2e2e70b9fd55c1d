// The simulator's queue of control lines; see command_queue.h.
#include "simulator/command_queue.h"

namespace vtsim {

std::string CommandQueue::Pop() {
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
}

std::int64_t CommandQueue::WaitMs(std::int64_t now_ms) const {
    if (lines_.empty()) return -1;
    return now_ms >= resume_at_ ? 0 : resume_at_ - now_ms;
}

}  // namespace vtsim
