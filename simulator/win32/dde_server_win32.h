// The simulator's DDE server: registers the service, accepts conversations on
// its topic, links and requests on its one item, answers with the
// Controller's current text as CF_TEXT, and announces changes with
// DdePostAdvise. Events are printed through the EventLog; lines that arrive
// by DDE execute are handed to `execute_sink` (queued, never run inside the
// callback, so "quit" cannot uninitialize DDEML under its own callback).
// One instance per process (DDEML's callback carries no context). Created,
// called and destroyed on the main thread, which must pump messages.
// Start throws Exception when DDEML cannot be set up.
#pragma once

// ddeml.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

#include <functional>
#include <set>
#include <string>

#include "simulator/controller.h"
#include "simulator/event_log.h"
#include "simulator/options.h"

namespace vtsim {

class DdeServer {
  public:
    using LineSink = std::function<void(const std::string&)>;

    DdeServer(const Options& options, const Controller& controller, EventLog& log,
              LineSink execute_sink);
    ~DdeServer();
    DdeServer(const DdeServer&) = delete;
    DdeServer& operator=(const DdeServer&) = delete;

    void Start();
    // DdePostAdvise on the item; prints "notify" or "notify-failed".
    void PostAdvise();
    // Ends every conversation from this side and registers the service again;
    // returns how many ended. Throws like Start.
    int Hangup();
    // DdeUninitialize; ends every conversation. Safe to call twice.
    void Stop();

  private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ hsz1,
                                      HSZ hsz2, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
    HDDEDATA Handle(UINT type, UINT format, HCONV conversation, HSZ hsz1, HSZ hsz2, HDDEDATA data);
    HDDEDATA Answer();
    HDDEDATA WildConnect(HSZ topic, HSZ service);
    void Execute(HDDEDATA data);
    std::string Text(HSZ handle) const;
    bool Same(HSZ a, HSZ b) const { return DdeCmpStringHandles(a, b) == 0; }

    const Options& options_;
    const Controller& controller_;
    EventLog& log_;
    LineSink execute_sink_;
    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    HSZ item_ = nullptr;
    std::set<HCONV> conversations_;
};

}  // namespace vtsim
