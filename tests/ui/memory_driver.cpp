// The driver over the in-memory window system.
#include "ui/memory/memory_widget_set.h"
#include "ui_driver.h"

namespace {

class MemoryDriver : public TUiDriver {
  public:
    IWidgetSet& Widgets() override { return widgets_; }
    void Click(TControl* control) override { widgets_.Click(control); }
    void TypeText(TComboBox* combo, const std::string& text) override {
        widgets_.TypeText(combo, text);
    }
    void ChooseMenu(TForm* form, const std::vector<std::string>& path) override {
        widgets_.ChooseMenu(form, path);
    }
    void PressCloseBox(TForm* form) override { widgets_.PressCloseBox(form); }

    bool Showing(TControl* control) override {
        return dynamic_cast<TMemoryControlState&>(*control->Peer()).Showing();
    }
    bool FormShowing(TForm* form) override { return TMemoryWidgetSet::PeerOf(form).visible; }
    std::string ShownText(TControl* control) override {
        IControlPeer* peer = control->Peer();
        if (auto* label = dynamic_cast<TMemoryLabelPeer*>(peer)) return label->caption;
        if (auto* button = dynamic_cast<TMemoryButtonPeer*>(peer)) return button->caption;
        if (auto* check = dynamic_cast<TMemoryCheckBoxPeer*>(peer)) return check->caption;
        if (auto* combo = dynamic_cast<TMemoryComboBoxPeer*>(peer)) return combo->text;
        return {};
    }
    TBounds ShownBounds(TControl* control) override {
        return dynamic_cast<TMemoryControlState&>(*control->Peer()).bounds;
    }
    TExtent ShownClientSize(TForm* form) override {
        return TMemoryWidgetSet::PeerOf(form).ClientSize();
    }
    bool ShownEnabled(TForm* form) override { return TMemoryWidgetSet::PeerOf(form).enabled; }

  private:
    TMemoryWidgetSet widgets_;
};

}  // namespace

std::unique_ptr<TUiDriver> MakeUiDriver() {
    return std::make_unique<MemoryDriver>();
}
