// TDdeCliItem: the item link between a client conversation and one attached
// client item: the item's name, its warm link (an item string handle while
// one is open) and the transactions that fill the item's Lines.
//
// Owned by its conversation's list; refers to the conversation and the item
// without owning them. Main thread only. Throws only what the item's change
// event raises (from SetName, FetchValue and TakeData); a data handle it
// fetched is freed all the same.
//
// While a transaction waits, DDEML may run the callback for other notices,
// and their handlers may detach this very link (naming its item "" or freeing
// it), which destroys it. Each transaction is therefore followed by a look at
// Life(): once that has expired the link stops and touches nothing of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "dde/dde_string_handle.h"
#include "rtl/classes.h"

class TDdeClientConv;
class TDdeClientItem;

class TDdeCliItem : public TPersistent {
  public:
    TDdeCliItem(TDdeClientConv* conversation, TDdeClientItem* item);
    // Closes the warm link if one is still open.
    ~TDdeCliItem() override;

    const char* ClassName() const override { return "TDdeCliItem"; }

    const std::string& Name() const { return name_; }
    std::uintptr_t ItemHandle() const { return hszItem_.Get(); }
    // The server accepted the warm link and it still stands. The item handle
    // alone does not say so: it is made before the advise start is asked
    // for, and lives while the request waits.
    bool WarmLinkStarted() const { return started_ && hszItem_; }
    TDdeClientConv* Conversation() const { return conversation_; }
    TDdeClientItem* Item() const { return item_; }

    // Closes any warm link, takes the name, clears the item's Lines, opens the
    // warm link (open conversation) and fetches the value. True when the link
    // stands (or, with the conversation closed, when it is in ddeManual mode).
    bool SetName(const std::string& name);
    // XTYP_ADVSTART without data; on refusal the item handle is released and
    // the item's Lines cleared.
    bool OpenWarmLink();
    // XTYP_ADVSTOP (open conversation only), then releases the item handle.
    void CloseWarmLink();
    // XTYP_REQUEST; the data goes to TakeData and is freed. Without an open
    // warm link only the change event is raised.
    bool FetchValue();
    // New data (0: fetch it): fills the item's Lines, raises its change event.
    void TakeData(std::uintptr_t data);

    // Expires when this link is destroyed; for code that holds the link
    // across a call that can run the DDE callback.
    std::weak_ptr<const void> Life() const { return life_; }

    // The conversation has ended: the item handle goes.
    void ReleaseItemHandle() { hszItem_.Release(); }
    // The DDE instance has ended, and the handle with it.
    void AbandonItemHandle() { hszItem_.Abandon(); }

  private:
    std::string name_;
    DdeStringHandle hszItem_;
    bool started_ = false;
    TDdeClientConv* conversation_;
    TDdeClientItem* item_;
    std::shared_ptr<const bool> life_ = std::make_shared<const bool>(true);
};
