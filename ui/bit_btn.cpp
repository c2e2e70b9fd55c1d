// TBitBtn: caption and picture handed to the button's peer.
#include "ui/bit_btn.h"

#include <algorithm>

TBitBtn::TBitBtn(TComponent* AOwner) : TControl(AOwner) {
    SetBounds(0, 0, 75, 25);
}

void TBitBtn::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (buttonPeer_ != nullptr) buttonPeer_->SetCaption(caption_);
}

void TBitBtn::SetGlyph(const std::string& resourceName) {
    glyph_ = resourceName;
    if (buttonPeer_ != nullptr) buttonPeer_->SetGlyph(glyph_, numGlyphs_);
}

void TBitBtn::SetNumGlyphs(int count) {
    numGlyphs_ = std::clamp(count, 1, 4);
    if (buttonPeer_ != nullptr) buttonPeer_->SetGlyph(glyph_, numGlyphs_);
}

std::unique_ptr<IControlPeer> TBitBtn::MakePeer(IWidgetSet& widgets, IFormPeer& form) {
    return widgets.CreateButton(form, *this);
}

void TBitBtn::PushState() {
    buttonPeer_ = static_cast<IButtonPeer*>(Peer());
    buttonPeer_->SetCaption(caption_);
    buttonPeer_->SetGlyph(glyph_, numGlyphs_);
}

bool TBitBtn::ReadProperty(TLayoutReader& reader, const std::string& name,
                           const TLayoutValue& value) {
    if (name == "Caption") {
        SetCaption(value.AsString());
    } else if (name == "Glyph") {
        SetGlyph(value.AsString());
    } else if (name == "NumGlyphs") {
        SetNumGlyphs(value.AsInteger());
    } else {
        return TControl::ReadProperty(reader, name, value);
    }
    return true;
}
