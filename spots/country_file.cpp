#include "spots/country_file.h"

#include <algorithm>
#include <utility>

#include "rtl/text_fields.h"
#include "spots/call_parts.h"
#include "spots/call_sign.h"

namespace {

constexpr std::size_t kFieldCount = 10;
// Far above any real entity number or zone; keeps the reading within int.
constexpr std::size_t kMaxDigits = 5;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

bool HoldsControlCharacters(const std::string& line) {
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) return true;
    }
    return false;
}

// A whole number of digits only, at most kMaxDigits of them.
std::optional<int> WholeNumber(const std::string& text) {
    if (text.size() > kMaxDigits || !AllDigits(text)) return std::nullopt;
    int value = 0;
    for (const char c : text) value = value * 10 + (c - '0');
    return value;
}

// A decimal number as the file writes places and offsets: "-114.23", "5.0", "0".
bool IsDecimal(const std::string& text) {
    std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    }
    return i == text.size() && digits > 0;
}

bool IsCallText(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (!IsCallCharacter(c)) return false;
    return true;
}

std::vector<std::string> BlankSeparated(const std::string& text) {
    std::vector<std::string> items;
    std::size_t from = 0;
    while ((from = text.find_first_not_of(" \t", from)) != std::string::npos) {
        std::size_t to = text.find_first_of(" \t", from);
        if (to == std::string::npos) to = text.size();
        items.push_back(text.substr(from, to - from));
        from = to;
    }
    return items;
}

}  // namespace

CountryFile CountryFile::Parse(const std::string& text) {
    CountryFile file;
    std::size_t from = 0;
    // A byte order mark, as an editor may leave it, is no part of the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) from = 3;
    int number = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        file.AddLine(line, ++number);
        from = end + 1;
    }
    return file;
}

void CountryFile::AddLine(const std::string& line, int number) {
    if (line.find_first_not_of(" \t") == std::string::npos) return;
    const auto broken = [&] { brokenLines_.push_back(number); };
    if (HoldsControlCharacters(line)) return broken();

    std::vector<std::string> fields;
    std::size_t from = 0;
    while (fields.size() + 1 < kFieldCount) {
        const std::size_t comma = line.find(',', from);
        if (comma == std::string::npos) return broken();
        fields.push_back(Trimmed(line.substr(from, comma - from), " \t"));
        from = comma + 1;
    }
    fields.push_back(Trimmed(line.substr(from), " \t"));

    std::string primary = fields[0];
    const bool dxccEntry = primary.empty() || primary[0] != '*';
    if (!dxccEntry) primary.erase(0, 1);
    primary = UpperCase(primary);
    const std::string& name = fields[1];
    const std::optional<int> dxcc = WholeNumber(fields[2]);
    if (!IsCallText(primary) || name.empty() || !dxcc || *dxcc == 0 || !WholeNumber(fields[4]) ||
        !WholeNumber(fields[5]) || !IsDecimal(fields[6]) || !IsDecimal(fields[7]) ||
        !IsDecimal(fields[8]))
        return broken();

    std::string& list = fields[9];
    if (list.empty() || list.back() != ';') return broken();
    list.pop_back();
    std::vector<std::pair<std::string, bool>> items;  // upper case; exact call or prefix
    for (const std::string& item : BlankSeparated(list)) {
        const bool exact = item[0] == '=';
        std::string body = item.substr(exact ? 1 : 0);
        body.erase(std::min(body.find_first_of("([<{~"), body.size()));
        if (!IsCallText(body)) return broken();
        items.emplace_back(UpperCase(body), exact);
    }
    if (items.empty()) return broken();

    // The whole line is good: only now does it count.
    Name& named = names_[*dxcc];
    if (named.text.empty() || (dxccEntry && !named.fromDxccEntry)) named = {name, dxccEntry};
    primaryPrefixes_.emplace(primary, *dxcc);
    for (auto& [body, exact] : items) {
        if (exact) {
            exactCalls_.emplace(std::move(body), *dxcc);
        } else {
            longestPrefix_ = std::max(longestPrefix_, body.size());
            prefixes_.emplace(std::move(body), *dxcc);
        }
    }
}

std::optional<int> CountryFile::DxccOf(const std::string& call) const {
    if (call.empty() || names_.empty()) return std::nullopt;
    const std::string upper = UpperCase(call);
    if (const auto exact = exactCalls_.find(upper); exact != exactCalls_.end())
        return exact->second;
    if (upper.find('/') == std::string::npos) return DxccOfText(upper);

    const std::vector<std::string> parts = CallParts(upper);
    const std::size_t own = OwnCallIndex(parts);
    std::string ownCall = parts[own];
    const std::string* shortest = nullptr;
    const auto consider = [&](const std::string& part) {
        if (!shortest || part.size() < shortest->size()) shortest = &part;
    };
    for (std::size_t i = 0; i < own; ++i)
        if (!parts[i].empty()) consider(parts[i]);
    for (std::size_t i = own + 1; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part == "MM" || part == "AM") return std::nullopt;
        if (part.size() == 1 && IsDigit(part[0])) {
            // The area digit is the last digit, with only letters after it.
            const std::size_t area = ownCall.find_last_of("0123456789");
            if (area == std::string::npos) continue;
            bool lettersAfter = true;
            for (std::size_t j = area + 1; j < ownCall.size(); ++j)
                lettersAfter = lettersAfter && IsLetter(ownCall[j]);
            if (lettersAfter) ownCall[area] = part[0];
        } else if (HoldsLettersAndDigits(part)) {
            consider(part);
        }
    }
    return DxccOfText(shortest ? *shortest : ownCall);
}

std::optional<int> CountryFile::DxccOfText(const std::string& text) const {
    if (const auto exact = exactCalls_.find(text); exact != exactCalls_.end()) return exact->second;
    // The maintainers' one rule for software: KG4 with a suffix of other than
    // two letters is a station in the United States, not Guantanamo.
    if (text.size() > 3 && text.compare(0, 3, "KG4") == 0 &&
        !(text.size() == 5 && IsLetter(text[3]) && IsLetter(text[4]))) {
        if (const auto usa = primaryPrefixes_.find("K"); usa != primaryPrefixes_.end())
            return usa->second;
    }
    std::string key;
    for (std::size_t length = std::min(longestPrefix_, text.size()); length > 0; --length) {
        key.assign(text, 0, length);
        if (const auto prefix = prefixes_.find(key); prefix != prefixes_.end())
            return prefix->second;
    }
    return std::nullopt;
}

const std::string* CountryFile::NameOf(int dxcc) const {
    const auto name = names_.find(dxcc);
    return name == names_.end() ? nullptr : &name->second.text;
}

std::optional<int> CountryFile::DxccOfPrimaryPrefix(const std::string& prefix) const {
    const auto entry = primaryPrefixes_.find(UpperCase(prefix));
    if (entry == primaryPrefixes_.end()) return std::nullopt;
    return entry->second;
}
