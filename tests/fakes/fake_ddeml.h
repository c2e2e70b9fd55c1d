// A recording fake of the DDEML seam with a scriptable server behind it.
//
// Every call is appended to `log` in a compact form, handles shown by what
// they stand for: string handles by their text in quotes, conversations as
// c1, c2, ..., data handles as d1, d2, ...; tests append their own event
// notes to the same log, so one list proves the order of calls and events.
// String handles behave like DDEML's atoms: one handle per text regardless of
// case, counted references; an empty text gives no handle.
//
// The server (`server`) accepts connects to its service and topic while it
// runs, takes warm links on the items it offers unless told to refuse, and
// answers requests with the item's text and a zero byte. Helpers play the
// library's part towards the program: a data notice, the server quitting, an
// outside client connecting to the program's own service.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ddeml.h"

class FakeDdeml : public IDdeml {
  public:
    struct Server {
        std::string service = "VTplus";
        std::string topic = "590";
        bool running = true;
        std::map<std::string, std::string> items;  // name (exact case) -> text
        bool refuseAdvise = false;
        bool refuseRequest = false;
        bool zeroTerminated = true;  // a zero byte after the text
        std::uint32_t format = 0;    // wFmt that DdeQueryConvInfo reports
    };

    struct Conversation {
        bool client = true;  // made by DdeConnect (else: an outside client's)
        bool live = true;
        bool stale = false;          // ended by the server, kept by the library (wine 8)
        std::uintptr_t partner = 0;  // the server's window when it was made
        std::uintptr_t user = 0;
        std::string service, topic;
        std::set<std::string> advised;
        DdeConvContext context;
    };

    struct Data {
        std::vector<std::uint8_t> bytes;
        std::uint32_t reportedSize = 0;
        int accessCount = 0;
        bool fromRequest = false;
        bool freed = false;
    };

    static constexpr std::uint32_t kInstance = 42;
    static constexpr std::uintptr_t kServerWindow = 0x5e5;
    // Whether a conversation's info names the partner window (0: the library
    // did not say); when it does, it names the server's window of the time.
    std::uintptr_t partnerWindow = kServerWindow;

    Server server;
    std::uint32_t initializeResult = 0;
    std::uint32_t lastError = 0;
    std::uint32_t winExecResult = 33;
    bool winExecStartsServer = true;
    std::vector<std::string> log;
    DdeCallback callback;
    std::map<std::uintptr_t, Conversation> convs;
    std::map<std::uintptr_t, Data> datas;

    // --- the program's calls -------------------------------------------

