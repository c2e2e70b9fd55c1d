// An owned DDEML string handle (HSZ): made with CP_WINANSI on one instance,
// released with DdeFreeStringHandle exactly once, by Release or at the end
// of its owner. Not copyable; main thread only (DDEML binds an instance to
// the thread that made it). Nothing here throws.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ddeml.h"

class DdeStringHandle {
  public:
    DdeStringHandle() = default;
    ~DdeStringHandle() { Release(); }
    DdeStringHandle(const DdeStringHandle&) = delete;
    DdeStringHandle& operator=(const DdeStringHandle&) = delete;

    // Makes the handle of text (after releasing any held one). DDEML gives no
    // handle for an empty text; Get then stays 0.
    void Create(IDdeml& ddeml, std::uint32_t instance, const std::string& text);
    // Frees the handle if one is held.
    void Release();
    // Lets go of the handle without freeing it: the instance that made it has
    // ended, and with it every handle it gave.
    void Abandon() { handle_ = 0; }

    std::uintptr_t Get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

  private:
    IDdeml* ddeml_ = nullptr;
    std::uint32_t instance_ = 0;
    std::uintptr_t handle_ = 0;
};
