// Queue of synchronised calls between the watcher threads and the main thread.
#include "rtl/main_thread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

struct Request {
    const std::function<void()>* call = nullptr;
    std::exception_ptr error;
    bool done = false;
};

struct Dispatcher {
    std::mutex mutex;
    std::condition_variable queued;    // a request was queued
    std::condition_variable finished;  // a request has run
    std::deque<Request*> requests;
    std::function<void()> wakeUp;
    std::thread::id mainId = std::this_thread::get_id();
};

Dispatcher& TheDispatcher() {
    static Dispatcher dispatcher;
    return dispatcher;
}

// Makes sure the dispatcher (and so the main thread's id) is set up while the
// program's statics are initialised, which happens on the main thread.
const bool initialised = (TheDispatcher(), true);

}  // namespace

namespace MainThread {

void SetCurrentAsMain() {
    Dispatcher& d = TheDispatcher();
    std::lock_guard<std::mutex> lock(d.mutex);
    d.mainId = std::this_thread::get_id();
}

bool IsMainThread() {
    Dispatcher& d = TheDispatcher();
    std::lock_guard<std::mutex> lock(d.mutex);
    return std::this_thread::get_id() == d.mainId;
}

void SetWakeUp(std::function<void()> wakeUp) {
    Dispatcher& d = TheDispatcher();
    std::lock_guard<std::mutex> lock(d.mutex);
    d.wakeUp = std::move(wakeUp);
}

void Synchronize(const std::function<void()>& call) {
    (void)initialised;
    if (IsMainThread()) {
        call();
        return;
    }
    Dispatcher& d = TheDispatcher();
    Request request;
    request.call = &call;
    std::function<void()> wakeUp;
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        d.requests.push_back(&request);
        wakeUp = d.wakeUp;
    }
    d.queued.notify_all();
    if (wakeUp) wakeUp();
    std::unique_lock<std::mutex> lock(d.mutex);
    d.finished.wait(lock, [&] { return request.done; });
    if (request.error) std::rethrow_exception(request.error);
}

bool CheckSynchronize(int timeoutMs) {
    Dispatcher& d = TheDispatcher();
    std::unique_lock<std::mutex> lock(d.mutex);
    if (d.requests.empty() && timeoutMs > 0) {
        d.queued.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return !d.requests.empty(); });
    }
    bool ran = false;
    while (!d.requests.empty()) {
        Request* request = d.requests.front();
        d.requests.pop_front();
        lock.unlock();
        try {
            (*request->call)();
        } catch (...) {
            request->error = std::current_exception();
        }
        lock.lock();
        request->done = true;
        d.finished.notify_all();
        ran = true;
    }
    return ran;
}

}  // namespace MainThread
