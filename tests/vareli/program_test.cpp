// The program's start-up, run and shutdown on the in-memory window system
// with the decoder in its different states: the order of the DDE manager,
// the windows and the link's events; what the first show loads and when; a
// missing settings file, reported while the rest of the show goes on without
// the item; starting minimised
// or maximised; the settings dialog opened from the menu while spots keep
// coming.
#include "vareli/program.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "asetus/settings_dialog.h"
#include "asetus/watch_dialog.h"
#include "vplusdde/main_window.h"
#include "vplusdde/program_seams.h"

namespace {

using Texts = std::vector<std::string>;

const std::string kSettings = "[COMPort]Com5\r\n[AlaMHZ]1800\r\n[YlaMHZ]30000\r\n[Com]1\r\n";

// 19 rows inside the band, one of them an "OH" spot.
Texts BlockRows() {
    Texts rows;
    for (int i = 0; i < 19; ++i)
        rows.push_back(PageRow(7000 + 100 * i, i == 4 ? "OH2BH" : "Q" + std::to_string(i) + "AA",
                               "Q9ZZZ", "13" + std::to_string(10 + i)));
    return rows;
}

// What the window showed when its item raised a change event, just before
// the window's own handler ran.
struct AtChange {
    std::string label3, label4, upperLimit, device;
    int viewLines;
};

class ProgramTest : public ::testing::Test {
  protected:
    ~ProgramTest() override {
        // The item's link raises one more (empty) change as the window takes
        // it apart, after the dialog is gone: not a moment to look at it.
        watching_ = false;
        program.reset();
    }

    // Makes the program as the entry point does; the decoder's state at this
    // moment decides what the conversation does while the main window is built.
    void Make() {
        program = std::make_unique<VareliProgram>(s.widgets, "C:\\Ohjelmat\\Vareli.exe");
        form1 = program->Form1;
        form3 = program->Form3;
        Watch();
    }

    // Runs the message loop: the steps one per turn of the loop, each posted
    // once the one before has returned (so that a step may open a modal loop
    // and queue what the user does in it), then the user presses "Sulje",
    // which must end it.
    void Run(std::vector<std::function<void()>> steps = {}) {
        steps_ = std::move(steps);
        steps_.push_back([this] { s.widgets.Click(form1->BitBtn2); });
        next_ = 0;
        PostNextStep();
        program->Run();
        EXPECT_EQ(next_, steps_.size());
    }

    // Only the entries that tell the story of start-up and shutdown.
    Texts Story() const {
        Texts story;
        for (const std::string& line : s.ddeml.log) {
            for (const char* prefix : {"DdeInitializeA", "DdeNameService", "window", "DdeConnect",
                                       "DdeDisconnect", "WinExec", "OnOpen", "OnClose", "change"}) {
                if (line.rfind(prefix, 0) == 0) story.push_back(line.substr(0, line.find('(')));
            }
        }
        return story;
    }
    Texts Transactions() const { return s.ddeml.Calls("DdeClientTransaction"); }

    std::string Caption(TLabel* label) const {
        return TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(label).caption;
    }
    bool LinkShown() const {
        return TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(form1->Label2).visible;
    }
    TMemoryRichEditPeer& View() const {
        return TMemoryWidgetSet::PeerOf<TMemoryRichEditPeer>(form1->memo1);
    }
    int Top(TControl* control) const {
        return dynamic_cast<TMemoryControlState&>(*control->Peer()).bounds.Top;
    }

    ProgramSeams s;
    std::unique_ptr<VareliProgram> program;
    TForm1* form1 = nullptr;
    TForm3* form3 = nullptr;
    std::vector<AtChange> changes;

