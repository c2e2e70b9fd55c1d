// The smallest DDE client the latency benchmark compares the program with:
// straight DDEML calls, one conversation, synchronous requests, and a warm
// link whose every notice is answered by one request made from the callback
// (the one way wine's DDEML serves cleanly, see DESIGN.md), each timed.
//
// One per thread at a time (DDEML's callback has no context; the instance
// in use is kept in a per-thread slot). Main thread only; nothing throws.
#pragma once

// ddeml.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

#include <string>
#include <vector>

class BareDdeClient {
  public:
    BareDdeClient();
    ~BareDdeClient();
    BareDdeClient(const BareDdeClient&) = delete;
    BareDdeClient& operator=(const BareDdeClient&) = delete;

    bool Connect(const std::string& service, const std::string& topic);
    // One synchronous CF_TEXT request; the text up to its zero byte, false on
    // failure.
    bool Request(const std::string& item, std::string* text);
    // A warm link: notices without data, each answered by a request.
    bool AdvStart(const std::string& item);

    struct Notice {
        double arrived = 0;   // the notice reached the callback
        double answered = 0;  // its request returned
        bool ok = false;
    };
    const std::vector<Notice>& Notices() const { return notices_; }

  private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ hsz1,
                                      HSZ hsz2, HDDEDATA data, ULONG_PTR, ULONG_PTR);
    HSZ String(const std::string& text);

    DWORD instance_ = 0;
    HCONV conversation_ = nullptr;
    HSZ item_ = nullptr;
    std::vector<HSZ> strings_;
    std::vector<Notice> notices_;
};
