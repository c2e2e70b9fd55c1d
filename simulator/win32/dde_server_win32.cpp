// The simulator's DDEML server; see dde_server_win32.h.
#include "simulator/win32/dde_server_win32.h"

#include <vector>

#include "rtl/sysutils.h"

namespace vtsim {

namespace {

// DDEML's callback has no user pointer: the one server of the process.
DdeServer* g_server = nullptr;

}  // namespace

DdeServer::DdeServer(const Options& options, const Controller& controller, EventLog& log,
                     LineSink execute_sink)
    : options_(options),
      controller_(controller),
      log_(log),
      execute_sink_(std::move(execute_sink)) {}

DdeServer::~DdeServer() {
    Stop();
}

void DdeServer::Start() {
    g_server = this;
    const UINT result = DdeInitializeA(
        &instance_, &DdeServer::Callback,
        APPCLASS_STANDARD | CBF_FAIL_POKES | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0);
    if (result != DMLERR_NO_ERROR) {
        instance_ = 0;
        throw Exception(Format("DdeInitializeA failed (DMLERR 0x%x)", result));
    }
    service_ = DdeCreateStringHandleA(instance_, options_.service.c_str(), CP_WINANSI);
    topic_ = DdeCreateStringHandleA(instance_, options_.topic.c_str(), CP_WINANSI);
    item_ = DdeCreateStringHandleA(instance_, options_.item.c_str(), CP_WINANSI);
    if (service_ == nullptr || topic_ == nullptr || item_ == nullptr) {
        throw Exception(
            Format("DdeCreateStringHandleA failed (DMLERR 0x%x)", DdeGetLastError(instance_)));
    }
    if (DdeNameService(instance_, service_, nullptr, DNS_REGISTER) == nullptr) {
        throw Exception(Format("DdeNameService failed (DMLERR 0x%x)", DdeGetLastError(instance_)));
    }
}

void DdeServer::Stop() {
    if (instance_ == 0) return;
    // DdeUninitialize frees the string handles and ends every conversation.
    DdeUninitialize(instance_);
    instance_ = 0;
    service_ = topic_ = item_ = nullptr;
    conversations_.clear();
    if (g_server == this) g_server = nullptr;
}

void DdeServer::PostAdvise() {
    log_.Print(DdePostAdvise(instance_, topic_, item_) ? "notify" : "notify-failed");
}

int DdeServer::Hangup() {
    // wine 8.0's DdeDisconnect fails (error 0) for a server's side of a
    // conversation, so the server ends them all by leaving DDEML and
    // registering again; the service is back at once for new connects.
    const int open = static_cast<int>(conversations_.size());
    Stop();
    Start();
    log_.Print("hangup " + std::to_string(open));
    return open;
}

std::string DdeServer::Text(HSZ handle) const {
    if (handle == nullptr) return std::string();
    char buffer[256] = {};
    DdeQueryStringA(instance_, handle, buffer, sizeof buffer, CP_WINANSI);
    return buffer;
}

HDDEDATA CALLBACK DdeServer::Callback(UINT type, UINT format, HCONV conversation, HSZ hsz1,
                                      HSZ hsz2, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    if (g_server == nullptr) return nullptr;
    // Nothing may unwind into DDEML: a failure becomes an event line and a
    // refusal.
    try {
        return g_server->Handle(type, format, conversation, hsz1, hsz2, data);
    } catch (const std::exception& error) {
        g_server->log_.Print(std::string("error ") + error.what());
    } catch (...) {
        g_server->log_.Print("error unknown failure in the DDE callback");
    }
    return nullptr;
}

HDDEDATA DdeServer::Handle(UINT type, UINT format, HCONV conversation, HSZ hsz1, HSZ hsz2,
                           HDDEDATA data) {
    const Behaviour& behaviour = controller_.behaviour();
    switch (type) {
        case XTYP_CONNECT: {
            // hsz1 is the topic, hsz2 the service.
            const bool ok = !behaviour.refuse_connect && Same(hsz1, topic_) &&
                            (hsz2 == nullptr || Same(hsz2, service_));
            log_.Print((ok ? "connect " : "connect-refused ") + Text(hsz1));
            return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(ok ? TRUE : FALSE));
        }
        case XTYP_WILDCONNECT:
            return WildConnect(hsz1, hsz2);
        case XTYP_CONNECT_CONFIRM:
            conversations_.insert(conversation);
            return nullptr;
        case XTYP_DISCONNECT:
            conversations_.erase(conversation);
            log_.Print("disconnect");
            return nullptr;
        case XTYP_ADVSTART: {
            const bool ok = !behaviour.refuse_advise && Same(hsz1, topic_) && Same(hsz2, item_) &&
                            format == CF_TEXT;
            log_.Print((ok ? "advstart " : "advstart-refused ") + Text(hsz2));
            return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(ok ? TRUE : FALSE));
        }
        case XTYP_ADVSTOP:
            log_.Print("advstop " + Text(hsz2));
            return nullptr;
        case XTYP_REQUEST: {
            if (behaviour.refuse_request || !Same(hsz1, topic_) || !Same(hsz2, item_) ||
                format != CF_TEXT) {
                log_.Print("request-refused " + Text(hsz2));
                return nullptr;
            }
            log_.Print("request " + Text(hsz2));
            // A slow decoder: the answer leaves only after the delay, so a
            // client waiting less than that gives up first.
            if (behaviour.delay_ms > 0) Sleep(static_cast<DWORD>(behaviour.delay_ms));
            return Answer();
        }
        case XTYP_ADVREQ:
            if (!Same(hsz1, topic_) || !Same(hsz2, item_) || format != CF_TEXT) return nullptr;
            log_.Print("advreq " + Text(hsz2));
            return Answer();
        case XTYP_EXECUTE:
            Execute(data);
            return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DDE_FACK));
        default:
            return nullptr;
    }
}

HDDEDATA DdeServer::Answer() {
    const std::string bytes = controller_.Served();
    // DDEML copies the bytes; with nothing at all to send it still needs a
    // valid pointer.
    static BYTE nothing = 0;
    LPBYTE source =
        bytes.empty() ? &nothing : reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data()));
    return DdeCreateDataHandle(instance_, source, static_cast<DWORD>(bytes.size()), 0, item_,
                               CF_TEXT, 0);
}

HDDEDATA DdeServer::WildConnect(HSZ topic, HSZ service) {
    if (controller_.behaviour().refuse_connect) return nullptr;
    if ((topic != nullptr && !Same(topic, topic_)) ||
        (service != nullptr && !Same(service, service_))) {
        return nullptr;
    }
    HSZPAIR pairs[2] = {{service_, topic_}, {nullptr, nullptr}};
    log_.Print("wildconnect " + options_.topic);
    return DdeCreateDataHandle(instance_, reinterpret_cast<LPBYTE>(pairs), sizeof pairs, 0, nullptr,
                               CF_TEXT, 0);
}

void DdeServer::Execute(HDDEDATA data) {
    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::vector<char> bytes(size);
    if (size > 0) DdeGetData(data, reinterpret_cast<LPBYTE>(bytes.data()), size, 0);
    std::string line;
    // The command text ends at its zero byte or at the data's end, whichever
    // comes first; CR, LF and CR LF all end a line.
    for (char c : bytes) {
        if (c == '\0') break;
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                log_.Print("execute " + line);
                execute_sink_(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        log_.Print("execute " + line);
        execute_sink_(line);
    }
}

}  // namespace vtsim
