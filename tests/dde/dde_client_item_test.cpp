#include "dde/dde_client_item.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "dde/dde_cli_item.h"
#include "dde/dde_harness.h"

namespace {

using Log = std::vector<std::string>;

class Item : public ::testing::Test {
  protected:
    void SetUp() override {
        h.Watch(conv);
        h.Watch(item);
        item.SetDdeConv(&conv);
        ASSERT_TRUE(conv.Reconnect("VTplus", "590"));
        h.fake.log.clear();
    }
    DdeHarness h;
    TDdeClientConv conv{nullptr};
    TDdeClientItem item{nullptr};
};

TEST_F(Item, AttachingRaisesAnEmptyChangeThenTheBlock) {
    item.Lines() = {"sample"};
    item.SetDdeItem(kBlockItem);
    EXPECT_EQ(h.fake.Calls("item"), (Log{"item change ''", "item change 'aaaaaa..#798'"}));
    EXPECT_EQ(item.DdeItem(), kBlockItem);
    EXPECT_EQ(conv.ItemLink(0).Name(), kBlockItem);
}

TEST_F(Item, EveryNoticeThatYieldsDataRaisesAChangeEvenWithTheSameText) {
    item.SetDdeItem(kBlockItem);
    h.fake.log.clear();
    h.fake.Advise(kBlockItem);
    h.fake.Advise(kBlockItem);
    EXPECT_EQ(h.fake.Calls("item"),
              (Log{"item change 'aaaaaa..#798'", "item change 'aaaaaa..#798'"}));
    // An empty text keeps the lines and still raises the change.
    h.fake.server.items[kBlockItem] = "";
    h.fake.Advise(kBlockItem);
    EXPECT_EQ(h.fake.Calls("item").back(), "item change 'aaaaaa..#798'");
    // A refused or timed-out request raises nothing and keeps the lines.
    h.fake.server.refuseRequest = true;
    h.fake.log.clear();
    h.fake.Advise(kBlockItem);
    EXPECT_EQ(h.fake.Calls("item"), Log{});
    EXPECT_EQ(item.Text().size(), 798u);
    EXPECT_EQ(h.fake.UnfreedRequestData(), 0);
}

TEST_F(Item, DataWithoutAZeroByteIsReadOnlyUpToItsReportedSize) {
    item.SetDdeItem(kBlockItem);
    h.fake.log.clear();
    // A notice that carries its data: 5 bytes reported, more behind them.
    const std::uintptr_t data = h.fake.MakeData(
        "AB\x01"
        "CDxxxxxxxx",
        5);
    h.fake.Call(ddeml::kXtypAdvData, conv.Conv(), h.fake.Hsz("590"), h.fake.Hsz(kBlockItem), data);
    EXPECT_EQ(item.Text(), "AB CD");
    EXPECT_EQ(h.fake.log.back(), "item change 'AB CD'");
    // The library owns a notice's data: the link reads it and leaves it.
    EXPECT_EQ(h.fake.Calls("DdeFreeDataHandle"), Log{});
    EXPECT_EQ(h.fake.datas[data].accessCount, 0);
    // Fetched data without a zero byte: the whole reported size.
    h.fake.server.zeroTerminated = false;
    h.fake.server.items[kBlockItem] = "row1\r\nrow2";
    h.fake.Advise(kBlockItem);
    EXPECT_EQ(item.Text(), "row1  row2");
}

TEST_F(Item, ANewNameStopsTheOldWarmLinkAndStartsTheNewOne) {
    h.fake.server.items["other"] = "x\r\n";
    item.SetDdeItem(kBlockItem);
    h.fake.log.clear();
    item.SetDdeItem("other");
    EXPECT_EQ(
        h.Story(),
        (Log{"DdeClientTransaction(null,0,c1,\"10,10,,,B(0/5/39/23)\",1,ADVSTOP,1000)",
             "DdeClientTransaction(null,0,c1,\"other\",1,ADVSTART|NODATA,1000)",
             "DdeClientTransaction(null,0,c1,\"other\",1,REQUEST,1000)", "item change 'x  '"}));
    EXPECT_EQ(conv.ItemLinkCount(), 1);
    EXPECT_EQ(h.LinkHandles(), 3);  // service, topic, "other"
}

TEST_F(Item, ARefusedWarmLinkDropsTheNameWithEmptyChanges) {
    item.Lines() = {"sample"};
    item.SetDdeItem("not offered");
    EXPECT_EQ(item.DdeItem(), "");
    EXPECT_EQ(item.Text(), "");
    EXPECT_EQ(conv.ItemLinkCount(), 0);
    EXPECT_EQ(h.fake.Calls("item"), (Log{"item change ''", "item change ''", "item change ''"}));
    EXPECT_EQ(h.LinkHandles(), 2);
}

TEST_F(Item, MovingToAnotherConversationCarriesTheName) {
    item.SetDdeItem(kBlockItem);
    TDdeClientConv second(nullptr);
    ASSERT_TRUE(second.Reconnect("VTplus", "590"));
    h.fake.log.clear();
    item.SetDdeConv(&second);
    EXPECT_EQ(
        h.Story(),
        (Log{"DdeClientTransaction(null,0,c1,\"10,10,,,B(0/5/39/23)\",1,ADVSTOP,1000)",
             "item change ''", "item change ''",
             "DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,ADVSTART|NODATA,1000)",
             "DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,REQUEST,1000)",
             "item change 'aaaaaa..#798'"}));
    EXPECT_EQ(conv.ItemLinkCount(), 0);
    EXPECT_EQ(second.ItemLinkCount(), 1);
    EXPECT_EQ(item.DdeItem(), kBlockItem);
    item.SetDdeConv(nullptr);
    EXPECT_EQ(second.ItemLinkCount(), 0);
    // Without a conversation, outside loading, a name is not taken.
    item.SetDdeItem(kBlockItem);
    EXPECT_EQ(item.DdeItem(), "");
}

TEST_F(Item, ADestroyedItemLeavesItsConversation) {
    auto other = std::make_unique<TDdeClientItem>(nullptr);
    h.Watch(*other, "other");
    other->SetDdeConv(&conv);
    other->SetDdeItem(kBlockItem);
    h.fake.log.clear();
    other.reset();
    EXPECT_EQ(conv.ItemLinkCount(), 0);
    EXPECT_EQ(h.fake.Calls("DdeClientTransaction"),
              Log{"DdeClientTransaction(null,0,c1,\"10,10,,,B(0/5/39/23)\",1,ADVSTOP,1000)"});
    h.fake.Advise(kBlockItem);  // nothing left to reach
    EXPECT_EQ(h.fake.Calls("DdeClientTransaction").size(), 1u);
}

TEST_F(Item, AChangeHandlerThatRaisesLeavesTheLinkAndDataInOrder) {
    item.SetDdeItem(kBlockItem);
    item.OnChange = [](TObject*) { throw Exception("bad"); };
    EXPECT_THROW(conv.SetFormatChars(true), Exception);
    EXPECT_EQ(h.fake.UnfreedRequestData(), 0);
    EXPECT_THROW(item.SetDdeItem(""), Exception);
    EXPECT_EQ(conv.ItemLinkCount(), 0);
    item.OnChange = nullptr;
}

TEST_F(Item, AHandlerThatDetachesALinkInsideItsOwnTransactionStopsThatLink) {
    h.fake.server.items["other"] = "x\r\n";
    h.fake.server.items["renamed"] = "y\r\n";
    TDdeClientItem other(nullptr);
    other.SetDdeConv(&conv);
    other.SetDdeItem("other");
    auto doomed = std::make_unique<TDdeClientItem>(nullptr);
    doomed->SetDdeConv(&conv);
    // Inside the first transaction of type `inside`, the server announces new
    // data on "other", whose change handler runs `act`.
    auto during = [&](std::uint32_t inside, const std::function<void()>& act,
                      const std::function<void()>& start) {
        bool fired = false;
        h.fake.onTransaction = [&, inside](std::uint32_t type) {
            if (type != inside || fired) return;
            fired = true;
            h.fake.Advise("other");
        };
        other.OnChange = [&act](TObject*) { act(); };
        start();
        h.fake.onTransaction = nullptr;
        other.OnChange = nullptr;
        EXPECT_TRUE(fired) << inside;
    };
    const auto unname = [this] { item.SetDdeItem(""); };
    // Renaming: the old warm link's advise stop.
    item.SetDdeItem(kBlockItem);
    during(ddeml::kXtypAdvStop, unname, [this] { item.SetDdeItem("renamed"); });
    EXPECT_EQ(item.DdeItem(), "");
    // Naming: the new warm link's advise start.
    during(ddeml::kXtypAdvStart | ddeml::kXtypfNoData, unname,
           [this] { item.SetDdeItem(kBlockItem); });
    EXPECT_EQ(item.DdeItem(), "");
    // A data notice's request; the handler detaches by name, then by freeing.
    item.SetDdeItem(kBlockItem);
    during(ddeml::kXtypRequest, unname, [this] { h.fake.Advise(kBlockItem); });
    EXPECT_EQ(item.DdeItem(), "");
    doomed->SetDdeItem(kBlockItem);
    during(
        ddeml::kXtypRequest, [&doomed] { doomed.reset(); }, [this] { h.fake.Advise(kBlockItem); });
    // Only "other" is left, with its handles and data in order.
    EXPECT_EQ(conv.ItemLinkCount(), 1);
    EXPECT_EQ(h.fake.Calls("DdeClientTransaction(null,0,c1,\"renamed\""), Log{});
    EXPECT_EQ(h.LinkHandles(), 3);  // service, topic, "other"
    EXPECT_EQ(h.fake.badFrees, 0);
    EXPECT_EQ(h.fake.UnfreedRequestData(), 0);
}

TEST_F(Item, NoEventReachesAWindowThatIsBeingDestroyed) {
    auto form = std::make_unique<TComponent>(nullptr);
    auto* lientti = new TDdeClientConv(form.get());
    auto* linked = new TDdeClientItem(form.get());
    h.Watch(*lientti, "lientti");
    h.Watch(*linked, "linked");
    linked->SetDdeConv(lientti);
    ASSERT_TRUE(lientti->Reconnect("VTplus", "590"));
    linked->SetDdeItem(kBlockItem);
    h.fake.log.clear();
    form.reset();
    EXPECT_EQ(h.Story(),
              (Log{"DdeClientTransaction(null,0,c2,\"10,10,,,B(0/5/39/23)\",1,ADVSTOP,1000)",
                   "DdeDisconnect(c2)"}));
    EXPECT_EQ(h.LinkHandles(), 2);  // this fixture's own conversation
}

}  // namespace
