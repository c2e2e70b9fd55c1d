// The decoder simulator (VTSim.exe) as a child process of a benchmark: its
// commands go down a pipe to its standard input, its event lines come back
// up another and are collected by a reader thread.
//
// The benchmark's main thread owns it and calls everything but the reader;
// the destructor ends the child (a "quit" command, then TerminateProcess by
// its handle if it has not gone within two seconds). The constructor throws
// std::runtime_error when the program cannot be started.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A Linux path ("/...") as wine's drive Z: sees it; other paths unchanged.
std::string WindowsPath(const std::string& path);

class SimChild {
  public:
    SimChild(const std::string& exe, const std::string& args);
    ~SimChild();
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    // One command line; false when the pipe is gone.
    bool Send(const std::string& line);
    // Waits up to ms for an event line equal to `line` after the last one
    // waited for, taking this thread's window messages meanwhile.
    bool WaitFor(const std::string& line, DWORD ms);
    // Sends "echo TOKEN" and waits for it: every command before has run.
    bool Sync(DWORD ms);

  private:
    void Read();

    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread reader_;
    std::mutex lock_;
    std::vector<std::string> lines_;
    std::size_t consumed_ = 0;
    int syncs_ = 0;
};

// Dispatches every waiting message of this thread.
void PumpMessages();
// Dispatches messages until `done` says so or ms pass; whether it did.
template <class Done>
bool PumpUntil(Done done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        const DWORD waited = GetTickCount() - start;
        if (waited >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}
