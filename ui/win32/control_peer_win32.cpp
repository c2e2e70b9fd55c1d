// Finding a control's peer from its window.
#include "ui/win32/control_peer_win32.h"

namespace {

// Marks the windows whose user data is one of our peers.
constexpr const char* kPeerProperty = "VareliPeer";

}  // namespace

void TWin32Child::Attach(HWND window) {
    window_ = window;
    SetPropA(window, kPeerProperty, reinterpret_cast<HANDLE>(this));
}

void TWin32Child::Detach() {
    RemovePropA(window_, kPeerProperty);
}

TWin32Child* TWin32Child::FromHandle(HWND window) {
    if (window == nullptr) return nullptr;
    return reinterpret_cast<TWin32Child*>(GetPropA(window, kPeerProperty));
}
