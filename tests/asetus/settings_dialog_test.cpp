// The settings dialog on the in-memory window system, over a temporary
// working folder: its layout, and its closing, which by every way stores the
// settings file and reads it back, and which, when the file cannot be
// written, keeps the dialog open, reports, and leaves the old file alone.
#include "asetus/settings_dialog.h"

#include <gtest/gtest.h>

#include <functional>

#include "dialog_fixture.h"
#include "ui/glyphs.h"

namespace {

TEST_F(SettingsDialogTest, IsBuiltHiddenFromItsStoredLayout) {
    TMemoryFormPeer& window = DialogPeer();
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(window.caption, "Asetukset");
    EXPECT_EQ(window.normalBounds, (TBounds{362, 278, 237, 152}));
    EXPECT_EQ(window.borderStyle, TBorderStyle::bsSizeable);
    EXPECT_EQ(window.borderIcons, biSystemMenu | biMinimize | biMaximize);
    EXPECT_EQ(window.color, clBtnFace);
    EXPECT_EQ(dialog->Font()->Data(), (TFontData{"MS Sans Serif", -11, clWindowText, 0}));

    const std::vector<std::pair<TLabel*, TBounds>> labels = {
        {dialog->Label1, {8, 8, 0, 13}},
        {dialog->Label2, {120, 8, 0, 13}},
        {dialog->Label3, {8, 48, 0, 13}},
    };
    for (const auto& [label, at] : labels) {
        const auto& peer = TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(label);
        EXPECT_EQ(peer.bounds.Left, at.Left);
        EXPECT_EQ(peer.bounds.Top, at.Top);
        EXPECT_EQ(peer.bounds.Height, at.Height);
    }
    EXPECT_EQ(dialog->Label1->Caption(), "Taajuus alaraja");
    EXPECT_EQ(dialog->Label2->Caption(), "Taajuus yl\xE4raja");
    EXPECT_EQ(dialog->Label3->Caption(), "Tietoliikenneportti");

    const Texts limits = {"1800",  "3500",  "7000",  "10000", "14000",  "18000",
                          "21000", "24000", "28000", "50000", "144000", "432000"};
    const Texts ports = {"Com1", "Com2", "Com3", "Com4", "Com5", "Com6", "Com7", "Com8", "Com9"};
    const std::vector<std::tuple<TComboBox*, TBounds, std::string, Texts>> combos = {
        {dialog->ComboBox1, {8, 24, 105, 21}, "ComboBox1", limits},
        {dialog->ComboBox2, {120, 24, 105, 21}, "ComboBox1", limits},
        {dialog->ComboBox3, {8, 64, 105, 21}, "ComboBox3", ports},
    };
    for (const auto& [box, at, text, items] : combos) {
        const auto& peer = Combo(box);
        EXPECT_EQ(peer.bounds, at) << box->Name();
        EXPECT_EQ(peer.text, text) << box->Name();
        EXPECT_EQ(peer.items, items) << box->Name();
        EXPECT_EQ(peer.options.Style, TComboBoxStyle::csDropDown);
        EXPECT_FALSE(peer.options.Sorted);
        EXPECT_EQ(peer.dropDownCount, 8);
        EXPECT_EQ(peer.maxLength, 0);
    }

    const auto& check = TMemoryWidgetSet::PeerOf<TMemoryCheckBoxPeer>(dialog->CheckBox1);
    EXPECT_EQ(check.bounds, (TBounds{120, 64, 105, 17}));
    EXPECT_EQ(check.caption, "Ohjaa porttiin");
    EXPECT_FALSE(check.checked);
    const auto& ok = TMemoryWidgetSet::PeerOf<TMemoryButtonPeer>(dialog->BitBtn1);
    EXPECT_EQ(ok.bounds, (TBounds{80, 96, 75, 25}));
    EXPECT_EQ(ok.caption, "OK");
    EXPECT_EQ(ok.glyph, kGlyphCheck);
    EXPECT_EQ(ok.numGlyphs, 2);

    // The tab key goes through the three boxes, the switch and the button.
    const std::vector<TControl*> tabbed = {dialog->ComboBox1, dialog->ComboBox2, dialog->ComboBox3,
                                           dialog->CheckBox1, dialog->BitBtn1};
    for (size_t i = 0; i < tabbed.size(); ++i)
        EXPECT_EQ(tabbed[i]->TabOrder(), static_cast<int>(i)) << tabbed[i]->Name();
}

// No control of any dialog covers part of another or reaches past the
// client area; labels at the size of their text, as shown.
TEST_F(SettingsDialogTest, NoTwoControlsOfAnyDialogOverlap) {
    TForm4* relay = MakeRelayDialog();
    TForm5* watch = MakeWatchDialog();
    for (const auto& [form, count] :
         std::vector<std::pair<TForm*, size_t>>{{dialog, 8}, {relay, 9}, {watch, 16}}) {
        const TExtent client = TMemoryWidgetSet::PeerOf(form).ClientSize();
        std::vector<TControl*> controls;
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* control = dynamic_cast<TControl*>(form->Components(i)))
                controls.push_back(control);
        EXPECT_EQ(controls.size(), count) << form->Caption();
        for (size_t i = 0; i < controls.size(); ++i) {
            const TBounds a = controls[i]->BoundsRect();
            EXPECT_TRUE(a.Width > 0 && a.Height > 0) << controls[i]->Name();
            EXPECT_TRUE(a.Left >= 0 && a.Top >= 0 && a.Left + a.Width <= client.Width &&
                        a.Top + a.Height <= client.Height)
                << form->Caption() << ": " << controls[i]->Name();
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const TBounds b = controls[j]->BoundsRect();
                EXPECT_FALSE(a.Left < b.Left + b.Width && b.Left < a.Left + a.Width &&
                             a.Top < b.Top + b.Height && b.Top < a.Top + a.Height)
                    << form->Caption() << ": " << controls[i]->Name() << " and "
                    << controls[j]->Name();
            }
        }
    }
}

