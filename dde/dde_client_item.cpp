// TDdeClientItem: the item's side of the link; the conversation does the
// DDE work (SetItemLink).
#include "dde/dde_client_item.h"

#include "dde/dde_cli_item.h"
#include "dde/dde_client_conv.h"
#include "rtl/error_report.h"

TDdeClientItem::TDdeClientItem(TComponent* AOwner) : TComponent(AOwner) {}

TDdeClientItem::~TDdeClientItem() {
    if (conv_ == nullptr) return;
    TDdeClientConv* conv = conv_;
    // A destructor must not throw: what the change event raises is reported.
    ErrorReport::Guard([this, conv] { conv->SetItemLink(this, std::string()); });
    RemoveFreeNotification(conv);
    conv_ = nullptr;
}

void TDdeClientItem::SetDdeItem(const std::string& value) {
    TDdeClientConv* conv = conv_;
    if (conv == nullptr) {
        if (Loading()) ddeItem_ = value;
        return;
    }
    ddeItem_ = value;
    const std::weak_ptr<const void> life = life_;
    if (conv->SetItemLink(this, value) || life.expired()) return;
    // Refused. A link that survives (its conversation is still loading and
    // will open it) keeps the name; otherwise the item has none.
    const TDdeCliItem* link = conv->ItemLinkOf(this);
    if (link == nullptr || link->Name() != value) ddeItem_.clear();
}

void TDdeClientItem::SetDdeConv(TDdeClientConv* value) {
    if (value == conv_) return;
    const std::string remembered = ddeItem_;
    SetDdeItem(std::string());
    if (conv_ != nullptr) RemoveFreeNotification(conv_);
    conv_ = value;
    if (conv_ == nullptr) return;
    FreeNotification(conv_);
    if (!remembered.empty()) SetDdeItem(remembered);
}

void TDdeClientItem::NotifyChange() {
    // While its window is torn down, the handlers' objects may already be gone.
    if (Destroying()) return;
    RaiseEvent(OnChange, this);
}

void TDdeClientItem::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    // The conversation detached the link before it went; only forget it here,
    // it is no longer whole.
    if (Operation == TOperation::opRemove && AComponent != nullptr &&
        AComponent == static_cast<TComponent*>(conv_)) {
        conv_ = nullptr;
        ddeItem_.clear();
    }
}
