// The main window on the in-memory window system, with the decoder, the
// serial port and the settings file behind it: its stored layout, the resize
// rule, the link indicator, its commands, and spot intake and forwarding as
// the window wires them (change events of its DDE item, limits and switch
// from the settings dialog, Comm1, the labels, the error report).
#include "vplusdde/main_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "asetus/relay_dialog.h"
#include "asetus/settings_dialog.h"
#include "asetus/settings_file.h"
#include "asetus/watch_dialog.h"
#include "dde/dde_mgr.h"
#include "fakes/fake_sockets.h"
#include "hand_started_window.h"
#include "program_seams.h"
#include "relay/dx_line.h"
#include "ui/application.h"
#include "ui/glyphs.h"

namespace {

using Texts = std::vector<std::string>;

const char* const kToday = "7.12.2026";  // the fake clock in the Finnish short date
const char* const kNow = "9.41.07";      // and long time

std::string Settings(const std::string& port, const std::string& lower, const std::string& upper,
                     bool forwarding) {
    return "[COMPort]" + port + "\r\n[AlaMHZ]" + lower + "\r\n[YlaMHZ]" + upper + "\r\n[Com]" +
           (forwarding ? "1" : "0") + "\r\n";
}

class MainWindowTest : public HandStartedWindow {
  protected:
    // The first show, with this settings file: loads it, names the item,
    // reconnects.
    void Show(const std::string& settings) {
        SettingsFolder::Put(settings);
        form1->Show();
        ASSERT_EQ(s.BoxTexts(), Texts{});
    }

