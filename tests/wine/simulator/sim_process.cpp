// Child-process and DDE-client helpers of the simulator's wine tests; see
// sim_process.h.
#include "sim_process.h"

#include <gtest/gtest.h>

#include <string>

namespace simtest {

namespace {

DdeClient* g_client = nullptr;

}  // namespace

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

std::string SimulatorPath() {
    std::string path = VTSIM_EXE;
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
    }
    return path;
}

std::string UniqueService() {
    static int serial = 0;
    return "VTsimTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
}

SimProcess::SimProcess(const std::string& args) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE child_in = nullptr, child_out = nullptr;
    if (!CreatePipe(&child_in, &input_, &inherit, 0) ||
        !CreatePipe(&output_, &child_out, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed: " << GetLastError();
        return;
    }
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_in;
    startup.hStdOutput = child_out;
    startup.hStdError = child_out;
    PROCESS_INFORMATION info = {};
    std::string command = "\"" + SimulatorPath() + "\" " + args;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
        process_ = info.hProcess;
        CloseHandle(info.hThread);
    } else {
        ADD_FAILURE() << "cannot start " << command << ": " << GetLastError();
    }
    // Only the child holds these ends now, so its exit ends our reads.
    CloseHandle(child_in);
    CloseHandle(child_out);
    reader_ = std::thread([this] { ReadOutput(); });
}

SimProcess::~SimProcess() {
    CloseInput();
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    if (reader_.joinable()) reader_.join();
    if (output_ != nullptr) CloseHandle(output_);
}

void SimProcess::ReadOutput() {
    std::string line;
    char buffer[1024];
    DWORD got = 0;
    while (ReadFile(output_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                std::lock_guard<std::mutex> hold(lock_);
                lines_.push_back(line);
                line.clear();
            } else if (buffer[i] != '\r') {
                line += buffer[i];
            }
        }
    }
}

void SimProcess::Send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    if (input_ == nullptr ||
        !WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        ADD_FAILURE() << "cannot send '" << line << "' to the simulator";
    }
}

void SimProcess::CloseInput() {
    if (input_ != nullptr) {
        CloseHandle(input_);
        input_ = nullptr;
    }
}

bool SimProcess::WaitFor(const std::string& wanted, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            for (std::size_t i = consumed_; i < lines_.size(); ++i) {
                if (lines_[i] == wanted) {
                    consumed_ = i + 1;
                    return true;
                }
            }
        }
        if (GetTickCount() - start >= ms) return false;
        Pump(10);
    }
}

bool SimProcess::Sync(DWORD ms) {
    const std::string token = "sync-" + std::to_string(++sync_count_);
    Send("echo " + token);
    return WaitFor(token, ms);
}

std::vector<std::string> SimProcess::Lines() {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
}

int SimProcess::Count(const std::string& wanted) {
    int count = 0;
    for (const auto& line : Lines()) count += line == wanted ? 1 : 0;
    return count;
}

int SimProcess::WaitExit(DWORD ms) {
    if (process_ == nullptr) return -1;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        if (GetTickCount() - start >= ms) return -1;
        Pump(10);
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
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
