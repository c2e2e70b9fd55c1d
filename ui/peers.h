// The peer interfaces: what a form or control asks of the window system, one
// interface per kind of control. The Win32 peers (ui/win32/) drive real windows;
// the in-memory peers (ui/memory/) keep the same state in memory so that the
// program's windows can be tested on Linux.
//
// A control owns its peer (std::unique_ptr) and the peer holds a reference to
// the control's event interface, which outlives it. Peers are made and called on
// the main thread only. They tell their control of user actions through the
// event interfaces below, from inside the message loop; those calls must not
// throw back into the window system, so the toolkit's controls catch there
// (ErrorReport). A peer throws EOutOfResources when the system refuses to make
// or change a window.
#pragma once

#include <string>
#include <vector>

#include "ui/graphics.h"

// Position and size in pixels: a control's relative to its form's client area,
// a form's (its outer size) relative to the screen.
struct TBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    bool operator==(const TBounds& other) const {
        return Left == other.Left && Top == other.Top && Width == other.Width &&
               Height == other.Height;
    }
    bool operator!=(const TBounds& other) const { return !(*this == other); }
};

struct TExtent {
    int Width = 0;
    int Height = 0;

    bool operator==(const TExtent& other) const {
        return Width == other.Width && Height == other.Height;
    }
    bool operator!=(const TExtent& other) const { return !(*this == other); }
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned {
    biSystemMenu = 1u << 0,
    biMinimize = 1u << 1,
    biMaximize = 1u << 2,
    biHelp = 1u << 3,
};
using TBorderIcons = unsigned;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TComboBoxStyle { csDropDown, csDropDownList };

// One entry of a menu bar: a pull-down menu (with Items) or a command.
struct TMenuEntry {
    std::string Caption;
    int Command = 0;  // reported by IFormEvents::PeerMenuCommand; 0 for pull-downs
    bool Enabled = true;
    std::vector<TMenuEntry> Items;
};

// What a control's peer tells the control.
class IControlEvents {
  public:
    // The user clicked the button or check box (after the check box changed).
    virtual void PeerClicked() = 0;

  protected:
    ~IControlEvents() = default;
};

// What a form's peer tells the form.
class IFormEvents {
  public:
    // The close box, the system menu's close command or the system's close key.
    virtual void PeerCloseRequested() = 0;
    // The window's size or state changed (the user, the system, or the program).
    virtual void PeerSizeChanged() = 0;
    // A menu command was chosen.
    virtual void PeerMenuCommand(int command) = 0;