    std::uint32_t DdeInitializeA(std::uint32_t* pidInst, DdeCallback pfnCallback,
                                 std::uint32_t afCmd, std::uint32_t ulRes) override {
        log.push_back("DdeInitializeA(" + std::to_string(afCmd) + "," + std::to_string(ulRes) +
                      ")");
        if (initializeResult != 0) return initializeResult;
        // Non-zero asks to change an instance that is there; the program
        // never does, and one that has ended is refused.
        if (*pidInst != 0) return kDmlErrInvalidParameter;
        *pidInst = kInstance;
        callback = std::move(pfnCallback);
        return 0;
    }
    bool DdeUninitialize(std::uint32_t idInst) override {
        log.push_back("DdeUninitialize(" + Inst(idInst) + ")");
        callback = nullptr;
        for (auto& entry : convs) entry.second.live = entry.second.stale = false;
        return true;
    }
    std::uint32_t DdeGetLastError(std::uint32_t idInst) override {
        log.push_back("DdeGetLastError(" + Inst(idInst) + ")");
        const std::uint32_t code = lastError;
        lastError = 0;
        return code;
    }
    std::uintptr_t DdeCreateStringHandleA(std::uint32_t idInst, const char* psz,
                                          std::int32_t iCodePage) override {
        log.push_back("DdeCreateStringHandleA(" + Inst(idInst) + ",\"" + psz + "\"," +
                      std::to_string(iCodePage) + ")");
        if (*psz == '\0') return 0;
        const std::uintptr_t handle = Intern(psz);
        ++strings_[handle].refs;
        return handle;
    }
    bool DdeFreeStringHandle(std::uint32_t idInst, std::uintptr_t hsz) override {
        log.push_back("DdeFreeStringHandle(" + Inst(idInst) + "," + Str(hsz) + ")");
        auto it = strings_.find(hsz);
        if (it == strings_.end() || it->second.refs == 0) {
            ++badFrees;
            return false;
        }
        --it->second.refs;
        return true;
    }
    std::uint32_t DdeQueryStringA(std::uint32_t idInst, std::uintptr_t hsz, char* psz,
                                  std::uint32_t cchMax, std::int32_t iCodePage) override {
        log.push_back("DdeQueryStringA(" + Inst(idInst) + "," + Str(hsz) + "," +
                      std::to_string(cchMax) + "," + std::to_string(iCodePage) + ")");
        auto it = strings_.find(hsz);
        if (it == strings_.end() || cchMax == 0) return 0;
        const size_t n = std::min<size_t>(it->second.text.size(), cchMax - 1);
        std::memcpy(psz, it->second.text.data(), n);
        psz[n] = '\0';
        return static_cast<std::uint32_t>(n);
    }
    std::uintptr_t DdeNameService(std::uint32_t idInst, std::uintptr_t hsz1, std::uintptr_t hsz2,
                                  std::uint32_t afCmd) override {
        log.push_back("DdeNameService(" + Inst(idInst) + "," + Str(hsz1) + "," + Str(hsz2) + "," +
                      (afCmd == ddeml::kDnsRegister     ? std::string("DNS_REGISTER")
                       : afCmd == ddeml::kDnsUnregister ? std::string("DNS_UNREGISTER")
                                                        : std::to_string(afCmd)) +
                      ")");
        if (onNameService) onNameService(afCmd);
        return 1;
    }
    std::uintptr_t DdeConnect(std::uint32_t idInst, std::uintptr_t hszService,
                              std::uintptr_t hszTopic, const DdeConvContext* pCC) override {
        std::string context = "null";
        if (pCC != nullptr) {
            context = std::string(pCC->cb == sizeof(DdeConvContext) ? "cb" : "bad-cb") +
                      ",cp=" + std::to_string(pCC->iCodePage);
            DdeConvContext zero;
            zero.cb = pCC->cb;
            zero.iCodePage = pCC->iCodePage;
            if (std::memcmp(&zero, pCC, sizeof zero) != 0) context += ",dirty";
        }
        log.push_back("DdeConnect(" + Inst(idInst) + "," + Str(hszService) + "," + Str(hszTopic) +
                      "," + context + ")");
        const std::string service = Text(hszService), topic = Text(hszTopic);
        for (const auto& entry : convs)
            if (entry.second.stale && Same(entry.second.topic, topic)) return 0;  // no error either
        if (!server.running || (!service.empty() && !Same(service, server.service)) ||
            (!topic.empty() && !Same(topic, server.topic))) {
            lastError = ddeml::kDmlErrNoConvEstablished;
            return 0;
        }
        const std::uintptr_t handle = kFirstConv + convs.size();
        Conversation& conv = convs[handle];
        conv.service = server.service;
        conv.topic = server.topic;
        conv.partner = serverWindow_;
        if (pCC != nullptr) conv.context = *pCC;
        return handle;
    }
    bool DdeDisconnect(std::uintptr_t hConv) override {
        log.push_back("DdeDisconnect(" + Conv(hConv) + ")");
        auto it = convs.find(hConv);
        if (it == convs.end() || !it->second.live || it->second.stale) return false;
        it->second.live = false;
        return true;
    }
    std::uint32_t DdeQueryConvInfo(std::uintptr_t hConv, std::uint32_t idTransaction,
                                   DdeConvInfo* pConvInfo) override {
        log.push_back("DdeQueryConvInfo(" + Conv(hConv) + "," +
                      (idTransaction == ddeml::kQidSync ? std::string("QID_SYNC")
                                                        : std::to_string(idTransaction)) +
                      "," + (pConvInfo->cb == sizeof(DdeConvInfo) ? "cb" : "bad-cb") + ")");
        auto it = convs.find(hConv);
        if (it == convs.end() || !it->second.live || queryConvInfoFails) return 0;
        if (pConvInfo->cb != sizeof(DdeConvInfo)) return 0;
        pConvInfo->hUser = it->second.user;
        pConvInfo->wFmt = it->second.client ? server.format : ddeml::kCfText;
        pConvInfo->hwndPartner = partnerWindow == 0  ? 0
                                 : it->second.client ? it->second.partner
                                                     : partnerWindow;
        return 1;
    }
    bool DdeSetUserHandle(std::uintptr_t hConv, std::uint32_t id, std::uintptr_t hUser) override {
        log.push_back("DdeSetUserHandle(" + Conv(hConv) + "," +
                      (id == ddeml::kQidSync ? std::string("QID_SYNC") : std::to_string(id)) + "," +
                      (hUser != 0 ? "obj" : "0") + ")");
        auto it = convs.find(hConv);
        if (it == convs.end() || !it->second.live) return false;
        it->second.user = hUser;
        return true;
    }
    std::uintptr_t DdeClientTransaction(const std::uint8_t* pData, std::uint32_t cbData,
                                        std::uintptr_t hConv, std::uintptr_t hszItem,
                                        std::uint32_t wFmt, std::uint32_t wType,
                                        std::uint32_t dwTimeout,
                                        std::uint32_t* pdwResult) override {
        log.push_back("DdeClientTransaction(" + std::string(pData == nullptr ? "null" : "data") +
                      "," + std::to_string(cbData) + "," + Conv(hConv) + "," + Str(hszItem) + "," +
                      std::to_string(wFmt) + "," + TypeName(wType) + "," +
                      std::to_string(dwTimeout) + ")");
        if (pdwResult != nullptr) *pdwResult = 0;
        if (onTransaction) onTransaction(wType);
        auto it = convs.find(hConv);
        // A conversation ended by the program is a handle that is none: no
        // error. One whose server went without a word has no partner, also
        // once a new server runs.
        if (it == convs.end() || !it->second.live) return 0;
        if (it->second.client && (!server.running || it->second.partner != serverWindow_)) {
            lastError = ddeml::kDmlErrNoConvEstablished;
            return 0;
        }
        const std::string item = Text(hszItem);
        const auto offered = server.items.find(item);
        switch (wType) {
            case ddeml::kXtypAdvStart | ddeml::kXtypfNoData:
            case ddeml::kXtypAdvStart:
                if (offered == server.items.end() || server.refuseAdvise) {
                    lastError = kDmlErrNotProcessed;
                    return 0;
                }
                it->second.advised.insert(item);
                return 1;
            case ddeml::kXtypAdvStop:
                return it->second.advised.erase(item) != 0 ? 1 : 0;
            case ddeml::kXtypRequest: {
                if (offered == server.items.end() || server.refuseRequest) {
                    lastError = kDmlErrNotProcessed;
                    return 0;
                }
                std::vector<std::uint8_t> bytes(offered->second.begin(), offered->second.end());
                if (server.zeroTerminated) bytes.push_back(0);
                const std::uintptr_t data = NewData(bytes);
                datas[data].fromRequest = true;
                return data;
            }
            default:
                return 0;
        }
    }
    std::uintptr_t DdeCreateDataHandle(std::uint32_t idInst, const std::uint8_t* pSrc,
                                       std::uint32_t cb, std::uint32_t cbOff,
                                       std::uintptr_t hszItem, std::uint32_t wFmt,
                                       std::uint32_t afCmd) override {
        log.push_back("DdeCreateDataHandle(" + Inst(idInst) + "," + std::to_string(cb) + "," +
                      std::to_string(cbOff) + "," + Str(hszItem) + "," + std::to_string(wFmt) +
                      "," + std::to_string(afCmd) + ")");
        return NewData(std::vector<std::uint8_t>(pSrc + cbOff, pSrc + cb));
    }
    const std::uint8_t* DdeAccessData(std::uintptr_t hData, std::uint32_t* pcbDataSize) override {
        log.push_back("DdeAccessData(" + DataName(hData) + ")");
        auto it = datas.find(hData);
        if (it == datas.end() || it->second.freed) return nullptr;
        ++it->second.accessCount;
        *pcbDataSize = it->second.reportedSize;
        return it->second.bytes.data();
    }
    bool DdeUnaccessData(std::uintptr_t hData) override {
        log.push_back("DdeUnaccessData(" + DataName(hData) + ")");
        auto it = datas.find(hData);
        if (it == datas.end() || it->second.accessCount == 0) return false;
        --it->second.accessCount;
        return true;
    }
    bool DdeFreeDataHandle(std::uintptr_t hData) override {
        log.push_back("DdeFreeDataHandle(" + DataName(hData) + ")");
        auto it = datas.find(hData);
        if (it == datas.end() || it->second.freed) return false;
        it->second.freed = true;
        return true;
    }
    std::uint32_t WinExec(const char* lpCmdLine, std::uint32_t uCmdShow) override {
        log.push_back("WinExec(\"" + std::string(lpCmdLine) + "\"," + std::to_string(uCmdShow) +
                      ")");
        if (winExecResult >= 32 && winExecStartsServer) server.running = true;
        return winExecResult;
    }
    // A window ends with its server's process: a server started again has a
    // window of its own, and the old one stays gone.
    bool IsWindow(std::uintptr_t hWnd) override { return hWnd == serverWindow_ && server.running; }

