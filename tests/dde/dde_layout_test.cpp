// The main window's use of the link: its components built from a stored
// layout (owner, loading state, properties in stream order, Loaded), then
// the show handler's steps, with the decoder in its different states.
#include <gtest/gtest.h>

#include "dde/dde_harness.h"

namespace {

using Log = std::vector<std::string>;

// The two components of the main window, as its stored layout makes them.
struct MainWindowParts {
    std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
    TDdeClientConv* lientti = nullptr;
    TDdeClientItem* item = nullptr;

    MainWindowParts(DdeHarness& h, const std::string& storedItemName = "") {
        lientti = new TDdeClientConv(form.get());
        lientti->SetName("lientti");
        lientti->BeginLoading();
        lientti->SetServiceApplication("VTPlus");
        lientti->SetDdeService("VTPlus");
        lientti->SetDdeTopic("590");
        h.Watch(*lientti, "lientti");
        lientti->ReadLinkInfo({"Service VTPlus", "Topic 590"});
        item = new TDdeClientItem(form.get());
        item->SetName("DdeClientItem1");
        item->BeginLoading();
        item->SetText(Sample());
        item->Lines() = {Sample()};
        if (!storedItemName.empty()) item->SetDdeItem(storedItemName);
        item->SetDdeConv(lientti);
        h.Watch(*item, "item");
        lientti->Loaded();
        item->Loaded();
    }
    MainWindowParts(const MainWindowParts&) = delete;
    MainWindowParts& operator=(const MainWindowParts&) = delete;
    // The show handler's DDE steps.
    void Show() {
        item->SetDdeItem(kBlockItem);
        lientti->Retarget("VTplus", "590");
        EXPECT_FALSE(lientti->OpenConversation());
    }
    static std::string Sample() { return std::string(798, 's'); }
};

Log Events(const DdeHarness& h) {
    Log events;
    for (const std::string& line : h.fake.log)
        if (line.rfind("lientti ", 0) == 0 || line.rfind("item ", 0) == 0) events.push_back(line);
    return events;
}

TEST(MainWindowLink, WithTheDecoderRunningItOpensAtCreationAndReopensAtShow) {
    DdeHarness h;
    MainWindowParts parts(h);
    EXPECT_EQ(Events(h), Log{"lientti OnOpen"});
    EXPECT_EQ(h.fake.Calls("WinExec"), Log{});
    EXPECT_EQ(parts.lientti->DdeService(), "VTPlus");
    EXPECT_EQ(parts.item->Lines(), Log{MainWindowParts::Sample()});
    // Open, but no item name yet: a notice brings nothing.
    h.fake.Advise(kBlockItem);
    EXPECT_EQ(h.fake.Calls("DdeClientTransaction"), Log{});

    h.fake.log.clear();
    parts.Show();
    EXPECT_EQ(Events(h), (Log{"item change ''", "item change 'aaaaaa..#798'", "lientti OnClose",
                              "lientti OnOpen", "item change 'aaaaaa..#798'"}));
    h.fake.log.clear();
    h.fake.server.items[kBlockItem] = Block('b');
    h.fake.Advise(kBlockItem);
    EXPECT_EQ(Events(h), Log{"item change 'bbbbbb..#798'"});

    // Closing the window.
    h.fake.log.clear();
    parts.lientti->CloseConversation();
    EXPECT_EQ(Events(h), Log{"lientti OnClose"});
    parts.form.reset();
    EXPECT_EQ(h.LinkHandles(), 0);
}

TEST(MainWindowLink, ADecoderThatCannotBeStartedIsTriedTwiceAndBringsNoData) {
    DdeHarness h;
    h.fake.server.running = false;
    h.fake.winExecStartsServer = false;
    MainWindowParts parts(h);
    EXPECT_EQ(Events(h), Log{});
    EXPECT_EQ(parts.lientti->DdeService(), "");
    parts.Show();
    EXPECT_EQ(h.fake.Calls("WinExec"), (Log{"WinExec(\"VTPlus\",7)", "WinExec(\"VTPlus\",7)"}));
    EXPECT_EQ(Events(h), (Log{"item change ''", "item change ''", "item change ''"}));
    EXPECT_EQ(parts.item->DdeItem(), "");
}

TEST(MainWindowLink, ADecoderThatAnswersOnlyAtShowOpensWithoutAWarmLink) {
    DdeHarness h;
    h.fake.server.running = false;
    h.fake.winExecStartsServer = false;
    MainWindowParts parts(h);
    h.fake.server.running = true;
    h.fake.log.clear();
    parts.Show();
    EXPECT_EQ(Events(h),
              (Log{"item change ''", "item change ''", "item change ''", "lientti OnOpen"}));
    EXPECT_EQ(h.fake.Calls("DdeClientTransaction"), Log{});
    EXPECT_TRUE(parts.lientti->IsOpen());
}

TEST(MainWindowLink, AStoredItemNameWaitsForTheOpenAfterLoading) {
    DdeHarness h;
    MainWindowParts parts(h, kBlockItem);
    EXPECT_EQ(parts.item->DdeItem(), kBlockItem);
    EXPECT_EQ(parts.item->Text().size(), 798u);
    EXPECT_EQ(h.fake.Calls("DdeClientTransaction").size(), 2u);  // ADVSTART, REQUEST
    EXPECT_EQ(Events(h).back(), "item change 'aaaaaa..#798'");
}

TEST(MainWindowLink, LinkInfoIsStoredOnlyWithANameAndReadByItsFirstLetter) {
    DdeHarness h;
    TDdeClientConv conv(nullptr);
    EXPECT_FALSE(conv.LinkInfoStored());
    conv.ReadLinkInfo({"Topic 590", "", "Xervice nope", "Service VT Plus", "Sx"});
    EXPECT_EQ(conv.DdeService(), "Sx");  // no blank: taken whole
    EXPECT_EQ(conv.DdeTopic(), "590");
    conv.ReadLinkInfo({"Service VT Plus", "service lower"});
    EXPECT_EQ(conv.DdeService(), "VT Plus");  // cut after the first blank only
    EXPECT_TRUE(conv.LinkInfoStored());
    EXPECT_EQ(conv.WriteLinkInfo(), (Log{"Service VT Plus", "Topic 590"}));
    // Manual mode: loading stores the names and does not connect.
    TDdeClientConv manual(nullptr);
    manual.BeginLoading();
    manual.SetConnectMode(ddeManual);
    manual.ReadLinkInfo(conv.WriteLinkInfo());
    manual.Loaded();
    EXPECT_FALSE(manual.IsOpen());
    EXPECT_EQ(manual.DdeService(), "VT Plus");
    EXPECT_EQ(h.fake.Calls("DdeConnect"), Log{});
}

}  // namespace
