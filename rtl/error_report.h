// Where an exception goes that must not unwind any further: out of a Win32
// callback (window procedure, DDEML callback) or an event handler. The
// application frame installs its error report here at start-up; until then a
// report is written to standard error.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace ErrorReport {

using Handler = std::function<void(std::exception_ptr)>;

// Returns the previous handler.
Handler SetHandler(Handler handler);

// Hands the exception to the installed handler. Never throws.
void Report(std::exception_ptr error) noexcept;

// Runs the call and reports whatever escapes it; for the boundaries above.
template <class Call>
void Guard(Call&& call) noexcept {
    try {
        call();
    } catch (...) {
        Report(std::current_exception());
    }
}

}  // namespace ErrorReport
