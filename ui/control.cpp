// TControl: keeps the common properties and hands each change to the peer.
#include "ui/control.h"

#include <algorithm>

#include "rtl/error_report.h"
#include "ui/form.h"
#include "ui/stored_values.h"

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    font_.OnChange = [this](TObject*) { OwnFontChanged(); };
}

TControl::~TControl() {
    if (parent_ != nullptr) parent_->RemoveControl(this);
}

void TControl::SetParent(TForm* parent) {
    if (parent == parent_) return;
    if (parent_ != nullptr) {
        parent_->RemoveControl(this);
        DetachFromParent();
    }
    parent_ = parent;
    if (parent_ == nullptr) return;
    parent_->InsertControl(this);
    if (parentFont_) FollowParentFont(parent_->Font()->Data());
    if (parentColor_) FollowParentColor(parent_->Color());
    MakePeerWhenReady();
}

void TControl::SetParentComponent(TComponent* parent) {
    if (auto* form = dynamic_cast<TForm*>(parent)) {
        SetParent(form);
        return;
    }
    throw EReadError(std::string(ClassName()) + " must lie on a form");
}

void TControl::Loaded() {
    TComponent::Loaded();
    MakePeerWhenReady();
}

void TControl::MakePeerWhenReady() {
    if (peer_ || parent_ == nullptr || Loading()) return;
    peer_ = MakePeer(parent_->WidgetSet(), parent_->FormPeer());
    peer_->SetFont(font_.Data());
    peer_->SetColor(color_);
    peer_->SetEnabled(enabled_);
    peer_->SetBounds(bounds_);
    PushState();
    peer_->SetVisible(visible_);
    parent_->ControlPeerMade(this);
}

void TControl::DetachFromParent() {
    if (peer_) {
        PeerDestroyed();
        peer_.reset();
    }
    parent_ = nullptr;
}

void TControl::RequirePeer() const {
    if (!peer_) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
}

void TControl::SetBounds(int left, int top, int width, int height) {
    const TBounds bounds{left, top, std::max(width, 0), std::max(height, 0)};
    if (bounds == bounds_) return;
    bounds_ = bounds;
    if (peer_) peer_->SetBounds(bounds_);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (peer_) peer_->SetVisible(visible_);
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (peer_) peer_->SetEnabled(enabled_);
}

void TControl::SetParentFont(bool parentFont) {
    if (parentFont == parentFont_) return;
    parentFont_ = parentFont;
    if (parentFont_ && parent_ != nullptr) FollowParentFont(parent_->Font()->Data());
}

void TControl::FollowParentFont(const TFontData& font) {
    followingParent_ = true;
    font_.SetData(font);
    followingParent_ = false;
}

void TControl::OwnFontChanged() {
    // A font of its own ends following the form's, as a stored layout expects
    // when it gives a control a font property.
    if (!followingParent_) parentFont_ = false;
    if (peer_) peer_->SetFont(font_.Data());
    FontChanged();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    if (peer_) peer_->SetColor(color_);
}

void TControl::SetParentColor(bool parentColor) {
    if (parentColor == parentColor_) return;
    parentColor_ = parentColor;
    if (parentColor_ && parent_ != nullptr) FollowParentColor(parent_->Color());
}

void TControl::FollowParentColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    if (peer_) peer_->SetColor(color_);
}

int TControl::TabOrder() const {
    if (parent_ == nullptr || !CanTab()) return storedTabOrder_;
    return parent_->TabIndexOf(this);
}

void TControl::SetTabOrder(int order) {
    if (!CanTab()) return;
    if (Loading() || parent_ == nullptr) {
        storedTabOrder_ = order;
        return;
    }
    parent_->MoveInTabList(this, order);
}

void TControl::Click() {
    RaiseEvent(OnClick, this);
}

void TControl::PeerClicked() {
    ErrorReport::Guard([this] { Click(); });
}

bool TControl::ReadProperty(TLayoutReader& reader, const std::string& name,
                            const TLayoutValue& value) {
    if (name == "Left") {
        SetLeft(value.AsInteger());
    } else if (name == "Top") {
        SetTop(value.AsInteger());
    } else if (name == "Width") {
        SetWidth(value.AsInteger());
    } else if (name == "Height") {
        SetHeight(value.AsInteger());
    } else if (name == "Visible") {
        SetVisible(value.AsBoolean());
    } else if (name == "Enabled") {
        SetEnabled(value.AsBoolean());
    } else if (name == "Color") {
        SetColor(ColorValue(value));
    } else if (name == "ParentColor") {
        SetParentColor(value.AsBoolean());
    } else if (name == "ParentFont") {
        SetParentFont(value.AsBoolean());
    } else if (name == "TabOrder") {
        SetTabOrder(value.AsInteger());
    } else if (name == "OnClick") {
        OnClick = reader.FindMethod<TNotifyEvent>(value);
    } else {
        return ReadFontProperty(font_, name, value);
    }
    return true;
}
