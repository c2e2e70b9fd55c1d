#include "dde/dde_client_conv.h"

#include <gtest/gtest.h>

#include "dde/dde_cli_item.h"
#include "dde/dde_harness.h"

namespace {

using Log = std::vector<std::string>;

// A conversation and an item on it, as the main window holds them.
class Conversation : public ::testing::Test {
  protected:
    void SetUp() override {
        h.Watch(conv);
        h.Watch(item);
        item.SetDdeConv(&conv);
    }
    void Link() {
        item.SetDdeItem(kBlockItem);
        h.fake.log.clear();
    }
    DdeHarness h;
    TDdeClientConv conv{nullptr};
    TDdeClientItem item{nullptr};
};

TEST_F(Conversation, OpeningConnectsStartsTheWarmLinkThenOpensAndFetches) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    conv.CloseConversation();
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    EXPECT_EQ(
        h.fake.LogWithout({"conv OnClose", "DdeDisconnect", "DdeFreeStringHandle"}),
        (Log{"DdeSetUserHandle(c1,QID_SYNC,0)", "DdeCreateStringHandleA(inst,\"VTplus\",1004)",
             "DdeCreateStringHandleA(inst,\"590\",1004)",
             "DdeConnect(inst,\"VTplus\",\"590\",cb,cp=1004)", "DdeQueryConvInfo(c2,QID_SYNC,cb)",
             "DdeSetUserHandle(c2,QID_SYNC,obj)",
             "DdeCreateStringHandleA(inst,\"10,10,,,B(0/5/39/23)\",1004)",
             "DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,ADVSTART|NODATA,1000)",
             "conv OnOpen",
             "DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,REQUEST,1000)",
             "DdeAccessData(d2)", "DdeUnaccessData(d2)", "item change 'aaaaaa..#798'",
             "DdeFreeDataHandle(d2)"}));
    EXPECT_EQ(h.fake.convs[conv.Conv()].user, reinterpret_cast<std::uintptr_t>(&conv));
    EXPECT_EQ(h.fake.UnfreedRequestData(), 0);
}

TEST_F(Conversation, TheServersFormatIsUsedWhenItNamesOne) {
    h.fake.server.format = 13;
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    EXPECT_EQ(conv.DataFormat(), 13u);
    h.fake.Advise(kBlockItem);
    EXPECT_EQ(h.fake.Calls("DdeClientTransaction"),
              Log{"DdeClientTransaction(null,0,c1,\"10,10,,,B(0/5/39/23)\",13,REQUEST,1000)"});
}

TEST_F(Conversation, ADecoderThatDoesNotAnswerIsStartedOnceMinimisedAndTriedOnceMore) {
    conv.SetServiceApplication("VTPlus");
    h.fake.server.running = false;
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    EXPECT_EQ(h.Story(),
              (Log{"DdeConnect(inst,\"VTplus\",\"590\",cb,cp=1004)", "WinExec(\"VTPlus\",7)",
                   "DdeConnect(inst,\"VTplus\",\"590\",cb,cp=1004)", "conv OnOpen"}));

    // Started but still silent: no further attempt, and the item loses its name.
    conv.CloseConversation();
    Link();  // refused while closed: no link remains
    EXPECT_EQ(item.DdeItem(), "");
    h.fake.server.running = false;
    h.fake.winExecStartsServer = false;
    EXPECT_FALSE(conv.Reconnect("VTplus", "590"));
    EXPECT_EQ(h.fake.Calls("WinExec").size(), 1u);
    EXPECT_EQ(h.fake.Calls("DdeConnect").size(), 2u);
    EXPECT_EQ(conv.DdeService(), "");
    EXPECT_EQ(conv.DdeTopic(), "");

    // The start fails: no second connect. Without a start command the
    // service and topic make one.
    h.fake.log.clear();
    h.fake.winExecResult = 2;
    conv.SetServiceApplication("");
    EXPECT_FALSE(conv.Reconnect("VTplus", "590"));
    EXPECT_EQ(h.Story(),
              (Log{"DdeConnect(inst,\"VTplus\",\"590\",cb,cp=1004)", "WinExec(\"VTplus 590\",7)"}));

    // Neither a service nor a start command: nothing to start.
    h.fake.log.clear();
    EXPECT_FALSE(conv.Reconnect("", "590"));
    EXPECT_EQ(h.Story(), (Log{"DdeConnect(inst,0,\"590\",cb,cp=1004)"}));
    conv.CloseConversation();
    EXPECT_EQ(h.LinkHandles(), 0);
}

TEST_F(Conversation, AStartThatReturnsExactly32CountsAndOneBelowDoesNot) {
    h.fake.server.running = false;
    h.fake.winExecStartsServer = false;
    for (const std::uint32_t result : {32u, 31u}) {
        h.fake.log.clear();
        h.fake.winExecResult = result;
        EXPECT_FALSE(conv.Reconnect("VTplus", "590"));
        EXPECT_EQ(h.fake.Calls("DdeConnect").size(), result == 32 ? 2u : 1u) << result;
    }
}

