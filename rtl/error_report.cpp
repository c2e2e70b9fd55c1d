#include "rtl/error_report.h"

#include <cstdio>

#include "rtl/sysutils.h"

namespace ErrorReport {
namespace {

Handler& Current() {
    static Handler handler;
    return handler;
}

}  // namespace

Handler SetHandler(Handler handler) {
    Handler previous = std::move(Current());
    Current() = std::move(handler);
    return previous;
}

void Report(std::exception_ptr error) noexcept {
    try {
        if (Current()) {
            Current()(error);
            return;
        }
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "error: unknown exception\n");
    }
}

}  // namespace ErrorReport