    TMemoryFormPeer& WindowPeer() { return TMemoryWidgetSet::PeerOf(form1); }
    template <class Peer>
    Peer& PeerOf(const TControl* control) {
        return TMemoryWidgetSet::PeerOf<Peer>(control);
    }
    TMemoryRichEditPeer& View() { return PeerOf<TMemoryRichEditPeer>(form1->memo1); }
    Texts ViewLines() {
        Texts lines;
        for (int i = 0; i < View().LineCount(); ++i) lines.push_back(View().Line(i));
        return lines;
    }
    std::string Caption(TLabel* label) { return PeerOf<TMemoryLabelPeer>(label).caption; }
    bool Shown(TControl* control) { return PeerOf<TMemoryLabelPeer>(control).visible; }
    int Top(TControl* control) {
        return dynamic_cast<TMemoryControlState&>(*control->Peer()).bounds.Top;
    }
    TBounds Bounds(TControl* control) {
        return dynamic_cast<TMemoryControlState&>(*control->Peer()).bounds;
    }
};

// --- the window ------------------------------------------------------------

TEST_F(MainWindowTest, IsBuiltFromItsStoredLayout) {
    TMemoryFormPeer& window = WindowPeer();
    EXPECT_EQ(window.caption, "Vareli");
    EXPECT_EQ(window.ClientSize(), (TExtent{433, 314}));
    EXPECT_EQ(window.normalBounds.Left, 220);
    EXPECT_EQ(window.normalBounds.Top, 166);
    EXPECT_EQ(window.borderStyle, TBorderStyle::bsSizeable);
    EXPECT_EQ(window.color, clBtnFace);
    EXPECT_EQ(form1->Font()->Data(), (TFontData{"MS Sans Serif", -11, clWindowText, 0}));
    EXPECT_FALSE(window.visible);

    auto& view = View();
    EXPECT_EQ(view.bounds, (TBounds{0, 0, 609, 273}));
    EXPECT_EQ(view.color, clInfoBk);
    EXPECT_EQ(view.font, (TFontData{"Courier New", -13, clNavy, 0}));
    EXPECT_TRUE(view.readOnly);
    EXPECT_FALSE(view.wordWrap);
    EXPECT_FALSE(view.wantReturns);
    EXPECT_EQ(view.options.ScrollBars, TScrollStyle::ssVertical);
    EXPECT_EQ(view.LineCount(), 0);

    auto& label1 = PeerOf<TMemoryLabelPeer>(form1->Label1);
    EXPECT_EQ(label1.bounds.Left, 0);
    EXPECT_EQ(label1.bounds.Top, 696);
    EXPECT_EQ(label1.caption, "");
    EXPECT_EQ(label1.font, (TFontData{"Terminal", -13, clWindowText, fsBold}));

    // "DDE link": white bold on opaque green, hidden until a conversation opens
    // (the decoder answers at creation here, so it shows already).
    auto& label2 = PeerOf<TMemoryLabelPeer>(form1->Label2);
    EXPECT_EQ(label2.bounds, (TBounds{0, 294, 51, 13}));
    EXPECT_EQ(label2.caption, "DDE link");
    EXPECT_EQ(label2.color, clGreen);
    EXPECT_FALSE(label2.transparent);
    EXPECT_EQ(label2.font, (TFontData{"MS Sans Serif", -11, clWhite, fsBold}));

    for (TLabel* label : {form1->Label3, form1->Label4}) {
        auto& peer = PeerOf<TMemoryLabelPeer>(label);
        EXPECT_EQ(peer.bounds.Left, 120);
        EXPECT_EQ(peer.bounds.Height, 13);
        EXPECT_EQ(peer.caption, label->Name());
    }
    EXPECT_EQ(Top(form1->Label3), 280);
    EXPECT_EQ(Top(form1->Label4), 296);

    auto& button = PeerOf<TMemoryButtonPeer>(form1->BitBtn2);
    EXPECT_EQ(button.bounds, (TBounds{357, 284, 75, 25}));
    EXPECT_EQ(button.caption, "Sulje");
    EXPECT_EQ(button.glyph, kGlyphCross);
    EXPECT_EQ(button.numGlyphs, 2);
    // The view first in the tab sequence, the button second.
    EXPECT_EQ(form1->memo1->TabOrder(), 0);
    EXPECT_EQ(form1->BitBtn2->TabOrder(), 1);

    ASSERT_EQ(window.menu.size(), 2u);
    EXPECT_EQ(window.menu[0].Caption, "Tiedosto");
    ASSERT_EQ(window.menu[0].Items.size(), 4u);
    EXPECT_EQ(window.menu[0].Items[0].Caption, "Asetukset");
    EXPECT_EQ(window.menu[0].Items[1].Caption, "V\xE4litys");
    EXPECT_EQ(window.menu[0].Items[2].Caption, "Seuranta");
    EXPECT_EQ(window.menu[0].Items[3].Caption, "Sulje");
    EXPECT_EQ(window.menu[1].Caption, "Apua");
    ASSERT_EQ(window.menu[1].Items.size(), 1u);
    EXPECT_EQ(window.menu[1].Items[0].Caption, "Tietoja ohjelmasta");

    // The non-visual components.
    EXPECT_EQ(form1->lientti->ServiceApplication(), "VTPlus");
    EXPECT_EQ(form1->lientti->DdeService(), "VTPlus");
    EXPECT_EQ(form1->lientti->DdeTopic(), "590");
    EXPECT_EQ(form1->DdeClientItem1->DdeConv(), form1->lientti);
    EXPECT_EQ(form1->DdeClientItem1->DdeItem(), "");
    EXPECT_EQ(form1->DdeClientItem1->Text().size(), 798u);
    EXPECT_EQ(form1->Comm1->DeviceName(), "Com2");
    EXPECT_EQ(form1->Comm1->MonitorEvents(), AllCommEvents());
    EXPECT_FALSE(form1->Comm1->IsOpen());
}

TEST_F(MainWindowTest, TheResizeRuleMovesOnlyTheStatusAreaAndTheViewHeight) {
    Show(Settings("Com5", "1800", "30000", false));
    // Outer height 360 gives the laid-out tops and a view 278 high.
    EXPECT_EQ(WindowPeer().CurrentBounds().Height, 360);
    EXPECT_EQ(Bounds(form1->memo1), (TBounds{0, 0, 609, 278}));
    EXPECT_EQ(Top(form1->Label2), 294);
    EXPECT_EQ(Top(form1->Label3), 280);
    EXPECT_EQ(Top(form1->Label4), 296);
    EXPECT_EQ(Bounds(form1->BitBtn2), (TBounds{357, 284, 75, 25}));

    s.widgets.ResizeForm(form1, 441, 460);
    EXPECT_EQ(Bounds(form1->memo1), (TBounds{0, 0, 609, 378}));
    EXPECT_EQ(Top(form1->Label2), 394);
    EXPECT_EQ(Top(form1->Label3), 380);
    EXPECT_EQ(Top(form1->Label4), 396);
    EXPECT_EQ(Bounds(form1->BitBtn2), (TBounds{357, 384, 75, 25}));
    EXPECT_EQ(Top(form1->Label1), 696);

    s.widgets.ResizeForm(form1, 741, 460);  // wider only
    EXPECT_EQ(Bounds(form1->memo1), (TBounds{0, 0, 609, 378}));
    EXPECT_EQ(Bounds(form1->BitBtn2), (TBounds{357, 384, 75, 25}));
    EXPECT_EQ(Bounds(form1->Label2), (TBounds{0, 394, 51, 13}));

    // Lower than 82 pixels: the view is given no height rather than a negative one.
    s.widgets.ResizeForm(form1, 441, 60);
    EXPECT_EQ(Bounds(form1->memo1).Height, 0);
    EXPECT_EQ(Top(form1->Label2), -6);
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

TEST_F(MainWindowTest, DdeLinkShowsExactlyWhileTheConversationIsOpen) {
    // The decoder answered while the window was built.
    EXPECT_TRUE(form1->Label2->Visible());
    Show(Settings("Com5", "1800", "30000", false));
    EXPECT_TRUE(Shown(form1->Label2));
    s.ddeml.ServerQuits();
    EXPECT_FALSE(Shown(form1->Label2));
    s.ddeml.server.running = true;
    EXPECT_TRUE(form1->lientti->Retarget("VTplus", "590"));
    EXPECT_TRUE(Shown(form1->Label2));
    form1->lientti->CloseConversation();
    EXPECT_FALSE(Shown(form1->Label2));
    EXPECT_TRUE(form1->lientti->Retarget("VTplus", "590"));
    EXPECT_TRUE(Shown(form1->Label2));
}

TEST_F(MainWindowTest, SuljeAndTheCloseBoxEndTheProgramAfterClosingTheConversation) {
    Show(Settings("Com5", "1800", "30000", false));
    // Each way asks the frame to end the loop once; the first also hangs up.
    const std::vector<std::function<void()>> ways = {
        [&] { s.widgets.Click(form1->BitBtn2); },
        [&] {
            s.widgets.ChooseMenu(form1, {"Tiedosto", "Sulje"});
        },
        [&] { s.widgets.PressCloseBox(form1); },
    };
    int quits = 0;
    for (const auto& close : ways) {
        close();
        EXPECT_EQ(s.widgets.quitRequests, ++quits);
        EXPECT_FALSE(form1->lientti->IsOpen());
        EXPECT_FALSE(Shown(form1->Label2));
        EXPECT_TRUE(s.widgets.Timers().empty());  // no link check after the close
    }
    EXPECT_EQ(s.ddeml.Calls("DdeDisconnect").size(), 2u);  // the creation's and the show's
    EXPECT_EQ(s.BoxTexts(), Texts{});                      // closing while closed says nothing
}

TEST_F(MainWindowTest, SettingsKeptByAFailedSaveAreRestoredAtTheFirstShow) {
    SettingsFolder::Put(Settings("Com5", "1800", "30000", true), "vareli.ini.tmp");
    form1->Show();
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{kSettingsRestoredText});
    EXPECT_EQ(form1->Comm1->DeviceName(), "Com5");
    EXPECT_TRUE(form3->CheckBox1->Checked());
}

// A crash cut the newer copy short: the whole older one is put back. With
// none whole, none is, the box says so, and the start goes on without
// settings (their own box) and without the decoder's spots.
TEST_F(MainWindowTest, ACopyCutShortIsNotRestoredAtTheFirstShow) {
    SettingsFolder::Put(Settings("Com5", "1800", "30000", true), "vareli.ini.tmp");
    SettingsFolder::Put(Settings("Com6", "1800", "30000", true) + "[Loki]", "vareli.ini.new");
    std::filesystem::last_write_time(
        "vareli.ini.tmp", std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    form1->Show();
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{kSettingsRestoredText});
    EXPECT_EQ(form1->Comm1->DeviceName(), "Com5");
}

TEST_F(MainWindowTest, NoCopyWholeIsSaidAndTheStartGoesOn) {
    SettingsFolder::Put("[COMPort]Com5\r\n[AlaMHZ]18", "vareli.ini.new");
    form1->Show();
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), (Texts{kSettingsNotRestoredText, "File not found."}));
    EXPECT_EQ(SettingsFolder::Get("vareli.ini.new"), "[COMPort]Com5\r\n[AlaMHZ]18");
    EXPECT_FALSE(s.widgets.Timers().empty());  // the link check still comes
    EXPECT_EQ(Caption(form1->Label3), std::string("Alkoi: ") + kToday + " " + kNow);
}

