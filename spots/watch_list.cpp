#include "spots/watch_list.h"

#include <algorithm>

#include "rtl/text_fields.h"
#include "spots/call_sign.h"
#include "spots/spot_rows.h"

namespace {

constexpr std::size_t kMaxEntryLength = 12;

std::vector<std::string> EntriesOf(const std::string& text) {
    std::vector<std::string> entries;
    std::size_t from = 0;
    while ((from = text.find_first_not_of(" \t,", from)) != std::string::npos) {
        const std::size_t to = std::min(text.find_first_of(" \t,", from), text.size());
        entries.push_back(text.substr(from, to - from));
        from = to;
    }
    return entries;
}

bool IsGood(const std::string& entry) {
    if (entry.size() > kMaxEntryLength) return false;
    const bool prefix = entry.back() == '*';
    const std::size_t body = prefix ? entry.size() - 1 : entry.size();
    if (body == 0) return false;
    for (std::size_t i = 0; i < body; ++i)
        if (!IsCallCharacter(entry[i])) return false;
    return true;
}

bool HoldsLettersAndDigits(const std::string& part) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isLetter = [](char c) { return c >= 'A' && c <= 'Z'; };
    return std::any_of(part.begin(), part.end(), isDigit) &&
           std::any_of(part.begin(), part.end(), isLetter);
}

std::vector<std::string> PartsOf(const std::string& call) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t slash = call.find('/', from);
        parts.push_back(call.substr(from, slash - from));
        if (slash == std::string::npos) return parts;
        from = slash + 1;
    }
}

// The whole call (upper case), then the parts that count (see the header).
std::vector<std::string> CallAndParts(const std::string& call) {
    std::vector<std::string> candidates{call};
    if (call.find('/') == std::string::npos) return candidates;
    const std::vector<std::string> parts = PartsOf(call);
    std::size_t own = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (HoldsLettersAndDigits(parts[i]) &&
            (!HoldsLettersAndDigits(parts[own]) || parts[i].size() > parts[own].size()))
            own = i;
    }
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (i <= own || HoldsLettersAndDigits(parts[i])) candidates.push_back(parts[i]);
    return candidates;
}

}  // namespace

WatchList::WatchList(const std::string& text) {
    for (const std::string& entry : EntriesOf(text)) {
        if (!IsGood(entry)) continue;
        const bool prefix = entry.back() == '*';
        entries_.push_back({UpperCase(prefix ? entry.substr(0, entry.size() - 1) : entry), prefix});
    }
}

bool WatchList::Matches(const std::string& dxCall) const {
    if (entries_.empty()) return false;
    const std::vector<std::string> candidates = CallAndParts(UpperCase(dxCall));
    for (const Entry& entry : entries_) {
        for (const std::string& candidate : candidates) {
            if (entry.prefix ? candidate.compare(0, entry.call.size(), entry.call) == 0
                             : candidate == entry.call)
                return true;
        }
    }
    return false;
}

bool WatchList::MatchesRow(const std::string& row) const {
    if (entries_.empty()) return false;
    // A row that gives no spot (no frequency) is not watched; an empty call
    // matches no entry.
    return ReadFrequency(row) > 0 && Matches(ReadDxCall(row));
}

std::optional<std::string> WatchList::FirstBadEntry(const std::string& text) {
    for (const std::string& entry : EntriesOf(text))
        if (!IsGood(entry)) return entry;
    return std::nullopt;
}
