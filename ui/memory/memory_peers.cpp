// The in-memory controls: their state, and the rich-text view's line rules.
#include "ui/memory/memory_peers.h"

#include <algorithm>
#include <cstdlib>

#include "ui/memory/memory_widget_set.h"
#include "ui/view_text.h"

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
    return AppendLines({{line, lineColor}});
}

bool TMemoryRichEditPeer::AppendLines(const std::vector<TColoredLine>& lines) {
    std::string added;
    std::vector<TColor> addedColors;
    for (const TColoredLine& line : lines) {
        // RichEdit cuts a text at a NUL, and the view takes no line cut short.
        if (!ViewHolds(line.Text)) return false;
        const bool lineOpen = added.empty() && !text.empty() && text.back() != '\r';
        const std::string inserted = AppendedText({line}, lineOpen);
        added += inserted;
        addedColors.insert(addedColors.end(), inserted.size(), line.Color);
    }
    if (text.size() + added.size() > static_cast<size_t>(textLimit)) return false;
    text += added;
    colors.insert(colors.end(), addedColors.begin(), addedColors.end());
    return true;
}

std::vector<std::string> TMemoryRichEditPeer::LinesFrom(int first) {
    std::vector<std::string> lines;
    for (size_t start = LineStart(first); start < text.size();) {
        const size_t end = std::min(text.find('\r', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void TMemoryRichEditPeer::DeleteLines(int count) {
    const size_t end = count >= LineCount() ? text.size() : LineStart(count);
    text.erase(0, end);
    colors.erase(colors.begin(), colors.begin() + static_cast<std::ptrdiff_t>(end));
}
