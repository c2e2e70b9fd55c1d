// TEdit: the text lives in the peer once there is one.
#include "ui/edit.h"

TEdit::TEdit(TComponent* AOwner) : TControl(AOwner) {
    SetBounds(0, 0, 121, 21);
}

std::string TEdit::Text() const {
    return editPeer_ != nullptr ? editPeer_->Text() : text_;
}

void TEdit::SetText(const std::string& text) {
    text_ = text;
    if (editPeer_ != nullptr) editPeer_->SetText(text);
}

std::unique_ptr<IControlPeer> TEdit::MakePeer(IWidgetSet& widgets, IFormPeer& form) {
    return widgets.CreateEdit(form);
}

void TEdit::PushState() {
    editPeer_ = static_cast<IEditPeer*>(Peer());
    editPeer_->SetText(text_);
}

void TEdit::PeerDestroyed() {
    text_ = editPeer_->Text();
    editPeer_ = nullptr;
}

bool TEdit::ReadProperty(TLayoutReader& reader, const std::string& name,
                         const TLayoutValue& value) {
    if (name == "Text") {
        SetText(value.AsString());
        return true;
    }
    return TControl::ReadProperty(reader, name, value);
}
