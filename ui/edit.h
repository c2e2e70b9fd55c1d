// TEdit: a one-line field the user types into. Text reads the field itself
// once it has a peer, so it always tells what the user sees. Main thread only.
#pragma once

#include <string>

#include "ui/control.h"

class TEdit : public TControl {
  public:
    explicit TEdit(TComponent* AOwner);

    const char* ClassName() const override { return "TEdit"; }

    std::string Text() const;
    void SetText(const std::string& text);

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;

  protected:
    std::unique_ptr<IControlPeer> MakePeer(IWidgetSet& widgets, IFormPeer& form) override;
    void PushState() override;
    void PeerDestroyed() override;

  private:
    IEditPeer* editPeer_ = nullptr;
    std::string text_;  // while there is no peer
};
