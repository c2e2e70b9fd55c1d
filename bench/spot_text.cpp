// Made-up spot rows; see the header.
#include "bench/spot_text.h"

#include <cstdio>

namespace {

struct Fields {
    int frequency;
    std::string dx;
    std::string comment;
    std::string spotter;
    std::string hhmm;
};

Fields FieldsOf(int serial) {
    Fields f;
    f.frequency = 1800 + (serial * 37) % 28200;
    // "Q" and five letters: the serial in base 26, so the call alone is unique.
    f.dx = "Q";
    int rest = serial;
    for (int i = 0; i < 5; ++i) {
        f.dx.insert(f.dx.begin() + 1, static_cast<char>('A' + rest % 26));
        rest /= 26;
    }
    f.comment = "bench";
    f.spotter = "Q9ZZZ";
    char hhmm[8];
    std::snprintf(hhmm, sizeof hhmm, "%02d%02d", (serial / 60) % 24, serial % 60);
    f.hhmm = hhmm;
    return f;
}

void Put(std::string& row, std::size_t column, const std::string& text) {
    row.replace(column - 1, text.size(), text);
}

}  // namespace

std::string BenchSpotRow(int serial) {
    const Fields f = FieldsOf(serial);
    std::string row(42, ' ');
    char frequency[8];
    std::snprintf(frequency, sizeof frequency, "%6d", f.frequency);
    Put(row, 1, frequency);
    Put(row, 8, f.dx);
    Put(row, 15, f.comment);
    Put(row, 30, f.spotter);
    Put(row, 37, f.hhmm);
    return row;
}

std::string BenchSpotCommand(int row, int serial) {
    const Fields f = FieldsOf(serial);
    return "spot " + std::to_string(row) + " " + std::to_string(f.frequency) + " " + f.dx + " " +
           f.comment + " " + f.spotter + " " + f.hhmm;
}

std::string BenchBlockText(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) text += row;
    return text;
}
