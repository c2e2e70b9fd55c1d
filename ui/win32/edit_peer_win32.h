// An edit field's peer: the system's one-line EDIT control with a sunken
// border, scrolling sideways as the user types. Main thread only.
#pragma once

#include "ui/win32/control_peer_win32.h"

class TWin32EditPeer : public TWin32Control<IEditPeer> {
  public:
    explicit TWin32EditPeer(TWin32FormPeer& form);

    std::string Text() override;
    void SetText(const std::string& text) override;
};
