// The timing widget set: the wrapper of the rich-text peers.
#include "bench/win32/timed_widget_set.h"

#include "bench/clock.h"
#include "ui/win32/control_peer_win32.h"

namespace {

// Passes everything to the real peer. It is also a TWin32Child on the real
// peer's window, so that the next control's PlaceAfter, which looks for the
// previous control's window, finds it through the wrapper too.
class TimedRichEditPeer : public IRichEditPeer, public TWin32Child {
  public:
    TimedRichEditPeer(std::unique_ptr<IRichEditPeer> inner, TimedWidgetSet& widgets)
        : inner_(std::move(inner)), widgets_(widgets) {
        if (auto* child = dynamic_cast<TWin32Child*>(inner_.get())) window_ = child->Handle();
    }

    void SetBounds(const TBounds& bounds) override { inner_->SetBounds(bounds); }
    void SetVisible(bool visible) override { inner_->SetVisible(visible); }
    void SetEnabled(bool enabled) override { inner_->SetEnabled(enabled); }
    void SetFont(const TFontData& font) override { inner_->SetFont(font); }
    void SetColor(TColor color) override { inner_->SetColor(color); }
    void PlaceAfter(IControlPeer* previous) override { inner_->PlaceAfter(previous); }
    void SetReadOnly(bool readOnly) override { inner_->SetReadOnly(readOnly); }
    void SetWordWrap(bool wordWrap) override { inner_->SetWordWrap(wordWrap); }
    void SetWantKeys(bool wantReturns, bool wantTabs) override {
        inner_->SetWantKeys(wantReturns, wantTabs);
    }
    void SetTextLimit(int characters) override { inner_->SetTextLimit(characters); }
    int LineCount() override { return inner_->LineCount(); }
    std::string Line(int index) override { return inner_->Line(index); }
    TColor LineColor(int index) override { return inner_->LineColor(index); }
    bool AppendLine(const std::string& text, TColor color) override {
        const double start = BenchNow();
        const bool appended = inner_->AppendLine(text, color);
        if (appended) widgets_.NoteAppend(start, BenchNow());
        return appended;
    }
    bool AppendLines(const std::vector<TColoredLine>& lines) override {
        return inner_->AppendLines(lines);
    }
    std::vector<std::string> LinesFrom(int first) override { return inner_->LinesFrom(first); }
    void DeleteLines(int count) override { inner_->DeleteLines(count); }
    void SetPainting(bool painting) override { inner_->SetPainting(painting); }
    int TextLength() override { return inner_->TextLength(); }

  private:
    std::unique_ptr<IRichEditPeer> inner_;
    TimedWidgetSet& widgets_;
};

}  // namespace

std::unique_ptr<IRichEditPeer> TimedWidgetSet::CreateRichEdit(IFormPeer& parent,
                                                              const TRichEditOptions& options) {
    return std::make_unique<TimedRichEditPeer>(inner_.CreateRichEdit(parent, options), *this);
}
