// TLabel: caption, transparency and the size that follows the text.
#include "ui/label.h"

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner) {}

void TLabel::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (labelPeer_ != nullptr) labelPeer_->SetCaption(caption_);
    AdjustBounds();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    if (labelPeer_ != nullptr) labelPeer_->SetTransparent(transparent_);
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || labelPeer_ == nullptr || Loading()) return;
    // Measured like the label draws it: an empty caption still has a line's height.
    const TExtent extent = labelPeer_->TextExtent(caption_.empty() ? std::string(" ") : caption_);
    SetBounds(Left(), Top(), extent.Width, extent.Height);
}

std::unique_ptr<IControlPeer> TLabel::MakePeer(IWidgetSet& widgets, IFormPeer& form) {
    return widgets.CreateLabel(form);
}

void TLabel::PushState() {
    labelPeer_ = static_cast<ILabelPeer*>(Peer());
    labelPeer_->SetCaption(caption_);
    labelPeer_->SetTransparent(transparent_);
    AdjustBounds();
}

bool TLabel::ReadProperty(TLayoutReader& reader, const std::string& name,
                          const TLayoutValue& value) {
    if (name == "Caption") {
        SetCaption(value.AsString());
    } else if (name == "AutoSize") {
        SetAutoSize(value.AsBoolean());
    } else if (name == "Transparent") {
        SetTransparent(value.AsBoolean());
    } else {
        return TControl::ReadProperty(reader, name, value);
    }
    return true;
}