  private:
    void PostNextStep() {
        s.widgets.PostCall([this] {
            struct Next {
                ProgramTest* test;
                ~Next() {
                    if (test->next_ < test->steps_.size()) test->PostNextStep();
                }
            } next{this};
            const size_t step = next_++;
            steps_[step]();
        });
    }

    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    bool watching_ = true;
    // Notes the link's events in the DDE log, next to the calls.
    void Watch() {
        TDdeClientConv* conv = form1->lientti;
        TNotifyEvent open = conv->OnOpen, close = conv->OnClose;
        conv->OnOpen = [this, open](TObject* sender) {
            s.ddeml.log.push_back("OnOpen");
            open(sender);
        };
        conv->OnClose = [this, close](TObject* sender) {
            s.ddeml.log.push_back("OnClose");
            close(sender);
        };
        TDdeClientItem* item = form1->DdeClientItem1;
        TNotifyEvent change = item->OnChange;
        item->OnChange = [this, change, item](TObject* sender) {
            if (!watching_) return change(sender);
            s.ddeml.log.push_back("change " + std::to_string(item->Text().size()));
            changes.push_back({Caption(form1->Label3), Caption(form1->Label4),
                               form3->ComboBox2->Text(), form1->Comm1->DeviceName(),
                               View().LineCount()});
            change(sender);
        };
    }
};

TEST_F(ProgramTest, WithTheDecoderRunningTheFirstShowLoadsSettingsThenTakesTheBlock) {
    SettingsFolder::Put(kSettings);
    s.ddeml.server.items[ProgramSeams::kItem] = Page(BlockRows());
    s.locale.step = 1;
    Make();
    // The link opened while the main window was built, before it was shown.
    EXPECT_EQ(Story(), (Texts{"DdeInitializeA", "DdeNameService", "window TForm1", "DdeConnect",
                              "window TForm3", "window TForm4", "window TForm5"}));
    EXPECT_TRUE(form1->Label2->Visible());
    EXPECT_FALSE(TMemoryWidgetSet::PeerOf(form1).visible);
    EXPECT_FALSE(TMemoryWidgetSet::PeerOf(form3).visible);
    EXPECT_EQ(program->Application().Title(), "Vareli");
    EXPECT_EQ(program->Application().MainForm(), form1);
    s.ddeml.log.clear();

    bool shownDuringLoop = false;
    Run({[&] { shownDuringLoop = TMemoryWidgetSet::PeerOf(form1).visible && LinkShown(); }});
    EXPECT_TRUE(shownDuringLoop);
    // Named, reconnected to "VTplus"/"590": empty, block, closed, open, block;
    // then "Sulje" hangs up.
    EXPECT_EQ(Story(), (Texts{"change 0", "change 798", "OnClose", "DdeDisconnect", "DdeConnect",
                              "OnOpen", "change 798", "OnClose", "DdeDisconnect"}));
    ASSERT_EQ(changes.size(), 3u);
    for (const AtChange& at : changes) {
        // The settings were in place for every run, the start line not yet written.
        EXPECT_EQ(at.upperLimit, "30000");
        EXPECT_EQ(at.device, "Com5");
        EXPECT_EQ(at.label3, "Label3");
    }
    EXPECT_EQ(changes[1].label4, "0 vihjett\xE4");  // the empty text's run counted 0
    EXPECT_EQ(changes[2].viewLines, 19);            // the block again: nothing new

    // The block shown once, counted and forwarded; then the start line.
    EXPECT_EQ(View().LineCount(), 19);
    EXPECT_EQ(View().Line(0), SpotRow(BlockRows()[0]) + "7.12.2026");
    EXPECT_EQ(View().LineColor(4), clRed);
    EXPECT_EQ(Caption(form1->Label4), "19 vihjett\xE4");
    EXPECT_EQ(s.comm.Written().size(), 19u * 44u);
    const std::string start = Caption(form1->Label3);
    const std::string lastSpot = Caption(form1->Label1);
    ASSERT_EQ(start.rfind("Alkoi: 7.12.2026 ", 0), 0u) << start;
    const std::string startTime = start.substr(std::string("Alkoi: 7.12.2026 ").size());
    EXPECT_EQ(startTime.size(), lastSpot.size());
    EXPECT_GT(startTime, lastSpot);  // "9.41.ss": read after the last spot's time
    EXPECT_TRUE(program->Application().Terminated());
    EXPECT_FALSE(LinkShown());
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

TEST_F(ProgramTest, ADecoderThatCannotBeStartedIsTriedOncePerOpenAndBringsNothing) {
    SettingsFolder::Put(kSettings);
    s.ddeml.server.running = false;
    s.ddeml.winExecStartsServer = false;
    Make();
    EXPECT_EQ(s.ddeml.Calls("WinExec"), Texts{"WinExec(\"VTPlus\",7)"});
    Run({[&] { s.Serve(Page(BlockRows())); }});
    EXPECT_EQ(s.ddeml.Calls("WinExec").size(), 2u);
    EXPECT_FALSE(LinkShown());
    EXPECT_EQ(form1->DdeClientItem1->DdeItem(), "");
    EXPECT_EQ(Transactions(), Texts{});
    EXPECT_EQ(View().LineCount(), 0);
    EXPECT_EQ(Caption(form1->Label4), "0 vihjett\xE4");
    EXPECT_EQ(Caption(form1->Label3).rfind("Alkoi: ", 0), 0u);
    // Closing with no conversation open ends the program without a word.
    EXPECT_TRUE(program->Application().Terminated());
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

TEST_F(ProgramTest, ADecoderAnsweringOnlyAtShowGivesTheLinkButNoData) {
    SettingsFolder::Put(kSettings);
    s.ddeml.server.running = false;
    s.ddeml.winExecStartsServer = false;
    Make();
    EXPECT_FALSE(form1->Label2->Visible());
    s.ddeml.server.items[ProgramSeams::kItem] = Page(BlockRows());
    s.ddeml.server.running = true;  // it came up late
    bool linkShown = false;
    Run({[&] {
        linkShown = LinkShown();
        s.Serve(Page(BlockRows()));
    }});
    EXPECT_TRUE(linkShown);
    EXPECT_EQ(Transactions(), Texts{});
    EXPECT_EQ(View().LineCount(), 0);
    EXPECT_EQ(Caption(form1->Label4), "0 vihjett\xE4");
}

// The show reports the missing file and writes its labels, but names no
// item: without limits there are no spots to take in this run.
TEST_F(ProgramTest, WithoutASettingsFileTheFirstShowReportsItAndTakesNoSpot) {
    s.ddeml.server.items[ProgramSeams::kItem] = Page(BlockRows());
    Make();
    Run({
        [&] {
            // The dialog and the port keep what their layouts gave them.
            EXPECT_EQ(form3->ComboBox1->Text(), "ComboBox1");
            EXPECT_EQ(form3->ComboBox2->Text(), "ComboBox1");
            EXPECT_EQ(form3->ComboBox3->Text(), "ComboBox3");
            EXPECT_FALSE(form3->CheckBox1->Checked());
            EXPECT_EQ(form1->Comm1->DeviceName(), "Com2");
            s.Serve(Page(BlockRows()));
        },
        // Opening the dialog and closing it writes the file from its texts,
        // but this run does not make up for the item.
        [&] {
            s.widgets.PostCall([&] { s.widgets.Click(form3->BitBtn1); });
            s.widgets.ChooseMenu(form1, {"Tiedosto", "Asetukset"});
        },
        [&] { s.Serve(Page(BlockRows())); },
    });
    ASSERT_GE(s.widgets.messageBoxes.size(), 1u);
    EXPECT_EQ(s.widgets.messageBoxes[0].Icon, TMessageBoxIcon::miError);
    EXPECT_EQ(s.widgets.messageBoxes[0].Caption, "Vareli");
    EXPECT_EQ(s.BoxTexts(), Texts{"File not found."});
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf(form1).showCount > 0);
    // The conversation from creation stands, with no item on it.
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(Transactions(), Texts{});
    EXPECT_EQ(form1->DdeClientItem1->DdeItem(), "");
    EXPECT_EQ(View().LineCount(), 0);
    EXPECT_EQ(Caption(form1->Label3).rfind("Alkoi: 7.12.2026 ", 0), 0u);
    EXPECT_EQ(Caption(form1->Label4), "0 vihjett\xE4");
    EXPECT_EQ(SettingsFolder::Get(),
              "[COMPort]ComboBox3\r\n[AlaMHZ]ComboBox1\r\n[YlaMHZ]ComboBox1\r\n[Com]0\r\n");
    EXPECT_EQ(form1->Comm1->DeviceName(), "ComboBox3");
}

TEST_F(ProgramTest, ABadLimitInTheSettingsEndsTheFirstBlockButNotTheFirstShow) {
    SettingsFolder::Put("[COMPort]Com5\r\n[AlaMHZ]1800\r\n[YlaMHZ]30 kHz\r\n[Com]1\r\n");
    s.ddeml.server.items[ProgramSeams::kItem] = Page(BlockRows());
    Make();
    s.ddeml.log.clear();
    Run();
    EXPECT_EQ(s.BoxTexts(), Texts{"'30 kHz' is not a valid integer value."});
    // The item was named and the block failed at its first row: no reconnect
    // in the same step, and nothing shown, counted or sent; the start line
    // is written all the same.
    EXPECT_EQ(Story(), (Texts{"change 0", "change 798", "OnClose", "DdeDisconnect"}));
    EXPECT_EQ(Caption(form1->Label3).rfind("Alkoi: ", 0), 0u);
    EXPECT_EQ(Caption(form1->Label4), "0 vihjett\xE4");
    EXPECT_EQ(View().LineCount(), 0);
    EXPECT_EQ(s.comm.Written(), "");
}

TEST_F(ProgramTest, AnOutsideConnectAfterTheWindowsHaveGoneIsRefused) {
    SettingsFolder::Put(kSettings);
    Make();
    Run();
    // The windows go before the DDE manager; an outside program connecting
    // while the manager unregisters its name finds no caption to match.
    std::vector<std::uintptr_t> answers;
    s.ddeml.onNameService = [&](std::uint32_t command) {
        if (command != ddeml::kDnsUnregister) return;
        answers.push_back(
            s.ddeml.Call(ddeml::kXtypConnect, 0, s.ddeml.Hsz("Vareli"), s.ddeml.Hsz("Vareli")));
        answers.push_back(s.ddeml.Call(ddeml::kXtypWildConnect, 0, s.ddeml.Hsz("Vareli"), 0));
    };
    program.reset();
    s.ddeml.onNameService = nullptr;
    EXPECT_EQ(answers, (std::vector<std::uintptr_t>{0, 0}));
}

TEST_F(ProgramTest, StartedMinimisedNothingIsLoadedUntilTheFirstRestore) {
    SettingsFolder::Put(kSettings);
    s.ddeml.server.items[ProgramSeams::kItem] = Page(BlockRows());
    s.widgets.startShowState = 7;
    Make();
    Run({
        [&] {
            TMemoryFormPeer& window = TMemoryWidgetSet::PeerOf(form1);
            EXPECT_EQ(window.state, TWindowState::wsMinimized);
            EXPECT_FALSE(window.activatedOnShow);
            EXPECT_TRUE(s.folder.Files().calls.empty());
            EXPECT_EQ(form1->DdeClientItem1->DdeItem(), "");
            EXPECT_EQ(Caption(form1->Label3), "Label3");
            EXPECT_TRUE(changes.empty());
        },
        [&] { s.widgets.Restore(form1); },
    });
    EXPECT_EQ(form1->DdeClientItem1->DdeItem(), ProgramSeams::kItem);
    EXPECT_EQ(View().LineCount(), 19);
    EXPECT_EQ(Caption(form1->Label3).rfind("Alkoi: ", 0), 0u);
    // The laid-out size once restored.
    EXPECT_EQ(Top(form1->Label3), 280);
}

TEST_F(ProgramTest, StartedMaximisedTheResizeRuleFitsTheScreen) {
    SettingsFolder::Put(kSettings);
    s.widgets.startShowState = 3;
    Make();
    Run();
    const TMemoryFormPeer& window = TMemoryWidgetSet::PeerOf(form1);
    EXPECT_EQ(window.state, TWindowState::wsMaximized);
    const int h = window.CurrentBounds().Height;
    EXPECT_GT(h, TMemoryWidgetSet::kScreenHeight);
    EXPECT_EQ(form1->memo1->Height(), h - 82);
    EXPECT_EQ(Top(form1->Label2), h - 66);
    EXPECT_EQ(Top(form1->Label3), h - 80);
    EXPECT_EQ(Top(form1->Label4), h - 64);
    EXPECT_EQ(Top(form1->BitBtn2), h - 76);
    EXPECT_EQ(Caption(form1->Label3).rfind("Alkoi: ", 0), 0u);
}

TEST_F(ProgramTest, TheSettingsDialogIsModalAndSpotsUseItsTextsAsTheyStand) {
    SettingsFolder::Put(kSettings);
    Make();
    const std::string high = PageRow(50100, "Q1AAA", "Q9ZZZ");
    bool mainDisabled = false;
    Run({[&] {
        // Queued for the dialog's own loop, one per turn.
        s.widgets.PostCall([&] {
            mainDisabled = !TMemoryWidgetSet::PeerOf(form1).enabled;
            EXPECT_THROW(s.widgets.ChooseMenu(form1, {"Tiedosto", "Asetukset"}), std::logic_error);
            s.Serve(Page({high}));  // above 30000: left out
        });
        s.widgets.PostCall([&] {
            EXPECT_EQ(View().LineCount(), 0);
            s.widgets.TypeText(form3->ComboBox2, "144000");  // being typed
            s.Serve(Page({high}));                           // taken at once
            s.widgets.TypeText(form3->ComboBox3, "Com10");
        });
        s.widgets.PostCall([&] {
            EXPECT_EQ(View().LineCount(), 1);
            // Still the old port until the dialog closes.
            EXPECT_EQ(s.comm.CreateFileArgs().back().name, R"(\\.\Com5)");
            s.widgets.Click(form3->BitBtn1);
        });
        s.widgets.ChooseMenu(form1, {"Tiedosto", "Asetukset"});
    }});
    EXPECT_TRUE(mainDisabled);
    EXPECT_EQ(form3->ComboBox3->Text(), "Com10");
    EXPECT_EQ(form1->Comm1->DeviceName(), "Com10");
    EXPECT_EQ(SettingsFolder::Get(),
              "[COMPort]Com10\r\n[AlaMHZ]1800\r\n[YlaMHZ]144000\r\n[Com]1\r\n");
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf(form1).enabled);
    EXPECT_EQ(s.BoxTexts(), Texts{});
}

// The main window's settings reader fills the "Seuranta" dialog, whose
// closing stores the whole file through the settings dialog.
TEST_F(ProgramTest, TheWatchOptionsAreReadAndStoredWithTheWholeSettingsFile) {
    SettingsFolder::Put(kSettings + "[Seuraa]3Y0J\r\n");
    Make();
    TForm5* form5 = program->Form5;
    form3->ReadSettings();
    EXPECT_EQ(form5->Edit1->Text(), "3Y0J");
    form5->Edit1->SetText("VP8*");
    form5->StoreSettings();
    EXPECT_EQ(SettingsFolder::Get(), kSettings + "[Seuraa]VP8*\r\n");
}

}  // namespace
