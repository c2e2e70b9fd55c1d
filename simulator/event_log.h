// The simulator's event lines ("ready", "connect 590", "request ...", ...):
// one line each, to standard output and optionally appended to a log file,
// flushed at once so that a test reading them sees every event as it happens.
// Main thread only. Owns the log file.
#pragma once

#include <cstdio>
#include <string>

namespace vtsim {

class EventLog {
  public:
    explicit EventLog(std::FILE* out) : out_(out) {}
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Opens (appending) a file that also receives every line; false when it
    // cannot be opened.
    bool OpenFile(const std::string& file_name);

    void Print(const std::string& line);

  private:
    std::FILE* out_;
    std::FILE* file_ = nullptr;
};

}  // namespace vtsim
