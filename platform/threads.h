// Seam for the thread calls std::thread does not cover: a handle for the
// calling thread and its scheduling priority (THREAD_PRIORITY_* values).
#pragma once

#include <cstdint>

class IThreadControl {
  public:
    virtual ~IThreadControl() = default;
    // A handle of the calling thread, valid on any thread until CloseThread.
    virtual std::uintptr_t OpenCurrentThread() = 0;
    virtual bool SetThreadPriority(std::uintptr_t thread, int priority) = 0;
    virtual void CloseThread(std::uintptr_t thread) = 0;
};
