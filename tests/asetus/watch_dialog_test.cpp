// The "Seuranta" dialog's country and log options on the in-memory window
// system: the new controls as laid out, the country check on closing, the
// file dialog behind "Selaa...", the status lines, and what is put in effect.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog_fixture.h"

namespace {

class WatchDialogTest : public SettingsDialogTest {
  protected:
    WatchDialogTest() {
        SettingsFolder::Put(four);
        dialog->ReadSettings();
    }
    TMemoryFormPeer& WatchPeer() { return TMemoryWidgetSet::PeerOf(watch); }
    std::string Caption(TControl* control) {
        if (auto* label = dynamic_cast<TMemoryLabelPeer*>(control->Peer())) return label->caption;
        if (auto* check = dynamic_cast<TMemoryCheckBoxPeer*>(control->Peer()))
            return check->caption;
        return TMemoryWidgetSet::PeerOf<TMemoryButtonPeer>(control).caption;
    }

    TForm5* watch = MakeWatchDialog();
    const std::string four = "[COMPort]Com4\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n";
};

TEST_F(WatchDialogTest, TheNewControlsFollowTheOldOnesInCaptionAndTabOrder) {
    const std::vector<std::pair<TControl*, std::string>> captions = {
        {watch->Label1, "Seurattavat tunnukset:"},
        {watch->CheckBox1, "Vilkuta ikkunaa, kun seurattava l\xF6ytyy"},
        {watch->CheckBox2, "\xC4\xE4net pois"},
        {watch->Label2, "Seurattavat maat:"},
        {watch->CheckBox3, "N\xE4yt\xE4 maa"},
        {watch->Label3, ""},
        {watch->Label4, "ADIF-loki:"},
        {watch->BitBtn2, "Selaa..."},
        {watch->CheckBox4, "Uusi maa"},
        {watch->CheckBox5, "Uusi bandi"},
        {watch->CheckBox6, "Vain vahvistetut"},
        {watch->Label5, ""},
        {watch->BitBtn1, "OK"},
    };
    for (const auto& [control, caption] : captions)
        EXPECT_EQ(Caption(control), caption) << control->Name();
    const std::vector<TControl*> tabbed = {watch->Edit1,     watch->CheckBox1, watch->CheckBox2,
                                           watch->Edit2,     watch->CheckBox3, watch->Edit3,
                                           watch->BitBtn2,   watch->CheckBox4, watch->CheckBox5,
                                           watch->CheckBox6, watch->BitBtn1};
    for (size_t i = 0; i < tabbed.size(); ++i)
        EXPECT_EQ(tabbed[i]->TabOrder(), static_cast<int>(i)) << tabbed[i]->Name();
    // Grown below the old controls, which stay where they were.
    EXPECT_EQ(watch->CheckBox2->BoundsRect(), (TBounds{8, 80, 257, 17}));
    EXPECT_GT(watch->Edit2->Top(), watch->CheckBox2->Top());
    EXPECT_EQ(WatchPeer().caption, "Seuranta");
}

// An entry the country file does not know keeps the dialog open, by each way
// of closing, with nothing stored or taken; the hook gets the text as typed.
// (The frame ends the box text with its "." as it does every message.)
TEST_F(WatchDialogTest, AnUnknownCountryKeepsTheDialogOpenAndStoresNothing) {
    std::vector<std::string> asked;
    watch->FirstUnknownCountry = [&](const std::string& text) -> std::optional<std::string> {
        asked.push_back(text);
        if (text.find("xx") != std::string::npos) return std::string("xx");
        return std::nullopt;
    };
    int taken = 0;
    watch->OptionsTaken = [&] { ++taken; };
    auto stillOpen = [&](size_t boxes) {
        EXPECT_TRUE(WatchPeer().visible);
        EXPECT_EQ(BoxTexts(), Texts(boxes, "Tuntematon maa: xx."));
        EXPECT_EQ(SettingsFolder::Get(), four);
        EXPECT_FALSE(watch->ShowCountry());
        EXPECT_EQ(watch->CountryText(), "");
        EXPECT_EQ(taken, 0);
    };
    ShowModal(watch, {[&] {
                          widgets.TypeText(watch->Edit2, " VP8/g, xx ");
                          widgets.Click(watch->CheckBox3);
                          widgets.Click(watch->BitBtn1);
                      },
                      [&] {
                          stillOpen(1);
                          widgets.PressCloseBox(watch);
                      },
                      [&] {
                          stillOpen(2);
                          widgets.SystemMenuClose(watch);
                      },
                      [&] {
                          stillOpen(3);
                          widgets.TypeText(watch->Edit2, " VP8/g, 3y/B ");
                          widgets.Click(watch->BitBtn1);
                      }});
    EXPECT_FALSE(WatchPeer().visible);
    EXPECT_EQ(asked, (Texts{" VP8/g, xx ", " VP8/g, xx ", " VP8/g, xx ", " VP8/g, 3y/B "}));
    EXPECT_EQ(SettingsFolder::Get(), four + "[NaytaMaa]1\r\n[SeuraaMaat]VP8/g, 3y/B\r\n");
    EXPECT_TRUE(watch->ShowCountry());
    EXPECT_EQ(watch->CountryText(), "VP8/g, 3y/B");
    EXPECT_EQ(taken, 1);
}

// Each check alone: a bad call entry is refused without asking about the
// countries; good calls with an unknown country are refused for the country.
TEST_F(WatchDialogTest, TheCallCheckAndTheCountryCheckEachRefuseAlone) {
    int asked = 0;
    watch->FirstUnknownCountry = [&](const std::string& text) -> std::optional<std::string> {
        ++asked;
        if (text == "ZZ9") return text;
        return std::nullopt;
    };
    ShowModal(
        watch,
        {[&] {
             widgets.TypeText(watch->Edit1, "OH2BH, OH**");
             widgets.TypeText(watch->Edit2, "OJ0");
             widgets.Click(watch->BitBtn1);
         },
         [&] {
             EXPECT_EQ(BoxTexts(), Texts{"Virheellinen tunnus: OH**"});
             EXPECT_EQ(asked, 0);
             widgets.TypeText(watch->Edit1, "OH2BH");
             widgets.TypeText(watch->Edit2, "ZZ9");
             widgets.Click(watch->BitBtn1);
         },
         [&] {
             EXPECT_EQ(BoxTexts(), (Texts{"Virheellinen tunnus: OH**", "Tuntematon maa: ZZ9."}));
             EXPECT_EQ(asked, 1);
             EXPECT_EQ(SettingsFolder::Get(), four);
             widgets.TypeText(watch->Edit2, "OJ0");
             widgets.Click(watch->BitBtn1);
         }});
    EXPECT_EQ(SettingsFolder::Get(), four + "[Seuraa]OH2BH\r\n[SeuraaMaat]OJ0\r\n");
}

// Without the hook (no country file) what is typed is kept as typed.
TEST_F(WatchDialogTest, WithoutTheCheckAnyCountryTextIsKept) {
    ShowModal(watch, {[&] {
                  widgets.TypeText(watch->Edit2, "  no such, land\t");
                  widgets.PressCloseBox(watch);
              }});
    EXPECT_EQ(BoxTexts(), Texts{});
    EXPECT_EQ(SettingsFolder::Get(), four + "[SeuraaMaat]no such, land\r\n");
    EXPECT_EQ(watch->CountryText(), "no such, land");
}

// "Selaa..." asks the system's dialog, owned by "Seuranta", opening at the
// path typed so far; a chosen file goes into the edit, a cancel leaves it.
TEST_F(WatchDialogTest, BrowsingFillsThePathAndCancelLeavesIt) {
    std::optional<std::string> answer = std::string("C:\\Lokit\\oh2bh.adi");
    bool dialogModal = false;
    widgets.OnOpenFileDialog = [&](const TMemoryFileDialog&) {
        // Nothing else can be touched while it is open.
        try {
            widgets.Click(watch->CheckBox4);
        } catch (const std::logic_error&) {
            dialogModal = true;
        }
        return answer;
    };
    ShowModal(watch, {[&] {
                  widgets.TypeText(watch->Edit3, " vanha.adi ");
                  widgets.Click(watch->BitBtn2);
                  EXPECT_EQ(watch->Edit3->Text(), "C:\\Lokit\\oh2bh.adi");
                  answer = std::nullopt;
                  widgets.Click(watch->BitBtn2);
                  EXPECT_EQ(watch->Edit3->Text(), "C:\\Lokit\\oh2bh.adi");
                  EXPECT_EQ(watch->AdifPath(), "");
                  widgets.Click(watch->BitBtn1);
              }});
    EXPECT_TRUE(dialogModal);
    ASSERT_EQ(widgets.fileDialogs.size(), 2u);
    const TMemoryFileDialog& first = widgets.fileDialogs[0];
    EXPECT_EQ(first.Owner, "TForm5");
    EXPECT_EQ(first.Title, "Valitse ADIF-loki");
    ASSERT_EQ(first.Filters.size(), 2u);
    EXPECT_EQ(first.Filters[0].Caption, "ADIF-lokit (*.adi;*.adif)");
    EXPECT_EQ(first.Filters[0].Patterns, "*.adi;*.adif");
    EXPECT_EQ(first.Filters[1].Caption, "Kaikki tiedostot (*.*)");
    EXPECT_EQ(first.Filters[1].Patterns, "*.*");
    EXPECT_EQ(first.InitialPath, "vanha.adi");
    EXPECT_EQ(widgets.fileDialogs[1].InitialPath, "C:\\Lokit\\oh2bh.adi");
    EXPECT_EQ(SettingsFolder::Get(), four + "[ADIF]C:\\Lokit\\oh2bh.adi\r\n");
    EXPECT_EQ(watch->AdifPath(), "C:\\Lokit\\oh2bh.adi");
    EXPECT_EQ(BoxTexts(), Texts{});
}

// The main window sets the status lines at any time; each shows its own
// text, and a long one stays inside the dialog.
TEST_F(WatchDialogTest, TheStatusLinesShowWhatTheyAreGivenOpenOrNot) {
    const std::string absent =
        "Maatiedostoa cty.csv ei l\xF6ytynyt: maat eiv\xE4t ole k\xE4yt\xF6ss\xE4.";
    watch->SetCountryStatus(absent);
    EXPECT_EQ(Caption(watch->Label3), absent);
    EXPECT_EQ(Caption(watch->Label5), "");
    const TBounds before = watch->Label5->BoundsRect();
    ShowModal(watch, {[&] {
                  watch->SetLogStatus("Luettu 1234 yhteytt\xE4, ohitettu 2.");
                  watch->SetCountryStatus(std::string(200, 'C'));
                  widgets.Click(watch->BitBtn1);
              }});
    EXPECT_EQ(Caption(watch->Label5), "Luettu 1234 yhteytt\xE4, ohitettu 2.");
    EXPECT_EQ(Caption(watch->Label3), std::string(200, 'C'));
    EXPECT_EQ(watch->Label5->BoundsRect(), before);
    EXPECT_LE(watch->Label3->Left() + watch->Label3->Width(), watch->ClientWidth());
    // Closed: still set.
    watch->SetLogStatus("");
    EXPECT_EQ(Caption(watch->Label5), "");
}

// Each option is in effect only once taken, each alone; OptionsTaken runs
// when they are, at start-up's reading too.
TEST_F(WatchDialogTest, EachOptionIsInEffectOnceTakenAndTheHookSeesIt) {
    std::vector<std::string> seen;
    auto state = [&] {
        return std::string(watch->ShowCountry() ? "S" : "-") + (watch->NewCountryOn() ? "C" : "-") +
               (watch->NewBandOn() ? "B" : "-") + (watch->ConfirmedOnly() ? "Q" : "-") + "|" +
               watch->CountryText() + "|" + watch->AdifPath();
    };
    watch->OptionsTaken = [&] { seen.push_back(state()); };
    const std::vector<std::pair<TCheckBox*, std::string>> switches = {{watch->CheckBox3, "S---||"},
                                                                      {watch->CheckBox4, "-C--||"},
                                                                      {watch->CheckBox5, "--B-||"},
                                                                      {watch->CheckBox6, "---Q||"}};
    for (const auto& [box, expected] : switches) {
        box->SetChecked(true);
        EXPECT_EQ(state(), "----||") << box->Name();
        watch->TakeOptions();
        EXPECT_EQ(state(), expected) << box->Name();
        box->SetChecked(false);
        watch->TakeOptions();
    }
    watch->Edit2->SetText(" OJ0 ");
    watch->Edit3->SetText("\toh.adi ");
    watch->TakeOptions();
    EXPECT_EQ(state(), "----|OJ0|oh.adi");
    EXPECT_EQ(seen, (Texts{"S---||", "----||", "-C--||", "----||", "--B-||", "----||", "---Q||",
                           "----||", "----|OJ0|oh.adi"}));

    // The settings read at start-up come into effect the same way.
    SettingsFolder::Put(four + "[UusiBandi]1\r\n[ADIF]a.adi\r\n");
    dialog->ReadSettings();
    watch->TakeOptions();
    EXPECT_EQ(seen.back(), "--B-||a.adi");
}

}  // namespace
