// The DDEML seam's contract as the decoder link rests on it: one body of
// checks, run on the fake library with its scripted server (host) and on
// wine's DDEML with the decoder simulator as the server (tests/wine/dde).
// Whatever the real library answers, with which last error, the fake answers
// alike; where a check fails on one side only, the fake is put right.
//
// Each check makes its own client instance on the calling thread and ends it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ddeml.h"

// The server behind the library: the fake's scripted one, or the simulator.
class DdeContractServer {
  public:
    virtual ~DdeContractServer() = default;
    virtual std::string Service() const = 0;
    // Serves exactly these bytes for the item, a zero byte after them.
    virtual void Serve(const std::string& text) = 0;
    virtual void RefuseAdvise(bool on) = 0;
    // Leaves the library and ends, mid-conversation, as a decoder that is
    // closed or crashes; Start brings a new one under the same service.
    virtual void Quit() = 0;
    virtual void Start() = 0;
    // Lets the library deliver what is due (wine: messages for a while).
    virtual void Settle() = 0;
};

namespace ddeml_contract {

constexpr const char* kTopic = "590";
constexpr const char* kItem = "10,10,,,B(0/5/39/23)";
constexpr std::uint32_t kDmlErrInvalidParameter = 0x4006;
constexpr std::uint32_t kDmlErrNotProcessed = 0x4009;

// A client instance with its callback's notices.
class Client {
  public:
    explicit Client(IDdeml& ddeml) : ddeml_(ddeml) { Initialize(); }
    ~Client() { Uninitialize(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    std::uintptr_t Hsz(const std::string& text) {
        const std::uintptr_t hsz =
            ddeml_.DdeCreateStringHandleA(instance_, text.c_str(), ddeml::kCpWinAnsi);
        strings_.push_back(hsz);
        return hsz;
    }
    // As the link connects: a context with the code page and nothing else.
    std::uintptr_t Connect(const std::string& service, const std::string& topic = kTopic) {
        DdeConvContext context;
        context.cb = sizeof(DdeConvContext);
        context.iCodePage = static_cast<std::int32_t>(ddeml::kCpWinAnsi);
        return ddeml_.DdeConnect(instance_, Hsz(service), Hsz(topic), &context);
    }
    std::uintptr_t Transaction(std::uintptr_t conv, const std::string& item, std::uint32_t type) {
        std::uint32_t result = 0;
        return ddeml_.DdeClientTransaction(nullptr, 0, conv, Hsz(item), ddeml::kCfText, type, 1000,
                                           &result);
    }
    std::uint32_t LastError() { return ddeml_.DdeGetLastError(instance_); }
    // Ends the instance and makes a new one, as the link's renewal does.
    void Renew() {
        Uninitialize();
        Initialize();
    }
    int Notices(std::uint32_t type) const {
        int count = 0;
        for (const Notice& notice : notices) count += notice.type == type ? 1 : 0;
        return count;
    }

    struct Notice {
        std::uint32_t type;
        std::uintptr_t conv;
    };
    std::vector<Notice> notices;

  private:
    void Initialize() {
        const std::uint32_t result = ddeml_.DdeInitializeA(
            &instance_,
            [this](std::uint32_t type, std::uint32_t, std::uintptr_t conv, std::uintptr_t,
                   std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) {
                notices.push_back({type, conv});
                return std::uintptr_t{0};
            },
            ddeml::kAppClassStandard, 0);
        EXPECT_EQ(result, 0u);
    }
    void Uninitialize() {
        for (std::uintptr_t hsz : strings_) ddeml_.DdeFreeStringHandle(instance_, hsz);
        strings_.clear();
        ddeml_.DdeUninitialize(instance_);
        instance_ = 0;  // a new instance is asked for with 0
    }

    IDdeml& ddeml_;
    std::uint32_t instance_ = 0;
    std::vector<std::uintptr_t> strings_;
};

// The bytes of a data handle, and whether access, release and freeing
// succeeded.
inline std::string DataText(IDdeml& ddeml, std::uintptr_t data) {
    std::uint32_t size = 0;
    const std::uint8_t* bytes = ddeml.DdeAccessData(data, &size);
    EXPECT_NE(bytes, nullptr);
    if (bytes == nullptr) return std::string();
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    EXPECT_TRUE(ddeml.DdeUnaccessData(data));
    EXPECT_TRUE(ddeml.DdeFreeDataHandle(data));
    return text;
}

// A new instance is asked for with 0: the number of one that has ended is
// refused as an invalid parameter, and no instance is made.
inline void ANewInstanceIsAskedForWithZero(IDdeml& ddeml) {
    const auto none = [](std::uint32_t, std::uint32_t, std::uintptr_t, std::uintptr_t,
                         std::uintptr_t, std::uintptr_t, std::uintptr_t,
                         std::uintptr_t) { return std::uintptr_t{0}; };
    std::uint32_t instance = 0;
    ASSERT_EQ(ddeml.DdeInitializeA(&instance, none, ddeml::kAppClassStandard, 0), 0u);
    EXPECT_NE(instance, 0u);
    EXPECT_TRUE(ddeml.DdeUninitialize(instance));
    EXPECT_EQ(ddeml.DdeInitializeA(&instance, none, ddeml::kAppClassStandard, 0),
              kDmlErrInvalidParameter);
    instance = 0;
    ASSERT_EQ(ddeml.DdeInitializeA(&instance, none, ddeml::kAppClassStandard, 0), 0u);
    EXPECT_TRUE(ddeml.DdeUninitialize(instance));
}

// A decoder that is not there, or not on that topic: no conversation, and
// the last error says none was made, once.
inline void ConnectToAMissingServer(IDdeml& ddeml, DdeContractServer& server) {
    Client client(ddeml);
    EXPECT_EQ(client.Connect(server.Service() + "x"), 0u);
    EXPECT_EQ(client.LastError(), ddeml::kDmlErrNoConvEstablished);
    EXPECT_EQ(client.LastError(), 0u);
    EXPECT_EQ(client.Connect(server.Service(), "591"), 0u);
    EXPECT_EQ(client.LastError(), ddeml::kDmlErrNoConvEstablished);
    // The service in either case: DDE names are not case-sensitive.
    std::string upper = server.Service();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::uintptr_t conv = client.Connect(upper);
    EXPECT_NE(conv, 0u);
    EXPECT_EQ(client.LastError(), 0u);
    EXPECT_TRUE(ddeml.DdeDisconnect(conv));
}

// A refused warm link: no handle, "not processed", and the conversation
// stays, so a request still gets the text and a later advise may be taken.
inline void AdviseRefusal(IDdeml& ddeml, DdeContractServer& server) {
    server.Serve("Q1AAA\r\n");
    server.RefuseAdvise(true);
    Client client(ddeml);
    const std::uintptr_t conv = client.Connect(server.Service());
    ASSERT_NE(conv, 0u);
    const std::uint32_t advise = ddeml::kXtypAdvStart | ddeml::kXtypfNoData;
    EXPECT_EQ(client.Transaction(conv, kItem, advise), 0u);
    EXPECT_EQ(client.LastError(), kDmlErrNotProcessed);
    const std::uintptr_t data = client.Transaction(conv, kItem, ddeml::kXtypRequest);
    ASSERT_NE(data, 0u);
    EXPECT_EQ(DataText(ddeml, data), std::string("Q1AAA\r\n", 8));
    server.RefuseAdvise(false);
    EXPECT_NE(client.Transaction(conv, kItem, advise), 0u);
    EXPECT_EQ(client.LastError(), 0u);
    EXPECT_TRUE(ddeml.DdeDisconnect(conv));
}

// A request's data handle holds the text and its zero byte, all counted in
// its size; an item the server does not offer gives no handle, and the last
// error says the server did not process it.
inline void DataHandleText(IDdeml& ddeml, DdeContractServer& server) {
    const std::string text = "  7025 Q1AAA  cq dx          Q9ZZZ  1305\r\n\xE4\xF6\r\n";
    server.Serve(text);
    Client client(ddeml);
    const std::uintptr_t conv = client.Connect(server.Service());
    ASSERT_NE(conv, 0u);
    DdeConvInfo info;
    info.cb = sizeof info;
    ASSERT_NE(ddeml.DdeQueryConvInfo(conv, ddeml::kQidSync, &info), 0u);
    const std::uintptr_t data = client.Transaction(conv, kItem, ddeml::kXtypRequest);
    ASSERT_NE(data, 0u);
    EXPECT_EQ(DataText(ddeml, data), text + std::string(1, '\0'));
    server.Serve("");
    const std::uintptr_t empty = client.Transaction(conv, kItem, ddeml::kXtypRequest);
    ASSERT_NE(empty, 0u);
    EXPECT_EQ(DataText(ddeml, empty), std::string(1, '\0'));
    client.LastError();
    EXPECT_EQ(client.Transaction(conv, "11,11,,,B(0/5/39/23)", ddeml::kXtypRequest), 0u);
    EXPECT_EQ(client.LastError(), kDmlErrNotProcessed);
    EXPECT_TRUE(ddeml.DdeDisconnect(conv));
}

// The client ends its conversation: it is gone at once, a second end fails,
// and a transaction on it gets nothing, with no last error (the handle is
// none now). No notice comes for its own end.
inline void ClientDisconnect(IDdeml& ddeml, DdeContractServer& server) {
    server.Serve("Q1AAA\r\n");
    Client client(ddeml);
    const std::uintptr_t conv = client.Connect(server.Service());
    ASSERT_NE(conv, 0u);
    EXPECT_TRUE(ddeml.DdeDisconnect(conv));
    EXPECT_FALSE(ddeml.DdeDisconnect(conv));
    client.LastError();
    EXPECT_EQ(client.Transaction(conv, kItem, ddeml::kXtypRequest), 0u);
    EXPECT_EQ(client.LastError(), 0u);  // a handle that is none, not a lost partner
    server.Settle();
    EXPECT_EQ(client.Notices(ddeml::kXtypDisconnect), 0);
}

// The decoder quits mid-conversation (wine 8): no disconnect notice reaches
// the client, the partner's window is gone, transactions get nothing, the
// library keeps the conversation (its end fails; a transaction on it says
// "no conversation"), and a decoder back under the same service is refused
// without a word until the instance is made anew.
inline void ServerQuitsMidConversation(IDdeml& ddeml, DdeContractServer& server) {
    server.Serve("Q1AAA\r\n");
    Client client(ddeml);
    const std::uintptr_t conv = client.Connect(server.Service());
    ASSERT_NE(conv, 0u);
    DdeConvInfo info;
    info.cb = sizeof info;
    ASSERT_NE(ddeml.DdeQueryConvInfo(conv, ddeml::kQidSync, &info), 0u);
    EXPECT_NE(info.hwndPartner, 0u);
    EXPECT_TRUE(ddeml.IsWindow(info.hwndPartner));
    server.Quit();
    server.Settle();
    EXPECT_EQ(client.Notices(ddeml::kXtypDisconnect), 0);
    EXPECT_FALSE(ddeml.IsWindow(info.hwndPartner));
    client.LastError();
    EXPECT_EQ(client.Transaction(conv, kItem, ddeml::kXtypRequest), 0u);
    EXPECT_EQ(client.LastError(), ddeml::kDmlErrNoConvEstablished);
    EXPECT_FALSE(ddeml.DdeDisconnect(conv));

    server.Start();
    EXPECT_EQ(client.Transaction(conv, kItem, ddeml::kXtypRequest), 0u);
    client.LastError();
    EXPECT_EQ(client.Connect(server.Service()), 0u);
    EXPECT_EQ(client.LastError(), 0u);  // refused without a word
    client.Renew();
    const std::uintptr_t again = client.Connect(server.Service());
    EXPECT_NE(again, 0u);
    DdeConvInfo now;
    now.cb = sizeof now;
    ASSERT_NE(ddeml.DdeQueryConvInfo(again, ddeml::kQidSync, &now), 0u);
    EXPECT_TRUE(ddeml.IsWindow(now.hwndPartner));
    EXPECT_FALSE(ddeml.IsWindow(info.hwndPartner));
    EXPECT_TRUE(ddeml.DdeDisconnect(again));
}

}  // namespace ddeml_contract
