// TDdeClientConv: the conversation's life (connect, open, close, loss) and its
// item links. Event handlers may change the link list or close the
// conversation while a walk over the links is under way, so walks re-check
// what they hold after every call that can raise an event.
#include "dde/dde_client_conv.h"

#include <algorithm>
#include <exception>

#include "dde/dde_cli_item.h"
#include "dde/dde_client_item.h"
#include "dde/dde_error.h"
#include "dde/dde_mgr.h"
#include "rtl/error_report.h"

namespace {

// Service, topic and start command pass through a 256-byte buffer.
constexpr size_t kNameLimit = 255;

std::string Limited(const std::string& text) {
    return text.substr(0, kNameLimit);
}

// Counts an operation of the conversation while it runs (it may wait inside
// DDEML, whose loop runs timers and posted calls meanwhile).
struct Working {
    explicit Working(int& depth) : depth_(depth) { ++depth_; }
    ~Working() { --depth_; }
    Working(const Working&) = delete;
    Working& operator=(const Working&) = delete;

  private:
    int& depth_;
};

std::vector<TDdeClientConv*>& LiveConversations() {
    static std::vector<TDdeClientConv*> live;
    return live;
}

}  // namespace

TDdeMgr& DdeManager() {
    TDdeMgr* manager = TDdeMgr::Current();
    if (manager == nullptr) throw EDdeError("The DDE manager has not been created");
    return *manager;
}

TDdeClientConv::TDdeClientConv(TComponent* AOwner) : TComponent(AOwner) {
    LiveConversations().push_back(this);
}

