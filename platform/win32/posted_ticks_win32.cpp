// Timer-queue timers whose callbacks post one coalesced tick message each;
// see the header.
#include "platform/win32/posted_ticks_win32.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

// Shared with the pool thread that runs the callback: nothing in it changes
// while the timer exists, except `waiting`.
struct PostedTickTimer {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM id = 0;
    LPARAM serial = 0;
    HANDLE handle = nullptr;
    // A tick is posted and not yet taken.
    std::atomic<bool> waiting{false};
};

namespace {

VOID CALLBACK PostTick(PVOID parameter, BOOLEAN /*timedOut*/) {
    auto* timer = static_cast<PostedTickTimer*>(parameter);
    if (timer->waiting.exchange(true)) return;
    // A full queue (or a window gone): the next period tries again.
    if (!PostMessageA(timer->window, timer->message, timer->id, timer->serial))
        timer->waiting = false;
}

}  // namespace

PostedTicks::PostedTicks(unsigned message) : message_(message) {}

PostedTicks::~PostedTicks() {
    StopAll();
}

bool PostedTicks::Start(void* window, std::uintptr_t id, std::uint32_t intervalMs) {
    Stop(id);
    auto timer = std::make_unique<PostedTickTimer>();
    timer->window = static_cast<HWND>(window);
    timer->message = message_;
    timer->id = id;
    timer->serial = ++lastSerial_;
    // A period of 0 would make a one-shot timer; SetTimer takes 0 as its
    // minimum too.
    const DWORD period = std::max<DWORD>(intervalMs, USER_TIMER_MINIMUM);
    if (!CreateTimerQueueTimer(&timer->handle, nullptr, PostTick, timer.get(), period, period,
                               WT_EXECUTEDEFAULT))
        return false;
    timers_[id] = std::move(timer);
    return true;
}

void PostedTicks::Stop(std::uintptr_t id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return;
    std::unique_ptr<PostedTickTimer> timer = std::move(found->second);
    timers_.erase(found);
    // INVALID_HANDLE_VALUE: returns once a callback under way has ended.
    // Should the system refuse, a callback may still come: the timer's
    // memory is then left to it rather than freed under it.
    if (!DeleteTimerQueueTimer(nullptr, timer->handle, INVALID_HANDLE_VALUE)) timer.release();
}

void PostedTicks::StopAll() {
    while (!timers_.empty()) Stop(timers_.begin()->first);
}

bool PostedTicks::Take(std::uintptr_t wParam, std::intptr_t lParam) {
    const auto found = timers_.find(wParam);
    if (found == timers_.end() || found->second->serial != lParam) return false;
    found->second->waiting = false;
    return true;
}