    // --- the library's part towards the program ------------------------

    // DdeQueryConvInfo fails for every conversation while set.
    bool queryConvInfoFails = false;
    // Called at the start of every transaction with its type (after logging).
    std::function<void(std::uint32_t)> onTransaction;
    // Called inside every DdeNameService with its command (after logging).
    std::function<void(std::uint32_t)> onNameService;
    int badFrees = 0;

    // The handle of a text, as the library would pass it (no reference).
    std::uintptr_t Hsz(const std::string& text) { return text.empty() ? 0 : Intern(text); }
    std::string Text(std::uintptr_t hsz) const {
        auto it = strings_.find(hsz);
        return it == strings_.end() ? std::string() : it->second.text;
    }
    // String handles the program made and has not freed.
    int LiveStringHandles() const {
        int live = 0;
        for (const auto& entry : strings_) live += entry.second.refs;
        return live;
    }
    // Data handles from requests that were not freed.
    int UnfreedRequestData() const {
        int count = 0;
        for (const auto& entry : datas)
            if (entry.second.fromRequest && !entry.second.freed) ++count;
        return count;
    }
    // A data handle of raw bytes that reports `reported` as its size.
    std::uintptr_t MakeData(const std::string& bytes, std::uint32_t reported) {
        const std::uintptr_t data = NewData(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        datas[data].reportedSize = reported;
        return data;
    }

    // Calls the program's callback.
    std::uintptr_t Call(std::uint32_t type, std::uintptr_t conv, std::uintptr_t hsz1 = 0,
                        std::uintptr_t hsz2 = 0, std::uintptr_t data = 0, std::uintptr_t data1 = 0,
                        std::uintptr_t data2 = 0) {
        if (!callback) return 0;
        return callback(type, 0, conv, hsz1, hsz2, data, data1, data2);
    }
    // The server announces new data for item on every warm link: XTYP_ADVDATA
    // without data, as for XTYPF_NODATA links.
    void Advise(const std::string& item) {
        for (auto& entry : convs) {
            Conversation& conv = entry.second;
            if (conv.client && conv.live && conv.advised.count(item) != 0)
                Call(ddeml::kXtypAdvData, entry.first, Hsz(conv.topic), Hsz(item));
        }
    }
    // The server quits: every client conversation gets XTYP_DISCONNECT.
    void ServerQuits() {
        server.running = false;
        ++serverWindow_;
        for (auto& entry : convs) {
            if (!entry.second.client || !entry.second.live) continue;
            Call(ddeml::kXtypDisconnect, entry.first);
            entry.second.live = false;
        }
    }
    // The server's process ends without a word, as under wine: no
    // XTYP_DISCONNECT, its window gone.
    void ServerVanishes() {
        server.running = false;
        ++serverWindow_;
        if (!staleAfterServerEnd) return;
        for (auto& entry : convs)
            if (entry.second.client && entry.second.live) entry.second.stale = true;
    }
    // As wine 8 after a server ended a conversation: the library keeps it,
    // DdeDisconnect fails, and no new conversation on its topic is made
    // until the instance is made anew.
    bool staleAfterServerEnd = false;
    // An outside program connects to the program: XTYP_CONNECT and, when
    // accepted, XTYP_CONNECT_CONFIRM. Returns the conversation or 0.
    std::uintptr_t OutsideConnect(const std::string& service, const std::string& topic) {
        if (Call(ddeml::kXtypConnect, 0, Hsz(topic), Hsz(service)) == 0) return 0;
        const std::uintptr_t handle = kFirstConv + convs.size();
        Conversation& conv = convs[handle];
        conv.client = false;
        conv.service = service;
        conv.topic = topic;
        Call(ddeml::kXtypConnectConfirm, handle, Hsz(topic), Hsz(service));
        return handle;
    }
    // The outside program ends its conversation.
    void OutsideDisconnect(std::uintptr_t conv) {
        Call(ddeml::kXtypDisconnect, conv);
        convs[conv].live = false;
    }

    // The log entries that start with prefix.
    std::vector<std::string> Calls(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : log)
            if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
        return found;
    }
    // The log without the given prefixes (to leave out incidental calls).
    std::vector<std::string> LogWithout(const std::vector<std::string>& prefixes) const {
        std::vector<std::string> kept;
        for (const std::string& line : log) {
            bool skip = false;
            for (const std::string& p : prefixes) skip = skip || line.compare(0, p.size(), p) == 0;
            if (!skip) kept.push_back(line);
        }
        return kept;
    }

