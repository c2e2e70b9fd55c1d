// Fuzzes the country file's reading and a call's country on any file: the
// calls asked are the file's own lines, its items and a few slices of it.
// Whatever the answer, it must be a number the file knows and names, the same
// when asked again and in either case. What a good line says must be found:
// its primary prefix, its exact calls, its prefixes without "/". The watched
// countries are read from the file's text and from its primary prefixes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "spots/country_file.h"
#include "spots/country_watch.h"
#include "spots/entry_text.h"

namespace {

constexpr std::size_t kMaxAsked = 400;  // calls asked per input, to keep runs fast

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return text;
}

std::string Trim(const std::string& text) {
    const std::size_t from = text.find_first_not_of(" \t");
    if (from == std::string::npos) return std::string();
    return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

// The lines as the file's rules cut them: a byte order mark dropped, LF or
// CR LF ends, a last line without its end kept.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        from = end + 1;
    }
    return lines;
}

// A good line's primary prefix (without "*") and its items split into exact
// calls and prefixes, overrides cut off.
struct LineItems {
    std::string primary;
    std::vector<std::string> exactCalls;
    std::vector<std::string> prefixes;
};

LineItems ItemsOf(const std::string& line) {
    LineItems items;
    std::size_t comma = line.find(',');
    items.primary = Trim(line.substr(0, comma));
    if (!items.primary.empty() && items.primary[0] == '*') items.primary.erase(0, 1);
    for (int field = 1; field < 9 && comma != std::string::npos; ++field)
        comma = line.find(',', comma + 1);
    if (comma == std::string::npos) return items;
    std::string list = Trim(line.substr(comma + 1));
    if (!list.empty() && list.back() == ';') list.pop_back();
    std::size_t from = 0;
    while ((from = list.find_first_not_of(" \t", from)) != std::string::npos) {
        std::size_t to = list.find_first_of(" \t", from);
        if (to == std::string::npos) to = list.size();
        std::string item = list.substr(from, to - from);
        from = to;
        const bool exact = item[0] == '=';
        if (exact) item.erase(0, 1);
        item.erase(std::min(item.find_first_of("([<{~"), item.size()));
        (exact ? items.exactCalls : items.prefixes).push_back(item);
    }
    return items;
}

class Asker {
  public:
    explicit Asker(const CountryFile& file) : file_(file) {}

    // The call's country, checked; nullopt past the limit of calls asked.
    std::optional<int> Ask(const std::string& call) {
        if (++asked_ > kMaxAsked) return std::nullopt;
        const std::optional<int> dxcc = file_.DxccOf(call);
        const std::optional<int> again = file_.DxccOf(call);
        // The details are built only on failure, as everywhere below that
        // runs often.
        if (dxcc != again) fuzz::Check(false, "a call's country asked twice", fuzz::Shown(call));
        if (file_.DxccOf(AsciiLower(call)) != dxcc)
            fuzz::Check(false, "a call's country in lower case", fuzz::Shown(call));
        if (dxcc) CheckKnown(*dxcc, call);
        return dxcc;
    }

    std::optional<int> AskPrimary(const std::string& prefix) {
        const std::optional<int> dxcc = file_.DxccOfPrimaryPrefix(prefix);
        if (file_.DxccOfPrimaryPrefix(AsciiLower(prefix)) != dxcc)
            fuzz::Check(false, "a primary prefix's country in lower case", fuzz::Shown(prefix));
        if (dxcc) CheckKnown(*dxcc, prefix);
        return dxcc;
    }

    bool Done() const { return asked_ >= kMaxAsked; }

  private:
    void CheckKnown(int dxcc, const std::string& asked) const {
        const auto detail = [&] { return fuzz::Shown(asked) + " -> " + std::to_string(dxcc); };
        if (!file_.KnowsDxcc(dxcc))
            fuzz::Check(false, "an answer the file does not know", detail());
        const std::string* name = file_.NameOf(dxcc);
        if (name == nullptr || name->empty())
            fuzz::Check(false, "an answer without a name", detail());
    }

    const CountryFile& file_;
    std::size_t asked_ = 0;
};

bool IsBroken(const CountryFile& file, int number) {
    for (const int broken : file.BrokenLines())
        if (broken == number) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CountryFile file = CountryFile::Parse(text);
    Asker asker(file);

    const std::vector<std::string> lines = Lines(text);
    std::string primaries;
    int previous = 0;
    for (const int broken : file.BrokenLines()) {
        fuzz::Check(broken > previous && broken <= static_cast<int>(lines.size()),
                    "broken line numbers out of order or range", std::to_string(broken));
        previous = broken;
    }
    bool anyGood = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        asker.Ask(line);
        const int number = static_cast<int>(i) + 1;
        if (Trim(line).empty()) {
            fuzz::Check(!IsBroken(file, number), "a blank line counted broken");
            continue;
        }
        if (IsBroken(file, number)) continue;
        anyGood = true;
        const LineItems items = ItemsOf(line);
        primaries += items.primary + " ";
        fuzz::Check(asker.AskPrimary(items.primary).has_value(),
                    "a good line's primary prefix unknown", fuzz::Shown(line));
        for (const std::string& call : items.exactCalls) {
            if (asker.Done()) break;
            fuzz::Check(asker.Ask(call).has_value(), "a good line's exact call has no country",
                        fuzz::Shown(call));
        }
        for (const std::string& prefix : items.prefixes) {
            if (asker.Done()) break;
            const std::optional<int> dxcc = asker.Ask(prefix);
            if (prefix.find('/') == std::string::npos)
                fuzz::Check(dxcc.has_value(), "a good line's prefix has no country",
                            fuzz::Shown(prefix));
        }
    }
    fuzz::Check(file.Empty() == !anyGood, "Empty() and the good lines disagree");

    // Slices of the file as calls, from positions and lengths its bytes give.
    for (std::size_t i = 0; i + 1 < size && i < 16; i += 2)
        asker.Ask(text.substr(data[i] * size / 256, data[i + 1] % 16));
    for (int dxcc = -1; dxcc < 1100; ++dxcc) {
        const std::string* name = file.NameOf(dxcc);
        if ((name != nullptr) != file.KnowsDxcc(dxcc))
            fuzz::Check(false, "NameOf and KnowsDxcc disagree", std::to_string(dxcc));
    }

    for (const std::string& watchText : {text, primaries}) {
        const std::optional<std::string> unknown = FirstUnknownEntry(file, watchText);
        if (unknown)
            fuzz::Check(!file.DxccOfPrimaryPrefix(*unknown), "an unknown entry is known",
                        fuzz::Shown(*unknown));
        const CountryWatch watch(file, watchText);
        bool anyKnown = false;
        for (const std::string& entry : ListEntries(watchText)) {
            const std::optional<int> dxcc = asker.AskPrimary(entry);
            if (!dxcc) {
                fuzz::Check(unknown.has_value(), "an unknown entry not reported",
                            fuzz::Shown(entry));
                continue;
            }
            anyKnown = true;
            fuzz::Check(watch.Matches(*dxcc), "a known entry not watched", fuzz::Shown(entry));
        }
        fuzz::Check(watch.Empty() == !anyKnown, "the watch's Empty() and its entries disagree");
    }
    return 0;
}
