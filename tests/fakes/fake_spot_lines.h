// An in-memory stand-in for the spot view's rich-text control: lines with
// their colours, counting how often lines are read back.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vplusdde/spot_view.h"

class FakeSpotLines : public ISpotLines {
  public:
    std::vector<std::pair<std::string, std::uint32_t>> lines;
    int reads = 0;

    int LineCount() override { return static_cast<int>(lines.size()); }
    std::string Line(int index) override {
        ++reads;
        return lines.at(static_cast<size_t>(index)).first;
    }
    void AppendLine(const std::string& text, std::uint32_t color) override {
        lines.emplace_back(text, color);
    }
    void DeleteFirstLines(int count) override { lines.erase(lines.begin(), lines.begin() + count); }
};