TEST_F(MainWindowTest, AboutShowsAPlainMessageWithNameVersionAndCredit) {
    Show(Settings("Com5", "1800", "30000", false));
    s.widgets.ChooseMenu(form1, {"Apua", "Tietoja ohjelmasta"});
    ASSERT_EQ(s.widgets.messageBoxes.size(), 1u);
    const TMemoryMessageBox& box = s.widgets.messageBoxes[0];
    EXPECT_EQ(box.Text.rfind("Vareli v140102", 0), 0u);
    EXPECT_GT(box.Text.size(), std::string("Vareli v140102").size() + 10);
    EXPECT_EQ(box.Caption, "Vareli");
    EXPECT_EQ(box.Icon, TMessageBoxIcon::miNone);
}

// --- spot intake through the window -----------------------------------------

TEST_F(MainWindowTest, ChangeEventsShowSpotLinesInTheirColoursAndUpdateTheLabels) {
    Show(Settings("Com5", "1800", "30000", false));
    EXPECT_EQ(Caption(form1->Label4), "0 vihjett\xE4");
    EXPECT_EQ(Caption(form1->Label1), "");
    s.speaker.log.clear();

    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(14025, "OH2BH", "Q9ZZZ");
    const std::string c = PageRow(21025, "Q3CCC", "OH6XY");
    s.Serve(Page({a, b, c}));
    EXPECT_EQ(ViewLines(), (Texts{SpotRow(a) + kToday, SpotRow(b) + kToday, SpotRow(c) + kToday}));
    EXPECT_EQ(View().LineColor(0), static_cast<TColor>(0x800000));
    EXPECT_EQ(View().LineColor(1), static_cast<TColor>(0x0000FF));
    EXPECT_EQ(View().LineColor(2), static_cast<TColor>(0x0000FF));
    EXPECT_EQ(s.speaker.log, (Texts{"Beep 1500 50", "Beep 1500 50", "Beep 2000 150", "Beep 1500 50",
                                    "Beep 2000 150"}));
    EXPECT_EQ(Caption(form1->Label1), kNow);
    EXPECT_EQ(Caption(form1->Label4), "3 vihjett\xE4");
    EXPECT_EQ(form1->SpotCounter(), 3);

    EXPECT_EQ(s.BoxTexts(), Texts{});
}

TEST_F(MainWindowTest, LimitsAndTheSwitchAreTakenFromTheSettingsDialogForEveryUpdate) {
    Show(Settings("Com5", "1800", "30000", false));
    const std::string low = PageRow(1799, "Q1AAA", "Q9ZZZ");
    const std::string edge = PageRow(30000, "Q2BBB", "Q9ZZZ");
    const std::string high = PageRow(50100, "Q3CCC", "Q9ZZZ");
    s.Serve(Page({low, edge, high}));
    EXPECT_EQ(ViewLines(), Texts{SpotRow(edge) + kToday});

    // Widened in the dialog: the rows left out before are taken now; the
    // switch turned on sends them to the port the settings file named.
    form3->ComboBox2->SetText("144000");
    form3->ComboBox1->SetText("1799");
    form3->CheckBox1->SetChecked(true);
    s.Serve(Page({low, edge, high}));
    EXPECT_EQ(ViewLines(),
              (Texts{SpotRow(edge) + kToday, SpotRow(low) + kToday, SpotRow(high) + kToday}));
    EXPECT_EQ(s.comm.Written(), SpotRow(low) + "\r\n" + SpotRow(high) + "\r\n");
    ASSERT_EQ(s.comm.CreateFileArgs().size(), 2u);
    EXPECT_EQ(s.comm.CreateFileArgs()[0].name, R"(\\.\Com5)");
    EXPECT_EQ(Caption(form1->Label4), "3 vihjett\xE4");
}

TEST_F(MainWindowTest, ABadLimitIsReportedAndWhatWasShownStays) {
    Show(Settings("Com5", "1800", "30000", false));
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(10105, "Q2BBB", "Q9ZZZ");
    s.Serve(Page({a}));
    ASSERT_EQ(View().LineCount(), 1);

    form3->ComboBox2->SetText("30000 ");
    // Rows that are all shown already never read the limits.
    s.Serve(Page({a}));
    EXPECT_EQ(s.BoxTexts(), Texts{});
    // The first new row does, and the run ends there.
    s.Serve(Page({a, b, PageRow(14025, "Q3CCC", "Q9ZZZ")}));
    ASSERT_EQ(s.widgets.messageBoxes.size(), 1u);
    EXPECT_EQ(s.widgets.messageBoxes[0].Text, "'30000 ' is not a valid integer value.");
    EXPECT_EQ(s.widgets.messageBoxes[0].Caption, "Vareli");
    EXPECT_EQ(s.widgets.messageBoxes[0].Icon, TMessageBoxIcon::miError);
    EXPECT_EQ(ViewLines(), Texts{SpotRow(a) + kToday});
    EXPECT_EQ(Caption(form1->Label4), "1 vihjett\xE4");

    // Put right, the next update takes the rows the failed run left.
    form3->ComboBox2->SetText("30000");
    s.Serve(Page({a, b, PageRow(14025, "Q3CCC", "Q9ZZZ")}));
    EXPECT_EQ(View().LineCount(), 3);
    EXPECT_EQ(Caption(form1->Label4), "3 vihjett\xE4");
    EXPECT_EQ(s.widgets.messageBoxes.size(), 1u);
}

// --- spot forwarding -----------------------------------------------------------

TEST_F(MainWindowTest, EachRowGoesToThePortAsALineOfItsOwnLengthPlusTwo) {
    Show(Settings("Com5", "1800", "30000", true));
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(14025, "OH2BH", "Q9ZZZ");
    const std::string shortUnit = "  7040 OH1X";  // a last unit of 11 characters
    s.Serve(Page({a, b}) + shortUnit);
    const std::string sent = s.comm.Written();
    EXPECT_EQ(sent, SpotRow(a) + "\r\n" + SpotRow(b) + "\r\n" + shortUnit + "\r\n");
    EXPECT_EQ(sent.size(), 44u + 44u + 13u);
    EXPECT_EQ(View().LineCount(), 3);
    EXPECT_EQ(View().Line(2), shortUnit + kToday);
    // Each row opens the port, sets it up, writes and closes it again.
    EXPECT_EQ(s.comm.Count("CreateFileA"), 3);
    EXPECT_EQ(s.comm.Count("WriteFile"), 3);
    EXPECT_EQ(s.comm.OpenPorts(), 0);
    EXPECT_FALSE(form1->Comm1->IsOpen());
    EXPECT_EQ(s.comm.Violations(), Texts{});
}

