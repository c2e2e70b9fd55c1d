// TRichEdit: a rich-text view of lines, each line in its own text colour.
//
// What the program relies on: LineCount does not count an empty last line
// (the one after the final line end); Line(i) is the line's text without its
// line end; AppendLine adds a line after the last one in a colour and changes
// no other text's colour; DeleteFirstLines drops the oldest lines.
//
// Text limit: kDefaultTextLimit characters (a line end counts as one), 4 MiB,
// about 80,000 spot lines. The control does not rely on the system's own
// default, which real Windows enforces at 64K characters and wine does not:
// the limit is set on the control explicitly. An append that does not fit
// raises EOutOfResources("RichEdit line insertion error") and leaves the view
// as it was; a program that runs for long drops its oldest lines first.
//
// Style set before the control has its peer: ScrollBars. The line operations
// need the peer (the control on its form) and raise EInvalidOperation before;
// Line, LineColor raise EStringListError for an index outside the lines.
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

class TRichEdit : public TControl {
  public:
    static constexpr int kDefaultTextLimit = 4 * 1024 * 1024;

    explicit TRichEdit(TComponent* AOwner);

    const char* ClassName() const override { return "TRichEdit"; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    TScrollStyle ScrollBars() const { return options_.ScrollBars; }
    void SetScrollBars(TScrollStyle scrollBars);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool wantReturns);
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool wantTabs);
    int TextLimit() const { return textLimit_; }
    void SetTextLimit(int characters);

    int LineCount() const;
    std::string Line(int index) const;
    TColor LineColor(int index) const;
    // In the font's colour.
    void AppendLine(const std::string& text);
    void AppendLine(const std::string& text, TColor color);
    // Many lines, each in its colour, in one change of the view: what
    // AppendLine makes of each, at the cost of about one. Raises as
    // AppendLine does, with none of them added, when they do not all fit.
    void AppendLines(const std::vector<TColoredLine>& lines);
    // Lines `first` to the last (none when first is LineCount()), in one read.
    std::vector<std::string> LinesFrom(int first) const;
    // Drops the first count lines (all when count reaches LineCount).
    void DeleteFirstLines(int count);
    // Characters held, a line end counting as one.
    int TextLength() const;
    // Between the two (nested pairs count as one) changes are not painted;
    // EndUpdate paints the view once, scrolled to its end.
    void BeginUpdate();
    void EndUpdate();

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;

  protected:
    std::unique_ptr<IControlPeer> MakePeer(IWidgetSet& widgets, IFormPeer& form) override;
    void PushState() override;
    void PeerDestroyed() override { editPeer_ = nullptr; }

  private:
    void CheckIndex(int index) const;

    IRichEditPeer* editPeer_ = nullptr;
    TRichEditOptions options_;
    bool readOnly_ = false;
    bool wordWrap_ = true;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    int textLimit_ = kDefaultTextLimit;
    int updates_ = 0;
    std::vector<std::string> initialLines_;  // from the layout, added with the peer
};