TEST_F(Conversation, AServerThatQuitsWhileTheLinksStartFailsTheOpenWithoutOnOpen) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    // The disconnect notice arrives inside the open's own advise start.
    h.fake.onTransaction = [this](std::uint32_t type) {
        if (type == (ddeml::kXtypAdvStart | ddeml::kXtypfNoData)) h.fake.ServerQuits();
    };
    EXPECT_FALSE(conv.Reconnect("VTplus", "590"));
    EXPECT_FALSE(conv.IsOpen());
    EXPECT_EQ(
        h.Story(),
        (Log{"conv OnClose", "DdeDisconnect(c1)", "DdeConnect(inst,\"VTplus\",\"590\",cb,cp=1004)",
             "DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,ADVSTART|NODATA,1000)",
             "conv OnClose"}));
    h.fake.onTransaction = nullptr;
    conv.CloseConversation();
    EXPECT_EQ(h.LinkHandles(), 0);
}

TEST_F(Conversation, NamesAndStartCommandPassThroughA256ByteBuffer) {
    h.fake.server.running = false;
    h.fake.winExecStartsServer = false;
    conv.SetServiceApplication(std::string(300, 'c'));
    EXPECT_FALSE(conv.Reconnect(std::string(300, 's'), std::string(256, 't')));
    EXPECT_EQ(h.fake.Calls("DdeCreateStringHandleA"),
              (Log{"DdeCreateStringHandleA(inst,\"" + std::string(255, 's') + "\",1004)",
                   "DdeCreateStringHandleA(inst,\"" + std::string(255, 't') + "\",1004)"}));
    EXPECT_EQ(h.fake.Calls("WinExec"), Log{"WinExec(\"" + std::string(255, 'c') + "\",7)"});
}

TEST_F(Conversation, OpeningWhenOpenOrWithoutNamesDoesNothingButDropTheItems) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    EXPECT_FALSE(conv.OpenConversation());
    EXPECT_EQ(h.fake.log, Log{});
    conv.CloseConversation();
    EXPECT_EQ(item.DdeItem(), kBlockItem);  // links keep their names on close
    h.fake.log.clear();
    EXPECT_FALSE(conv.OpenConversation());
    EXPECT_EQ(h.Story(), Log{"item change ''"});
    EXPECT_EQ(item.DdeItem(), "");
    EXPECT_EQ(conv.ItemLinkCount(), 0);
}

TEST_F(Conversation, ClosingRaisesOnCloseFirstAndSendsNoAdviseStop) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    conv.CloseConversation();
    EXPECT_EQ(h.fake.log,
              (Log{"conv OnClose", "DdeFreeStringHandle(inst,\"10,10,,,B(0/5/39/23)\")",
                   "DdeSetUserHandle(c1,QID_SYNC,0)", "DdeDisconnect(c1)",
                   "DdeFreeStringHandle(inst,\"VTplus\")", "DdeFreeStringHandle(inst,\"590\")"}));
    EXPECT_EQ(conv.DdeService(), "");
    EXPECT_EQ(conv.DdeTopic(), "");
    EXPECT_EQ(h.LinkHandles(), 0);
    // Closed already: no event, nothing to release.
    h.fake.log.clear();
    conv.CloseConversation();
    EXPECT_EQ(h.fake.log, Log{});
}

TEST_F(Conversation, ACloseHandlerThatRaisesStillEndsTheConversation) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    conv.OnClose = [](TObject*) { throw Exception("handler failed"); };
    EXPECT_THROW(conv.CloseConversation(), Exception);
    EXPECT_FALSE(conv.IsOpen());
    EXPECT_EQ(h.fake.Calls("DdeDisconnect"), Log{"DdeDisconnect(c1)"});
    EXPECT_EQ(h.LinkHandles(), 0);
}

TEST_F(Conversation, RetargetReconnectsInAutomaticModeAndOnlyNotifiesInManualMode) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    EXPECT_TRUE(conv.Retarget("VTPLUS", "590"));
    EXPECT_EQ(
        h.Story(),
        (Log{"conv OnClose", "DdeDisconnect(c1)", "DdeConnect(inst,\"VTplus\",\"590\",cb,cp=1004)",
             "DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,ADVSTART|NODATA,1000)",
             "conv OnOpen",
             "DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,REQUEST,1000)",
             "item change 'aaaaaa..#798'"}));
    EXPECT_EQ(conv.DdeService(), "VTPLUS");

    conv.SetConnectMode(ddeManual);
    EXPECT_TRUE(conv.IsOpen());  // switching to manual leaves it open
    h.fake.log.clear();
    EXPECT_TRUE(conv.Retarget("Other", "1"));
    EXPECT_EQ(h.Story(), (Log{"conv OnClose", "DdeDisconnect(c2)", "item change 'aaaaaa..#798'"}));
    EXPECT_EQ(conv.DdeService(), "Other");
    EXPECT_EQ(conv.DdeTopic(), "1");
    EXPECT_FALSE(conv.IsOpen());
}

