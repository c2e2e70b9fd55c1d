// TDdeCliItem: the item link's transactions. Every transaction is synchronous
// with a 1000 ms time-out, in the conversation's data format. A change event
// may destroy this link (its handler can detach the item), and so may any
// notice that DDEML delivers while a transaction waits: nothing here touches
// the link after raising an event, nor after a transaction once Life() has
// expired.
#include "dde/dde_cli_item.h"

#include <exception>

#include "dde/dde_client_conv.h"
#include "dde/dde_client_item.h"
#include "dde/dde_mgr.h"
#include "dde/dde_text.h"
#include "rtl/error_report.h"

namespace {

constexpr std::uint32_t kTransactionTimeoutMs = 1000;

// Frees a fetched data handle however the code that reads it ends.
class FetchedData {
  public:
    FetchedData(IDdeml& ddeml, std::uintptr_t handle) : ddeml_(ddeml), handle_(handle) {}
    ~FetchedData() { ddeml_.DdeFreeDataHandle(handle_); }
    FetchedData(const FetchedData&) = delete;
    FetchedData& operator=(const FetchedData&) = delete;

  private:
    IDdeml& ddeml_;
    std::uintptr_t handle_;
};

}  // namespace

TDdeCliItem::TDdeCliItem(TDdeClientConv* conversation, TDdeClientItem* item)
    : conversation_(conversation), item_(item) {}

TDdeCliItem::~TDdeCliItem() {
    if (hszItem_) ErrorReport::Guard([this] { CloseWarmLink(); });
}

bool TDdeCliItem::SetName(const std::string& name) {
    const std::weak_ptr<const void> life = life_;
    if (hszItem_) {
        CloseWarmLink();
        if (life.expired()) return false;
    }
    name_ = name;
    item_->Lines().clear();
    bool result = false;
    if (!name.empty()) {
        if (conversation_->IsOpen()) {
            result = OpenWarmLink();
            if (life.expired()) return false;
            if (!result) name_.clear();
        } else {
            result = conversation_->ConnectMode() == ddeManual;
        }
    }
    FetchValue();
    return result;
}

bool TDdeCliItem::OpenWarmLink() {
    if (!conversation_->IsOpen() || name_.empty()) return false;
    TDdeMgr& manager = DdeManager();
    IDdeml& ddeml = manager.Ddeml();
    if (!hszItem_) hszItem_.Create(ddeml, manager.DdeInstId(), name_);
    started_ = false;
    const std::weak_ptr<const void> life = life_;
    const std::uintptr_t accepted = ddeml.DdeClientTransaction(
        nullptr, 0, conversation_->Conv(), hszItem_.Get(), conversation_->DataFormat(),
        ddeml::kXtypAdvStart | ddeml::kXtypfNoData, kTransactionTimeoutMs, nullptr);
    if (life.expired()) return false;
    if (accepted != 0) {
        started_ = true;
        return true;
    }
    // Clears the instance's last error; the code itself is of no use here.
    ddeml.DdeGetLastError(manager.DdeInstId());
    hszItem_.Release();
    item_->Lines().clear();
    return false;
}

void TDdeCliItem::CloseWarmLink() {
    started_ = false;
    if (conversation_->IsOpen() && hszItem_) {
        const std::weak_ptr<const void> life = life_;
        DdeManager().Ddeml().DdeClientTransaction(nullptr, 0, conversation_->Conv(), hszItem_.Get(),
                                                  conversation_->DataFormat(), ddeml::kXtypAdvStop,
                                                  kTransactionTimeoutMs, nullptr);
        if (life.expired()) return;
    }
    hszItem_.Release();
}

bool TDdeCliItem::FetchValue() {
    if (!conversation_->IsOpen() || !hszItem_) {
        item_->NotifyChange();
        return false;
    }
    IDdeml& ddeml = DdeManager().Ddeml();
    const std::weak_ptr<const void> life = life_;
    const std::uintptr_t data = ddeml.DdeClientTransaction(
        nullptr, 0, conversation_->Conv(), hszItem_.Get(), conversation_->DataFormat(),
        ddeml::kXtypRequest, kTransactionTimeoutMs, nullptr);
    if (data == 0) return false;
    FetchedData fetched(ddeml, data);
    if (life.expired()) return false;
    TakeData(data);
    return true;
}

void TDdeCliItem::TakeData(std::uintptr_t data) {
    if (data == 0) {
        FetchValue();
        return;
    }
    IDdeml& ddeml = DdeManager().Ddeml();
    std::uint32_t size = 0;
    const std::uint8_t* bytes = ddeml.DdeAccessData(data, &size);
    // Read up to the first zero byte, but never past the size DDEML reports:
    // a server may send text without one.
    const std::string text = DdeDataText(bytes, size);
    if (bytes != nullptr) ddeml.DdeUnaccessData(data);
    if (!text.empty()) {
        if (conversation_->FormatChars()) {
            item_->Lines() = SplitDdeLines(text);
        } else {
            item_->Lines().assign(1, BlankControlChars(text));
        }
    }
    item_->NotifyChange();
}
