#include "spots/country_watch.h"

#include <algorithm>

#include "spots/entry_text.h"

std::optional<std::string> FirstUnknownEntry(const CountryFile& countries,
                                             const std::string& text) {
    for (const std::string& entry : ListEntries(text))
        if (!countries.DxccOfPrimaryPrefix(entry)) return entry;
    return std::nullopt;
}

CountryWatch::CountryWatch(const CountryFile& countries, const std::string& text) {
    for (const std::string& entry : ListEntries(text))
        if (const std::optional<int> dxcc = countries.DxccOfPrimaryPrefix(entry))
            watched_.push_back(*dxcc);
    std::sort(watched_.begin(), watched_.end());
    watched_.erase(std::unique(watched_.begin(), watched_.end()), watched_.end());
}

bool CountryWatch::Matches(int dxcc) const {
    return std::binary_search(watched_.begin(), watched_.end(), dxcc);
}