TEST_F(Conversation, SwitchingToAutomaticConnectsOrRaisesAndKeepsTheMode) {
    conv.SetConnectMode(ddeManual);
    EXPECT_TRUE(conv.Retarget("VTplus", "590"));
    h.fake.server.running = false;
    h.fake.winExecStartsServer = false;
    h.fake.log.clear();
    try {
        conv.SetConnectMode(ddeAutomatic);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to connect DDE conversation");
    }
    EXPECT_EQ(conv.ConnectMode(), ddeManual);
    EXPECT_EQ(h.fake.Calls("WinExec").size(), 1u);

    h.fake.server.running = true;
    EXPECT_TRUE(conv.Retarget("VTplus", "590"));
    conv.SetConnectMode(ddeAutomatic);
    EXPECT_EQ(conv.ConnectMode(), ddeAutomatic);
    EXPECT_TRUE(conv.IsOpen());
    h.fake.log.clear();
    conv.SetConnectMode(ddeAutomatic);  // unchanged: nothing
    EXPECT_EQ(h.fake.log, Log{});
}

TEST_F(Conversation, FormatCharsDecidesBetweenOneBlankedLineAndRealLinesAndRefetches) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    ASSERT_EQ(item.Lines().size(), 1u);
    const std::string text = item.Text();
    ASSERT_EQ(text.size(), 798u);
    for (size_t row = 0; row < 19; ++row) EXPECT_EQ(text.substr(row * 42 + 40, 2), "  ");
    conv.SetFormatChars(true);
    EXPECT_EQ(h.Story().size(), 2u);  // one request, one change event
    ASSERT_EQ(item.Lines().size(), 19u);
    EXPECT_EQ(item.Text(), std::string(39, 'a') + "0");
    h.fake.log.clear();
    conv.SetFormatChars(true);
    conv.CloseConversation();
    conv.SetFormatChars(false);
    EXPECT_EQ(h.Story(), (Log{"conv OnClose", "DdeDisconnect(c1)"}));
}

TEST_F(Conversation, RefusedWarmLinksDetachTheirItemsAtOpen) {
    TDdeClientItem other(nullptr);
    h.Watch(other, "other");
    conv.SetConnectMode(ddeManual);
    ASSERT_TRUE(conv.Retarget("VTplus", "590"));
    item.SetDdeItem("not offered");
    other.SetDdeConv(&conv);
    other.SetDdeItem(kBlockItem);
    ASSERT_EQ(conv.ItemLinkCount(), 2);
    h.fake.log.clear();
    ASSERT_TRUE(conv.OpenConversation());
    EXPECT_EQ(
        h.Story(),
        (Log{"DdeConnect(inst,\"VTplus\",\"590\",cb,cp=1004)",
             "DdeClientTransaction(null,0,c1,\"not offered\",1,ADVSTART|NODATA,1000)",
             "item change ''",
             "DdeClientTransaction(null,0,c1,\"10,10,,,B(0/5/39/23)\",1,ADVSTART|NODATA,1000)",
             "conv OnOpen",
             "DdeClientTransaction(null,0,c1,\"10,10,,,B(0/5/39/23)\",1,REQUEST,1000)",
             "other change 'aaaaaa..#798'"}));
    EXPECT_EQ(item.DdeItem(), "");
    EXPECT_EQ(other.DdeItem(), kBlockItem);
    EXPECT_EQ(conv.ItemLinkCount(), 1);
    // The refusal clears the instance's last error and frees the item's handle.
    EXPECT_EQ(h.fake.Calls("DdeGetLastError").size(), 1u);
    EXPECT_EQ(h.fake.Calls("DdeFreeStringHandle"),
              Log{"DdeFreeStringHandle(inst,\"not offered\")"});
}

TEST_F(Conversation, WritesThroughTheNameAndTextPropertiesChangeNothing) {
    ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
    Link();
    conv.SetDdeService("Other");
    conv.SetDdeTopic("1");
    item.SetText("x");
    item.SetLines({"y", "z"});
    EXPECT_EQ(conv.DdeService(), "VTplus");
    EXPECT_EQ(conv.DdeTopic(), "590");
    EXPECT_EQ(item.Text().size(), 798u);
    EXPECT_EQ(h.fake.log, Log{});
}

TEST_F(Conversation, DestroyingAnOpenConversationClosesItAndFreesItsItem) {
    auto owned = std::make_unique<TDdeClientConv>(nullptr);
    const auto address = reinterpret_cast<std::uintptr_t>(owned.get());
    h.Watch(*owned, "owned");
    item.SetDdeConv(owned.get());
    ASSERT_TRUE(owned->Reconnect("VTplus", "590"));
    Link();
    owned.reset();
    EXPECT_EQ(h.Story(), (Log{"owned OnClose", "DdeDisconnect(c1)", "item change ''"}));
    EXPECT_EQ(item.DdeConv(), nullptr);
    EXPECT_EQ(item.DdeItem(), "");
    EXPECT_EQ(h.LinkHandles(), 0);
    EXPECT_EQ(TDdeClientConv::FromUserHandle(address), nullptr);
    EXPECT_EQ(TDdeClientConv::FromUserHandle(reinterpret_cast<std::uintptr_t>(&conv)), &conv);
}

}  // namespace
