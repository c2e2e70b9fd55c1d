// A child process with pipes for its standard input and output, its output
// lines collected by a reader thread: how the wine tests and the benchmarks
// drive the decoder simulator and their probe programs.
//
// The owning thread calls everything (the reader only appends). Waiting
// takes that thread's window messages meanwhile, because its DDE instance is
// served through them. The destructor ends the child: "quit" when its input
// is still open, then TerminateProcess if it has not gone within 5 s.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A Linux path ("/...") as wine's drive Z: sees it; other paths unchanged.
std::string WinePath(const std::string& path);

// Dispatches every waiting message of this thread.
void PumpMessages();
// Dispatches this thread's messages for ms milliseconds.
void PumpMessagesFor(DWORD ms);
// Dispatches messages until `done` says so or ms pass; whether it did.
template <class Done>
bool PumpUntil(Done done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

class PipedChild {
  public:
    // Starts "exe args" (exe given as a Linux or Windows path); Started()
    // tells whether it runs.
    PipedChild(const std::string& exe, const std::string& args);
    ~PipedChild();
    PipedChild(const PipedChild&) = delete;
    PipedChild& operator=(const PipedChild&) = delete;

    bool Started() const { return process_ != nullptr; }
    const std::string& Command() const { return command_; }

    // One command line; false when the pipe is gone.
    bool Send(const std::string& line);
    void CloseInput();
    // Waits until a line equal to `line` comes after the last one waited
    // for; the lines before it are passed too. False on time-out.
    bool WaitFor(const std::string& line, DWORD ms = 10000);
    // Sends "echo TOKEN" and waits for it: every command before has run and
    // every line printed before it has arrived.
    bool Sync(DWORD ms = 10000);

    // Every line so far, waited past or not.
    std::vector<std::string> Lines();
    int Count(const std::string& line);

    // Waits for the child to end and its output to be read; its exit code,
    // or -1 on time-out.
    int WaitExit(DWORD ms = 10000);

  private:
    void Read();
    void ReadLines();

    std::string command_;
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<bool> drained_{false};
    std::thread reader_;
    std::mutex lock_;
    std::vector<std::string> lines_;
    std::size_t consumed_ = 0;
    int syncs_ = 0;
};
