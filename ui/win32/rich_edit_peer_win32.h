// The rich-text view's peer: a RichEdit 2.0 control ("RichEdit20A").
//
// How it keeps the view's rules (what the system really does):
// - RichEdit ends each line with one CR and always holds an empty line after
//   the last line end, which EM_GETLINECOUNT counts; LineCount leaves it out.
// - Lines are read with EM_GETTEXTRANGE between EM_LINEINDEX positions, which
//   has no length limit (EM_GETLINE's buffer size is a 16-bit word).
// - An append selects the end, sets the colour there (the insertion point's
//   format) and replaces the empty selection, so no other text changes colour.
//   A read-only view refuses EM_REPLACESEL on some versions: read-only is
//   lifted around the program's own edits.
// - The text limit is set with EM_EXLIMITTEXT: real Windows stops at its 64K
//   default, wine lets the text grow past any limit. So an append that would
//   pass the limit is refused here, and one that did not go in whole is taken
//   out again and reported.
// - The text of a line (its line ends) is made by view_text.h, for the plain
//   text and the RTF alike. EM_REPLACESEL ends the text at a NUL, so a line
//   holding one does not go in whole and is taken out; AppendLines refuses
//   such lines before streaming.
// - Without word wrap (EM_SETTARGETDEVICE with a line width of 1) a line is
//   a paragraph, whatever the view's width; LinesFrom then reads the text
//   once and cuts it at the line ends.
// - Many lines go in as RTF streams (EM_STREAMIN into the empty selection
//   at the end), colours in their colour tables: where one EM_REPLACESEL per
//   line costs a layout and a scroll bar update each (under wine, 2,000 lines
//   took some 40 s one by one). A stream of n lines costs more than n times
//   one line's share under wine (2,000 lines: 310-500 ms as one stream,
//   120-140 ms as streams of 100), so they go in 100 at a time. A stream names no
//   font: RTF cannot give the view's size in twips. wine gives the inserted
//   text the insertion point's font; where a system gives another, the
//   view's face and size are set on it afterwards (under wine that costs as
//   much as the stream, so only then). A stream that did not give exactly
//   the text asked for is taken out, and the lines go in one by one.
// - Enter and Tab are left to the form's navigation unless wanted
//   (WM_GETDLGCODE, through a subclassed window procedure).
// Main thread only.
#pragma once

#include <optional>

#include "ui/win32/control_peer_win32.h"

class TWin32RichEditPeer : public TWin32Control<IRichEditPeer> {
  public:
    TWin32RichEditPeer(TWin32FormPeer& form, const TRichEditOptions& options);
    ~TWin32RichEditPeer() override;

    void SetFont(const TFontData& font) override;
    void SetColor(TColor color) override;
    void SetReadOnly(bool readOnly) override;
    void SetWordWrap(bool wordWrap) override;
    void SetWantKeys(bool wantReturns, bool wantTabs) override;
    void SetTextLimit(int characters) override;
    int LineCount() override;
    std::string Line(int index) override;
    TColor LineColor(int index) override;
    bool AppendLine(const std::string& text, TColor color) override;
    bool AppendLines(const std::vector<TColoredLine>& lines) override;
    std::vector<std::string> LinesFrom(int first) override;
    void DeleteLines(int count) override;
    int TextLength() override;
    void SetPainting(bool painting) override;

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::string Range(int start, int end) const;
    void Replace(int start, int end, const std::string& text);
    // Streams RTF into the empty selection at `at`; the characters it added.
    int StreamIn(int at, const std::string& rtf);
    static constexpr size_t kStreamLines = 100;
    // Whether the character at `at` has the view's font (face, size, style);
    // a font must have been set.
    bool HasFontAt(int at);

    WNDPROC original_ = nullptr;
    bool readOnly_ = false;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    bool wordWrap_ = true;
    int textLimit_ = 32767;
    std::optional<TFontData> font_;  // none set yet: no font to keep
};
