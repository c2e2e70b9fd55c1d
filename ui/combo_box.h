// TComboBox: an edit field with a drop-down list of items. In the csDropDown
// style (the default) the field takes any text the user types, of any length
// unless MaxLength limits it; the items are offered in the order given (unless
// Sorted), DropDownCount (8) of them at a time. Text and ItemIndex read the
// control itself once it has a peer. Style and Sorted must be set before that
// (EInvalidOperation after). Main thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

class TComboBox : public TControl {
  public:
    explicit TComboBox(TComponent* AOwner);

    const char* ClassName() const override { return "TComboBox"; }

    TComboBoxStyle Style() const { return options_.Style; }
    void SetStyle(TComboBoxStyle style);
    bool Sorted() const { return options_.Sorted; }
    void SetSorted(bool sorted);

    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(const std::vector<std::string>& items);
    void AddItem(const std::string& item);
    void ClearItems();

    std::string Text() const;
    void SetText(const std::string& text);
    int ItemIndex() const;
    void SetItemIndex(int index);

    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count);
    // 0: no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;

  protected:
    std::unique_ptr<IControlPeer> MakePeer(IWidgetSet& widgets, IFormPeer& form) override;
    void PushState() override;
    void PeerDestroyed() override;

  private:
    void RequireNoPeer(const char* property) const;

    IComboBoxPeer* comboPeer_ = nullptr;
    TComboBoxOptions options_;
    std::vector<std::string> items_;
    std::string text_;    // while there is no peer
    int itemIndex_ = -1;  // while there is no peer
    int dropDownCount_ = 8;
    int maxLength_ = 0;
};