TEST_F(MainWindowTest, WithForwardingOffNoPortIsTouched) {
    // Not even a port that does not exist.
    Show(Settings("Com9", "1800", "30000", false));
    s.Serve(Page({PageRow(7025, "Q1AAA", "Q9ZZZ")}));
    EXPECT_EQ(View().LineCount(), 1);
    EXPECT_TRUE(s.comm.Calls().empty());
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

TEST_F(MainWindowTest, AMissingPortIsReportedOncePerOutageAndIntakeGoesOn) {
    Show(Settings("Com9", "1800", "30000", true));
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(10105, "Q2BBB", "Q9ZZZ");
    s.Serve(Page({a, b}));
    app->ProcessMessages();
    s.Serve(Page({a, b, PageRow(14025, "Q3CCC", "Q9ZZZ")}));  // still gone
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{"Error accessing specified device (Error: 2) "});
    EXPECT_EQ(s.comm.Count("CreateFileA"), 3);  // every row tried the port
    EXPECT_EQ(View().LineCount(), 3);
    EXPECT_EQ(Caption(form1->Label1), kNow);
    EXPECT_EQ(Caption(form1->Label4), "3 vihjett\xE4");
}

// Settings read again (another port, or forwarding switched off and on) start
// a new outage, which is reported again.
TEST_F(MainWindowTest, AnOutageAfterTheSettingsAreReadAgainIsReportedAgain) {
    Show(Settings("Com9", "1800", "30000", true));
    s.Serve(Page({PageRow(7025, "Q1AAA", "Q9ZZZ")}));
    SettingsFolder::Put(Settings("Com8", "1800", "30000", true));
    form1->haeasetukset();
    s.Serve(Page({PageRow(7025, "Q1AAA", "Q9ZZZ"), PageRow(7026, "Q2BBB", "Q9ZZZ")}));
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts().size(), 2u);
}

TEST_F(MainWindowTest, AShortWriteIsReportedLikeATimeOut) {
    Show(Settings("Com5", "1800", "30000", true));
    s.comm.writeLimit = 20;  // the line's end never reaches the other end
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    s.Serve(Page({a}));
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{"Error writing to: Com5"});
    EXPECT_EQ(s.comm.Written(), SpotRow(a).substr(0, 20));
    EXPECT_EQ(View().LineCount(), 1);
    EXPECT_EQ(Caption(form1->Label4), "1 vihjett\xE4");
    EXPECT_EQ(s.comm.OpenPorts(), 0);
}

TEST_F(MainWindowTest, AForwardingFailureAtTheFirstShowStillWritesTheStartLine) {
    SettingsFolder::Put(Settings("Com9", "1800", "30000", true));
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    s.ddeml.server.items[ProgramSeams::kItem] = Page({a});
    form1->Show();
    EXPECT_EQ(ViewLines(), Texts{SpotRow(a) + kToday});
    EXPECT_EQ(Caption(form1->Label3), std::string("Alkoi: ") + kToday + " " + kNow);
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{"Error accessing specified device (Error: 2) "});
}

TEST_F(MainWindowTest, AFailedSetUpOrWriteLeavesThePortClosedForTheNextRow) {
    Show(Settings("Com5", "1800", "30000", true));
    // The device opens, then refuses its buffers.
    s.comm.setupCommError = 31;
    s.Serve(Page({PageRow(7025, "Q1AAA", "Q9ZZZ")}));
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{"Error initializing Read/Write Buffers (Error: 31) "});
    EXPECT_EQ(s.comm.OpenPorts(), 0);
    EXPECT_FALSE(form1->Comm1->IsOpen());

    // The system refuses the write (the same outage: no second box).
    s.comm.setupCommError = 0;
    s.comm.writeMode = FakeComm::WriteMode::Fail;
    s.comm.writeError = 22;
    s.Serve(Page({PageRow(7025, "Q1AAA", "Q9ZZZ"), PageRow(7026, "Q2BBB", "Q9ZZZ")}));
    EXPECT_EQ(s.comm.Count("WriteFile"), 1);
    EXPECT_EQ(s.comm.OpenPorts(), 0);

    // The next row opens afresh rather than finding the port still taken.
    s.comm.writeMode = FakeComm::WriteMode::Complete;
    const std::string c = PageRow(7027, "Q3CCC", "Q9ZZZ");
    s.Serve(Page({c}));
    app->ProcessMessages();
    EXPECT_EQ(s.comm.Written(), SpotRow(c) + "\r\n");
    EXPECT_EQ(s.widgets.messageBoxes.size(), 1u);
    EXPECT_EQ(View().LineCount(), 3);
    // That row ended the outage: the next failure is reported.
    s.comm.setupCommError = 31;
    s.Serve(Page({PageRow(7028, "Q4DDD", "Q9ZZZ")}));
    app->ProcessMessages();
    EXPECT_EQ(s.widgets.messageBoxes.size(), 2u);
    EXPECT_EQ(s.comm.Violations(), Texts{});
}

TEST_F(MainWindowTest, AWriteThatTimesOutShowsAPlainBoxAndTheRunGoesOn) {
    Show(Settings("Com5", "1800", "30000", true));
    s.WritesTimeOut();
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(10105, "Q2BBB", "Q9ZZZ");
    s.Serve(Page({a, b}));
    // Not inside intake: a box left open there would hold the DDE callback.
    EXPECT_EQ(s.BoxTexts(), Texts{});
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{"Error writing to: Com5"});  // one for the outage
    EXPECT_EQ(s.widgets.messageBoxes[0].Caption, "Vareli");
    EXPECT_EQ(s.widgets.messageBoxes[0].Icon, TMessageBoxIcon::miNone);
    EXPECT_EQ(View().LineCount(), 2);
    EXPECT_EQ(Caption(form1->Label1), kNow);
    EXPECT_EQ(Caption(form1->Label4), "2 vihjett\xE4");
    // A fresh open for each row, closed again after its box.
    EXPECT_EQ(s.comm.Count("CreateFileA"), 2);
    EXPECT_EQ(s.comm.OpenPorts(), 0);
    EXPECT_EQ(s.comm.Violations(), Texts{});
}

TEST_F(MainWindowTest, ANewerBlockWhileTheTimeOutBoxIsOpenShowsAndSendsEverySpotOnce) {
    Show(Settings("Com5", "1800", "30000", true));
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(10105, "Q2BBB", "Q9ZZZ");
    const std::string c = PageRow(14025, "Q3CCC", "Q9ZZZ");
    s.WritesTimeOut();
    bool nested = false;
    s.widgets.OnMessageBox = [&](const TMemoryMessageBox& box) {
        if (nested || box.Text.rfind("Error writing to: ", 0) != 0) return;
        nested = true;
        // The box's loop delivers the decoder's next block; the port writes
        // again.
        s.WritesComplete();
        s.Serve(Page({a, b, c}));
    };
    s.Serve(Page({a, b}));
    app->ProcessMessages();
    ASSERT_TRUE(nested);
    EXPECT_EQ(ViewLines(), (Texts{SpotRow(a) + kToday, SpotRow(b) + kToday, SpotRow(c) + kToday}));
    EXPECT_EQ(form1->SpotCounter(), 3);
    EXPECT_EQ(Caption(form1->Label4), "3 vihjett\xE4");
    // The first rows' writes ran out of time; the nested run sent its new one.
    EXPECT_EQ(s.comm.Written(), SpotRow(c) + "\r\n");
    EXPECT_EQ(s.BoxTexts(), Texts{"Error writing to: Com5"});
    EXPECT_EQ(s.comm.OpenPorts(), 0);
}

