// A view's lines as the view stores them; see the header.
#include "ui/view_text.h"

bool ViewHolds(const std::string& text) {
    return text.find('\0') == std::string::npos;
}

std::string AppendedText(const std::vector<TColoredLine>& lines, bool lineOpen) {
    std::string text = lineOpen ? "\r" : "";
    for (const TColoredLine& line : lines) {
        const std::string& t = line.Text;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') continue;
            text += t[i] == '\n' ? '\r' : t[i];
        }
        text += '\r';
    }
    return text;
}
