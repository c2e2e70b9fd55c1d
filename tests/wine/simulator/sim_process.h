// Test helpers for the simulator's wine tests: VTSim.exe started as a child
// process with pipes for its commands and its event lines, and a plain DDEML
// client. Both pump the test thread's messages while they wait, because the
// client's DDE notices arrive as messages. Test thread only.
#pragma once

// ddeml.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

#include <string>
#include <vector>

#include "tools/piped_child.h"

namespace simtest {

// Takes and dispatches the test thread's messages for `ms` milliseconds.
inline void Pump(DWORD ms) {
    PumpMessagesFor(ms);
}

// The simulator's path: the build's VTSim.exe, a Linux path turned into
// wine's drive Z:.
std::string SimulatorPath();

// A service name of this test process's own, so that tests running in
// parallel in the same wine prefix never reach each other's simulator.
std::string UniqueService();

// VTSim.exe started with ARGS; failing to start it or to send it a line
// fails the test (ADD_FAILURE).
class SimProcess : public PipedChild {
  public:
    explicit SimProcess(const std::string& args);
    void Send(const std::string& line);
};

struct Answer {
    bool ok = false;
    std::string bytes;  // every byte of the data handle, as DdeGetData gives them
    UINT error = 0;     // DdeGetLastError when not ok
};

// A DDEML client instance. Its callback has no context, so only the most
// recently made client counts notices.
class DdeClient {
  public:
    DdeClient();
    ~DdeClient();
    DdeClient(const DdeClient&) = delete;
    DdeClient& operator=(const DdeClient&) = delete;

    bool Connect(const std::string& service, const std::string& topic);
    void Disconnect();
    Answer Request(const std::string& item, UINT format = CF_TEXT, DWORD timeout = 1000);
    // Warm link (no data in the notices) unless `hot`.
    bool AdvStart(const std::string& item, bool hot = false);
    bool AdvStop(const std::string& item);
    bool Execute(const std::string& text);

    // Notices received so far; for each warm notice the client made one
    // request from the callback and kept its text.
    int Notices() const { return notices_; }
    const std::vector<std::string>& NoticeTexts() const { return notice_texts_; }
    // Pumps until Notices() reaches `count`; false on time-out.
    bool WaitNotices(int count, DWORD ms = 10000);

    DWORD instance() const { return instance_; }

  private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ hsz1,
                                      HSZ hsz2, HDDEDATA data, ULONG_PTR, ULONG_PTR);
    HSZ String(const std::string& text);
    std::string Bytes(HDDEDATA data);

    DWORD instance_ = 0;
    HCONV conversation_ = nullptr;
    std::vector<HSZ> strings_;
    int notices_ = 0;
    std::vector<std::string> notice_texts_;
};

}  // namespace simtest
