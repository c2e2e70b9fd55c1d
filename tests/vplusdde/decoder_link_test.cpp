// The decoder link as the main window shows and repairs it with "[Uudelleen]1":
// a warm link counts as the link only once the decoder has taken it, a
// decoder that is back is joined at the first check, and a renewal that fails
// is reported once in each outage.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hand_started_window.h"

namespace {

using Texts = std::vector<std::string>;

// The program's start-up with the "Välitys" dialog, the link checks on.
class DecoderLinkTest : public HandStartedWindow {
  protected:
    DecoderLinkTest() { MakeRelayDialog(); }

    void Show() {
        SettingsFolder::Put(
            "[COMPort]Com5\r\n[AlaMHZ]1800\r\n[YlaMHZ]30000\r\n[Com]0\r\n"
            "[Uudelleen]1\r\n");
        form1->Show();
    }
    // "DDE link"
    bool LinkShown() { return TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(form1->Label2).visible; }
};

// The decoder, still starting, refuses its first two warm links. DDEML's loop
// runs the link check while an advise start waits: what it shows then counts
// as well.
TEST_F(DecoderLinkTest, AWarmLinkIsShownAsTheLinkOnlyOnceTheDecoderHasTakenIt) {
    int asked = 0;
    std::vector<bool> shownWhileAsked;
    s.ddeml.onTransaction = [&](std::uint32_t type) {
        if ((type & ~ddeml::kXtypfNoData) != ddeml::kXtypAdvStart) return;
        s.ddeml.server.refuseAdvise = ++asked <= 2;
        if (asked == 1) return;  // the first show: no check runs yet
        s.widgets.FireTimers();
        shownWhileAsked.push_back(LinkShown());
    };
    const std::string row = PageRow(7025, "Q1AAA", "Q9ZZZ");
    s.ddeml.server.items[ProgramSeams::kItem] = Page({row});
    Show();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(form1->lientti->IsOpen());
    EXPECT_FALSE(LinkShown());
    s.widgets.FireTimers();  // the item named again: refused
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(LinkShown());
    s.widgets.FireTimers();  // taken
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(LinkShown());
    EXPECT_EQ(shownWhileAsked, (std::vector<bool>{false, false}));
    EXPECT_EQ(form1->SpotCounter(), 1);
}

// The decoder goes without a word and is back before the next check, first
// where the library lets the dead conversation go (Windows), then where it
// keeps it (wine 8). Either way the one check closes, renews when it must and
// joins: the link shows and the page's new spot is taken at that check, the
// spots already shown are not taken again.
TEST_F(DecoderLinkTest, ADecoderBackBeforeTheNextCheckIsJoinedAtThatCheck) {
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(14025, "Q2BBB", "Q9ZZZ");
    const std::string c = PageRow(21025, "Q3CCC", "Q9ZZZ");
    s.ddeml.server.items[ProgramSeams::kItem] = Page({a});
    Show();
    ASSERT_TRUE(LinkShown());
    struct Outage {
        bool libraryKeepsIt;
        std::string newRow;
        std::size_t renewals;  // DdeUninitialize calls by then
    };
    int spots = 1;
    std::vector<std::string> page = {a};
    for (const Outage& outage : {Outage{false, b, 0}, Outage{true, c, 1}}) {
        s.ddeml.staleAfterServerEnd = outage.libraryKeepsIt;
        s.ddeml.ServerVanishes();
        page.push_back(outage.newRow);
        s.ddeml.server.items[ProgramSeams::kItem] = Page(page);
        s.ddeml.server.running = true;
        const std::size_t connects = s.ddeml.Calls("DdeConnect").size();
        s.widgets.FireTimers();
        EXPECT_TRUE(LinkShown()) << outage.libraryKeepsIt;
        EXPECT_TRUE(form1->lientti->IsOpen()) << outage.libraryKeepsIt;
        EXPECT_EQ(s.ddeml.Calls("DdeConnect").size(), connects + 1) << outage.libraryKeepsIt;
        EXPECT_EQ(s.ddeml.Calls("DdeUninitialize").size(), outage.renewals)
            << outage.libraryKeepsIt;
        EXPECT_EQ(form1->SpotCounter(), ++spots) << outage.libraryKeepsIt;
    }
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

// Down, the renewal fails (one box), back; down again and the renewal fails
// again: a new outage, a second box.
TEST_F(DecoderLinkTest, AFailedRenewalIsReportedOnceInEachOutage) {
    Show();
    s.ddeml.staleAfterServerEnd = true;
    const std::string failure = DdeErrorMessage(ddeml::kDmlErrLowMemory);
    for (size_t outage = 1; outage <= 2; ++outage) {
        s.ddeml.ServerVanishes();
        s.ddeml.server.running = true;
        s.ddeml.initializeResult = ddeml::kDmlErrLowMemory;
        s.widgets.FireTimers();  // closed (the library keeps it), the renewal fails
        s.widgets.FireTimers();
        app->ProcessMessages();
        EXPECT_EQ(s.BoxTexts(), Texts(outage, failure));
        EXPECT_FALSE(LinkShown());
        s.ddeml.initializeResult = 0;
        s.widgets.FireTimers();  // renewed and joined
        EXPECT_TRUE(LinkShown());
    }
}

}  // namespace
