// The comparison is made on unsigned bytes: plain char is signed on x86, and a
// signed comparison would leave "vihjett\xE4" without its full stop.
#include "rtl/error_text.h"

std::string ErrorReportText(const std::string& message) {
    if (message.empty()) return message;
    const auto last = static_cast<unsigned char>(message.back());
    if (last > static_cast<unsigned char>('.')) return message + ".";
    return message;
}
