// The simulator as a child process; see the header.
#include "bench/win32/sim_child.h"

#include <stdexcept>

SimChild::SimChild(const std::string& exe, const std::string& args) : PipedChild(exe, args) {
    if (!Started()) throw std::runtime_error("cannot start " + Command());
}
