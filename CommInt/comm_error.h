// ECommError, the serial component's one exception, and the routine that
// raises every one of its failures: the step's text followed by
// " (Error: %d) " (a blank before the parenthesis and one at the end), with the
// system's error code or -1 where no system call failed.
#pragma once

#include <string>

#include "rtl/sysutils.h"

class ECommError : public Exception {
  public:
    ECommError(std::string message, int errorCode)
        : Exception(std::move(message)), errorCode_(errorCode) {}
    // The system error code that caused it, or -1.
    int ErrorCode() const noexcept { return errorCode_; }

  private:
    int errorCode_;
};

[[noreturn]] void RaiseCommError(const std::string& text, int errorCode);

class TSimpleEvent;
// Raises "Error creating event" with the system's code when the event could
// not be made (its handle is 0); an event without a handle would make every
// wait on it fail at once.
void CheckEventMade(const TSimpleEvent& event);