// With "[Uudelleen]1" a closed link is tried every 10 s without starting
// the decoder, and a decoder gone without a word is noticed; the block is
// fetched again, so only new rows are taken. One repair step per check.
TEST_F(MainWindowTest, WithRelinkOnTheLinkIsOpenedAgainWhenTheDecoderIsBack) {
    MakeRelayDialog();
    Show(Settings("Com5", "1800", "30000", true) + "[Uudelleen]1\r\n");
    EXPECT_EQ(s.widgets.Timers().begin()->second, 10000u);
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string b = PageRow(14025, "Q2BBB", "Q9ZZZ");
    const std::string c = PageRow(21025, "Q3CCC", "Q9ZZZ");
    s.Serve(Page({a}));
    s.ddeml.ServerQuits();
    EXPECT_FALSE(Shown(form1->Label2));
    const std::size_t starts = s.ddeml.Calls("WinExec").size();
    s.widgets.FireTimers();
    EXPECT_FALSE(Shown(form1->Label2));
    EXPECT_EQ(s.ddeml.Calls("WinExec").size(), starts);

    s.ddeml.server.running = true;
    s.ddeml.server.items[ProgramSeams::kItem] = Page({a, b});
    s.widgets.FireTimers();
    EXPECT_TRUE(Shown(form1->Label2));
    s.Serve(Page({a, b, c}));  // the warm link is there again
    EXPECT_EQ(ViewLines(), (Texts{SpotRow(a) + kToday, SpotRow(b) + kToday, SpotRow(c) + kToday}));

    // Gone without a word, and the library keeps the dead conversation (wine
    // 8): one check closes it and renews the instance (the decoder is not
    // back yet), the next joins again.
    s.ddeml.staleAfterServerEnd = true;
    s.ddeml.ServerVanishes();
    s.widgets.FireTimers();
    EXPECT_FALSE(Shown(form1->Label2));
    EXPECT_EQ(s.ddeml.Calls("DdeUninitialize").size(), 1u);
    s.ddeml.server.running = true;
    const std::size_t connects = s.ddeml.Calls("DdeConnect").size();
    s.widgets.FireTimers();
    EXPECT_EQ(s.ddeml.Calls("DdeUninitialize").size(), 1u);
    EXPECT_EQ(s.ddeml.Calls("DdeConnect").size(), connects + 1);
    EXPECT_TRUE(Shown(form1->Label2));
    // The renewal is done with: a later quit and return needs none.
    s.ddeml.staleAfterServerEnd = false;
    s.ddeml.ServerQuits();
    s.ddeml.server.running = true;
    s.widgets.FireTimers();
    EXPECT_TRUE(Shown(form1->Label2));
    EXPECT_EQ(s.ddeml.Calls("DdeUninitialize").size(), 1u);
    EXPECT_EQ(View().LineCount(), 3);
    EXPECT_EQ(s.comm.Written(), SpotRow(a) + "\r\n" + SpotRow(b) + "\r\n" + SpotRow(c) + "\r\n");
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

// An open conversation whose item lost its warm link carries no spots: it is
// not shown as a link, and each check names the item again until the decoder
// takes it.
TEST_F(MainWindowTest, WithRelinkOnARefusedWarmLinkIsStartedAgainAtTheNextChecks) {
    MakeRelayDialog();
    Show(Settings("Com5", "1800", "30000", true) + "[Uudelleen]1\r\n");
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    s.ddeml.ServerQuits();
    s.ddeml.server.running = true;
    s.ddeml.server.refuseAdvise = true;  // still starting
    s.ddeml.server.items[ProgramSeams::kItem] = Page({a});
    const std::size_t connects = s.ddeml.Calls("DdeConnect").size();
    const auto advises = [this] { return s.ddeml.Calls("DdeClientTransaction(null,0,").size(); };
    std::size_t before = advises();
    s.widgets.FireTimers();  // joined, the item's warm link refused
    EXPECT_TRUE(form1->lientti->IsOpen());
    EXPECT_FALSE(Shown(form1->Label2));
    EXPECT_EQ(advises() - before, 1u);
    before = advises();
    s.widgets.FireTimers();  // refused once more: one try per check
    EXPECT_FALSE(Shown(form1->Label2));
    EXPECT_EQ(advises() - before, 1u);
    s.ddeml.server.refuseAdvise = false;
    s.widgets.FireTimers();
    EXPECT_TRUE(Shown(form1->Label2));
    EXPECT_EQ(ViewLines(), Texts{SpotRow(a) + kToday});
    const std::string b = PageRow(14025, "Q2BBB", "Q9ZZZ");
    s.Serve(Page({a, b}));
    EXPECT_EQ(View().LineCount(), 2);
    EXPECT_EQ(s.ddeml.Calls("DdeConnect").size(), connects + 1);  // the conversation was kept
}

// A renewal that fails leaves no instance: it is tried again at each check,
// reported once, and the link comes back once it succeeds.
TEST_F(MainWindowTest, WithRelinkOnAFailedRenewalIsTriedAgainAndReportedOnce) {
    MakeRelayDialog();
    Show(Settings("Com5", "1800", "30000", true) + "[Uudelleen]1\r\n");
    s.ddeml.staleAfterServerEnd = true;
    s.ddeml.ServerVanishes();
    s.ddeml.server.running = true;
    s.ddeml.initializeResult = ddeml::kDmlErrLowMemory;
    s.widgets.FireTimers();  // closed (the library keeps it), the renewal fails
    s.widgets.FireTimers();
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{DdeErrorMessage(ddeml::kDmlErrLowMemory)});
    EXPECT_EQ(s.ddeml.Calls("DdeInitializeA").size(), 3u);
    EXPECT_FALSE(Shown(form1->Label2));
    s.ddeml.initializeResult = 0;
    s.widgets.FireTimers();  // renewed and joined
    EXPECT_TRUE(Shown(form1->Label2));
    EXPECT_EQ(s.ddeml.Calls("DdeInitializeA").size(), 4u);
    EXPECT_EQ(s.BoxTexts().size(), 1u);
}

