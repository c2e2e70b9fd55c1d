// A second, independent reading of whole numbers, written from the grammar
// rather than from the product's parser: validate the shape first, drop
// leading zeros, reject by digit count, and only then convert with the C
// library. A fuzzer compares the product's reading against it.
// Pure; any thread.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

namespace fuzz {

// Leading blanks, optional sign, "$" / "x" / "0x" (either case) for
// hexadecimal, at least one digit, nothing after; inside the 32-bit range.
inline bool ModelReadInteger(const std::string& text, std::int32_t& value) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    std::string rest = text.substr(first);
    bool negative = false;
    if (rest[0] == '+' || rest[0] == '-') {
        negative = rest[0] == '-';
        rest.erase(0, 1);
    }
    int base = 10;
    if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
        base = 16;
        rest.erase(0, 1);
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        base = 16;
        rest.erase(0, 2);
    }
    if (rest.empty()) return false;
    const std::string digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (rest.find_first_not_of(digits) != std::string::npos) return false;
    const std::size_t significant = rest.find_first_not_of('0');
    rest = significant == std::string::npos ? "0" : rest.substr(significant);
    if (rest.size() > (base == 16 ? 8u : 10u)) return false;
    const unsigned long long magnitude = std::strtoull(rest.c_str(), nullptr, base);
    if (magnitude > (negative ? 2147483648ULL : 2147483647ULL)) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<long long>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

}  // namespace fuzz
