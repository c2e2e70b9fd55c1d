// TDdeClientItem: a warm link on one item of a client conversation, as a
// window component. It holds the item's current text in Lines (Text is the
// first line) and raises OnChange whenever the link delivers data, also with
// unchanged text.
//
// Ownership: owned by its window; owns Lines; refers to its conversation
// (DdeConv) without owning it and hears of its destruction. Its link object is
// owned by the conversation.
//
// Threads: main thread only; OnChange runs inside the DDE manager's callback
// for a data notice.
//
// Throws: only what OnChange raises, out of the write or notice that raised
// it. Events are not raised while the item is being destroyed with its owner.
// OnChange may free the item even inside a write to its own DdeItem: the
// write then stops without touching it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "rtl/classes.h"

class TDdeClientConv;

class TDdeClientItem : public TComponent {
  public:
    explicit TDdeClientItem(TComponent* AOwner);
    // Detaches from its conversation.
    ~TDdeClientItem() override;

    const char* ClassName() const override { return "TDdeClientItem"; }

    // Published properties, in stream order.
    std::string Text() const { return lines_.empty() ? std::string() : lines_.front(); }
    void SetText(const std::string&) {}  // no effect
    // The list itself: a stored layout fills it directly.
    std::vector<std::string>& Lines() { return lines_; }
    const std::vector<std::string>& Lines() const { return lines_; }
    void SetLines(const std::vector<std::string>&) {}  // no effect
    TDdeClientConv* DdeConv() const { return conv_; }
    // Moves the item to another conversation (nullptr: none), carrying its
    // item name over.
    void SetDdeConv(TDdeClientConv* value);
    const std::string& DdeItem() const { return ddeItem_; }
    // Attaches, renames or (empty) detaches the item's link. Without a
    // conversation the name is kept only while loading, to be written again
    // when DdeConv is set.
    void SetDdeItem(const std::string& value);
    TNotifyEvent OnChange;

    // Raises OnChange; called by the item link.
    void NotifyChange();

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    std::vector<std::string> lines_;
    TDdeClientConv* conv_ = nullptr;
    std::string ddeItem_;
    // Expires when the item is destroyed.
    std::shared_ptr<const bool> life_ = std::make_shared<const bool>(true);
};
