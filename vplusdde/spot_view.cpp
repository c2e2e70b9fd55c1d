#include "vplusdde/spot_view.h"

#include <algorithm>

#include "rtl/sysutils.h"

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
    if (lineCount_ > maxLines_) DropOldest(trimBy_ < lineCount_ ? trimBy_ : lineCount_);
}

void SpotView::AppendAll(std::vector<SpotLine> lines) {
    Sync();
    // How many of the view's lines and then of these the rule would drop,
    // `trimBy_` at a time whenever an append passed the maximum.
    long long count = lineCount_;
    long long dropped = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (++count <= maxLines_) continue;
        const long long drop = std::min<long long>(trimBy_, count);
        dropped += drop;
        count -= drop;
    }
    const int fromView = static_cast<int>(std::min<long long>(dropped, lineCount_));
    const auto fromLines = static_cast<std::size_t>(dropped - fromView);
    if (fromView > 0) DropOldest(fromView);
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(fromLines));
    if (lines.empty()) return;
    std::exception_ptr refused;
    AppendWhatGoesIn(lines, 0, lines.size(), refused);
    // Indexed as the control holds them, as Append does.
    for (const std::string& line : lines_.LinesFrom(lineCount_)) ++shown_[Key(line)];
    lineCount_ = lines_.LineCount();
    if (refused) std::rethrow_exception(refused);
}

void SpotView::AppendWhatGoesIn(const std::vector<SpotLine>& lines, std::size_t first,
                                std::size_t end, std::exception_ptr& refused) {
    const std::vector<SpotLine> part(lines.begin() + static_cast<std::ptrdiff_t>(first),
                                     lines.begin() + static_cast<std::ptrdiff_t>(end));
    try {
        lines_.AppendLines(part);
        return;
    } catch (const Exception&) {
        // One line the control refuses must not keep out the others: halves
        // are tried in turn (a few appends, not one per line, each of which
        // costs a layout under wine), down to the refused lines alone.
        if (end - first == 1) {
            if (!refused) refused = std::current_exception();
            return;
        }
    }
    const std::size_t middle = first + (end - first) / 2;
    AppendWhatGoesIn(lines, first, middle, refused);
    AppendWhatGoesIn(lines, middle, end, refused);
}

void SpotView::DropOldest(int count) {
    for (int i = 0; i < count; ++i) Forget(lines_.Line(i));
    lines_.DeleteFirstLines(count);
    lineCount_ = lines_.LineCount();
}

void SpotView::Forget(const std::string& line) {
    auto it = shown_.find(Key(line));
    if (it == shown_.end()) return;
    if (--it->second == 0) shown_.erase(it);
}
