// TDdeMgr: the DDE instance, the own service name and the callback's dispatch.
// The callback trusts no user handle: it turns one back into an object only
// when it names a live client conversation or one of its own server records.
#include "dde/dde_mgr.h"

#include <cstring>
#include <exception>
#include <stdexcept>

#include "dde/dde_client_conv.h"
#include "dde/dde_error.h"
#include "dde/dde_srvr_conv.h"
#include "rtl/error_report.h"
#include "rtl/sysutils.h"

namespace {

// A topic is read into a buffer of this size.
constexpr std::uint32_t kTopicBuffer = 4096;

// Outside conversations held at once; a connect beyond them is refused.
constexpr size_t kMaxServerConversations = 64;

TDdeMgr*& CurrentManager() {
    static TDdeMgr* current = nullptr;
    return current;
}

// Upper case of a code page 1252 character, for comparing names.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
        case 0x9A:  // s caron
        case 0x9C:  // oe
        case 0x9E:  // z caron
            return static_cast<unsigned char>(c - 0x10);
        case 0xFF:  // y diaeresis
            return 0x9F;
        default:
            return c;
    }
}

}  // namespace

std::string DdeServiceNameOf(const std::string& exeFileName) {
    const size_t separator = exeFileName.find_last_of("\\/:");
    std::string name =
        separator == std::string::npos ? exeFileName : exeFileName.substr(separator + 1);
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string DdeErrorMessage(std::uint32_t code) {
    switch (code) {
        case ddeml::kDmlErrLowMemory:
        case ddeml::kDmlErrMemoryError:
            return Format("Error occurred when DDE ran out of memory ($0%x)", code);
        case ddeml::kDmlErrNoConvEstablished:
            return Format("DDE Error - conversation not established ($0%x)", code);
        default:
            return Format("An error returned from DDE  ($0%x)", code);
    }
}

bool SameDdeName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

TDdeMgr::TDdeMgr(TComponent* AOwner, const std::string& exeFileName, IDdeml& ddeml)
    : TComponent(AOwner), ddeml_(ddeml), appName_(DdeServiceNameOf(exeFileName)) {
    if (CurrentManager() != nullptr) throw std::logic_error("a DDE manager already exists");
    Initialize();
    CurrentManager() = this;
}

void TDdeMgr::Initialize() {
    const std::uint32_t result = ddeml_.DdeInitializeA(
        &instance_,
        [this](std::uint32_t type, std::uint32_t format, std::uintptr_t conversation,
               std::uintptr_t hsz1, std::uintptr_t hsz2, std::uintptr_t data, std::uintptr_t data1,
               std::uintptr_t data2) {
            return DdeManagerCallback(type, format, conversation, hsz1, hsz2, data, data1, data2);
        },
        ddeml::kAppClassStandard, 0);
    // A failed DdeInitializeA leaves no instance to ask for its last error:
    // its own result is the code.
    if (result != 0) {
        instance_ = 0;
        throw EDdeError(DdeErrorMessage(result));
    }
    appNameHandle_.Create(ddeml_, instance_, appName_);
    ddeml_.DdeNameService(instance_, appNameHandle_.Get(), 0, ddeml::kDnsRegister);
}

void TDdeMgr::Uninitialize() {
    if (instance_ == 0) return;  // a renewal failed: nothing left to end
    serverConvs_.clear();
    ddeml_.DdeNameService(instance_, appNameHandle_.Get(), 0, ddeml::kDnsUnregister);
    appNameHandle_.Release();
    // Conversations that outlive the instance must not use its handles.
    TDdeClientConv::AbandonInstanceOfAll();
    ddeml_.DdeUninitialize(instance_);
    instance_ = 0;
}

TDdeMgr::~TDdeMgr() {
    Uninitialize();
    CurrentManager() = nullptr;
}

void TDdeMgr::Renew() {
    Uninitialize();
    stale_ = false;
    Initialize();
}

TDdeMgr* TDdeMgr::Current() {
    return CurrentManager();
}

std::uintptr_t TDdeMgr::DdeManagerCallback(std::uint32_t type, std::uint32_t /*format*/,
                                           std::uintptr_t conversation, std::uintptr_t hsz1,
                                           std::uintptr_t hsz2, std::uintptr_t data,
                                           std::uintptr_t data1, std::uintptr_t /*data2*/) {
    // Nothing may unwind into DDEML: what an event handler raises under a
    // notice goes to the error report.
    ++callbackDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{callbackDepth_};
    try {
        return Dispatch(type, conversation, hsz1, hsz2, data, data1);
    } catch (...) {
        ErrorReport::Report(std::current_exception());
        return 0;
    }
}

std::uintptr_t TDdeMgr::Dispatch(std::uint32_t type, std::uintptr_t conversation,
                                 std::uintptr_t hsz1, std::uintptr_t hsz2, std::uintptr_t data,
                                 std::uintptr_t data1) {
    switch (type) {
        case ddeml::kXtypConnect:
            return AcceptsConnect(hsz1, hsz2) ? 1 : 0;
        case ddeml::kXtypWildConnect:
            return WildConnect(hsz1, hsz2);
        case ddeml::kXtypConnectConfirm:
            ConfirmConnect(conversation, hsz1);
            return 0;
        default:
            break;
    }
    if (conversation == 0) return 0;
    DdeConvInfo info;
    info.cb = sizeof(DdeConvInfo);
    const std::uint32_t id =
        type == ddeml::kXtypXactComplete ? static_cast<std::uint32_t>(data1) : ddeml::kQidSync;
    if (ddeml_.DdeQueryConvInfo(conversation, id, &info) == 0) return 0;
    TDdeClientConv* client = TDdeClientConv::FromUserHandle(info.hUser);
    // A notice of an earlier conversation of the same object is stale.
    if (client != nullptr && client->Conv() != conversation) return 0;
    switch (type) {
        case ddeml::kXtypAdvData:
            if (client != nullptr) client->DeliverData(data, hsz2);
            return ddeml::kDdeFNotProcessed;
        case ddeml::kXtypDisconnect:
            if (client != nullptr) {
                client->ConversationLost();
            } else if (TDdeSrvrConv* record = FindServerConv(info.hUser)) {
                ddeml_.DdeSetUserHandle(conversation, ddeml::kQidSync, 0);
                RemoveServerConv(record);
            }
            return 0;
        default:
            // On a server conversation: no server items, so advise starts are
            // refused and requests, pokes and executes yield nothing.
            return 0;
    }
}

bool TDdeMgr::AcceptsConnect(std::uintptr_t topic, std::uintptr_t service) {
    // Each outside conversation costs a record and a DDEML window: a client
    // that keeps connecting must not grow them without end.
    if (serverConvs_.size() >= kMaxServerConversations) return false;
    if (service != 0 && service != appNameHandle_.Get()) return false;
    if (topic == 0) return false;
    return IsWindowCaption(QueryString(topic));
}

std::uintptr_t TDdeMgr::WildConnect(std::uintptr_t topic, std::uintptr_t service) {
    if (topic == 0 || !AcceptsConnect(topic, service)) return 0;
    // One HSZPAIR (service, topic), then the zero pair that ends the list.
    const std::uintptr_t pairs[4] = {appNameHandle_.Get(), topic, 0, 0};
    return ddeml_.DdeCreateDataHandle(instance_, reinterpret_cast<const std::uint8_t*>(pairs),
                                      sizeof pairs, 0, 0, ddeml::kCfText, 0);
}

void TDdeMgr::ConfirmConnect(std::uintptr_t conversation, std::uintptr_t topic) {
    serverConvs_.push_back(std::make_unique<TDdeSrvrConv>(conversation, QueryString(topic)));
    ddeml_.DdeSetUserHandle(conversation, ddeml::kQidSync,
                            reinterpret_cast<std::uintptr_t>(serverConvs_.back().get()));
}

std::string TDdeMgr::QueryString(std::uintptr_t hsz) {
    char buffer[kTopicBuffer] = {};
    ddeml_.DdeQueryStringA(instance_, hsz, buffer, kTopicBuffer,
                           static_cast<std::int32_t>(ddeml::kCpWinAnsi));
    buffer[kTopicBuffer - 1] = '\0';
    return std::string(buffer, strnlen(buffer, kTopicBuffer));
}

bool TDdeMgr::IsWindowCaption(const std::string& topic) const {
    if (!windowCaptions_) return false;
    for (const std::string& caption : windowCaptions_()) {
        if (SameDdeName(caption, topic)) return true;
    }
    return false;
}

TDdeSrvrConv* TDdeMgr::FindServerConv(std::uintptr_t userHandle) const {
    for (const auto& record : serverConvs_) {
        if (reinterpret_cast<std::uintptr_t>(record.get()) == userHandle) return record.get();
    }
    return nullptr;
}

void TDdeMgr::RemoveServerConv(TDdeSrvrConv* record) {
    for (auto it = serverConvs_.begin(); it != serverConvs_.end(); ++it) {
        if (it->get() == record) {
            serverConvs_.erase(it);
            return;
        }
    }
}
