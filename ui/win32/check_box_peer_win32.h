// A check box's peer: the system's automatic check box; a click toggles it
// and then tells the control. Main thread only.
#pragma once

#include "ui/win32/control_peer_win32.h"

class TWin32CheckBoxPeer : public TWin32Control<ICheckBoxPeer> {
  public:
    TWin32CheckBoxPeer(TWin32FormPeer& form, IControlEvents& events);

    void SetCaption(const std::string& caption) override;
    bool Checked() override;
    void SetChecked(bool checked) override;
    void OnCommand(int code) override;

  private:
    IControlEvents& events_;
};
