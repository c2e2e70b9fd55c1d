#include "dde/dde_mgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <exception>

#include "dde/dde_error.h"
#include "dde/dde_harness.h"
#include "dde/dde_srvr_conv.h"
#include "rtl/error_report.h"

namespace {

using Log = std::vector<std::string>;

TEST(DdeMgr, OwnServiceNameIsTheFileNameCutBeforeItsFirstDot) {
    EXPECT_EQ(DdeServiceNameOf("C:\\Ohjelmat\\Vareli.exe"), "Vareli");
    EXPECT_EQ(DdeServiceNameOf("C:\\a.b\\Vareli.v2.exe"), "Vareli");
    EXPECT_EQ(DdeServiceNameOf("Z:/work/dde_wine_test.exe"), "dde_wine_test");
    EXPECT_EQ(DdeServiceNameOf("C:VARELI"), "VARELI");
}

TEST(DdeMgr, MakesTheInstanceRegistersItsNameAndUndoesBothInOrder) {
    FakeDdeml fake;
    auto manager = std::make_unique<TDdeMgr>(nullptr, "C:\\Ohjelmat\\Vareli.exe", fake);
    EXPECT_EQ(TDdeMgr::Current(), manager.get());
    EXPECT_EQ(manager->DdeInstId(), FakeDdeml::kInstance);
    EXPECT_EQ(fake.log, (Log{"DdeInitializeA(0,0)", "DdeCreateStringHandleA(inst,\"Vareli\",1004)",
                             "DdeNameService(inst,\"Vareli\",0,DNS_REGISTER)"}));
    manager->SetWindowCaptions([] { return std::vector<std::string>{"Vareli"}; });
    ASSERT_NE(fake.OutsideConnect("Vareli", "Vareli"), 0u);
    ASSERT_EQ(manager->ServerConvCount(), 1);
    fake.log.clear();
    manager.reset();
    EXPECT_EQ(fake.log, (Log{"DdeNameService(inst,\"Vareli\",0,DNS_UNREGISTER)",
                             "DdeFreeStringHandle(inst,\"Vareli\")", "DdeUninitialize(inst)"}));
    EXPECT_EQ(TDdeMgr::Current(), nullptr);
    EXPECT_EQ(fake.LiveStringHandles(), 0);
}

TEST(DdeMgr, AnInstanceThatCannotBeMadeRaisesTheMessageOfTheCodeItReturned) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x4007, "Error occurred when DDE ran out of memory ($04007)"},
        {0x4008, "Error occurred when DDE ran out of memory ($04008)"},
        {0x400A, "DDE Error - conversation not established ($0400a)"},
        {0x4006, "An error returned from DDE  ($04006)"},
    };
    for (const auto& c : cases) {
        FakeDdeml fake;
        // There is no instance whose last error could be asked.
        fake.initializeResult = c.first;
        fake.lastError = 0x4009;
        try {
            TDdeMgr manager(nullptr, "Vareli.exe", fake);
            ADD_FAILURE() << "no error for " << c.first;
        } catch (const EDdeError& e) {
            EXPECT_EQ(e.Message(), c.second);
        }
        EXPECT_EQ(TDdeMgr::Current(), nullptr);
        EXPECT_EQ(fake.Calls("DdeNameService").size(), 0u);
        EXPECT_EQ(fake.Calls("DdeGetLastError").size(), 0u);
    }
}

TEST(DdeMgr, AcceptsAConnectOnlyForItsOwnNameOrNoneAndAWindowCaption) {
    DdeHarness h;
    const std::pair<std::pair<const char*, const char*>, bool> cases[] = {
        {{"Vareli", "Vareli"}, true}, {{"VARELI", "asetukset"}, true}, {{"", "Vareli"}, true},
        {{"Vareli", "590"}, false},   {{"VTplus", "Vareli"}, false},   {{"", "Vareli2"}, false},
    };
    for (const auto& c : cases) {
        const std::uintptr_t answer = h.fake.Call(
            ddeml::kXtypConnect, 0, h.fake.Hsz(c.first.second), h.fake.Hsz(c.first.first));
        EXPECT_EQ(answer, c.second ? 1u : 0u) << c.first.first << "/" << c.first.second;
    }
    // The topic is read into a 4096-byte buffer in the ANSI code page.
    EXPECT_EQ(h.fake.Calls("DdeQueryStringA")[0], "DdeQueryStringA(inst,\"Vareli\",4096,1004)");
    // Without the window toolkit's answer no topic is a caption.
    h.manager->SetWindowCaptions(nullptr);
    EXPECT_EQ(h.fake.Call(ddeml::kXtypConnect, 0, h.fake.Hsz("Vareli"), h.fake.Hsz("Vareli")), 0u);
}

