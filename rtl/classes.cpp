// The component model's ownership and notification rules.
#include "rtl/classes.h"

#include <algorithm>

void TPersistent::Assign(const TPersistent* Source) {
    if (Source == nullptr) AssignError(nullptr);
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const {
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const {
    throw EConvertError(Format("Cannot assign a %s to a %s",
                               Source != nullptr ? Source->ClassName() : "nil", ClassName()));
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    MarkDestroying();
    // Tell everybody who asked, newest registration first.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& back = other->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::MarkDestroying() {
    state_ |= csDestroying;
    for (TComponent* c : components_) c->MarkDestroying();
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_) {
        if (!name.empty() && c->Name() == name) return c;
    }
    return nullptr;
}

void TComponent::Loaded() {
    state_ &= ~csLoading;
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent == this) return;
    // The owner relation already carries the notice.
    if (owner_ != nullptr && owner_ == AComponent->owner_) {
        // Siblings are told through their common owner; registering too would
        // tell them twice.
        return;
    }
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    auto& other = AComponent->freeNotifies_;
    if (std::find(other.begin(), other.end(), this) == other.end()) other.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent),
                        freeNotifies_.end());
    if (AComponent == nullptr) return;
    auto& other = AComponent->freeNotifies_;
    other.erase(std::remove(other.begin(), other.end(), this), other.end());
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (AComponent->owner_ != nullptr) AComponent->owner_->RemoveComponent(AComponent);
    components_.push_back(AComponent);
    AComponent->owner_ = this;
    Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    Notification(AComponent, TOperation::opRemove);
    components_.erase(std::remove(components_.begin(), components_.end(), AComponent),
                      components_.end());
    AComponent->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        delete last;  // its destructor removes it from components_
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent != nullptr) {
        freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent),
                            freeNotifies_.end());
    }
    // Copy: a handler may change the list.
    const std::vector<TComponent*> owned = components_;
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        if (*it != AComponent) (*it)->Notification(AComponent, Operation);
    }
}
