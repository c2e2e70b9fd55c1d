// The decoder simulator (VTSim.exe) as a child process of a benchmark, on
// the shared piped-child helper. The constructor throws std::runtime_error
// when the program cannot be started.
#pragma once

#include <string>

#include "tools/piped_child.h"

class SimChild : public PipedChild {
  public:
    SimChild(const std::string& exe, const std::string& args);
};