TEST_F(SettingsDialogTest, EveryWayOfClosingStoresTheSettingsAndReadsThemBack) {
    struct Way {
        const char* name;
        std::function<void()> close;
    };
    const std::vector<Way> ways = {
        {"OK", [&] { widgets.Click(dialog->BitBtn1); }},
        {"close box", [&] { widgets.PressCloseBox(dialog); }},
        {"system menu", [&] { widgets.SystemMenuClose(dialog); }},
    };
    int round = 0;
    for (const Way& way : ways) {
        ++round;
        const std::string port = "Com1" + std::to_string(round - 1);  // Com10, Com11, Com12
        const std::string upper = "abc" + std::to_string(round) + "56789";
        ShowModal({[&] {
            EXPECT_FALSE(TMemoryWidgetSet::PeerOf(mainForm).enabled);
            widgets.TypeText(dialog->ComboBox3, port);
            widgets.ChooseItem(dialog->ComboBox1, round);
            widgets.TypeText(dialog->ComboBox2, upper);
            widgets.Click(dialog->CheckBox1);
            way.close();
        }});
        const bool checked = round % 2 == 1;
        std::string file = "[COMPort]" + port;
        file += "\r\n[AlaMHZ]" + dialog->ComboBox1->Items()[round];
        file += "\r\n[YlaMHZ]" + upper;
        file += checked ? "\r\n[Com]1\r\n" : "\r\n[Com]0\r\n";
        EXPECT_EQ(SettingsFolder::Get(), file) << way.name;
        // Read back at once, whole.
        EXPECT_EQ(Combo(dialog->ComboBox3).text, port) << way.name;
        EXPECT_EQ(Combo(dialog->ComboBox2).text, upper) << way.name;
        EXPECT_EQ(dialog->CheckBox1->Checked(), checked) << way.name;
        EXPECT_EQ(comm.DeviceName(), port) << way.name;
        EXPECT_FALSE(DialogPeer().visible) << way.name;
        EXPECT_TRUE(TMemoryWidgetSet::PeerOf(mainForm).enabled) << way.name;
    }
    EXPECT_EQ(BoxTexts(), Texts{});
}