// Nothing is repaired while the link is at work (here: intake, inside the
// data notice, waiting for the port), nor when the library never named the
// decoder's window; once the work is done the next check acts.
TEST_F(MainWindowTest, WithRelinkOnNoStepIsTakenWhileTheLinkIsAtWork) {
    MakeRelayDialog();
    Show(Settings("Com5", "1800", "30000", true) + "[Uudelleen]1\r\n");
    const std::size_t disconnects = s.ddeml.Calls("DdeDisconnect").size();
    bool fired = false;
    const std::thread::id main = std::this_thread::get_id();
    s.sync.onWait = [&](std::uintptr_t, std::uint32_t) {
        if (fired || std::this_thread::get_id() != main) return;
        fired = true;
        s.ddeml.server.running = false;  // its window gone
        s.widgets.FireTimers();
    };
    s.Serve(Page({PageRow(7025, "Q1AAA", "Q9ZZZ")}));
    ASSERT_TRUE(fired);
    s.sync.onWait = nullptr;
    EXPECT_EQ(s.ddeml.Calls("DdeDisconnect").size(), disconnects);
    s.widgets.FireTimers();
    EXPECT_EQ(s.ddeml.Calls("DdeDisconnect").size(), disconnects + 1);
}

TEST_F(MainWindowTest, WithRelinkOnAPartnerWindowNotNamedIsNotTakenForGone) {
    MakeRelayDialog();
    s.ddeml.partnerWindow = 0;
    Show(Settings("Com5", "1800", "30000", true) + "[Uudelleen]1\r\n");
    s.ddeml.server.running = false;
    s.widgets.FireTimers();
    EXPECT_TRUE(form1->lientti->IsOpen());
    EXPECT_TRUE(Shown(form1->Label2));
}

TEST_F(MainWindowTest, WithRelinkOffALostLinkStaysLost) {
    MakeRelayDialog();
    Show(Settings("Com5", "1800", "30000", true));
    s.ddeml.ServerVanishes();
    s.widgets.FireTimers();
    EXPECT_TRUE(Shown(form1->Label2));  // unnoticed, as without the option
    s.ddeml.ServerQuits();
    s.ddeml.server.running = true;
    const std::size_t connects = s.ddeml.Calls("DdeConnect").size();
    s.widgets.FireTimers();
    EXPECT_FALSE(Shown(form1->Label2));
    EXPECT_EQ(s.ddeml.Calls("DdeConnect").size(), connects);
}

TEST_F(MainWindowTest, RelayOptionsThatCannotBeStoredAreNotInEffect) {
    TForm4* relay = MakeRelayDialog();
    relay->StoreSettings = [this] { form3->StoreSettings(); };
    Show(Settings("Com5", "1800", "30000", true));
    relay->Show();
    s.widgets.Click(relay->CheckBox1);  // DX-cluster lines
    s.widgets.Click(relay->CheckBox2);  // the spot file
    s.folder.Files().createError = 5;
    s.widgets.Click(relay->BitBtn1);
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf(relay).visible);
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    s.Serve(Page({a}));
    app->ProcessMessages();  // a spot file tried would have its box
    EXPECT_EQ(s.BoxTexts(), Texts{"File access denied."});
    EXPECT_EQ(s.comm.Written(), SpotRow(a) + "\r\n");

    // Stored, they are.
    s.folder.Files().createError = 0;
    s.widgets.Click(relay->BitBtn1);
    const std::string b = PageRow(10105, "Q2BBB", "Q9ZZZ");
    s.Serve(Page({a, b}));
    EXPECT_EQ(s.comm.Written(), SpotRow(a) + "\r\n" + DxLine(SpotRow(b), "0000").value());
    EXPECT_NE(SettingsFolder::Get("vihjeet-20261207.txt"), "");
}

// --- the cluster node ------------------------------------------------------------

TEST_F(MainWindowTest, TheClusterNodeFollowsTheSettingsAndGetsEveryAcceptedSpot) {
    FakeSockets sockets;
    ScopedSeam<ISockets> socketsSeam{&sockets};
    TForm4* relay = MakeRelayDialog();
    Show(Settings("Com5", "1800", "30000", false) + "[Klusteri]1\r\n");
    // Started once the settings are read: on the loopback address, port 7300.
    EXPECT_EQ(sockets.boundAddress, kInaddrLoopback);
    EXPECT_EQ(sockets.boundPort, 7300);
    const int peer = sockets.Connect(7300);
    sockets.PeerSend(peer, "q1abc\r\n");
    sockets.Pump();
    sockets.PeerTake(peer);
    EXPECT_EQ(Caption(relay->Label2), "Yhteyksi\xE4: 1");

    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ");
    s.Serve(Page({a}));
    sockets.Pump();
    EXPECT_EQ(sockets.PeerTake(peer), DxLine(SpotRow(a), "0000").value());

    // Unchanged settings keep the connection; a new port starts anew on it.
    form1->ApplyClusterSettings();
    EXPECT_FALSE(sockets.ClosedByNode(peer));
    relay->Edit1->SetText("7301");
    form1->ApplyClusterSettings();
    EXPECT_TRUE(sockets.ClosedByNode(peer));
    EXPECT_EQ(sockets.boundPort, 7301);
    EXPECT_EQ(Caption(relay->Label2), "Yhteyksi\xE4: 0");

    // A port in use is reported once the current run is over; no node then.
    sockets.portsInUse.insert(7302);
    relay->Edit1->SetText("7302");
    form1->ApplyClusterSettings();
    EXPECT_EQ(s.BoxTexts(), Texts{});
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{"DX-klusterin porttia 7302 ei voitu avata (virhe 10048)."});
    EXPECT_EQ(s.widgets.messageBoxes.back().Icon, TMessageBoxIcon::miError);
    EXPECT_EQ(sockets.OpenSockets(), 0u);
    // The same settings again leave the retries alone: no second box.
    form1->ApplyClusterSettings();
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts().size(), 1u);
    // Switched off, the port freed, switched on: it listens at once.
    relay->CheckBox3->SetChecked(false);
    form1->ApplyClusterSettings();
    sockets.portsInUse.clear();
    relay->CheckBox3->SetChecked(true);
    form1->ApplyClusterSettings();
    EXPECT_EQ(sockets.boundPort, 7302);
    EXPECT_EQ(sockets.OpenSockets(), 1u);

    // Switched off, and on again: closing the program closes every connection.
    relay->Edit1->SetText("7300");
    form1->ApplyClusterSettings();
    const int second = sockets.Connect(7300);
    sockets.Pump();
    form1->Close();
    EXPECT_TRUE(sockets.ClosedByNode(second));
    EXPECT_EQ(sockets.OpenSockets(), 0u);
    EXPECT_EQ(sockets.faults, Texts{});
}

