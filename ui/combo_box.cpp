// TComboBox: items kept here and in the peer; text and choice in the peer.
#include "ui/combo_box.h"

#include "ui/stored_values.h"

TComboBox::TComboBox(TComponent* AOwner) : TControl(AOwner) {
    SetBounds(0, 0, 145, 21);
    SetColor(clWindow);
}

void TComboBox::RequireNoPeer(const char* property) const {
    if (comboPeer_ != nullptr)
        throw EInvalidOperation(std::string(property) + " of '" + Name() +
                                "' cannot change once it is shown");
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    if (style == options_.Style) return;
    RequireNoPeer("Style");
    options_.Style = style;
}

void TComboBox::SetSorted(bool sorted) {
    if (sorted == options_.Sorted) return;
    RequireNoPeer("Sorted");
    options_.Sorted = sorted;
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    if (comboPeer_ != nullptr) comboPeer_->SetItems(items_);
}

void TComboBox::AddItem(const std::string& item) {
    items_.push_back(item);
    if (comboPeer_ != nullptr) comboPeer_->SetItems(items_);
}

void TComboBox::ClearItems() {
    SetItems({});
}

std::string TComboBox::Text() const {
    return comboPeer_ != nullptr ? comboPeer_->Text() : text_;
}

void TComboBox::SetText(const std::string& text) {
    text_ = text;
    if (comboPeer_ != nullptr) comboPeer_->SetText(text);
}

int TComboBox::ItemIndex() const {
    return comboPeer_ != nullptr ? comboPeer_->ItemIndex() : itemIndex_;
}

void TComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    itemIndex_ = index;
    if (index >= 0) text_ = items_[static_cast<size_t>(index)];
    if (comboPeer_ != nullptr) comboPeer_->SetItemIndex(index);
}

void TComboBox::SetDropDownCount(int count) {
    dropDownCount_ = count < 1 ? 1 : count;
    if (comboPeer_ != nullptr) comboPeer_->SetDropDownCount(dropDownCount_);
}

void TComboBox::SetMaxLength(int length) {
    maxLength_ = length < 0 ? 0 : length;
    if (comboPeer_ != nullptr) comboPeer_->SetMaxLength(maxLength_);
}

std::unique_ptr<IControlPeer> TComboBox::MakePeer(IWidgetSet& widgets, IFormPeer& form) {
    return widgets.CreateComboBox(form, options_);
}

void TComboBox::PushState() {
    comboPeer_ = static_cast<IComboBoxPeer*>(Peer());
    comboPeer_->SetDropDownCount(dropDownCount_);
    comboPeer_->SetMaxLength(maxLength_);
    comboPeer_->SetItems(items_);
    if (itemIndex_ >= 0)
        comboPeer_->SetItemIndex(itemIndex_);
    else
        comboPeer_->SetText(text_);
}

void TComboBox::PeerDestroyed() {
    text_ = comboPeer_->Text();
    itemIndex_ = comboPeer_->ItemIndex();
    comboPeer_ = nullptr;
}

bool TComboBox::ReadProperty(TLayoutReader& reader, const std::string& name,
                             const TLayoutValue& value) {
    if (name == "Style") {
        SetStyle(static_cast<TComboBoxStyle>(EnumValue(value, {"csDropDown", "csDropDownList"})));
    } else if (name == "Sorted") {
        SetSorted(value.AsBoolean());
    } else if (name == "Items" || name == "Items.Strings") {
        SetItems(value.AsStrings());
    } else if (name == "Text") {
        SetText(value.AsString());
    } else if (name == "ItemIndex") {
        SetItemIndex(value.AsInteger());
    } else if (name == "DropDownCount") {
        SetDropDownCount(value.AsInteger());
    } else if (name == "MaxLength") {
        SetMaxLength(value.AsInteger());
    } else if (name == "ItemHeight") {
        // The field's height follows the layout's Height; the list's rows the font.
        value.AsInteger();
    } else {
        return TControl::ReadProperty(reader, name, value);
    }
    return true;
}
