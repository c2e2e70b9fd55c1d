// TDdeClientConv: one DDE conversation, as a client, with one service and
// topic, on the DDE manager's instance. It opens on request, or by itself
// once its window's stored layout has been loaded, starting the server
// program once when it does not answer; it holds one item link per attached
// TDdeClientItem (a warm link on that item) and raises OnOpen and OnClose.
//
// Ownership: owned by its window like any component; it owns its item links
// (TDdeCliItem), never the client items. Its DDEML resources (conversation,
// string handles) are released by CloseConversation and by its destructor.
//
// Threads: main thread only. The DDE manager's callback calls DeliverData and
// ConversationLost on that thread, possibly while one of this object's own
// synchronous transactions is waiting.
//
// Throws: writing ConnectMode raises Exception "Unable to connect DDE
// conversation" when the switch to ddeAutomatic cannot connect; whatever an
// event handler (OnOpen, OnClose, an item's OnChange) raises passes out of the
// operation that raised the event, after the operation has left the object
// consistent. Failures of DDE itself are results, not exceptions. Opening
// without a DDE manager raises EDdeError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dde/dde_string_handle.h"
#include "platform/ddeml.h"
#include "rtl/classes.h"

class TDdeClientItem;
class TDdeCliItem;
class TDdeMgr;

enum TDataMode : std::uint8_t { ddeAutomatic = 0, ddeManual = 1 };

class TDdeClientConv : public TComponent {
  public:
    explicit TDdeClientConv(TComponent* AOwner);
    ~TDdeClientConv() override;

    const char* ClassName() const override { return "TDdeClientConv"; }

    // Connects to DdeService/DdeTopic, opens every item's warm link, raises
    // OnOpen and fetches every item's value. False when already open (nothing
    // happens then) or when no conversation could be made.
    bool OpenConversation();
    // Raises OnClose if open, ends the conversation, releases the string
    // handles and empties DdeService and DdeTopic; item links keep their names.
    void CloseConversation();
    // Closes, stores both names and opens; on failure both names are emptied.
    bool Reconnect(std::string service, std::string topic);
    // As Reconnect, but never starts the server program: for trying again
    // while the user may have closed it on purpose.
    bool Rejoin(std::string service, std::string topic);
    // Open, and the partner's window still there (some systems send no
    // disconnect notice when the server's process ends). A partner whose
    // window the library did not tell counts as there.
    bool PartnerAlive() const;
    // An open, close, item link change or data delivery of this conversation
    // is running: it may be waiting in DDEML's loop, which runs timers.
    bool Busy() const { return busy_ > 0; }
    // Closes; then Reconnect in ddeAutomatic mode, or in ddeManual mode stores
    // the names and lets every item raise its change event (true).
    bool Retarget(std::string service, std::string topic);

    // Published properties, in stream order.
    const std::string& ServiceApplication() const { return serviceApplication_; }
    void SetServiceApplication(const std::string& value) { serviceApplication_ = value; }
    const std::string& DdeService() const { return ddeService_; }
    void SetDdeService(const std::string&) {}  // no effect: LinkInfo sets it
    const std::string& DdeTopic() const { return ddeTopic_; }
    void SetDdeTopic(const std::string&) {}  // no effect: LinkInfo sets it
    TDataMode ConnectMode() const { return connectMode_; }
    void SetConnectMode(TDataMode value);
    bool FormatChars() const { return formatChars_; }
    void SetFormatChars(bool value);
    TNotifyEvent OnClose;
    TNotifyEvent OnOpen;

    // The stored, unpublished LinkInfo list: "Service <name>", "Topic <name>".
    // Stored only when LinkInfoStored(); read back by ReadLinkInfo.
    bool LinkInfoStored() const { return !ddeService_.empty() || !ddeTopic_.empty(); }
    std::vector<std::string> WriteLinkInfo() const;
    void ReadLinkInfo(const std::vector<std::string>& lines);

    // Open exactly while the handle is non-zero.
    std::uintptr_t Conv() const { return conv_; }
    bool IsOpen() const { return conv_ != 0; }
    std::uint32_t DataFormat() const { return dataFormat_; }
    int ItemLinkCount() const { return static_cast<int>(items_.size()); }
    const TDdeCliItem& ItemLink(int index) const { return *items_.at(index); }

    // Called by the DDE manager's callback: new data for a warm link (data 0:
    // the link fetches it), or for every link when item is 0.
    void DeliverData(std::uintptr_t data, std::uintptr_t item);
    // Called by the DDE manager's callback when the server ends the
    // conversation, and by CloseConversation: raises OnClose if open, forgets
    // the handle, releases the item string handles; the names stay.
    void ConversationLost();

    // The core of a write to a client item's DdeItem: attaches, renames or
    // (empty name) detaches its link. Called by TDdeClientItem.
    bool SetItemLink(TDdeClientItem* item, const std::string& name);
    // The link of item, or nullptr.
    const TDdeCliItem* ItemLinkOf(const TDdeClientItem* item) const { return FindItemLink(item); }

    // The live conversation whose address is userHandle, or nullptr: how the
    // manager turns a user handle back into an object without trusting it.
    static TDdeClientConv* FromUserHandle(std::uintptr_t userHandle);

    // After the stored layout: reconnects when a service is set and the mode
    // is automatic.
    void Loaded() override;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void NotifyClose();
    virtual void NotifyOpen();

  private:
    friend class TDdeMgr;

    bool ConnectServer();
    bool Open(bool mayStartServer);
    // Closes, stores both names and opens; on failure both names are emptied.
    bool Join(std::string service, std::string topic, bool mayStartServer);
    void StartItemLinks();
    void DropAllItems();
    void AttachItem(TDdeClientItem* item);
    void DetachItem(TDdeClientItem* item);
    TDdeCliItem* FindItemLink(const TDdeClientItem* item) const;
    // A link with its life token, for walks that run event handlers.
    struct LinkRef {
        TDdeCliItem* link;
        std::weak_ptr<const void> life;
    };
    // The links whose item handle is item (0: all of them), in list order.
    std::vector<LinkRef> Links(std::uintptr_t item) const;
    // Still the conversation that the given connect opened.
    bool InSession(std::uint32_t session) const;
    void ReleaseItemHandles();
    void FinishClose(std::uintptr_t conversation);
    void RemoveLink(const TDdeCliItem* link);
    // The manager's instance is ending: every conversation forgets its
    // handles without a call (DdeUninitialize frees them all).
    static void AbandonInstanceOfAll();
    void AbandonInstance();

    std::string ddeService_;
    std::string ddeTopic_;
    std::uintptr_t conv_ = 0;
    // Counts successful connects: tells a conversation from a later one that
    // may even have the same handle.
    std::uint32_t session_ = 0;
    int busy_ = 0;
    DdeConvInfo convInfo_;
    std::vector<std::unique_ptr<TDdeCliItem>> items_;
    DdeStringHandle hszService_;
    DdeStringHandle hszTopic_;
    std::uint32_t dataFormat_ = ddeml::kCfText;
    std::string serviceApplication_;
    TDataMode connectMode_ = ddeAutomatic;
    bool formatChars_ = false;
};

// The DDE manager that conversations and items work on; raises EDdeError
// when none exists.
TDdeMgr& DdeManager();
