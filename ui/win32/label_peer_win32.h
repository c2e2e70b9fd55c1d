// A label's peer: a static text control, one line, "&" shown as written. Its
// colours come from the form's WM_CTLCOLORSTATIC; a transparent label shows
// the form's background instead of its own colour. Main thread only.
#pragma once

#include "ui/win32/control_peer_win32.h"

class TWin32LabelPeer : public TWin32Control<ILabelPeer> {
  public:
    explicit TWin32LabelPeer(TWin32FormPeer& form);

    void SetCaption(const std::string& caption) override;
    void SetTransparent(bool transparent) override;
    TExtent TextExtent(const std::string& text) override;
    HBRUSH OnCtlColor(HDC dc) override;

  private:
    bool transparent_ = false;
};