  protected:
    ~IFormEvents() = default;
};

class IControlPeer {
  public:
    virtual ~IControlPeer() = default;
    virtual void SetBounds(const TBounds& bounds) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetFont(const TFontData& font) = 0;
    virtual void SetColor(TColor color) = 0;
    // Puts the control right after `previous` in its form's tab sequence, first
    // when previous is null.
    virtual void PlaceAfter(IControlPeer* previous) = 0;
};

class ILabelPeer : public IControlPeer {
  public:
    virtual void SetCaption(const std::string& caption) = 0;
    // Transparent: the form's background shows instead of the label's colour.
    virtual void SetTransparent(bool transparent) = 0;
    // The size the text takes in the label's font, on one line.
    virtual TExtent TextExtent(const std::string& text) = 0;
};

class IButtonPeer : public IControlPeer {
  public:
    virtual void SetCaption(const std::string& caption) = 0;
    // A bitmap resource holding numGlyphs images side by side: the normal one
    // first, then the disabled one. Its bottom-left pixel's colour is
    // transparent. An empty name removes the picture.
    virtual void SetGlyph(const std::string& resourceName, int numGlyphs) = 0;
};

class ICheckBoxPeer : public IControlPeer {
  public:
    virtual void SetCaption(const std::string& caption) = 0;
    virtual bool Checked() = 0;
    virtual void SetChecked(bool checked) = 0;
};

// A one-line edit field.
class IEditPeer : public IControlPeer {
  public:
    virtual std::string Text() = 0;
    virtual void SetText(const std::string& text) = 0;
};

// Chosen when the combo box is made; they cannot change later.
struct TComboBoxOptions {
    TComboBoxStyle Style = TComboBoxStyle::csDropDown;
    bool Sorted = false;
};

class IComboBoxPeer : public IControlPeer {
  public:
    virtual void SetItems(const std::vector<std::string>& items) = 0;
    // The edit field's text (the chosen item's for a drop-down list).
    virtual std::string Text() = 0;
    virtual void SetText(const std::string& text) = 0;
    // The chosen item, -1 for none.
    virtual int ItemIndex() = 0;
    virtual void SetItemIndex(int index) = 0;
    // Items the drop-down list shows at a time.
    virtual void SetDropDownCount(int count) = 0;
    // 0: no limit.
    virtual void SetMaxLength(int length) = 0;
};

// Chosen when the view is made; they cannot change later.
struct TRichEditOptions {
    TScrollStyle ScrollBars = TScrollStyle::ssBoth;
};

// One line for a rich-text view and its text colour.
struct TColoredLine {
    std::string Text;
    TColor Color = clBlack;
};

// A rich-text view of lines, each with its own text colour. A line end counts
// as one character toward the text limit.
class IRichEditPeer : public IControlPeer {
  public:
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual void SetWordWrap(bool wordWrap) = 0;
    // Whether the view takes Enter and Tab for itself instead of leaving them
    // to the form's keyboard navigation.
    virtual void SetWantKeys(bool wantReturns, bool wantTabs) = 0;
    // The most characters the view holds.
    virtual void SetTextLimit(int characters) = 0;
    // Lines held; an empty last line after the final line end is not counted.
    virtual int LineCount() = 0;
    // The line's text without its line end; 0 <= index < LineCount().
    virtual std::string Line(int index) = 0;
    // The text colour of the line's first character; 0 <= index < LineCount().
    virtual TColor LineColor(int index) = 0;
    // Adds text as the new last line, in the colour, leaving every other
    // character's colour as it was. Returns false, with the view unchanged, when
    // the text limit leaves no room for the whole line.
    virtual bool AppendLine(const std::string& text, TColor color) = 0;
    // Adds the lines after the last one as AppendLine would one by one, but
    // in one change of the view. Returns false, with the view unchanged, when
    // the text limit leaves no room for all of them.
    virtual bool AppendLines(const std::vector<TColoredLine>& lines) = 0;
    // Lines `first` (0 <= first <= LineCount()) to the last, read in one go.
    virtual std::vector<std::string> LinesFrom(int first) = 0;
    // Removes the first count lines (all of them when count reaches the count).
    virtual void DeleteLines(int count) = 0;
    // Off: changes are not painted until it is on again; then the view is
    // painted once, scrolled to the end of the text.
    virtual void SetPainting(bool painting) = 0;
    // Characters held, a line end counting as one.
    virtual int TextLength() = 0;
};

class IFormPeer {
  public:
    virtual ~IFormPeer() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetBorder(TBorderStyle style, TBorderIcons icons) = 0;
    virtual void SetColor(TColor color) = 0;
    // The outer bounds, on the screen.
    virtual void SetBounds(const TBounds& bounds) = 0;
    // Sizes the window so that its client area, under the menu bar, gets this size.
    virtual void SetClientSize(const TExtent& size) = 0;
    // The outer bounds; while minimised, those it will have when restored.
    virtual TBounds Bounds() = 0;
    // The client area's size; while minimised, the one it will have when restored.
    virtual TExtent ClientSize() = 0;
    virtual TWindowState WindowState() = 0;
    virtual void SetWindowState(TWindowState state) = 0;
    // An empty list removes the menu bar.
    virtual void SetMenu(const std::vector<TMenuEntry>& menu) = 0;
    // Shows the window in the state; activate false leaves the active window
    // as it is (a minimised start).
    virtual void Show(TWindowState state, bool activate) = 0;
    virtual void Hide() = 0;
    virtual bool Visible() = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() = 0;
    // Flashes the window's task bar button until the window is activated,
    // without taking the focus.
    virtual void FlashUntilActive() = 0;
};
