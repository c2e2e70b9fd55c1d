#include "vplusdde/spot_view.h"

void SpotView::Sync() {
    if (synced_) return;
    lineCount_ = lines_.LineCount();
    for (int i = 0; i < lineCount_; ++i) ++shown_[Key(lines_.Line(i))];
    synced_ = true;
}

bool SpotView::IsShown(const std::string& row) {
    Sync();
    return shown_.count(row) != 0;
}

void SpotView::Append(const std::string& line, std::uint32_t color) {
    Sync();
    lines_.AppendLine(line, color);
    const int count = lines_.LineCount();
    // Index the line as the control holds it, so the test means what reading
    // the view would mean even if the control changed a character.
    for (int i = lineCount_; i < count; ++i) ++shown_[Key(lines_.Line(i))];
    lineCount_ = count;
    if (lineCount_ > maxLines_) {
        const int drop = trimBy_ < lineCount_ ? trimBy_ : lineCount_;
        for (int i = 0; i < drop; ++i) Forget(lines_.Line(i));
        lines_.DeleteFirstLines(drop);
        lineCount_ = lines_.LineCount();
    }
}

void SpotView::Forget(const std::string& line) {
    auto it = shown_.find(Key(line));
    if (it == shown_.end()) return;
    if (--it->second == 0) shown_.erase(it);
}