// "Salli yhteydet muilta koneilta" alone, the port as it was: the node opens
// again on every interface, and back on the loopback address when it is
// switched off, each time closing the connections it had.
TEST_F(MainWindowTest, TheLanSwitchAloneRebindsTheClusterNode) {
    FakeSockets sockets;
    ScopedSeam<ISockets> socketsSeam{&sockets};
    TForm4* relay = MakeRelayDialog();
    Show(Settings("Com5", "1800", "30000", false) + "[Klusteri]1\r\n");
    ASSERT_EQ(sockets.boundAddress, kInaddrLoopback);
    const int before = sockets.Connect(7300);
    sockets.Pump();

    relay->CheckBox4->SetChecked(true);
    form1->ApplyClusterSettings();
    EXPECT_EQ(sockets.boundAddress, kInaddrAny);
    EXPECT_EQ(sockets.boundPort, 7300);
    EXPECT_TRUE(sockets.ClosedByNode(before));
    EXPECT_EQ(sockets.OpenSockets(), 1u);  // the new listener alone
    const int from = sockets.Connect(7300);
    sockets.Pump();
    EXPECT_EQ(sockets.PeerTake(from), "login: ");

    relay->CheckBox4->SetChecked(false);
    form1->ApplyClusterSettings();
    EXPECT_EQ(sockets.boundAddress, kInaddrLoopback);
    EXPECT_TRUE(sockets.ClosedByNode(from));
    EXPECT_EQ(sockets.OpenSockets(), 1u);
    EXPECT_EQ(s.BoxTexts(), Texts{});
    EXPECT_EQ(sockets.faults, Texts{});
    form1->Close();
}

// A watched station's spot: its extra tone after the ordinary ones, a green
// line and a flash; the rest as ever. With the sounds off, no tone at all.
TEST_F(MainWindowTest, AWatchedSpotSoundsOnceMoreShowsGreenAndFlashes) {
    TForm5* watch = MakeWatchDialog();
    Show(Settings("Com5", "1800", "30000", true) + "[Seuraa]3y0j, VP8*\r\n[Vilkuta]1\r\n");
    s.speaker.log.clear();
    const std::string a = PageRow(7025, "VP8/G3", "OH6XY");
    const std::string b = PageRow(14025, "3Y0JX", "Q9ZZZ");  // not 3Y0J itself
    s.Serve(Page({a, b}));
    EXPECT_EQ(s.speaker.log,
              (Texts{"Beep 1500 50", "Beep 2000 150", "Beep 2500 300", "Beep 1500 50"}));
    EXPECT_EQ(View().LineColor(0), static_cast<TColor>(0x008000));
    EXPECT_EQ(View().LineColor(1), static_cast<TColor>(0x800000));
    EXPECT_EQ(WindowPeer().flashes, 1);
    EXPECT_EQ(form1->SpotCounter(), 2);
    EXPECT_EQ(s.comm.Written(), SpotRow(a) + "\r\n" + SpotRow(b) + "\r\n");

    // Sounds off: colours and the flash stay.
    watch->CheckBox2->SetChecked(true);
    watch->TakeOptions();
    s.Serve(Page({a, b, PageRow(21025, "VP8ABC", "Q9ZZZ")}));
    EXPECT_EQ(s.speaker.log.size(), 4u);
    EXPECT_EQ(View().LineColor(2), static_cast<TColor>(0x008000));
    EXPECT_EQ(WindowPeer().flashes, 2);
}

