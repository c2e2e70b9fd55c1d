// The check box's button control.
#include "ui/win32/check_box_peer_win32.h"

TWin32CheckBoxPeer::TWin32CheckBoxPeer(TWin32FormPeer& form, IControlEvents& events)
    : TWin32Control(form, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP), events_(events) {}

void TWin32CheckBoxPeer::SetCaption(const std::string& caption) {
    SetWindowTextA(window_, caption.c_str());
}

bool TWin32CheckBoxPeer::Checked() {
    return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWin32CheckBoxPeer::SetChecked(bool checked) {
    SendMessageA(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TWin32CheckBoxPeer::OnCommand(int code) {
    if (code == BN_CLICKED) events_.PeerClicked();
}