TEST(DdeMgr, WildConnectListsTheOwnNameAndTopicThenAZeroPair) {
    DdeHarness h;
    const std::uintptr_t data = h.fake.Call(ddeml::kXtypWildConnect, 0, h.fake.Hsz("vareli"), 0);
    ASSERT_NE(data, 0u);
    EXPECT_EQ(h.fake.Calls("DdeCreateDataHandle"),
              Log{"DdeCreateDataHandle(inst," + std::to_string(4 * sizeof(std::uintptr_t)) +
                  ",0,0,1,0)"});
    std::uintptr_t pairs[4];
    ASSERT_EQ(h.fake.datas[data].bytes.size(), sizeof pairs);
    std::memcpy(pairs, h.fake.datas[data].bytes.data(), sizeof pairs);
    EXPECT_EQ(pairs[0], h.manager->AppNameHandle());
    EXPECT_EQ(pairs[1], h.fake.Hsz("Vareli"));
    EXPECT_EQ(pairs[2], 0u);
    EXPECT_EQ(pairs[3], 0u);
    EXPECT_EQ(h.fake.Call(ddeml::kXtypWildConnect, 0, 0, 0), 0u);
    EXPECT_EQ(h.fake.Call(ddeml::kXtypWildConnect, 0, h.fake.Hsz("590"), 0), 0u);
    EXPECT_EQ(h.fake.Call(ddeml::kXtypWildConnect, 0, h.fake.Hsz("Vareli"), h.fake.Hsz("X")), 0u);
}

TEST(DdeMgr, OutsideConversationsGetARecordAndNothingElse) {
    DdeHarness h;
    TDdeClientConv client(nullptr);
    h.Watch(client);
    ASSERT_TRUE(client.Reconnect("VTplus", "590"));
    const std::uintptr_t outside = h.fake.OutsideConnect("Vareli", "Vareli");
    ASSERT_NE(outside, 0u);
    ASSERT_EQ(h.manager->ServerConvCount(), 1);
    EXPECT_EQ(h.manager->ServerConv(0).Topic(), "Vareli");
    EXPECT_EQ(h.fake.convs[outside].user,
              reinterpret_cast<std::uintptr_t>(&h.manager->ServerConv(0)));
    for (std::uint32_t type : {ddeml::kXtypAdvStart, ddeml::kXtypRequest, ddeml::kXtypAdvReq,
                               ddeml::kXtypPoke, ddeml::kXtypExecute, ddeml::kXtypAdvStop}) {
        EXPECT_EQ(h.fake.Call(type, outside, h.fake.Hsz("Vareli"), h.fake.Hsz("x")), 0u) << type;
    }
    h.fake.log.clear();
    h.fake.OutsideDisconnect(outside);
    EXPECT_EQ(h.manager->ServerConvCount(), 0);
    EXPECT_EQ(h.fake.Calls("DdeSetUserHandle"), Log{"DdeSetUserHandle(c2,QID_SYNC,0)"});
    EXPECT_TRUE(client.IsOpen());
    EXPECT_EQ(h.fake.Calls("conv"), Log{});
    // A refused outside connect leaves no record.
    EXPECT_EQ(h.fake.OutsideConnect("Vareli", "Foreign"), 0u);
    EXPECT_EQ(h.manager->ServerConvCount(), 0);
}

TEST(DdeMgr, NoMoreThan64OutsideConversationsAreHeldAtOnce) {
    DdeHarness h;
    std::vector<std::uintptr_t> held;
    held.reserve(64);
    for (int i = 0; i < 64; ++i) held.push_back(h.fake.OutsideConnect("Vareli", "Vareli"));
    EXPECT_EQ(std::count(held.begin(), held.end(), 0u), 0);
    EXPECT_EQ(h.fake.OutsideConnect("Vareli", "Vareli"), 0u);
    EXPECT_EQ(h.fake.Call(ddeml::kXtypWildConnect, 0, h.fake.Hsz("Vareli"), 0), 0u);
    EXPECT_EQ(h.manager->ServerConvCount(), 64);
    // A conversation that ends frees its place.
    h.fake.OutsideDisconnect(held[10]);
    EXPECT_NE(h.fake.Call(ddeml::kXtypWildConnect, 0, h.fake.Hsz("Vareli"), 0), 0u);
    EXPECT_NE(h.fake.OutsideConnect("", "Asetukset"), 0u);
    EXPECT_EQ(h.fake.OutsideConnect("Vareli", "Vareli"), 0u);
    EXPECT_EQ(h.manager->ServerConvCount(), 64);
}

