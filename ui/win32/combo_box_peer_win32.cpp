// The combo box control: its field height, list height, text and items.
#include "ui/win32/combo_box_peer_win32.h"

namespace {

DWORD ComboStyle(const TComboBoxOptions& options) {
    DWORD style = WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL;
    style |= options.Style == TComboBoxStyle::csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
    if (options.Sorted) style |= CBS_SORT;
    return style;
}

}  // namespace

TWin32ComboBoxPeer::TWin32ComboBoxPeer(TWin32FormPeer& form, const TComboBoxOptions& options)
    : TWin32Control(form, "COMBOBOX", ComboStyle(options)), options_(options) {
    SendMessageA(window_, CB_LIMITTEXT, 0, 0);  // 0: as long as the system allows
}

void TWin32ComboBoxPeer::SetBounds(const TBounds& bounds) {
    bounds_ = bounds;
    ApplyBounds();
}

int TWin32ComboBoxPeer::ClosedHeight() const {
    RECT closed = {};
    GetWindowRect(window_, &closed);
    return closed.bottom - closed.top;
}

void TWin32ComboBoxPeer::ApplyBounds() {
    // The closed box's height follows the field's item height: set it so that
    // the box gets the layout's height. wine answers CB_GETITEMHEIGHT for the
    // field with 2 more than was set, so the height is approached by
    // measuring rather than computed once.
    if (bounds_.Height > 0) {
        auto request = static_cast<int>(SendMessageA(window_, CB_GETITEMHEIGHT, -1, 0));
        for (int attempt = 0; attempt < 4; ++attempt) {
            const int closed = ClosedHeight();
            if (closed == bounds_.Height) break;
            request += bounds_.Height - closed;
            if (request <= 0) break;
            SendMessageA(window_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
        }
    }
    // The window's height is the closed box and its list together.
    const auto rowHeight = static_cast<int>(SendMessageA(window_, CB_GETITEMHEIGHT, 0, 0));
    const int listHeight = rowHeight * dropDownCount_ + 2;
    MoveWindow(window_, bounds_.Left, bounds_.Top, bounds_.Width, ClosedHeight() + listHeight,
               TRUE);
}

void TWin32ComboBoxPeer::SetFont(const TFontData& font) {
    TWin32Control::SetFont(font);
    ApplyBounds();
}

void TWin32ComboBoxPeer::SetItems(const std::vector<std::string>& items) {
    // Emptying the list empties the edit field too: keep what it held.
    const std::string text = Text();
    const int index = ItemIndex();
    SendMessageA(window_, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        SendMessageA(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (index >= 0 && index < static_cast<int>(items.size()) && items[index] == text)
        SetItemIndex(index);
    else
        SetText(text);
    ApplyBounds();
}

std::string TWin32ComboBoxPeer::Text() {
    return WindowText();
}

void TWin32ComboBoxPeer::SetText(const std::string& text) {
    if (options_.Style == TComboBoxStyle::csDropDownList) {
        const LRESULT found = SendMessageA(window_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(window_, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : found, 0);
        return;
    }
    SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(window_, text.c_str());
}

int TWin32ComboBoxPeer::ItemIndex() {
    return static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0));
}

void TWin32ComboBoxPeer::SetItemIndex(int index) {
    SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TWin32ComboBoxPeer::SetDropDownCount(int count) {
    dropDownCount_ = count;
    ApplyBounds();
}

void TWin32ComboBoxPeer::SetMaxLength(int length) {
    SendMessageA(window_, CB_LIMITTEXT, static_cast<WPARAM>(length), 0);
}
