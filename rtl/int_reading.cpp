// Integer reading. The magnitude is gathered in 64 bits and checked against
// the limit of its sign after every digit, so that any number of digits,
// leading zeros included, can neither overflow nor slip past the range test.
#include "rtl/int_reading.h"

#include "rtl/sysutils.h"

namespace {

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Parse(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    if (i == n) return false;  // no digit at all ("", "+", "$", "0x")
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    const int base = hex ? 16 : 10;
    std::int64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

std::int32_t ReadInteger(const std::string& text, bool* ok) {
    std::int32_t value = 0;
    const bool read = Parse(text, value);
    if (ok != nullptr) *ok = read;
    return read ? value : 0;
}

std::int32_t StrToInt(const std::string& text) {
    std::int32_t value = 0;
    // Concatenated rather than formatted: the text may hold any byte, a zero too.
    if (!Parse(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}
