// TThread over std::thread; the priority goes through the thread-control seam
// (SetThreadPriority on Windows), applied by the thread itself when it starts.
#include "rtl/thread.h"

#include <chrono>

#include "platform/seam.h"
#include "platform/threads.h"
#include "rtl/main_thread.h"

int ThreadPriorityValue(TThreadPriority priority) {
    switch (priority) {
        case TThreadPriority::tpIdle:
            return -15;
        case TThreadPriority::tpLowest:
            return -2;
        case TThreadPriority::tpLower:
            return -1;
        case TThreadPriority::tpNormal:
            return 0;
        case TThreadPriority::tpHigher:
            return 1;
        case TThreadPriority::tpHighest:
            return 2;
        case TThreadPriority::tpTimeCritical:
            return 15;
    }
    return 0;
}

TThread::TThread() = default;

TThread::~TThread() {
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        // Freed by its own thread at the end of the body.
        thread_.detach();
        return;
    }
    Terminate();
    WaitFor();
    thread_.join();
}

void TThread::Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (started_) return;
    started_ = true;
    thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
    if (Seam<IThreadControl>::Installed()) {
        IThreadControl& control = Seam<IThreadControl>::Get();
        std::lock_guard<std::mutex> lock(mutex_);
        handle_ = control.OpenCurrentThread();
        if (priority_ != TThreadPriority::tpNormal)
            control.SetThreadPriority(handle_, ThreadPriorityValue(priority_));
    }
    try {
        Execute();
    } catch (...) {
        fatalException_ = std::current_exception();
    }
    const bool freeThread = freeOnTerminate_;
    try {
        DoTerminate();
    } catch (...) {
        if (!fatalException_) fatalException_ = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (handle_ != 0 && Seam<IThreadControl>::Installed())
            Seam<IThreadControl>::Get().CloseThread(handle_);
        handle_ = 0;
        finished_ = true;
    }
    finishedSignal_.notify_all();
    if (freeThread) delete this;
}

bool TThread::Finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

void TThread::SetPriority(TThreadPriority priority) {
    std::lock_guard<std::mutex> lock(mutex_);
    priority_ = priority;
    if (handle_ != 0 && Seam<IThreadControl>::Installed())
        Seam<IThreadControl>::Get().SetThreadPriority(handle_, ThreadPriorityValue(priority));
}

int TThread::WaitFor() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!started_) return returnValue_;
    }
    if (MainThread::IsMainThread()) {
        // Keep serving the thread's synchronised calls, or it could never end.
        while (!Finished()) MainThread::CheckSynchronize(5);
    } else {
        std::unique_lock<std::mutex> lock(mutex_);
        finishedSignal_.wait(lock, [this] { return finished_; });
    }
    return returnValue_;
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Synchronize(const std::function<void()>& call) {
    MainThread::Synchronize(call);
}
