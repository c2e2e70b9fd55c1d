// The main thread's mailbox and the standard-input reader; see
// mailbox_win32.h.
#include "simulator/win32/mailbox_win32.h"

#include <utility>

namespace vtsim {

Mailbox::Mailbox() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

Mailbox::~Mailbox() {
    CloseHandle(event_);
}

void Mailbox::Post(std::string line) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        lines_.push_back(std::move(line));
    }
    SetEvent(event_);
}

void Mailbox::PostEnd() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        ended_ = true;
    }
    SetEvent(event_);
}

std::deque<std::string> Mailbox::Take(bool& ended) {
    std::lock_guard<std::mutex> hold(lock_);
    std::deque<std::string> taken;
    taken.swap(lines_);
    ended = ended_;
    ended_ = false;
    return taken;
}

namespace {

struct ReaderStart {
    HANDLE input;
    Mailbox* mailbox;
};

DWORD WINAPI ReadLines(LPVOID parameter) {
    const ReaderStart start = *static_cast<ReaderStart*>(parameter);
    delete static_cast<ReaderStart*>(parameter);
    // No exception may leave a thread procedure; a failed allocation just
    // ends the input.
    try {
        std::string line;
        char buffer[4096];
        DWORD got = 0;
        // Under wine a Linux pipe or file on standard input reads like a
        // Windows one; ReadFile fails (broken pipe) or returns 0 bytes at its end.
        while (ReadFile(start.input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            for (DWORD i = 0; i < got; ++i) {
                if (buffer[i] == '\n') {
                    start.mailbox->Post(std::move(line));
                    line.clear();
                } else {
                    line += buffer[i];
                }
            }
        }
        if (!line.empty()) start.mailbox->Post(std::move(line));
    } catch (...) {
    }
    start.mailbox->PostEnd();
    return 0;
}

}  // namespace

bool StartLineReader(HANDLE input, Mailbox& mailbox) {
    auto* start = new ReaderStart{input, &mailbox};
    HANDLE thread = CreateThread(nullptr, 0, &ReadLines, start, 0, nullptr);
    if (thread == nullptr) {
        delete start;
        return false;
    }
    CloseHandle(thread);
    return true;
}

}  // namespace vtsim
