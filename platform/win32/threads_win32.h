// The Win32 thread-control calls behind IThreadControl.
#pragma once

#include "platform/threads.h"

class Win32ThreadControl : public IThreadControl {
  public:
    std::uintptr_t OpenCurrentThread() override;
    bool SetThreadPriority(std::uintptr_t thread, int priority) override;
    void CloseThread(std::uintptr_t thread) override;
};