TEST(DdeMgr, DataNoticesReachOnlyTheirConversationAndNeedItsUserHandle) {
    DdeHarness h;
    TDdeClientConv first(nullptr), second(nullptr);
    TDdeClientItem one(nullptr), two(nullptr);
    h.Watch(one, "one");
    h.Watch(two, "two");
    ASSERT_TRUE(first.Reconnect("VTplus", "590"));
    ASSERT_TRUE(second.Reconnect("VTplus", "590"));
    one.SetDdeConv(&first);
    two.SetDdeConv(&second);
    one.SetDdeItem(kBlockItem);
    two.SetDdeItem(kBlockItem);
    h.fake.log.clear();
    const std::uintptr_t item = h.fake.Hsz(kBlockItem);
    EXPECT_EQ(h.fake.Call(ddeml::kXtypAdvData, second.Conv(), h.fake.Hsz("590"), item),
              ddeml::kDdeFNotProcessed);
    EXPECT_EQ(h.fake.Calls("one"), Log{});
    EXPECT_EQ(h.fake.Calls("two"), Log{"two change 'aaaaaa..#798'"});
    // A notice whose user handle cannot be queried is dropped.
    h.fake.log.clear();
    h.fake.queryConvInfoFails = true;
    h.fake.Call(ddeml::kXtypAdvData, first.Conv(), h.fake.Hsz("590"), item);
    EXPECT_EQ(h.fake.LogWithout({"DdeQueryConvInfo"}), Log{});
    h.fake.queryConvInfoFails = false;
    // A transaction's completion is queried under its own id.
    h.fake.log.clear();
    h.fake.Call(ddeml::kXtypXactComplete, first.Conv(), 0, 0, 0, 77);
    EXPECT_EQ(h.fake.Calls("DdeQueryConvInfo"), Log{"DdeQueryConvInfo(c1,77,cb)"});
}

TEST(DdeMgr, AServerThatEndsTheConversationLosesItOnceAndKeepsTheNames) {
    DdeHarness h;
    TDdeClientConv conv(nullptr);
    TDdeClientItem item(nullptr);
    h.Watch(conv);
    h.Watch(item);
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    item.SetDdeConv(&conv);
    item.SetDdeItem(kBlockItem);
    const std::uintptr_t old = conv.Conv();
    h.fake.log.clear();
    h.fake.ServerQuits();
    h.fake.Call(ddeml::kXtypDisconnect, old);  // a second notice changes nothing
    EXPECT_EQ(h.fake.Calls("conv"), Log{"conv OnClose"});
    EXPECT_FALSE(conv.IsOpen());
    EXPECT_EQ(conv.DdeService(), "VTplus");
    EXPECT_EQ(conv.DdeTopic(), "590");
    EXPECT_EQ(item.DdeItem(), kBlockItem);
    EXPECT_EQ(item.Text().size(), 798u);
    EXPECT_EQ(h.fake.Calls("DdeConnect"), Log{});  // no new attempt
    EXPECT_EQ(h.fake.Calls("DdeFreeStringHandle"),
              Log{"DdeFreeStringHandle(inst,\"10,10,,,B(0/5/39/23)\")"});

    // A late notice of the ended conversation, still bound to the object,
    // must not touch the conversation it has opened since.
    h.fake.server.running = true;
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    h.fake.convs[old].live = true;
    h.fake.log.clear();
    h.fake.Call(ddeml::kXtypDisconnect, old);
    h.fake.Call(ddeml::kXtypAdvData, old, h.fake.Hsz("590"), h.fake.Hsz(kBlockItem));
    EXPECT_TRUE(conv.IsOpen());
    EXPECT_EQ(h.fake.LogWithout({"DdeQueryConvInfo"}), Log{});
}

TEST(DdeMgr, AHandlerExceptionUnderANoticeGoesToTheErrorReport) {
    DdeHarness h;
    std::vector<std::string> reported;
    ErrorReport::SetHandler([&](const std::exception_ptr& e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& x) {
            reported.push_back(x.Message());
        }
    });
    TDdeClientConv conv(nullptr);
    TDdeClientItem item(nullptr);
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    item.SetDdeConv(&conv);
    item.SetDdeItem(kBlockItem);
    item.OnChange = [](TObject*) { throw Exception("bad limit"); };
    conv.OnClose = [](TObject*) { throw Exception("close failed"); };
    EXPECT_NO_THROW(h.fake.Advise(kBlockItem));
    EXPECT_NO_THROW(h.fake.ServerQuits());
    ErrorReport::SetHandler(nullptr);
    EXPECT_EQ(reported, (Log{"bad limit", "close failed"}));
    EXPECT_EQ(h.fake.UnfreedRequestData(), 0);
    EXPECT_FALSE(conv.IsOpen());
    item.OnChange = nullptr;
}

TEST(DdeMgr, NamesCompareWithoutRegardToCaseInTheAnsiCodePage) {
    EXPECT_TRUE(SameDdeName("VTplus", "VTPLUS"));
    EXPECT_TRUE(SameDdeName("yl\xE4raja", "YL\xC4RAJA"));
    EXPECT_FALSE(SameDdeName("590", "5900"));
    EXPECT_FALSE(SameDdeName("\xF7", "\xD7"));  // division and multiplication signs
}

}  // namespace
