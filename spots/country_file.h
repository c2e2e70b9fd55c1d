// The field's country file in its CSV form, cty.csv, and a call's country.
//
// One country a line, ten fields apart by commas: its primary prefix (a
// leading "*" when the entry belongs to another award's list, not DXCC),
// name, DXCC entity number, continent, CQ zone, ITU zone, latitude,
// longitude, UTC offset, then its prefixes and exact calls ("=" before a
// whole call) apart by blanks, ending in ";". What is written after an item
// in (), [], <>, {} or ~~ overrides that item's zones, place or continent and
// is not part of it: "AA0(4)[7]" is the prefix AA0, "=N2NL/MM(7)" the exact
// call N2NL/MM.
//
// A country is a DXCC entity: a "*" entry counts as the DXCC country of the
// same number, so every lookup answers a DXCC number, and the name of a
// number is that of the file's entry without "*" (the first "*" entry's when
// the file has none).
//
// A broken line (no ";" at its end, fewer than ten fields, a bad number, a
// control character, an item of other characters than a call's, an empty
// primary prefix, name or prefix list) is left out and its 1-based number
// recorded; the rest is used. Lines end in LF or CR LF, the last one may have
// none; blank lines are skipped, not broken; a leading UTF-8 byte order mark
// is ignored.
//
// A value; immutable once parsed; any thread. Nothing thrown beyond
// allocation.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CountryFile {
  public:
    // A file without countries: Empty(), every lookup answers nothing.
    CountryFile() = default;
    static CountryFile Parse(const std::string& text);

    // Whether no country could be used (no file, or every line broken).
    bool Empty() const { return names_.empty(); }
    // The broken lines' numbers, 1-based, in order.
    const std::vector<int>& BrokenLines() const { return brokenLines_; }

    // A call's country, in this order (the call in either case):
    //  1. the call as written is one of the exact calls: its country;
    //  2. a part "MM" or "AM" after the station's own call (CallParts,
    //     OwnCallIndex): none (maritime, aeronautical mobile);
    //  3. after the own call, a lone digit takes the place of the own call's
    //     area digit, its last digit followed only by letters ("OH2BH/0" ->
    //     "OH0BH"); every other part after it without letters and digits is
    //     an operating suffix and is dropped ("/P", "/QRP", "/33");
    //  4. of the other parts left (those before the own call, those after it
    //     with letters and digits) the shortest is looked up, the first of
    //     equal ones ("F/OH2BH": F; "OH2BH/KH6": KH6); with none, the own
    //     call as the lone digit made it;
    //  5. that text, when an exact call, gives its country ("DX0JP/P"); a
    //     "KG4" call whose suffix is not two letters is the country of
    //     primary prefix "K", the United States (KG4AB Guantanamo, KG4A and
    //     KG4ABC not; "KG4" alone is no call and goes by its prefix); else
    //     the longest prefix that starts it; none: no country.
    // Empty parts ("OH2BH/", "/OH2BH") are no parts.
    std::optional<int> DxccOf(const std::string& call) const;

    // The country's name as the file writes it; nullptr for a number the file
    // does not know. Valid as long as the object.
    const std::string* NameOf(int dxcc) const;
    bool KnowsDxcc(int dxcc) const { return names_.count(dxcc) != 0; }

    // The country of a primary prefix as the file writes it, without the
    // "*" ("VP8/g", "3Y/b", "OJ0", "IT9" -> Italy's number), in either case;
    // nullopt when no entry has it.
    std::optional<int> DxccOfPrimaryPrefix(const std::string& prefix) const;

  private:
    void AddLine(const std::string& line, int number);
    std::optional<int> DxccOfText(const std::string& text) const;

    std::vector<int> brokenLines_;
    struct Name {
        std::string text;
        bool fromDxccEntry;  // from an entry without "*"
    };
    std::unordered_map<int, Name> names_;
    std::unordered_map<std::string, int> primaryPrefixes_;  // upper case, without "*"
    std::unordered_map<std::string, int> exactCalls_;
    std::unordered_map<std::string, int> prefixes_;
    std::size_t longestPrefix_ = 0;
};
