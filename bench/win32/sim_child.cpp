// The simulator as a child process; see the header.
#include "bench/win32/sim_child.h"

#include <stdexcept>

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return windows;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

SimChild::SimChild(const std::string& exe, const std::string& args) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr;
    HANDLE childOut = nullptr;
    if (!CreatePipe(&childIn, &input_, &inherit, 0) ||
        !CreatePipe(&output_, &childOut, &inherit, 0))
        throw std::runtime_error("cannot make the simulator's pipes");
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = childOut;
    PROCESS_INFORMATION info = {};
    std::string command = "\"" + WindowsPath(exe) + "\" " + args;
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    // Only the child holds these ends now, so its end ends our reads.
    CloseHandle(childIn);
    CloseHandle(childOut);
    if (!started) {
        CloseHandle(input_);
        CloseHandle(output_);
        throw std::runtime_error("cannot start " + command);
    }
    process_ = info.hProcess;
    CloseHandle(info.hThread);
    reader_ = std::thread([this] { Read(); });
}

SimChild::~SimChild() {
    Send("quit");
    CloseHandle(input_);
    if (WaitForSingleObject(process_, 2000) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    stop_ = true;
    reader_.join();
    CloseHandle(output_);
}

void SimChild::Read() {
    // Looks before it reads: under wine a blocking ReadFile on the pipe was
    // seen to stay blocked after the child had ended, so the reader would
    // never return.
    std::string line;
    char buffer[1024];
    while (!stop_) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &waiting, nullptr)) return;
        if (waiting == 0) {
            Sleep(2);
            continue;
        }
        DWORD got = 0;
        if (!ReadFile(output_, buffer, sizeof buffer, &got, nullptr) || got == 0) return;
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

bool SimChild::Send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    return WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool SimChild::WaitFor(const std::string& wanted, DWORD ms) {
    return PumpUntil(
        [&] {
            std::lock_guard<std::mutex> hold(lock_);
            for (std::size_t i = consumed_; i < lines_.size(); ++i) {
                if (lines_[i] == wanted) {
                    consumed_ = i + 1;
                    return true;
                }
            }
            return false;
        },
        ms);
}

bool SimChild::Sync(DWORD ms) {
    const std::string token = "bench-sync-" + std::to_string(++syncs_);
    return Send("echo " + token) && WaitFor(token, ms);
}
