// The item link's text rules; see the header.
#include "dde/dde_text.h"

#include <algorithm>

std::string DdeDataText(const std::uint8_t* bytes, std::uint32_t size) {
    if (bytes == nullptr) return std::string();
    const std::uint8_t* end = std::find(bytes, bytes + size, std::uint8_t{0});
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(end - bytes));
}

std::vector<std::string> SplitDdeLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

std::string BlankControlChars(std::string text) {
    for (char& c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 1 && code <= 31) c = ' ';
    }
    return text;
}
