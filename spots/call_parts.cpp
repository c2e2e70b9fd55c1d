#include "spots/call_parts.h"

#include <algorithm>

std::vector<std::string> CallParts(const std::string& call) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t slash = call.find('/', from);
        parts.push_back(call.substr(from, slash - from));
        if (slash == std::string::npos) return parts;
        from = slash + 1;
    }
}

bool HoldsLettersAndDigits(const std::string& part) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isLetter = [](char c) { return c >= 'A' && c <= 'Z'; };
    return std::any_of(part.begin(), part.end(), isDigit) &&
           std::any_of(part.begin(), part.end(), isLetter);
}

std::size_t OwnCallIndex(const std::vector<std::string>& parts) {
    std::size_t own = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (HoldsLettersAndDigits(parts[i]) &&
            (!HoldsLettersAndDigits(parts[own]) || parts[i].size() > parts[own].size()))
            own = i;
    }
    return own;
}
