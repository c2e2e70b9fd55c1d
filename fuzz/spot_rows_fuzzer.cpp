// Fuzzes the cutting of an item text into spot rows and the reading of each
// row's frequency field. The model is the plain rule: while more than one
// character remains, take up to 42 and remove them. The walk must also be
// immune to its handler changing the caller's string.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "int_model.h"
#include "spots/spot_rows.h"

namespace {

std::vector<std::string> ModelRows(std::string rest) {
    std::vector<std::string> rows;
    while (rest.size() > 1) {
        rows.push_back(rest.substr(0, 42));
        rest.erase(0, 42);
    }
    return rows;
}

std::string Joined(const std::vector<std::string>& rows) {
    std::string joined;
    for (const std::string& row : rows) joined += row + "|";
    return joined;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> want = ModelRows(text);
    const std::vector<std::string> rows = SpotRows(text);
    fuzz::CheckEqual(Joined(rows), Joined(want), "the rows of the text");

    // A handler that rewrites the string it was called on, as an intake run
    // nested in a message box may replace the item text.
    std::string live = text;
    std::vector<std::string> walked;
    ForEachSpotRow(live, [&](const std::string& row) {
        walked.push_back(row);
        live.assign(live.size() % 7, 'Z');
    });
    fuzz::CheckEqual(Joined(walked), Joined(want), "the rows while the text changes");

    for (const std::string& row : rows) {
        std::int32_t frequency = 0;
        if (!fuzz::ModelReadInteger(row.substr(0, 6), frequency)) frequency = 0;
        fuzz::CheckEqual(ReadFrequency(row), frequency, "the frequency of a row");
    }
    return 0;
}
