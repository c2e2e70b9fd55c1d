// The edit field's EDIT control.
#include "ui/win32/edit_peer_win32.h"

TWin32EditPeer::TWin32EditPeer(TWin32FormPeer& form)
    : TWin32Control(form, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE) {}

std::string TWin32EditPeer::Text() {
    return WindowText();
}

void TWin32EditPeer::SetText(const std::string& text) {
    SetWindowTextA(window_, text.c_str());
}
