// The edit field's EDIT control.
#include "ui/win32/edit_peer_win32.h"

TWin32EditPeer::TWin32EditPeer(TWin32FormPeer& form)
    : TWin32Control(form, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE) {}

std::string TWin32EditPeer::Text() {
    const int length = GetWindowTextLengthA(window_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window_, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void TWin32EditPeer::SetText(const std::string& text) {
    SetWindowTextA(window_, text.c_str());
}
