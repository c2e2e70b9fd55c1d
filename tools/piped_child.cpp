// A child process on pipes; see the header.
#include "tools/piped_child.h"

#include <algorithm>

std::string WinePath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PumpMessagesFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

PipedChild::PipedChild(const std::string& exe, const std::string& args)
    : command_("\"" + WinePath(exe) + "\" " + args) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr;
    HANDLE childOut = nullptr;
    if (!CreatePipe(&childIn, &input_, &inherit, 0)) return;
    if (!CreatePipe(&output_, &childOut, &inherit, 0)) {
        CloseHandle(childIn);
        CloseHandle(input_);
        input_ = nullptr;
        return;
    }
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
    std::string command = command_;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
        process_ = info.hProcess;
        CloseHandle(info.hThread);
    }
    // Only the child holds these ends now, so its end ends our reads.
    CloseHandle(childIn);
    CloseHandle(childOut);
    reader_ = std::thread([this] { Read(); });
}

PipedChild::~PipedChild() {
    if (process_ != nullptr) {
        if (input_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) Send("quit");
        if (WaitExit(5000) < 0) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    CloseInput();
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (output_ != nullptr) CloseHandle(output_);
}

void PipedChild::Read() {
    ReadLines();
    drained_ = true;
}

void PipedChild::ReadLines() {
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

bool PipedChild::Send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    return input_ != nullptr &&
           WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

void PipedChild::CloseInput() {
    if (input_ != nullptr) {
        CloseHandle(input_);
        input_ = nullptr;
    }
}

bool PipedChild::WaitFor(const std::string& wanted, DWORD ms) {
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

bool PipedChild::Sync(DWORD ms) {
    const std::string token = "sync-" + std::to_string(++syncs_);
    return Send("echo " + token) && WaitFor(token, ms);
}

std::vector<std::string> PipedChild::Lines() {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
}

int PipedChild::Count(const std::string& wanted) {
    const std::vector<std::string> lines = Lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), wanted));
}

int PipedChild::WaitExit(DWORD ms) {
    if (process_ == nullptr) return -1;
    if (!PumpUntil([&] { return WaitForSingleObject(process_, 0) != WAIT_TIMEOUT; }, ms)) return -1;
    // What it printed before it ended is read to the end, so that Lines()
    // holds all of it (bounded: a grandchild may still hold the pipe).
    PumpUntil([&] { return drained_.load(); }, 1000);
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}
