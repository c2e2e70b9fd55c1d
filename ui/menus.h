// The menu bar: TMainMenu holds a tree of TMenuItem; a form shows it as its
// menu bar (TForm::SetMenu or the layout's Menu property).
//
// Items are components, owned like any other (by the form their layout is
// read into); an item's destruction takes it out of its menu. A menu has no
// shortcut keys and no accelerator letters: captions are shown as written,
// and a "&" in one is shown as "&".
//
// Main thread only. Click() raises OnClick to its caller; a choice from the
// menu bar reaches OnClick through the form, which reports what it raises.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/classes.h"
#include "ui/layout.h"
#include "ui/peers.h"

class TMainMenu;

class TMenuItem : public TComponent, public IStoredComponent {
  public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const char* ClassName() const override { return "TMenuItem"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(index); }
    TMenuItem* Parent() const { return parent_; }
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);

    // The number the menu bar reports when this item is chosen; unique in the program.
    int Command() const { return command_; }

    virtual void Click();
    TNotifyEvent OnClick;

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;
    void SetParentComponent(TComponent* parent) override;

  private:
    friend class TMainMenu;
    void Changed();
    TMenuItem* FindCommand(int command);
    TMenuEntry Entry() const;

    std::string caption_;
    bool enabled_ = true;
    int command_;
    TMenuItem* parent_ = nullptr;
    TMainMenu* menu_ = nullptr;  // set on the root item only
    std::vector<TMenuItem*> items_;
};

class TMainMenu : public TComponent, public IStoredComponent {
  public:
    explicit TMainMenu(TComponent* AOwner);
    ~TMainMenu() override;

    const char* ClassName() const override { return "TMainMenu"; }

    // The root item; its items are the menu bar's pull-down menus.
    TMenuItem* Items() const { return root_.get(); }

    // The menu bar as the peer shows it.
    std::vector<TMenuEntry> Entries() const;
    // The item with that command; null when none.
    TMenuItem* FindCommand(int command) const;

    // Told of every change of an item (the form that shows the menu).
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;
    void SetParentComponent(TComponent* parent) override;

  private:
    friend class TMenuItem;
    void Changed();

    std::unique_ptr<TMenuItem> root_;
    std::function<void()> onChange_;
};