TEST_F(SettingsDialogTest, OkWithoutChangesStoresTheFormTextsAndReadsThemBack) {
    // No file yet: the first close stores the texts the dialog was made with.
    const std::string formTexts =
        "[COMPort]ComboBox3\r\n[AlaMHZ]ComboBox1\r\n[YlaMHZ]ComboBox1\r\n[Com]0\r\n";
    ShowModal({[&] { widgets.Click(dialog->BitBtn1); }});
    EXPECT_EQ(SettingsFolder::Get(), formTexts);
    EXPECT_EQ(Combo(dialog->ComboBox1).text, "ComboBox1");
    EXPECT_EQ(Combo(dialog->ComboBox3).text, "ComboBox3");
    EXPECT_EQ(comm.DeviceName(), "ComboBox3");

    // Unchanged, it is written again all the same.
    SettingsFolder::Put("stale");
    ShowModal({[&] { widgets.Click(dialog->BitBtn1); }});
    EXPECT_EQ(SettingsFolder::Get(), formTexts);
}

TEST_F(SettingsDialogTest, AFailedReadBackKeepsTheDialogOpenWithTheNewFileInPlace) {
    folder.Files().failReadCall = 1;  // the first read is the read-back
    folder.Files().readError = 30;
    ShowModal({
        [&] {
            widgets.TypeText(dialog->ComboBox3, "Com3");
            widgets.Click(dialog->BitBtn1);
        },
        [&] {
            EXPECT_TRUE(DialogPeer().visible);
            EXPECT_EQ(BoxTexts(), Texts{"I/O error 30."});
            EXPECT_EQ(SettingsFolder::Get().substr(0, 15), "[COMPort]Com3\r\n");
            EXPECT_EQ(comm.DeviceName(), "Com2");
            widgets.Click(dialog->BitBtn1);
        },
    });
    EXPECT_FALSE(DialogPeer().visible);
    EXPECT_EQ(comm.DeviceName(), "Com3");
}

TEST_F(SettingsDialogTest, AFileThatCannotBeWrittenKeepsTheDialogOpenUntilItCan) {
    const std::string old = "[COMPort]Com4\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n";
    SettingsFolder::Put(old);
    dialog->ReadSettings();          // as at start-up
    folder.Files().createError = 5;  // a read-only file
    auto stillOpen = [&](size_t reports) {
        EXPECT_TRUE(DialogPeer().visible);
        EXPECT_TRUE(dialog->Modal());
        EXPECT_EQ(SettingsFolder::Get(), old);
        EXPECT_EQ(Combo(dialog->ComboBox3).text, "Com3");  // no read-back either
        EXPECT_EQ(BoxTexts(), Texts(reports, "File access denied."));
    };
    ShowModal({
        [&] {
            widgets.TypeText(dialog->ComboBox3, "Com3");
            widgets.Click(dialog->BitBtn1);
        },
        [&] {
            stillOpen(1);
            widgets.PressCloseBox(dialog);
        },
        [&] {
            stillOpen(2);
            widgets.SystemMenuClose(dialog);
        },
        [&] {
            stillOpen(3);
            // The cause removed, the next close goes through.
            folder.Files().createError = 0;
            widgets.Click(dialog->BitBtn1);
        },
    });
    EXPECT_FALSE(DialogPeer().visible);
    EXPECT_EQ(widgets.messageBoxes.back().Icon, TMessageBoxIcon::miError);
    EXPECT_EQ(widgets.messageBoxes.back().Caption, "Vareli");
    EXPECT_EQ(widgets.messageBoxes.size(), 3u);
    EXPECT_EQ(SettingsFolder::Get(), "[COMPort]Com3\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n");
    EXPECT_EQ(comm.DeviceName(), "Com3");
}

