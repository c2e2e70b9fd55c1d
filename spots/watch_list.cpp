#include "spots/watch_list.h"

#include "rtl/text_fields.h"
#include "spots/call_parts.h"
#include "spots/call_sign.h"
#include "spots/entry_text.h"
#include "spots/spot_rows.h"

namespace {

constexpr std::size_t kMaxEntryLength = 12;

bool IsGood(const std::string& entry) {
    if (entry.size() > kMaxEntryLength) return false;
    const bool prefix = entry.back() == '*';
    const std::size_t body = prefix ? entry.size() - 1 : entry.size();
    if (body == 0) return false;
    for (std::size_t i = 0; i < body; ++i)
        if (!IsCallCharacter(entry[i])) return false;
    return true;
}

// The whole call (upper case), then the parts that count (see the header).
std::vector<std::string> CallAndParts(const std::string& call) {
    std::vector<std::string> candidates{call};
    if (call.find('/') == std::string::npos) return candidates;
    const std::vector<std::string> parts = CallParts(call);
    const std::size_t own = OwnCallIndex(parts);
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (i <= own || HoldsLettersAndDigits(parts[i])) candidates.push_back(parts[i]);
    return candidates;
}

}  // namespace

WatchList::WatchList(const std::string& text) {
    for (const std::string& entry : ListEntries(text)) {
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
    for (const std::string& entry : ListEntries(text))
        if (!IsGood(entry)) return entry;
    return std::nullopt;
}
