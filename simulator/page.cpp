// Row layout of the simulated block; see page.h.
#include "simulator/page.h"

#include <stdexcept>

namespace vtsim {

namespace {

std::string Fit(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

void CheckIndex(int index) {
    if (index < 0 || index >= kPageRows) {
        throw std::out_of_range("row " + std::to_string(index) + " is outside 0.." +
                                std::to_string(kPageRows - 1));
    }
}

}  // namespace

std::string FitRow(const std::string& text) {
    return Fit(text, kRowColumns);
}

std::string SpotRow(const SpotFields& spot) {
    std::string frequency = spot.frequency;
    if (frequency.size() < 6) frequency.insert(0, 6 - frequency.size(), ' ');
    std::string dx = spot.dx;
    if (dx.size() < 6) dx.resize(6, ' ');
    // Columns 1-28: a long frequency or call runs on and shortens the comment,
    // as on the real page; the spotter and time keep their columns.
    const std::string left = Fit(frequency + " " + dx + " " + spot.comment, 28);
    return left + " " + Fit(spot.spotter, 6) + " " + Fit(spot.time, 4);
}

Page::Page() {
    Clear();
}

void Page::SetRow(int index, const std::string& text) {
    CheckIndex(index);
    rows_[index] = FitRow(text);
}

const std::string& Page::Row(int index) const {
    CheckIndex(index);
    return rows_[index];
}

void Page::Clear() {
    for (auto& row : rows_) row.assign(kRowColumns, ' ');
}

void Page::ScrollIn(const std::string& text) {
    for (int i = 1; i < kPageRows; ++i) rows_[i - 1] = std::move(rows_[i]);
    rows_[kPageRows - 1] = FitRow(text);
}

std::string Page::Block(const std::string& line_end) const {
    std::string out;
    out.reserve(kPageRows * (kRowColumns + line_end.size()));
    for (const auto& row : rows_) out += row + line_end;
    return out;
}

}  // namespace vtsim
