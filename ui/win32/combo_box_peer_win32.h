// A combo box's peer: the system's drop-down combo box with an edit field of
// unlimited length, or a drop-down list. The closed box keeps the layout's
// height (its field's item height is set to fit) and the list opens
// DropDownCount items high. Main thread only.
#pragma once

#include <vector>

#include "ui/win32/control_peer_win32.h"

class TWin32ComboBoxPeer : public TWin32Control<IComboBoxPeer> {
  public:
    TWin32ComboBoxPeer(TWin32FormPeer& form, const TComboBoxOptions& options);

    void SetBounds(const TBounds& bounds) override;
    void SetFont(const TFontData& font) override;
    void SetItems(const std::vector<std::string>& items) override;
    std::string Text() override;
    void SetText(const std::string& text) override;
    int ItemIndex() override;
    void SetItemIndex(int index) override;
    void SetDropDownCount(int count) override;
    void SetMaxLength(int length) override;

  private:
    void ApplyBounds();
    int ClosedHeight() const;

    TComboBoxOptions options_;
    int dropDownCount_ = 8;
};
