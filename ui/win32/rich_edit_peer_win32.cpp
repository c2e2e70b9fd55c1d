// The RichEdit control and the view's line operations on it.
#include "ui/win32/rich_edit_peer_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ui/view_text.h"

namespace {

DWORD ScrollStyle(TScrollStyle scrollBars) {
    switch (scrollBars) {
        case TScrollStyle::ssNone:
            return 0;
        case TScrollStyle::ssHorizontal:
            return WS_HSCROLL | ES_AUTOHSCROLL;
        case TScrollStyle::ssVertical:
            return WS_VSCROLL;
        case TScrollStyle::ssBoth:
            return WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL;
    }
    return 0;
}

CHARFORMAT2A ColorFormat(TColor color) {
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = ColorRefOf(color);
    return format;
}

// The same text as AppendedText gives, as RTF: each line a paragraph in its
// colour from the colour table; bytes outside printable ASCII by their code in
// the system's ANSI code page, which is how EM_REPLACESEL of the "A" window
// takes them.
std::string RtfText(const std::vector<TColoredLine>& lines, bool lineOpen) {
    std::vector<TColor> colors;
    std::string body = lineOpen ? "\\par\n" : "";
    for (const TColoredLine& line : lines) {
        auto at = std::find(colors.begin(), colors.end(), line.Color);
        if (at == colors.end()) at = colors.insert(colors.end(), line.Color);
        body += "\\cf" + std::to_string(at - colors.begin() + 1) + ' ';
        for (const char c : AppendedText({line}, false)) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '\r') {
                body += "\\par\n";
            } else if (c == '\\' || c == '{' || c == '}') {
                body += '\\';
                body += c;
            } else if (byte < 0x20 || byte >= 0x7F) {
                static const char hex[] = "0123456789abcdef";
                body += "\\'";
                body += hex[byte >> 4];
                body += hex[byte & 15];
            } else {
                body += c;
            }
        }
    }
    std::string rtf = "{\\rtf1\\ansi\\ansicpg" + std::to_string(GetACP()) + "{\\colortbl ;";
    for (const TColor color : colors) {
        const COLORREF ref = ColorRefOf(color);
        rtf += "\\red" + std::to_string(GetRValue(ref)) + "\\green" +
               std::to_string(GetGValue(ref)) + "\\blue" + std::to_string(GetBValue(ref)) + ';';
    }
    return rtf + "}\n" + body + '}';
}

// The font's face, size and style, without its colour.
CHARFORMAT2A FontFormat(const TFontData& font) {
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask =
        CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
    // Twips at 96 pixels per inch; a cell height is taken as the character height.
    format.yHeight = (font.Height < 0 ? -font.Height : font.Height) * 15;
    format.bCharSet = DEFAULT_CHARSET;
    format.dwEffects = ((font.Style & fsBold) != 0 ? CFE_BOLD : 0) |
                       ((font.Style & fsItalic) != 0 ? CFE_ITALIC : 0) |
                       ((font.Style & fsUnderline) != 0 ? CFE_UNDERLINE : 0) |
                       ((font.Style & fsStrikeOut) != 0 ? CFE_STRIKEOUT : 0);
    lstrcpynA(format.szFaceName, font.Name.c_str(), LF_FACESIZE);
    return format;
}

constexpr DWORD kFontEffects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;

struct RtfSource {
    const std::string* text;
    size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<RtfSource*>(cookie);
    const size_t count = std::min(static_cast<size_t>(wanted), source->text->size() - source->at);
    std::memcpy(buffer, source->text->data() + source->at, count);
    source->at += count;
    *given = static_cast<LONG>(count);
    return 0;
}

}  // namespace

TWin32RichEditPeer::TWin32RichEditPeer(TWin32FormPeer& form, const TRichEditOptions& options)
    : TWin32Control(form, RICHEDIT_CLASSA,
                    WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL |
                        ScrollStyle(options.ScrollBars),
                    WS_EX_CLIENTEDGE) {
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    SendMessageA(window_, EM_SETEVENTMASK, 0, 0);
}

TWin32RichEditPeer::~TWin32RichEditPeer() {
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
}

