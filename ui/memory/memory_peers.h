// The in-memory peers: each keeps, in plain fields, what the real control would
// show, and behaves like it in what the program relies on — the rich-text
// view's line rules and colours, the combo box's free text, the check box's
// state, visibility, enabled state, bounds, captions, fonts, tab sequence.
//
// Made by TMemoryWidgetSet; owned by their control like any peer. Tests read
// the fields (through TMemoryWidgetSet::PeerOf) and act as the user through
// TMemoryWidgetSet. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/peers.h"

class TMemoryFormPeer;

// What every in-memory control keeps.
class TMemoryControlState {
  public:
    explicit TMemoryControlState(TMemoryFormPeer& form);
    virtual ~TMemoryControlState();
    TMemoryControlState(const TMemoryControlState&) = delete;
    TMemoryControlState& operator=(const TMemoryControlState&) = delete;

    TMemoryFormPeer& Form() const { return form_; }
    // Visible on a visible form.
    bool Showing() const;

    TBounds bounds;
    bool visible = false;
    bool enabled = true;
    TFontData font;
    TColor color = clBtnFace;

  protected:
    void MoveAfter(TMemoryControlState* previous);

  private:
    TMemoryFormPeer& form_;
};

// IControlPeer's common part over the state above.
template <class Interface>
class TMemoryControl : public Interface, public TMemoryControlState {
  public:
    explicit TMemoryControl(TMemoryFormPeer& form) : TMemoryControlState(form) {}
    void SetBounds(const TBounds& value) override { bounds = value; }
    void SetVisible(bool value) override { visible = value; }
    void SetEnabled(bool value) override { enabled = value; }
    void SetFont(const TFontData& value) override { font = value; }
    void SetColor(TColor value) override { color = value; }
    void PlaceAfter(IControlPeer* previous) override {
        MoveAfter(dynamic_cast<TMemoryControlState*>(previous));
    }
};

class TMemoryLabelPeer : public TMemoryControl<ILabelPeer> {
  public:
    using TMemoryControl::TMemoryControl;
    void SetCaption(const std::string& value) override { caption = value; }
    void SetTransparent(bool value) override { transparent = value; }
    // Fixed metrics: a character is (|Height| + 1) / 2 pixels wide and a line
    // |Height| + 2 high, so an 11-pixel font gives 6 x 13.
    TExtent TextExtent(const std::string& text) override;

    std::string caption;
    bool transparent = false;
};

class TMemoryButtonPeer : public TMemoryControl<IButtonPeer> {
  public:
    TMemoryButtonPeer(TMemoryFormPeer& form, IControlEvents& events)
        : TMemoryControl(form), events(events) {}
    void SetCaption(const std::string& value) override { caption = value; }
    void SetGlyph(const std::string& resourceName, int count) override {
        glyph = resourceName;
        numGlyphs = count;
    }

    IControlEvents& events;
    std::string caption;
    std::string glyph;
    int numGlyphs = 1;
};

class TMemoryCheckBoxPeer : public TMemoryControl<ICheckBoxPeer> {
  public:
    TMemoryCheckBoxPeer(TMemoryFormPeer& form, IControlEvents& events)
        : TMemoryControl(form), events(events) {}
    void SetCaption(const std::string& value) override { caption = value; }
    bool Checked() override { return checked; }
    void SetChecked(bool value) override { checked = value; }

    IControlEvents& events;
    std::string caption;
    bool checked = false;
};

class TMemoryEditPeer : public TMemoryControl<IEditPeer> {
  public:
    explicit TMemoryEditPeer(TMemoryFormPeer& form) : TMemoryControl(form) {}
    std::string Text() override { return text; }
    void SetText(const std::string& value) override { text = value; }

    std::string text;
};

class TMemoryComboBoxPeer : public TMemoryControl<IComboBoxPeer> {
  public:
    TMemoryComboBoxPeer(TMemoryFormPeer& form, const TComboBoxOptions& options)
        : TMemoryControl(form), options(options) {}
    void SetItems(const std::vector<std::string>& value) override;
    std::string Text() override { return text; }
    // Like the edit field, it ends any choice of an item.
    void SetText(const std::string& value) override;
    int ItemIndex() override { return itemIndex; }
    void SetItemIndex(int index) override;
    void SetDropDownCount(int count) override { dropDownCount = count; }
    void SetMaxLength(int length) override { maxLength = length; }

    // What the user's typing leaves in the field: cut at MaxLength.
    void Type(const std::string& typed);

    TComboBoxOptions options;
    std::vector<std::string> items;
    std::string text;
    int itemIndex = -1;
    int dropDownCount = 8;
    int maxLength = 0;
};

// Holds the text as the real view does: lines separated by one line-end
// character ("\r"), and a colour per character.
class TMemoryRichEditPeer : public TMemoryControl<IRichEditPeer> {
  public:
    TMemoryRichEditPeer(TMemoryFormPeer& form, const TRichEditOptions& options)
        : TMemoryControl(form), options(options) {}
    void SetReadOnly(bool value) override { readOnly = value; }
    void SetWordWrap(bool value) override { wordWrap = value; }
    void SetWantKeys(bool returns, bool tabs) override {
        wantReturns = returns;
        wantTabs = tabs;
    }
    void SetTextLimit(int characters) override { textLimit = characters; }
    int LineCount() override;
    std::string Line(int index) override;
    TColor LineColor(int index) override;
    // CR LF, a lone CR and a lone LF inside the text each end a line, and a
    // line with a NUL is refused, as the real view takes them (view_text.h).
    bool AppendLine(const std::string& line, TColor lineColor) override;
    bool AppendLines(const std::vector<TColoredLine>& lines) override;
    std::vector<std::string> LinesFrom(int first) override;
    void DeleteLines(int count) override;
    int TextLength() override { return static_cast<int>(text.size()); }
    void SetPainting(bool value) override { painting = value; }

    TRichEditOptions options;
    bool readOnly = false;
    bool wordWrap = true;
    bool wantReturns = true;
    bool wantTabs = false;
    int textLimit = 32767;
    std::string text;
    std::vector<TColor> colors;  // one per character of text
    bool painting = true;

  private:
    size_t LineStart(int index) const;
};
