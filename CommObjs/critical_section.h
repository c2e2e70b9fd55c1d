// TCriticalSection: the serial component's write lock, a critical section of
// the system held inside the object (its record lives here, not on the heap).
//
// Ownership: the object owns the critical section from construction to
// destruction. Threads: Enter and Leave from any thread, paired on the same
// thread; the section is recursive, as the system's is. Throws: nothing of
// its own (the seam must be installed: std::logic_error).
#pragma once

#include "platform/sync.h"
#include "rtl/classes.h"

class TCriticalSection : public TObject {
  public:
    TCriticalSection();
    ~TCriticalSection() override;

    void Enter();
    void Leave();

  private:
    ISync& sync_;
    CriticalSectionRecord section_{};
};
