// An OVERLAPPED record of the comm seam for the length of one scope. The
// owner of a record that a pending operation still uses must end that
// operation (cancel it and wait) before the scope closes; see the users.
#pragma once

#include <cstdint>

#include "platform/comm.h"
#include "rtl/sysutils.h"

class ScopedOverlapped {
  public:
    // A zeroed record whose hEvent is the given event. Throws Exception when
    // the record cannot be had (out of memory).
    ScopedOverlapped(IComm& comm, std::uintptr_t event)
        : comm_(comm), record_(comm.CreateOverlapped(event)) {
        if (record_ == 0) throw Exception("Out of memory");
    }
    ~ScopedOverlapped() { comm_.FreeOverlapped(record_); }
    ScopedOverlapped(const ScopedOverlapped&) = delete;
    ScopedOverlapped& operator=(const ScopedOverlapped&) = delete;

    std::uintptr_t Get() const { return record_; }

  private:
    IComm& comm_;
    std::uintptr_t record_;
};
