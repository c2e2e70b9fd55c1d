// Messages of the runtime's exceptions and the printf-style formatter.
#include "rtl/sysutils.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string InOutErrorMessage(int code) {
    switch (code) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case 100:
            return "Read beyond end of file";
        case 101:
            return "Disk full";
        case 106:
            return "Invalid numeric input";
        default:
            return Format("I/O error %d", code);
    }
}

EInOutError::EInOutError(int code) : Exception(InOutErrorMessage(code)), code_(code) {}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        out.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(again);
    return out;
}
