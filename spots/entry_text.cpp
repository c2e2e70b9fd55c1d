#include "spots/entry_text.h"

#include <algorithm>

std::vector<std::string> ListEntries(const std::string& text) {
    std::vector<std::string> entries;
    std::size_t from = 0;
    while ((from = text.find_first_not_of(" \t,", from)) != std::string::npos) {
        const std::size_t to = std::min(text.find_first_of(" \t,", from), text.size());
        entries.push_back(text.substr(from, to - from));
        from = to;
    }
    return entries;
}