LRESULT CALLBACK TWin32RichEditPeer::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    auto* peer = dynamic_cast<TWin32RichEditPeer*>(TWin32Child::FromHandle(window));
    if (peer == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = CallWindowProcA(peer->original_, window, message, wParam, lParam);
    if (message == WM_GETDLGCODE) {
        if (!peer->wantTabs_) result &= ~DLGC_WANTTAB;
        if (!peer->wantReturns_) result &= ~DLGC_WANTALLKEYS;
    }
    return result;
}

void TWin32RichEditPeer::SetFont(const TFontData& font) {
    TWin32Control::SetFont(font);
    CHARFORMAT2A format = FontFormat(font);
    // Face and size for all the text; the colour only for text to come, so
    // that the lines keep theirs.
    SendMessageA(window_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    font_ = font;
    format.dwMask |= CFM_COLOR;
    format.crTextColor = ColorRefOf(font.Color);
    SendMessageA(window_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

void TWin32RichEditPeer::SetColor(TColor color) {
    TWin32Control::SetColor(color);
    SendMessageA(window_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorRefOf(color)));
}

void TWin32RichEditPeer::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    SendMessageA(window_, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void TWin32RichEditPeer::SetWordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    SendMessageA(window_, EM_SETTARGETDEVICE, 0, wordWrap ? 0 : 1);
}

void TWin32RichEditPeer::SetWantKeys(bool wantReturns, bool wantTabs) {
    wantReturns_ = wantReturns;
    wantTabs_ = wantTabs;
}

void TWin32RichEditPeer::SetTextLimit(int characters) {
    textLimit_ = characters;
    SendMessageA(window_, EM_EXLIMITTEXT, 0, characters);
}

int TWin32RichEditPeer::TextLength() {
    GETTEXTLENGTHEX query = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>(
        SendMessageA(window_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

std::string TWin32RichEditPeer::Range(int start, int end) const {
    if (end <= start) return {};
    std::vector<char> buffer(static_cast<size_t>(end - start) * 2 + 1, '\0');
    TEXTRANGEA range = {{start, end}, buffer.data()};
    const auto copied = SendMessageA(window_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

int TWin32RichEditPeer::LineCount() {
    auto lines = static_cast<int>(SendMessageA(window_, EM_GETLINECOUNT, 0, 0));
    const auto lastStart = SendMessageA(window_, EM_LINEINDEX, lines - 1, 0);
    if (lines > 0 && SendMessageA(window_, EM_LINELENGTH, lastStart, 0) == 0) --lines;
    return lines;
}

std::string TWin32RichEditPeer::Line(int index) {
    const auto start = static_cast<int>(SendMessageA(window_, EM_LINEINDEX, index, 0));
    const auto length = static_cast<int>(SendMessageA(window_, EM_LINELENGTH, start, 0));
    std::string line = Range(start, start + length);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == '\v'))
        line.pop_back();
    return line;
}

TColor TWin32RichEditPeer::LineColor(int index) {
    const auto start = static_cast<LONG>(SendMessageA(window_, EM_LINEINDEX, index, 0));
    CHARRANGE saved = {};
    SendMessageA(window_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    CHARRANGE first = {start, start + 1};
    SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    SendMessageA(window_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    if ((format.dwEffects & CFE_AUTOCOLOR) != 0)
        return static_cast<TColor>(GetSysColor(COLOR_WINDOWTEXT));
    return static_cast<TColor>(format.crTextColor & 0x00FFFFFFu);
}

void TWin32RichEditPeer::Replace(int start, int end, const std::string& text) {
    if (readOnly_) SendMessageA(window_, EM_SETREADONLY, FALSE, 0);
    CHARRANGE range = {start, end};
    SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageA(window_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    if (readOnly_) SendMessageA(window_, EM_SETREADONLY, TRUE, 0);
}

bool TWin32RichEditPeer::AppendLine(const std::string& text, TColor color) {
    const int start = TextLength();
    const std::string inserted =
        AppendedText({{text, color}}, start > 0 && Range(start - 1, start) != "\r");
    // wine does not hold programmatic insertions to the limit: check it here.
    if (start + static_cast<int>(inserted.size()) > textLimit_) return false;

    if (readOnly_) SendMessageA(window_, EM_SETREADONLY, FALSE, 0);
    CHARRANGE end = {start, start};
    SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMAT2A format = ColorFormat(color);
    SendMessageA(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageA(window_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(inserted.c_str()));
    if (readOnly_) SendMessageA(window_, EM_SETREADONLY, TRUE, 0);

    const int after = TextLength();
    if (after - start == static_cast<int>(inserted.size())) return true;
    // Cut short by the text limit: take out what went in.
    if (after > start) Replace(start, after, "");
    return false;
}

int TWin32RichEditPeer::StreamIn(int at, const std::string& rtf) {
    CHARRANGE end = {at, at};
    SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    RtfSource source = {&rtf, 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, &ReadRtf};
    SendMessageA(window_, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    return TextLength() - at;
}

bool TWin32RichEditPeer::HasFontAt(int at) {
    const CHARFORMAT2A font = FontFormat(*font_);
    CHARRANGE first = {at, at + 1};
    SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(window_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return lstrcmpiA(format.szFaceName, font.szFaceName) == 0 && format.yHeight == font.yHeight &&
           (format.dwEffects & kFontEffects) == (font.dwEffects & kFontEffects);
}

bool TWin32RichEditPeer::AppendLines(const std::vector<TColoredLine>& lines) {
    const int start = TextLength();
    const bool lineOpen = start > 0 && Range(start - 1, start) != "\r";
    // A NUL would cut the streams short and AppendLine refuses it: no stream
    // is tried for what cannot go in.
    for (const TColoredLine& line : lines)
        if (!ViewHolds(line.Text)) return false;
    if (start + static_cast<int>(AppendedText(lines, lineOpen).size()) > textLimit_) return false;
    if (readOnly_) SendMessageA(window_, EM_SETREADONLY, FALSE, 0);
    bool streamed = true;
    int at = start;
    for (size_t first = 0; streamed && first < lines.size(); first += kStreamLines) {
        const std::vector<TColoredLine> piece(
            lines.begin() + static_cast<std::ptrdiff_t>(first),
            lines.begin() +
                static_cast<std::ptrdiff_t>(std::min(first + kStreamLines, lines.size())));
        const bool open = first == 0 && lineOpen;
        const int size = static_cast<int>(AppendedText(piece, open).size());
        streamed = StreamIn(at, RtfText(piece, open)) == size;
        at += size;
    }
    // Only when the streams took another font: setting it on all the lines
    // costs as much as streaming them under wine.
    if (streamed && at > start && font_ && !HasFontAt(start)) {
        CHARRANGE inserted = {start, at};
        SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&inserted));
        CHARFORMAT2A format = FontFormat(*font_);
        SendMessageA(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    if (readOnly_) SendMessageA(window_, EM_SETREADONLY, TRUE, 0);
    if (streamed) {
        // Where an append leaves the caret, and the view scrolled to it.
        CHARRANGE after = {at, at};
        SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&after));
        SendMessageA(window_, EM_SCROLLCARET, 0, 0);
        return true;
    }
    // Not what was asked for: the lines one by one, all or none.
    Replace(start, TextLength(), "");
    for (const TColoredLine& line : lines) {
        if (AppendLine(line.Text, line.Color)) continue;
        Replace(start, TextLength(), "");
        return false;
    }
    return true;
}

std::vector<std::string> TWin32RichEditPeer::LinesFrom(int first) {
    std::vector<std::string> lines;
    if (wordWrap_) {
        // Lines are what the view shows on a row: only it knows where they end.
        for (int i = first, count = LineCount(); i < count; ++i) lines.push_back(Line(i));
        return lines;
    }
    const auto start = static_cast<int>(SendMessageA(window_, EM_LINEINDEX, first, 0));
    if (start < 0) return lines;  // past the last line
    const std::string text = Range(start, TextLength());
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

void TWin32RichEditPeer::SetPainting(bool painting) {
    SendMessageA(window_, WM_SETREDRAW, painting ? TRUE : FALSE, 0);
    if (!painting) return;
    InvalidateRect(window_, nullptr, TRUE);
    SendMessageA(window_, EM_SCROLLCARET, 0, 0);
}

void TWin32RichEditPeer::DeleteLines(int count) {
    const int end = count >= LineCount()
                        ? TextLength()
                        : static_cast<int>(SendMessageA(window_, EM_LINEINDEX, count, 0));
    Replace(0, end, "");
}
