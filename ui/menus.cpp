// The menu tree and the command numbers its items are chosen by.
#include "ui/menus.h"

#include <algorithm>

namespace {

// Commands start above the numbers dialog navigation sends (IDOK, IDCANCEL).
int NextCommand() {
    static int next = 100;
    return next++;
}

}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
    for (TMenuItem* item : items_) item->parent_ = nullptr;
    if (parent_ != nullptr) parent_->Remove(this);
}

void TMenuItem::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed();
}

void TMenuItem::Add(TMenuItem* item) {
    if (item->parent_ != nullptr) item->parent_->Remove(item);
    items_.push_back(item);
    item->parent_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto found = std::find(items_.begin(), items_.end(), item);
    if (found == items_.end()) return;
    items_.erase(found);
    item->parent_ = nullptr;
    Changed();
}

void TMenuItem::Click() {
    RaiseEvent(OnClick, this);
}

void TMenuItem::Changed() {
    TMenuItem* root = this;
    while (root->parent_ != nullptr) root = root->parent_;
    if (root->menu_ != nullptr) root->menu_->Changed();
}

TMenuItem* TMenuItem::FindCommand(int command) {
    if (command_ == command) return this;
    for (TMenuItem* item : items_) {
        if (TMenuItem* found = item->FindCommand(command)) return found;
    }
    return nullptr;
}

TMenuEntry TMenuItem::Entry() const {
    TMenuEntry entry;
    entry.Caption = caption_;
    entry.Enabled = enabled_;
    if (items_.empty()) entry.Command = command_;
    for (const TMenuItem* item : items_) entry.Items.push_back(item->Entry());
    return entry;
}

bool TMenuItem::ReadProperty(TLayoutReader& reader, const std::string& name,
                             const TLayoutValue& value) {
    if (name == "Caption") {
        SetCaption(value.AsString());
    } else if (name == "Enabled") {
        SetEnabled(value.AsBoolean());
    } else if (name == "OnClick") {
        OnClick = reader.FindMethod<TNotifyEvent>(value);
    } else {
        return false;
    }
    return true;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
    if (auto* menu = dynamic_cast<TMainMenu*>(parent)) {
        menu->Items()->Add(this);
    } else if (auto* item = dynamic_cast<TMenuItem*>(parent)) {
        item->Add(this);
    } else {
        throw EReadError("A menu item must lie in a menu");
    }
}

TMainMenu::TMainMenu(TComponent* AOwner)
    : TComponent(AOwner), root_(std::make_unique<TMenuItem>(nullptr)) {
    root_->menu_ = this;
}

TMainMenu::~TMainMenu() {
    // Items owned elsewhere may outlive the menu: loosen them first.
    root_->menu_ = nullptr;
}

std::vector<TMenuEntry> TMainMenu::Entries() const {
    return root_->Entry().Items;
}

TMenuItem* TMainMenu::FindCommand(int command) const {
    if (command == root_->command_) return nullptr;
    return root_->FindCommand(command);
}

void TMainMenu::Changed() {
    if (onChange_ && !Loading()) onChange_();
}

bool TMainMenu::ReadProperty(TLayoutReader&, const std::string&, const TLayoutValue&) {
    return false;
}

void TMainMenu::SetParentComponent(TComponent*) {}
