// TRichEdit: the view's options and its line operations over the peer.
#include "ui/rich_edit.h"

#include "rtl/sysutils.h"
#include "ui/stored_values.h"

TRichEdit::TRichEdit(TComponent* AOwner) : TControl(AOwner) {
    SetBounds(0, 0, 185, 89);
    SetColor(clWindow);
}

void TRichEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (editPeer_ != nullptr) editPeer_->SetReadOnly(readOnly_);
}

void TRichEdit::SetScrollBars(TScrollStyle scrollBars) {
    if (scrollBars == options_.ScrollBars) return;
    if (editPeer_ != nullptr)
        throw EInvalidOperation("ScrollBars of '" + Name() + "' cannot change once it is shown");
    options_.ScrollBars = scrollBars;
}

void TRichEdit::SetWordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    if (editPeer_ != nullptr) editPeer_->SetWordWrap(wordWrap_);
}

void TRichEdit::SetWantReturns(bool wantReturns) {
    wantReturns_ = wantReturns;
    if (editPeer_ != nullptr) editPeer_->SetWantKeys(wantReturns_, wantTabs_);
}

void TRichEdit::SetWantTabs(bool wantTabs) {
    wantTabs_ = wantTabs;
    if (editPeer_ != nullptr) editPeer_->SetWantKeys(wantReturns_, wantTabs_);
}

void TRichEdit::SetTextLimit(int characters) {
    textLimit_ = characters > 0 ? characters : kDefaultTextLimit;
    if (editPeer_ != nullptr) editPeer_->SetTextLimit(textLimit_);
}

int TRichEdit::LineCount() const {
    RequirePeer();
    return editPeer_->LineCount();
}

void TRichEdit::CheckIndex(int index) const {
    if (index < 0 || index >= LineCount())
        throw EStringListError(Format("List index out of bounds (%d)", index));
}

std::string TRichEdit::Line(int index) const {
    CheckIndex(index);
    return editPeer_->Line(index);
}

TColor TRichEdit::LineColor(int index) const {
    CheckIndex(index);
    return editPeer_->LineColor(index);
}

void TRichEdit::AppendLine(const std::string& text) {
    AppendLine(text, Font()->Color());
}

void TRichEdit::AppendLine(const std::string& text, TColor color) {
    RequirePeer();
    if (!editPeer_->AppendLine(text, color)) throw EOutOfResources("RichEdit line insertion error");
}

void TRichEdit::AppendLines(const std::vector<TColoredLine>& lines) {
    RequirePeer();
    if (lines.empty()) return;
    if (!editPeer_->AppendLines(lines)) throw EOutOfResources("RichEdit line insertion error");
}

std::vector<std::string> TRichEdit::LinesFrom(int first) const {
    if (first != LineCount()) CheckIndex(first);
    return editPeer_->LinesFrom(first);
}

void TRichEdit::DeleteFirstLines(int count) {
    RequirePeer();
    if (count <= 0) return;
    editPeer_->DeleteLines(count);
}

void TRichEdit::BeginUpdate() {
    RequirePeer();
    if (updates_++ == 0) editPeer_->SetPainting(false);
}

void TRichEdit::EndUpdate() {
    RequirePeer();
    if (updates_ > 0 && --updates_ == 0) editPeer_->SetPainting(true);
}

int TRichEdit::TextLength() const {
    RequirePeer();
    return editPeer_->TextLength();
}

std::unique_ptr<IControlPeer> TRichEdit::MakePeer(IWidgetSet& widgets, IFormPeer& form) {
    return widgets.CreateRichEdit(form, options_);
}

void TRichEdit::PushState() {
    editPeer_ = static_cast<IRichEditPeer*>(Peer());
    editPeer_->SetTextLimit(textLimit_);
    editPeer_->SetWordWrap(wordWrap_);
    editPeer_->SetWantKeys(wantReturns_, wantTabs_);
    for (const std::string& line : initialLines_) {
        if (!editPeer_->AppendLine(line, Font()->Color()))
            throw EOutOfResources("RichEdit line insertion error");
    }
    initialLines_.clear();
    editPeer_->SetReadOnly(readOnly_);
}

bool TRichEdit::ReadProperty(TLayoutReader& reader, const std::string& name,
                             const TLayoutValue& value) {
    if (name == "ReadOnly") {
        SetReadOnly(value.AsBoolean());
    } else if (name == "ScrollBars") {
        SetScrollBars(static_cast<TScrollStyle>(
            EnumValue(value, {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})));
    } else if (name == "WordWrap") {
        SetWordWrap(value.AsBoolean());
    } else if (name == "WantReturns") {
        SetWantReturns(value.AsBoolean());
    } else if (name == "WantTabs") {
        SetWantTabs(value.AsBoolean());
    } else if (name == "MaxLength") {
        SetTextLimit(value.AsInteger());
    } else if (name == "Lines" || name == "Lines.Strings") {
        initialLines_ = value.AsStrings();
    } else {
        return TControl::ReadProperty(reader, name, value);
    }
    return true;
}