    static bool Same(const std::string& a, const std::string& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::toupper(static_cast<unsigned char>(x)) ==
                          std::toupper(static_cast<unsigned char>(y));
               });
    }

  private:
    static constexpr std::uint32_t kDmlErrInvalidParameter = 0x4006;
    static constexpr std::uint32_t kDmlErrNotProcessed = 0x4009;
    static constexpr std::uintptr_t kFirstString = 0x100;
    static constexpr std::uintptr_t kFirstConv = 0x1001;
    static constexpr std::uintptr_t kFirstData = 0x5001;

    struct StringEntry {
        std::string text;
        int refs = 0;
    };

    std::uintptr_t Intern(const std::string& text) {
        for (const auto& entry : strings_)
            if (Same(entry.second.text, text)) return entry.first;
        const std::uintptr_t handle = kFirstString + strings_.size();
        strings_[handle].text = text;
        return handle;
    }
    std::uintptr_t NewData(std::vector<std::uint8_t> bytes) {
        const std::uintptr_t handle = kFirstData + datas.size();
        Data& data = datas[handle];
        data.reportedSize = static_cast<std::uint32_t>(bytes.size());
        data.bytes = std::move(bytes);
        return handle;
    }
    static std::string Inst(std::uint32_t id) {
        return id == kInstance ? "inst" : "inst?" + std::to_string(id);
    }
    std::string Str(std::uintptr_t hsz) const {
        if (hsz == 0) return "0";
        auto it = strings_.find(hsz);
        return it == strings_.end() ? "hsz?" : "\"" + it->second.text + "\"";
    }
    static std::string Conv(std::uintptr_t conv) {
        return conv == 0 ? "0" : "c" + std::to_string(conv - kFirstConv + 1);
    }
    static std::string DataName(std::uintptr_t data) {
        return data == 0 ? "0" : "d" + std::to_string(data - kFirstData + 1);
    }
    static std::string TypeName(std::uint32_t type) {
        switch (type) {
            case ddeml::kXtypAdvStart | ddeml::kXtypfNoData:
                return "ADVSTART|NODATA";
            case ddeml::kXtypAdvStart:
                return "ADVSTART";
            case ddeml::kXtypAdvStop:
                return "ADVSTOP";
            case ddeml::kXtypRequest:
                return "REQUEST";
            default:
                return std::to_string(type);
        }
    }

    std::map<std::uintptr_t, StringEntry> strings_;
    std::uintptr_t serverWindow_ = kServerWindow;
};
