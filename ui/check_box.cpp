// TCheckBox: the check state lives in the peer once there is one.
#include "ui/check_box.h"

#include "ui/stored_values.h"

TCheckBox::TCheckBox(TComponent* AOwner) : TControl(AOwner) {
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (checkPeer_ != nullptr) checkPeer_->SetCaption(caption_);
}

bool TCheckBox::Checked() const {
    return checkPeer_ != nullptr ? checkPeer_->Checked() : checked_;
}

void TCheckBox::SetChecked(bool checked) {
    checked_ = checked;
    if (checkPeer_ != nullptr) checkPeer_->SetChecked(checked);
}

std::unique_ptr<IControlPeer> TCheckBox::MakePeer(IWidgetSet& widgets, IFormPeer& form) {
    return widgets.CreateCheckBox(form, *this);
}

void TCheckBox::PushState() {
    checkPeer_ = static_cast<ICheckBoxPeer*>(Peer());
    checkPeer_->SetCaption(caption_);
    checkPeer_->SetChecked(checked_);
}

void TCheckBox::PeerDestroyed() {
    checked_ = checkPeer_->Checked();
    checkPeer_ = nullptr;
}

bool TCheckBox::ReadProperty(TLayoutReader& reader, const std::string& name,
                             const TLayoutValue& value) {
    if (name == "Caption") {
        SetCaption(value.AsString());
    } else if (name == "Checked") {
        SetChecked(value.AsBoolean());
    } else if (name == "State") {
        SetChecked(EnumValue(value, {"cbUnchecked", "cbChecked"}) == 1);
    } else {
        return TControl::ReadProperty(reader, name, value);
    }
    return true;
}