TEST_F(SettingsDialogTest, TheRelayOptionsFollowTheFourLinesOnlyWhenOnAndBothDialogsKeepThem) {
    TForm4* relay = MakeRelayDialog();
    const std::string four = "[COMPort]Com4\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n";
    SettingsFolder::Put(four);
    dialog->ReadSettings();
    // Options off: the four lines, byte for byte.
    ShowModal({[&] { widgets.Click(dialog->BitBtn1); }});
    EXPECT_EQ(SettingsFolder::Get(), four);

    ShowModal(relay, {[&] {
                  widgets.Click(relay->CheckBox1);
                  widgets.Click(relay->CheckBox2);
                  widgets.Click(relay->CheckBox5);
                  widgets.Click(relay->BitBtn1);
              }});
    EXPECT_EQ(SettingsFolder::Get(), four + "[SarjaDX]1\r\n[Loki]1\r\n[Uudelleen]1\r\n");
    EXPECT_TRUE(relay->RelinkOn());
    relay->CheckBox1->SetChecked(false);
    relay->CheckBox2->SetChecked(false);
    relay->CheckBox5->SetChecked(false);
    dialog->ReadSettings();
    EXPECT_TRUE(relay->CheckBox1->Checked());
    EXPECT_TRUE(relay->CheckBox2->Checked());
    EXPECT_TRUE(relay->CheckBox5->Checked());

    // Closing "Asetukset" keeps them; closing "Välitys" keeps the four.
    ShowModal({[&] { widgets.Click(dialog->BitBtn1); }});
    EXPECT_EQ(SettingsFolder::Get(), four + "[SarjaDX]1\r\n[Loki]1\r\n[Uudelleen]1\r\n");
    ShowModal(relay, {[&] {
                  widgets.Click(relay->CheckBox1);
                  widgets.Click(relay->CheckBox5);
                  widgets.PressCloseBox(relay);
              }});
    EXPECT_EQ(SettingsFolder::Get(), four + "[Loki]1\r\n");
    EXPECT_FALSE(relay->RelinkOn());
    EXPECT_FALSE(relay->CheckBox1->Checked());
    EXPECT_TRUE(relay->CheckBox2->Checked());
    EXPECT_EQ(BoxTexts(), Texts{});
}

TEST_F(SettingsDialogTest, TheNodeSettingsAreStoredWhenNotTheDefaultAndABadPortKeepsItOpen) {
    TForm4* relay = MakeRelayDialog();
    int changes = 0;
    relay->SettingsChanged = [&] { ++changes; };
    const std::string four = "[COMPort]Com4\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n";
    SettingsFolder::Put(four);
    dialog->ReadSettings();
    EXPECT_EQ(relay->Edit1->Text(), "7300");
    ShowModal(relay, {[&] {
                          widgets.Click(relay->CheckBox3);
                          widgets.TypeText(relay->Edit1, "65536");
                          widgets.Click(relay->BitBtn1);
                      },
                      [&] {
                          EXPECT_TRUE(TMemoryWidgetSet::PeerOf(relay).visible);
                          EXPECT_EQ(SettingsFolder::Get(), four);
                          EXPECT_EQ(changes, 0);
                          widgets.TypeText(relay->Edit1, "7373");
                          widgets.Click(relay->CheckBox4);
                          widgets.Click(relay->BitBtn1);
                      }});
    EXPECT_EQ(BoxTexts(), Texts{"TCP-portin on oltava luku 1-65535."});
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(SettingsFolder::Get(),
              four + "[Klusteri]1\r\n[KlusteriPortti]7373\r\n[KlusteriLAN]1\r\n");
    relay->Edit1->SetText("1");
    dialog->ReadSettings();
    EXPECT_EQ(relay->Edit1->Text(), "7373");
    EXPECT_TRUE(relay->CheckBox3->Checked());
    EXPECT_TRUE(relay->CheckBox4->Checked());
    // Without its line the port is the default again.
    SettingsFolder::Put(four);
    dialog->ReadSettings();
    EXPECT_EQ(relay->Edit1->Text(), "7300");
    EXPECT_FALSE(relay->CheckBox3->Checked());
}