// Countries and the log: at start the page waits for the log's first reading
// (a timer's slices), so that a new country on it is told as new; a QSO the
// logging program appends counts at the next look.
TEST_F(MainWindowTest, ThePageWaitsForTheLogAndTheLogsNeedsColourTheSpots) {
    MakeWatchDialog();
    SettingsFolder::Put(
        "OH,Finland,224,EU,15,18,63.78,-27.08,-2.0,OF OG OH OI;\r\n"
        "VP8,Falkland Islands,141,SA,13,16,-51.63,58.72,4.0,VP8;\r\n",
        "cty.csv");
    const std::string qso = "<CALL:5>OH2BH<BAND:3>20M<EOR>\r\n";
    SettingsFolder::Put(qso, "loki.adi");
    Show(Settings("Com5", "1800", "30000", false) +
         "[NaytaMaa]1\r\n[ADIF]loki.adi\r\n[UusiMaa]1\r\n[UusiBandi]1\r\n");
    s.speaker.log.clear();
    const std::string worked = PageRow(14025, "OH1AA", "Q9ZZZ");
    const std::string newBand = PageRow(7025, "OH1AB", "Q9ZZZ");
    const std::string newCountry = PageRow(21025, "VP8LP", "Q9ZZZ");
    s.Serve(Page({worked, newBand, newCountry}));
    EXPECT_EQ(View().LineCount(), 0);  // held until the log is read
    // Keys, mouse or painting waiting: no slice is read before them.
    s.widgets.inputWaiting = true;
    s.widgets.FireTimers();
    EXPECT_EQ(View().LineCount(), 0);
    s.widgets.inputWaiting = false;
    s.widgets.FireTimers();
    ASSERT_EQ(ViewLines(), (Texts{SpotRow(worked) + kToday + "  Finland",
                                  SpotRow(newBand) + kToday + "  Finland",
                                  SpotRow(newCountry) + kToday + "  Falkland Islands"}));
    EXPECT_EQ(View().LineColor(0), static_cast<TColor>(kSpotRed));
    EXPECT_EQ(View().LineColor(1), static_cast<TColor>(kSpotTeal));
    EXPECT_EQ(View().LineColor(2), static_cast<TColor>(kSpotPurple));
    EXPECT_EQ(s.speaker.log,
              (Texts{"Beep 1500 50", "Beep 2000 150", "Beep 1500 50", "Beep 2000 150",
                     "Beep 1000 350", "Beep 1500 50", "Beep 3000 450"}));

    // The logging program appends a QSO with the Falklands on 15 m.
    SettingsFolder::Put(qso + "<CALL:5>VP8LP<BAND:3>15M<EOR>\r\n", "loki.adi");
    s.widgets.FireTimers();
    s.Serve(Page({worked, newBand, newCountry, PageRow(21030, "VP8ABC", "Q9ZZZ")}));
    EXPECT_EQ(View().LineColor(3), static_cast<TColor>(kSpotNavy));
    app->ProcessMessages();
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

// A log that cannot be read holds nothing up: one box, and the page is taken
// at the first tick without marks of the log.
TEST_F(MainWindowTest, AMissingLogIsReportedOnceAndThePageIsTakenAtTheFirstTick) {
    MakeWatchDialog();
    Show(Settings("Com5", "1800", "30000", false) + "[ADIF]puuttuu.adi\r\n[UusiMaa]1\r\n");
    const std::string row = PageRow(14025, "OH1AA", "Q9ZZZ");
    s.Serve(Page({row}));
    s.widgets.FireTimers();
    s.widgets.FireTimers();
    app->ProcessMessages();
    EXPECT_EQ(ViewLines(), (Texts{SpotRow(row) + kToday}));
    ASSERT_EQ(s.BoxTexts().size(), 1u);
    EXPECT_NE(s.BoxTexts()[0].find("puuttuu.adi"), std::string::npos) << s.BoxTexts()[0];
}

// A restart with the spot file on: what the day files hold (yesterday's too,
// a cut line skipped) is shown again quietly, and the decoder's page, which
// repeats it, brings only its new row to the speaker, port, file and node.
TEST_F(MainWindowTest, ARestartWithTheSpotFileRepeatsNothingAlreadyLogged) {
    FakeSockets sockets;
    ScopedSeam<ISockets> socketsSeam{&sockets};
    MakeRelayDialog();
    s.locale.utcNow = LocalTime{2026, 12, 7, 7, 41, 7, 0};  // local time is UTC+2
    const std::string y = PageRow(3505, "Q0YYY", "Q9ZZZ", "2350");
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ", "0010");
    const std::string b = PageRow(14025, "OH2BH", "Q9ZZZ", "0020");
    const std::string c = PageRow(21025, "Q3CCC", "Q9ZZZ", "0030");
    SettingsFolder::Put("2026-12-06 23:50:02 " + SpotRow(y) + "\r\n", "vihjeet-20261206.txt");
    const std::string today = "2026-12-07 00:10:05 " + SpotRow(a) + "\r\n2026-12-07 00:20:09 " +
                              SpotRow(b) + "\r\n2026-12-07 00:2";
    SettingsFolder::Put(today, "vihjeet-20261207.txt");
    s.ddeml.server.items[ProgramSeams::kItem] = Page({a, b, c});
    Show(Settings("Com5", "1800", "30000", true) + "[Loki]1\r\n[Klusteri]1\r\n");

    EXPECT_EQ(ViewLines(), (Texts{SpotRow(y) + "6.12.2026", SpotRow(a) + kToday,
                                  SpotRow(b) + kToday, SpotRow(c) + kToday}));
    EXPECT_EQ(View().LineColor(2), static_cast<TColor>(0x0000FF));
    EXPECT_EQ(s.comm.Written(), SpotRow(c) + "\r\n");
    EXPECT_EQ(s.speaker.log, Texts{"Beep 1500 50"});
    EXPECT_EQ(form1->SpotCounter(), 1);
    EXPECT_EQ(SettingsFolder::Get("vihjeet-20261207.txt"),
              today + "\r\n2026-12-07 09:41:07 " + SpotRow(c) + "\r\n");
    const int peer = sockets.Connect(7300);
    sockets.PeerSend(peer, "q1abc\r\nsh/dx\r\n");
    sockets.Pump();
    const std::string listed = sockets.PeerTake(peer);
    // Newest first; the restored ones accepted on the UTC day of their
    // logged local time.
    const std::size_t c7 = listed.find("Q3CCC        7-Dec-2026");
    const std::size_t b6 = listed.find("OH2BH        6-Dec-2026");
    const std::size_t a6 = listed.find("Q1AAA        6-Dec-2026");
    const std::size_t y6 = listed.find("Q0YYY        6-Dec-2026");
    EXPECT_TRUE(c7 < b6 && b6 < a6 && a6 < y6 && y6 != std::string::npos) << listed;
    EXPECT_EQ(s.BoxTexts(), Texts{});
    form1->Close();  // the node goes before the sockets
}

// Just after local midnight, when UTC is still on the day before: the spot
// file is named and stamped by the local clock, while the DX lines on the
// port and to the node carry the UTC time, as clusters give it.
TEST_F(MainWindowTest, WithEveryRelayOptionOnTheFileTakesTheLocalDayAndTheLinesTheUtcTime) {
    FakeSockets sockets;
    ScopedSeam<ISockets> socketsSeam{&sockets};
    TForm4* relay = MakeRelayDialog();
    s.locale.now = LocalTime{2026, 12, 8, 1, 30, 9, 0};
    s.locale.utcNow = LocalTime{2026, 12, 7, 23, 30, 9, 0};
    Show(Settings("Com5", "1800", "30000", true) + "[SarjaDX]1\r\n[Loki]1\r\n[Klusteri]1\r\n");
    ASSERT_EQ(sockets.boundPort, 7300);
    const int peer = sockets.Connect(7300);
    sockets.PeerSend(peer, "q1abc\r\n");
    sockets.Pump();
    sockets.PeerTake(peer);

    // No time of its own in the row: the line takes the UTC clock's.
    const std::string a = PageRow(7025, "Q1AAA", "Q9ZZZ", "");
    s.Serve(Page({a}));
    sockets.Pump();
    const std::string dxLine =
        "DX de Q9ZZZ:      7025.0  Q1AAA        cq dx                          2330Z\r\n";
    EXPECT_EQ(s.comm.Written(), dxLine);
    EXPECT_EQ(sockets.PeerTake(peer), dxLine);
    EXPECT_EQ(SettingsFolder::Get("vihjeet-20261208.txt"),
              "2026-12-08 01:30:09 " + SpotRow(a) + "\r\n");
    EXPECT_FALSE(std::filesystem::exists("vihjeet-20261207.txt"));
    EXPECT_EQ(ViewLines(), Texts{SpotRow(a) + "8.12.2026"});

    // The file switched off: the port and the node go on, no file is written.
    relay->StoreSettings = [this] { form3->StoreSettings(); };
    relay->Show();
    s.widgets.Click(relay->CheckBox2);
    s.widgets.Click(relay->BitBtn1);
    const std::string b = PageRow(14025, "Q2BBB", "Q9ZZZ", "");
    s.Serve(Page({a, b}));
    sockets.Pump();
    EXPECT_EQ(View().LineCount(), 2);
    EXPECT_EQ(s.comm.Written(), dxLine + *DxLine(SpotRow(b), "2330"));
    EXPECT_EQ(sockets.PeerTake(peer), *DxLine(SpotRow(b), "2330"));
    EXPECT_EQ(SettingsFolder::Get("vihjeet-20261208.txt"),
              "2026-12-08 01:30:09 " + SpotRow(a) + "\r\n");
    std::vector<std::string> spotFiles;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind("vihjeet-", 0) == 0)
            spotFiles.push_back(entry.path().filename().string());
    EXPECT_EQ(spotFiles, Texts{"vihjeet-20261208.txt"});
    EXPECT_EQ(s.BoxTexts(), Texts{});
    form1->Close();  // the node lets its sockets go before the fake goes
    EXPECT_EQ(sockets.faults, Texts{});
}

}  // namespace
