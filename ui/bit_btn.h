// TBitBtn: a push button with a caption and a picture (a bitmap resource of
// NumGlyphs images: normal, then disabled; see ui/glyphs.h). OnClick runs when
// the user presses it. Main thread only.
#pragma once

#include <string>

#include "ui/control.h"

class TBitBtn : public TControl {
  public:
    explicit TBitBtn(TComponent* AOwner);

    const char* ClassName() const override { return "TBitBtn"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // The bitmap resource's name; empty for none.
    const std::string& Glyph() const { return glyph_; }
    void SetGlyph(const std::string& resourceName);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;

  protected:
    std::unique_ptr<IControlPeer> MakePeer(IWidgetSet& widgets, IFormPeer& form) override;
    void PushState() override;
    void PeerDestroyed() override { buttonPeer_ = nullptr; }

  private:
    IButtonPeer* buttonPeer_ = nullptr;
    std::string caption_;
    std::string glyph_;
    int numGlyphs_ = 1;
};
