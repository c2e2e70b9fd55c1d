// TLabel: a line of text on a form. With AutoSize (the default) it takes the
// size of its caption in its font (an empty caption the size of a blank);
// opaque in its own colour, or transparent over the form. The tab key never
// reaches it. Main thread only.
#pragma once

#include <string>

#include "ui/control.h"

class TLabel : public TControl {
  public:
    explicit TLabel(TComponent* AOwner);

    const char* ClassName() const override { return "TLabel"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    bool CanTab() const override { return false; }

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;

  protected:
    std::unique_ptr<IControlPeer> MakePeer(IWidgetSet& widgets, IFormPeer& form) override;
    void PushState() override;
    void FontChanged() override { AdjustBounds(); }
    void PeerDestroyed() override { labelPeer_ = nullptr; }

  private:
    void AdjustBounds();

    ILabelPeer* labelPeer_ = nullptr;
    std::string caption_;
    bool autoSize_ = true;
    bool transparent_ = false;
};
