// TCheckBox: a box the user checks and clears, with a caption. Checked reads
// the box itself, so it always tells what the user sees. OnClick runs after
// the user changed it. Main thread only.
#pragma once

#include <string>

#include "ui/control.h"

class TCheckBox : public TControl {
  public:
    explicit TCheckBox(TComponent* AOwner);

    const char* ClassName() const override { return "TCheckBox"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Checked() const;
    void SetChecked(bool checked);

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;

  protected:
    std::unique_ptr<IControlPeer> MakePeer(IWidgetSet& widgets, IFormPeer& form) override;
    void PushState() override;
    void PeerDestroyed() override;

  private:
    ICheckBoxPeer* checkPeer_ = nullptr;
    std::string caption_;
    bool checked_ = false;  // while there is no peer
};
