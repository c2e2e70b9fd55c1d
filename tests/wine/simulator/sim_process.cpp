// Child-process and DDE-client helpers of the simulator's wine tests; see
// sim_process.h.
#include "sim_process.h"

#include <gtest/gtest.h>

#include <string>

namespace simtest {

namespace {

DdeClient* g_client = nullptr;

}  // namespace

std::string SimulatorPath() {
    return WinePath(VTSIM_EXE);
}

std::string UniqueService() {
    static int serial = 0;
    return "VTsimTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
}

SimProcess::SimProcess(const std::string& args) : PipedChild(SimulatorPath(), args) {
    if (!Started()) ADD_FAILURE() << "cannot start " << Command() << ": " << GetLastError();
}

void SimProcess::Send(const std::string& line) {
    if (!PipedChild::Send(line)) ADD_FAILURE() << "cannot send '" << line << "' to the simulator";
}

DdeClient::DdeClient() {
    g_client = this;
    const UINT result = DdeInitializeA(&instance_, &DdeClient::Callback, APPCMD_CLIENTONLY, 0);
    EXPECT_EQ(result, static_cast<UINT>(DMLERR_NO_ERROR));
}

DdeClient::~DdeClient() {
    Disconnect();
    for (HSZ handle : strings_) DdeFreeStringHandle(instance_, handle);
    if (instance_ != 0) DdeUninitialize(instance_);
    if (g_client == this) g_client = nullptr;
}

HSZ DdeClient::String(const std::string& text) {
    HSZ handle = DdeCreateStringHandleA(instance_, text.c_str(), CP_WINANSI);
    strings_.push_back(handle);
    return handle;
}

std::string DdeClient::Bytes(HDDEDATA data) {
    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::string bytes(size, '\0');
    if (size > 0) DdeGetData(data, reinterpret_cast<LPBYTE>(&bytes[0]), size, 0);
    return bytes;
}

bool DdeClient::Connect(const std::string& service, const std::string& topic) {
    CONVCONTEXT context = {};
    context.cb = sizeof context;
    context.iCodePage = CP_WINANSI;
    conversation_ = DdeConnect(instance_, String(service), String(topic), &context);
    return conversation_ != nullptr;
}

void DdeClient::Disconnect() {
    if (conversation_ != nullptr) DdeDisconnect(conversation_);
    conversation_ = nullptr;
}

Answer DdeClient::Request(const std::string& item, UINT format, DWORD timeout) {
    Answer answer;
    HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation_, String(item), format,
                                         XTYP_REQUEST, timeout, nullptr);
    if (data == nullptr) {
        answer.error = DdeGetLastError(instance_);
    } else {
        answer.ok = true;
        answer.bytes = Bytes(data);
        DdeFreeDataHandle(data);
    }
    // wine follows a request's answer with a stray ACK that a request made
    // before returning to the loop would take as its own reply.
    Pump(30);
    return answer;
}

bool DdeClient::AdvStart(const std::string& item, bool hot) {
    const UINT type = hot ? XTYP_ADVSTART : (XTYP_ADVSTART | XTYPF_NODATA);
    const bool ok = DdeClientTransaction(nullptr, 0, conversation_, String(item), CF_TEXT, type,
                                         1000, nullptr) != nullptr;
    Pump(30);
    return ok;
}

bool DdeClient::AdvStop(const std::string& item) {
    const bool ok = DdeClientTransaction(nullptr, 0, conversation_, String(item), CF_TEXT,
                                         XTYP_ADVSTOP, 1000, nullptr) != nullptr;
    Pump(30);
    return ok;
}

bool DdeClient::Execute(const std::string& text) {
    const bool ok = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(text.c_str())),
                                         static_cast<DWORD>(text.size() + 1), conversation_,
                                         nullptr, CF_TEXT, XTYP_EXECUTE, 1000, nullptr) != nullptr;
    Pump(30);
    return ok;
}

bool DdeClient::WaitNotices(int count, DWORD ms) {
    const DWORD start = GetTickCount();
    while (notices_ < count) {
        if (GetTickCount() - start >= ms) return false;
        Pump(10);
    }
    return true;
}

HDDEDATA CALLBACK DdeClient::Callback(UINT type, UINT, HCONV conversation, HSZ, HSZ item,
                                      HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    if (type != XTYP_ADVDATA || g_client == nullptr) return nullptr;
    DdeClient& client = *g_client;
    ++client.notices_;
    if (data != nullptr) {
        client.notice_texts_.push_back(client.Bytes(data));
    } else {
        // A warm link's notice carries no data: one request, from here, as
        // the program does (wine mixes up requests made any other way).
        HDDEDATA answer = DdeClientTransaction(nullptr, 0, conversation, item, CF_TEXT,
                                               XTYP_REQUEST, 1000, nullptr);
        client.notice_texts_.push_back(answer != nullptr ? client.Bytes(answer) : "<none>");
        if (answer != nullptr) DdeFreeDataHandle(answer);
    }
    return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DDE_FACK));
}

}  // namespace simtest