TDdeClientConv::~TDdeClientConv() {
    // A destructor must not throw: what OnClose or OnChange raise is reported.
    ErrorReport::Guard([this] { CloseConversation(); });
    while (!items_.empty()) {
        TDdeClientItem* item = items_.front()->Item();
        const TDdeCliItem* first = items_.front().get();
        ErrorReport::Guard([this, item] { DetachItem(item); });
        if (!items_.empty() && items_.front().get() == first) items_.erase(items_.begin());
    }
    auto& live = LiveConversations();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

TDdeClientConv* TDdeClientConv::FromUserHandle(std::uintptr_t userHandle) {
    for (TDdeClientConv* conv : LiveConversations()) {
        if (reinterpret_cast<std::uintptr_t>(conv) == userHandle) return conv;
    }
    return nullptr;
}

bool TDdeClientConv::ConnectServer() {
    TDdeMgr& manager = DdeManager();
    IDdeml& ddeml = manager.Ddeml();
    DdeConvContext context;
    context.cb = sizeof(DdeConvContext);
    context.iCodePage = static_cast<std::int32_t>(ddeml::kCpWinAnsi);
    conv_ = ddeml.DdeConnect(manager.DdeInstId(), hszService_.Get(), hszTopic_.Get(), &context);
    if (conv_ != 0) {
        ++session_;
        convInfo_ = DdeConvInfo();
        convInfo_.cb = sizeof(DdeConvInfo);
        ddeml.DdeQueryConvInfo(conv_, ddeml::kQidSync, &convInfo_);
        // The manager's callback finds this object again through it.
        ddeml.DdeSetUserHandle(conv_, ddeml::kQidSync, reinterpret_cast<std::uintptr_t>(this));
    }
    return conv_ != 0;
}

bool TDdeClientConv::OpenConversation() {
    return Open(true);
}

bool TDdeClientConv::Open(bool mayStartServer) {
    if (conv_ != 0) return false;
    const Working working(busy_);
    if (ddeService_.empty() && ddeTopic_.empty()) {
        DropAllItems();
        return false;
    }
    TDdeMgr& manager = DdeManager();
    // Its string handles go with the instance; they are made again below.
    if (manager.NeedsRenewal()) manager.Renew();
    IDdeml& ddeml = manager.Ddeml();
    if (!hszService_) hszService_.Create(ddeml, manager.DdeInstId(), Limited(ddeService_));
    if (!hszTopic_) hszTopic_.Create(ddeml, manager.DdeInstId(), Limited(ddeTopic_));
    bool connected = ConnectServer();
    if (!connected && mayStartServer && (!ddeService_.empty() || !serviceApplication_.empty())) {
        // One start of the server and one more connect, with no wait of our
        // own: WinExec returns once the started program waits for input.
        const std::string command = !serviceApplication_.empty()
                                        ? Limited(serviceApplication_)
                                        : Limited(ddeService_) + " " + Limited(ddeTopic_);
        if (ddeml.WinExec(command.c_str(), ddeml::kSwShowMinNoActive) >= 32)
            connected = ConnectServer();
    }
    if (!connected) {
        DropAllItems();
        return false;
    }
    dataFormat_ = convInfo_.wFmt != 0 ? convInfo_.wFmt : ddeml::kCfText;
    const std::uint32_t session = session_;
    StartItemLinks();
    // The server may end the conversation while the links start (its notice
    // arrives inside an advise start's wait): then nothing has been opened.
    if (!InSession(session)) return false;
    NotifyOpen();
    DeliverData(0, 0);
    return true;
}

void TDdeClientConv::CloseConversation() {
    const Working working(busy_);
    const std::uintptr_t conversation = conv_;
    // The conversation ends and its handles go even when OnClose raises.
    try {
        if (conversation != 0) ConversationLost();
    } catch (...) {
        FinishClose(conversation);
        throw;
    }
    FinishClose(conversation);
}

void TDdeClientConv::FinishClose(std::uintptr_t conversation) {
    if (conversation != 0) {
        IDdeml& ddeml = DdeManager().Ddeml();
        ddeml.DdeSetUserHandle(conversation, ddeml::kQidSync, 0);
        // No XTYP_ADVSTOP: ending the conversation ends its warm links.
        if (!ddeml.DdeDisconnect(conversation)) DdeManager().NoteStaleConversation();
    }
    hszService_.Release();
    hszTopic_.Release();
    ddeService_.clear();
    ddeTopic_.clear();
}

bool TDdeClientConv::Reconnect(std::string service, std::string topic) {
    return Join(std::move(service), std::move(topic), true);
}

bool TDdeClientConv::Join(std::string service, std::string topic, bool mayStartServer) {
    // Taken by value: the caller may pass our own names, which closing empties.
    CloseConversation();
    ddeService_ = std::move(service);
    ddeTopic_ = std::move(topic);
    const bool ok = Open(mayStartServer);
    if (!ok) {
        ddeService_.clear();
        ddeTopic_.clear();
    }
    return ok;
}

bool TDdeClientConv::Rejoin(std::string service, std::string topic) {
    return Join(std::move(service), std::move(topic), false);
}

bool TDdeClientConv::PartnerAlive() const {
    if (conv_ == 0) return false;
    return convInfo_.hwndPartner == 0 || DdeManager().Ddeml().IsWindow(convInfo_.hwndPartner);
}

bool TDdeClientConv::Retarget(std::string service, std::string topic) {
    CloseConversation();
    if (connectMode_ == ddeAutomatic) return Reconnect(std::move(service), std::move(topic));
    ddeService_ = std::move(service);
    ddeTopic_ = std::move(topic);
    DeliverData(0, 0);
    return true;
}

void TDdeClientConv::ConversationLost() {
    // However OnClose ends, the conversation is gone: the handle is
    // forgotten and the item handles released.
    struct Forget {
        TDdeClientConv* conv;
        ~Forget() {
            conv->conv_ = 0;
            conv->ReleaseItemHandles();
        }
    } forget{this};
    if (conv_ != 0) NotifyClose();
}

void TDdeClientConv::ReleaseItemHandles() {
    for (auto& link : items_) link->ReleaseItemHandle();
}

void TDdeClientConv::StartItemLinks() {
    const std::uint32_t session = session_;
    // A link attached meanwhile starts its own warm link; one detached
    // meanwhile is skipped.
    for (const LinkRef& ref : Links(0)) {
        // Stops when the conversation ends meanwhile: the links keep their
        // names, as when the server quits.
        if (!InSession(session)) return;
        if (ref.life.expired() || ref.link->OpenWarmLink()) continue;
        // Gone meanwhile, or failed because the conversation ended: not a
        // refusal.
        if (ref.life.expired() || !InSession(session)) continue;
        // Refused: the item loses its name, which destroys the link.
        ref.link->Item()->SetDdeItem(std::string());
    }
}

void TDdeClientConv::DropAllItems() {
    const size_t count = items_.size();
    for (size_t done = 0; done < count && !items_.empty(); ++done) {
        items_.front()->Item()->SetDdeItem(std::string());
    }
}

void TDdeClientConv::AttachItem(TDdeClientItem* item) {
    items_.push_back(std::make_unique<TDdeCliItem>(this, item));
    items_.back()->SetName(std::string());
}

void TDdeClientConv::DetachItem(TDdeClientItem* item) {
    TDdeCliItem* link = FindItemLink(item);
    if (link == nullptr) return;
    // The link goes even when the change event raises, unless a handler has
    // already taken it away.
    const std::weak_ptr<const void> life = link->Life();
    try {
        link->SetName(std::string());
    } catch (...) {
        if (!life.expired()) RemoveLink(link);
        throw;
    }
    if (!life.expired()) RemoveLink(link);
}

void TDdeClientConv::RemoveLink(const TDdeCliItem* link) {
    auto it =
        std::find_if(items_.begin(), items_.end(),
                     [link](const std::unique_ptr<TDdeCliItem>& l) { return l.get() == link; });
    if (it == items_.end()) return;
    // Out of the list first: its destructor may call back into DDE.
    std::unique_ptr<TDdeCliItem> removed = std::move(*it);
    items_.erase(it);
}

TDdeCliItem* TDdeClientConv::FindItemLink(const TDdeClientItem* item) const {
    for (const auto& link : items_) {
        if (link->Item() == item) return link.get();
    }
    return nullptr;
}

std::vector<TDdeClientConv::LinkRef> TDdeClientConv::Links(std::uintptr_t item) const {
    std::vector<LinkRef> links;
    for (const auto& link : items_) {
        if (item == 0 || link->ItemHandle() == item) links.push_back({link.get(), link->Life()});
    }
    return links;
}

bool TDdeClientConv::InSession(std::uint32_t session) const {
    return conv_ != 0 && session_ == session;
}

bool TDdeClientConv::SetItemLink(TDdeClientItem* item, const std::string& name) {
    const Working working(busy_);
    TDdeCliItem* link = FindItemLink(item);
    if (link == nullptr) {
        if (name.empty()) return true;
        AttachItem(item);
        link = FindItemLink(item);
        // The first change handler detached (or freed) the item at once: its
        // word stands.
        if (link == nullptr) return true;
    }
    if (name.empty()) {
        DetachItem(item);
        return true;
    }
    const std::weak_ptr<const void> life = link->Life();
    const bool ok = link->SetName(name);
    // A handler that detached the link meanwhile (under a notice that came
    // during one of its transactions) has had the last word.
    if (life.expired()) return true;
    // While this conversation is being loaded the link stays: the open after
    // loading starts its warm link.
    if (!ok && !Loading()) DetachItem(item);
    return ok;
}

void TDdeClientConv::DeliverData(std::uintptr_t data, std::uintptr_t item) {
    const Working working(busy_);
    for (const LinkRef& target : Links(item)) {
        // A handler may have detached a link further on.
        if (!target.life.expired()) target.link->TakeData(data);
    }
}

void TDdeClientConv::SetConnectMode(TDataMode value) {
    if (value == connectMode_) return;
    if (value == ddeAutomatic && conv_ == 0 && !ddeService_.empty() && !ddeTopic_.empty()) {
        if (!OpenConversation()) throw Exception("Unable to connect DDE conversation");
    }
    connectMode_ = value;
}

void TDdeClientConv::SetFormatChars(bool value) {
    if (value == formatChars_) return;
    formatChars_ = value;
    if (conv_ != 0) DeliverData(0, 0);
}

std::vector<std::string> TDdeClientConv::WriteLinkInfo() const {
    return {"Service " + ddeService_, "Topic " + ddeTopic_};
}

void TDdeClientConv::ReadLinkInfo(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        const size_t blank = line.find(' ');
        const std::string value = blank == std::string::npos ? line : line.substr(blank + 1);
        if (line[0] == 'S') {
            ddeService_ = value;
        } else if (line[0] == 'T') {
            ddeTopic_ = value;
        }
    }
}

void TDdeClientConv::Loaded() {
    TComponent::Loaded();
    if (!ddeService_.empty() && connectMode_ != ddeManual) Reconnect(ddeService_, ddeTopic_);
}

void TDdeClientConv::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove || AComponent == nullptr) return;
    // A client item detaches itself before it goes; a link still naming it
    // would point at a dead object, so it goes without touching the item.
    auto it = std::find_if(items_.begin(), items_.end(), [AComponent](const auto& link) {
        return static_cast<TComponent*>(link->Item()) == AComponent;
    });
    if (it != items_.end()) RemoveLink(it->get());
}

void TDdeClientConv::NotifyClose() {
    // While its window is torn down, the handlers' objects may already be gone.
    if (!Destroying()) RaiseEvent(OnClose, this);
}

void TDdeClientConv::NotifyOpen() {
    if (!Destroying()) RaiseEvent(OnOpen, this);
}

void TDdeClientConv::AbandonInstanceOfAll() {
    for (TDdeClientConv* conv : LiveConversations()) conv->AbandonInstance();
}

void TDdeClientConv::AbandonInstance() {
    conv_ = 0;
    hszService_.Abandon();
    hszTopic_.Abandon();
    for (auto& link : items_) link->AbandonItemHandle();
}
