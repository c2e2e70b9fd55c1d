// ChildProcess: see the header.
#include "child_process.h"

#include <algorithm>

void PumpMessages(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(ms - spent, 10), QS_ALLINPUT);
    }
}

std::string WinePath(const std::string& unixPath) {
    if (unixPath.empty() || unixPath[0] != '/') return unixPath;
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

ChildProcess::ChildProcess(const std::string& exe, const std::string& args) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &input_, &inherit, 0)) return;
    if (!CreatePipe(&output_, &childOut, &inherit, 0)) return;
    // Our ends stay ours.
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = childOut;
    PROCESS_INFORMATION info = {};
    std::string command = "\"" + exe + "\" " + args;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
        process_ = info.hProcess;
        CloseHandle(info.hThread);
    }
    // Only the child holds these now, so its end ends our reads.
    CloseHandle(childIn);
    CloseHandle(childOut);
    reader_ = std::thread([this] {
        std::string partial;
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(output_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            partial.append(buffer, got);
            size_t end;
            while ((end = partial.find('\n')) != std::string::npos) {
                std::string line = partial.substr(0, end);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                partial.erase(0, end + 1);
                std::lock_guard<std::mutex> hold(lock_);
                lines_.push_back(line);
            }
        }
    });
}

ChildProcess::~ChildProcess() {
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            Send("quit");
            if (WaitExit(5000) < 0) TerminateProcess(process_, 1);
        }
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
    }
    if (input_ != nullptr) CloseHandle(input_);
    if (reader_.joinable()) reader_.join();
    if (output_ != nullptr) CloseHandle(output_);
}

void ChildProcess::Send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool ChildProcess::WaitFor(const std::string& line, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            for (size_t i = waited_; i < lines_.size(); ++i) {
                if (lines_[i] == line) {
                    waited_ = i + 1;
                    return true;
                }
            }
        }
        if (GetTickCount() - start >= ms) return false;
        PumpMessages(5);
    }
}

std::vector<std::string> ChildProcess::Lines() {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
}

int ChildProcess::Count(const std::string& line) {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<int>(std::count(lines_.begin(), lines_.end(), line));
}

int ChildProcess::WaitExit(DWORD ms) {
    const DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &process_, FALSE, 10, QS_ALLINPUT) != WAIT_OBJECT_0) {
        PumpMessages(0);
        if (GetTickCount() - start >= ms) return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}
