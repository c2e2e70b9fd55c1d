// An in-memory stand-in for the spot view's rich-text control: lines with
// their colours, counting how often lines are read back one by one and how
// often many are appended in one go. As the control, it refuses a line with
// a NUL (EOutOfResources, nothing of a batch added).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ui/ui_errors.h"
#include "vplusdde/spot_view.h"

class FakeSpotLines : public ISpotLines {
  public:
    std::vector<std::pair<std::string, std::uint32_t>> lines;
    int reads = 0;
    int batches = 0;

    int LineCount() override { return static_cast<int>(lines.size()); }
    std::string Line(int index) override {
        ++reads;
        return lines.at(static_cast<size_t>(index)).first;
    }
    void AppendLine(const std::string& text, std::uint32_t color) override {
        Check(text);
        lines.emplace_back(text, color);
    }
    void DeleteFirstLines(int count) override { lines.erase(lines.begin(), lines.begin() + count); }
    void AppendLines(const std::vector<SpotLine>& added) override {
        ++batches;
        for (const SpotLine& line : added) Check(line.text);
        for (const SpotLine& line : added) lines.emplace_back(line.text, line.color);
    }
    std::vector<std::string> LinesFrom(int first) override {
        std::vector<std::string> texts;
        for (size_t i = static_cast<size_t>(first); i < lines.size(); ++i)
            texts.push_back(lines[i].first);
        return texts;
    }

  private:
    static void Check(const std::string& text) {
        if (text.find('\0') != std::string::npos)
            throw EOutOfResources("RichEdit line insertion error");
    }
};
