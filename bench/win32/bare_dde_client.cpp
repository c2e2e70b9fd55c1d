// The bare DDE client; see the header.
#include "bench/win32/bare_dde_client.h"

#include "bench/clock.h"

namespace {

thread_local BareDdeClient* current = nullptr;

std::string TextOf(HDDEDATA data) {
    DWORD size = 0;
    const BYTE* bytes = DdeAccessData(data, &size);
    if (bytes == nullptr) return {};
    std::string text;
    for (DWORD i = 0; i < size && bytes[i] != 0; ++i) text += static_cast<char>(bytes[i]);
    DdeUnaccessData(data);
    return text;
}

}  // namespace

BareDdeClient::BareDdeClient() {
    current = this;
    if (DdeInitializeA(&instance_, &BareDdeClient::Callback, APPCMD_CLIENTONLY, 0) !=
        DMLERR_NO_ERROR)
        instance_ = 0;
}

BareDdeClient::~BareDdeClient() {
    if (conversation_ != nullptr) DdeDisconnect(conversation_);
    for (HSZ handle : strings_) DdeFreeStringHandle(instance_, handle);
    if (instance_ != 0) DdeUninitialize(instance_);
    current = nullptr;
}

HSZ BareDdeClient::String(const std::string& text) {
    HSZ handle = DdeCreateStringHandleA(instance_, text.c_str(), CP_WINANSI);
    strings_.push_back(handle);
    return handle;
}

bool BareDdeClient::Connect(const std::string& service, const std::string& topic) {
    if (instance_ == 0) return false;
    conversation_ = DdeConnect(instance_, String(service), String(topic), nullptr);
    return conversation_ != nullptr;
}

bool BareDdeClient::Request(const std::string& item, std::string* text) {
    if (item_ == nullptr) item_ = String(item);
    HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation_, item_, CF_TEXT, XTYP_REQUEST,
                                         1000, nullptr);
    if (data == nullptr) return false;
    *text = TextOf(data);
    DdeFreeDataHandle(data);
    return true;
}

bool BareDdeClient::AdvStart(const std::string& item) {
    if (item_ == nullptr) item_ = String(item);
    return DdeClientTransaction(nullptr, 0, conversation_, item_, CF_TEXT,
                                XTYP_ADVSTART | XTYPF_NODATA, 1000, nullptr) != nullptr;
}

HDDEDATA CALLBACK BareDdeClient::Callback(UINT type, UINT, HCONV conversation, HSZ, HSZ, HDDEDATA,
                                          ULONG_PTR, ULONG_PTR) {
    BareDdeClient* self = current;
    if (type != XTYP_ADVDATA || self == nullptr || conversation != self->conversation_)
        return nullptr;
    Notice notice;
    notice.arrived = BenchNow();
    std::string text;
    notice.ok = self->Request(std::string(), &text) && !text.empty();
    notice.answered = BenchNow();
    self->notices_.push_back(notice);
    return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DDE_FACK));
}