// A bad entry is refused before anything is stored or taken; a good list is
// stored after every older line, by this dialog's closing and by the others';
// a file without the lines clears the controls, one with them sets them; the
// two switches are apart in the file and in effect, and stored only when on.
TEST_F(SettingsDialogTest, TheWatchListIsCheckedThenStoredAfterEveryOtherLine) {
    TForm4* relay = MakeRelayDialog();
    TForm5* watch = MakeWatchDialog();
    const std::string four = "[COMPort]Com4\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n";
    SettingsFolder::Put(four);
    dialog->ReadSettings();
    relay->CheckBox5->SetChecked(true);
    ShowModal(watch, {[&] {
                          widgets.TypeText(watch->Edit1, " 3y0j, VP8** ");
                          widgets.Click(watch->CheckBox1);
                          widgets.Click(watch->BitBtn1);
                      },
                      [&] {
                          EXPECT_EQ(BoxTexts(), Texts{"Virheellinen tunnus: VP8**"});
                          EXPECT_EQ(SettingsFolder::Get(), four);
                          EXPECT_FALSE(watch->Watch().Matches("3Y0J") || watch->FlashOn());
                          widgets.TypeText(watch->Edit1, " 3y0j,  VP8*\t");
                          widgets.Click(watch->CheckBox2);
                          widgets.Click(watch->BitBtn1);
                      }});
    const std::string flashing = four + "[Uudelleen]1\r\n[Seuraa]3y0j,  VP8*\r\n[Vilkuta]1\r\n";
    const std::string stored = flashing + "[Hiljaa]1\r\n";
    EXPECT_EQ(SettingsFolder::Get(), stored);
    EXPECT_TRUE(watch->Watch().Matches("VP8/G3ABC") && watch->FlashOn() && watch->SoundsOff());

    SettingsFolder::Put(four);
    dialog->ReadSettings();
    EXPECT_EQ(watch->Edit1->Text(), "");
    EXPECT_FALSE(watch->CheckBox1->Checked() || watch->CheckBox2->Checked());
    SettingsFolder::Put(stored);
    dialog->ReadSettings();
    EXPECT_EQ(watch->Edit1->Text(), "3y0j,  VP8*");
    EXPECT_TRUE(watch->CheckBox1->Checked() && watch->CheckBox2->Checked());
    ShowModal({[&] {
        watch->CheckBox2->SetChecked(false);
        widgets.Click(dialog->BitBtn1);
    }});
    EXPECT_EQ(SettingsFolder::Get(), flashing);

    // Flash off, sounds off again, and a text of separators only, which holds
    // no entry.
    ShowModal(watch, {[&] {
                  widgets.TypeText(watch->Edit1, " , , ");
                  widgets.Click(watch->CheckBox1);
                  widgets.Click(watch->CheckBox2);
                  relay->CheckBox5->SetChecked(false);
                  widgets.PressCloseBox(watch);
              }});
    EXPECT_EQ(SettingsFolder::Get(), four + "[Hiljaa]1\r\n");
    EXPECT_TRUE(watch->Watch().Empty());
    EXPECT_FALSE(watch->FlashOn());
    EXPECT_TRUE(watch->SoundsOff());
    EXPECT_EQ(widgets.messageBoxes.size(), 1u);
}

// The port's range is 1-65535, both ends included (what a refused port does
// to the dialog is shown above).
TEST_F(SettingsDialogTest, TheNodePortRangeIs1To65535) {
    TForm4* relay = MakeRelayDialog();
    for (const int port : {1, 65535}) {
        relay->Edit1->SetText(std::to_string(port));
        EXPECT_EQ(relay->ClusterPort(), port);
    }
    for (const char* text : {"0", "65536"}) {
        relay->Edit1->SetText(text);
        EXPECT_THROW(relay->ClusterPort(), Exception) << text;
    }
}

}  // namespace
