// The in-memory controls: their state, and the rich-text view's line rules.
#include "ui/memory/memory_peers.h"

#include <algorithm>
#include <cstdlib>

#include "ui/memory/memory_widget_set.h"

TMemoryControlState::TMemoryControlState(TMemoryFormPeer& form) : form_(form) {
    form_.children.push_back(this);
}

TMemoryControlState::~TMemoryControlState() {
    auto& children = form_.children;
    children.erase(std::remove(children.begin(), children.end(), this), children.end());
}

bool TMemoryControlState::Showing() const {
    return visible && form_.visible;
}

void TMemoryControlState::MoveAfter(TMemoryControlState* previous) {
    auto& children = form_.children;
    children.erase(std::remove(children.begin(), children.end(), this), children.end());
    auto place = children.begin();
    if (previous != nullptr) {
        place = std::find(children.begin(), children.end(), previous);
        if (place != children.end()) ++place;
    }
    children.insert(place, this);
}

TExtent TMemoryLabelPeer::TextExtent(const std::string& text) {
    const int height = std::abs(font.Height);
    return TExtent{static_cast<int>(text.size()) * ((height + 1) / 2), height + 2};
}

void TMemoryComboBoxPeer::SetItems(const std::vector<std::string>& value) {
    items = value;
    if (options.Sorted) std::sort(items.begin(), items.end());
    if (itemIndex >= static_cast<int>(items.size())) itemIndex = -1;
}

void TMemoryComboBoxPeer::SetText(const std::string& value) {
    text = value;
    itemIndex = -1;
}

void TMemoryComboBoxPeer::SetItemIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items.size())) {
        itemIndex = -1;
        if (options.Style == TComboBoxStyle::csDropDownList) text.clear();
        return;
    }
    itemIndex = index;
    text = items[static_cast<size_t>(index)];
}

void TMemoryComboBoxPeer::Type(const std::string& typed) {
    text = maxLength > 0 && static_cast<int>(typed.size()) > maxLength
               ? typed.substr(0, static_cast<size_t>(maxLength))
               : typed;
    itemIndex = -1;
}

size_t TMemoryRichEditPeer::LineStart(int index) const {
    size_t start = 0;
    for (int line = 0; line < index; ++line) {
        const size_t end = text.find('\r', start);
        if (end == std::string::npos) return text.size();
        start = end + 1;
    }
    return start;
}

int TMemoryRichEditPeer::LineCount() {
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\r')) + 1;
    // The line after the final line end is not counted while it is empty.
    return text.empty() || text.back() == '\r' ? lines - 1 : lines;
}

std::string TMemoryRichEditPeer::Line(int index) {
    const size_t start = LineStart(index);
    const size_t end = text.find('\r', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TColor TMemoryRichEditPeer::LineColor(int index) {
    const size_t start = LineStart(index);
    return start < colors.size() ? colors[start] : font.Color;
}

bool TMemoryRichEditPeer::AppendLine(const std::string& line, TColor lineColor) {
    std::string inserted;
    if (!text.empty() && text.back() != '\r') inserted += '\r';
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') continue;
        inserted += line[i] == '\n' ? '\r' : line[i];
    }
    inserted += '\r';
    if (text.size() + inserted.size() > static_cast<size_t>(textLimit)) return false;
    text += inserted;
    colors.insert(colors.end(), inserted.size(), lineColor);
    return true;
}

void TMemoryRichEditPeer::DeleteLines(int count) {
    const size_t end = count >= LineCount() ? text.size() : LineStart(count);
    text.erase(0, end);
    colors.erase(colors.begin(), colors.begin() + static_cast<std::ptrdiff_t>(end));
}
