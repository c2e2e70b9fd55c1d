// A child process for the DDE wine tests: started with pipes for its standard
// input and output, its output lines gathered by a reader thread. Waiting
// pumps the test thread's messages, because that thread's DDE instance is
// served through them. Test thread only (the reader thread only appends).
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Takes and dispatches the calling thread's messages for ms milliseconds.
void PumpMessages(DWORD ms);

// A build output's Linux path as a wine path on drive Z:.
std::string WinePath(const std::string& unixPath);

class ChildProcess {
  public:
    // Starts "exe args"; Started() tells whether it runs.
    ChildProcess(const std::string& exe, const std::string& args);
    // Ends the child if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    void Send(const std::string& line);
    // Pumps messages until a line equal to line appears after the lines
    // already waited past; false on time-out.
    bool WaitFor(const std::string& line, DWORD ms = 10000);
    std::vector<std::string> Lines();
    int Count(const std::string& line);
    // Pumps messages until the child ends; its exit code, or -1 on time-out.
    int WaitExit(DWORD ms = 10000);

  private:
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    std::thread reader_;
    std::mutex lock_;
    std::vector<std::string> lines_;
    size_t waited_ = 0;
};
