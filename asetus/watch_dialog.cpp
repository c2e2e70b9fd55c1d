// The "Seuranta" dialog's stored layout (at 96 dpi, in the settings dialog's
// style), its handlers and the options it puts in effect.
#include "asetus/watch_dialog.h"

#include "asetus/dialog_style.h"
#include "rtl/sysutils.h"
#include "rtl/text_fields.h"
#include "ui/layout.h"

namespace {

// The dialog's width inside its frame less the margins: the edits and the
// status lines reach across it.
constexpr int kInnerWidth = 393;

TLayoutObject Caption(const char* name, int top, int width, const char* caption) {
    return {"TLabel",
            name,
            {{"Left", 8}, {"Top", top}, {"Width", width}, {"Height", 13}, {"Caption", caption}}};
}

// A status line of fixed width: a long path is cut at the dialog's edge
// instead of growing past it.
TLayoutObject StatusLine(const char* name, int top) {
    return {"TLabel",
            name,
            {{"Left", 8},
             {"Top", top},
             {"Width", kInnerWidth},
             {"Height", 13},
             {"AutoSize", false},
             {"Caption", ""}}};
}

TLayoutObject TextEdit(const char* name, int top, int width, int tabOrder) {
    return {"TEdit",
            name,
            {{"Left", 8},
             {"Top", top},
             {"Width", width},
             {"Height", 21},
             {"TabOrder", tabOrder},
             {"Text", ""}}};
}

const TLayoutObject& Form5Layout() {
    static const TLayoutObject layout{
        "TForm5",
        "Form5",
        DialogProperties("Seuranta", 300, 180, 417, 419),
        {
            Caption("Label1", 8, 112, "Seurattavat tunnukset:"),
            TextEdit("Edit1", 24, kInnerWidth, 0),
            OptionBox("CheckBox1", 56, "Vilkuta ikkunaa, kun seurattava l\xF6ytyy", 1),
            OptionBox("CheckBox2", 80, "\xC4\xE4net pois", 2),
            Caption("Label2", 112, 88, "Seurattavat maat:"),
            TextEdit("Edit2", 128, kInnerWidth, 3),
            OptionBox("CheckBox3", 160, "N\xE4yt\xE4 maa", 4),
            StatusLine("Label3", 184),
            Caption("Label4", 212, 52, "ADIF-loki:"),
            TextEdit("Edit3", 228, kInnerWidth - 83, 5),
            {"TBitBtn",
             "BitBtn2",
             {{"Left", 8 + kInnerWidth - 75},
              {"Top", 226},
              {"Width", 75},
              {"Height", 25},
              {"Caption", "Selaa..."},
              {"TabOrder", 6},
              {"OnClick", Ident("BitBtn2Click")}}},
            OptionBox("CheckBox4", 260, "Uusi maa", 7),
            OptionBox("CheckBox5", 284, "Uusi bandi", 8),
            OptionBox("CheckBox6", 308, "Vain vahvistetut", 9),
            StatusLine("Label5", 332),
            OkButton(8 + (kInnerWidth - 75) / 2, 360, 10),
        }};
    return layout;
}

constexpr const char* kBlanks = " \t";

}  // namespace

TForm5::TForm5(TComponent* AOwner) : TForm(AOwner) {
    TLayoutReader reader(this);
    reader.Field("Label1", &Label1);
    reader.Field("Edit1", &Edit1);
    reader.Field("CheckBox1", &CheckBox1);
    reader.Field("CheckBox2", &CheckBox2);
    reader.Field("Label2", &Label2);
    reader.Field("Edit2", &Edit2);
    reader.Field("CheckBox3", &CheckBox3);
    reader.Field("Label3", &Label3);
    reader.Field("Label4", &Label4);
    reader.Field("Edit3", &Edit3);
    reader.Field("BitBtn2", &BitBtn2);
    reader.Field("CheckBox4", &CheckBox4);
    reader.Field("CheckBox5", &CheckBox5);
    reader.Field("CheckBox6", &CheckBox6);
    reader.Field("Label5", &Label5);
    reader.Field("BitBtn1", &BitBtn1);
    reader.Method("BitBtn1Click", this, &TForm5::BitBtn1Click);
    reader.Method("BitBtn2Click", this, &TForm5::BitBtn2Click);
    reader.Method("FormClose", this, &TForm5::FormClose);
    reader.Read(Form5Layout());
}

void TForm5::BitBtn1Click(TObject*) {
    Close();
}

void TForm5::BitBtn2Click(TObject*) {
    // Opens where the path typed so far points; cancelled, the edit stays.
    const std::vector<TFileFilter> filters = {{"ADIF-lokit (*.adi;*.adif)", "*.adi;*.adif"},
                                              {"Kaikki tiedostot (*.*)", "*.*"}};
    const auto path = WidgetSet().OpenFileDialog(&FormPeer(), "Valitse ADIF-loki", filters,
                                                 Trimmed(Edit3->Text(), kBlanks));
    if (path) Edit3->SetText(*path);
}

void TForm5::FormClose(TObject*, TCloseAction&) {
    // The close action stays as proposed: the dialog is hidden, not destroyed.
    // A bad entry keeps it open, before anything is stored.
    if (const auto bad = WatchList::FirstBadEntry(Edit1->Text()))
        throw Exception("Virheellinen tunnus: " + *bad);
    if (FirstUnknownCountry) {
        if (const auto unknown = FirstUnknownCountry(Edit2->Text()))
            throw Exception("Tuntematon maa: " + *unknown);
    }
    if (StoreSettings) StoreSettings();
    TakeOptions();
}

void TForm5::TakeOptions() {
    watch_ = WatchList(Edit1->Text());
    flashOn_ = CheckBox1->Checked();
    soundsOff_ = CheckBox2->Checked();
    showCountry_ = CheckBox3->Checked();
    countryText_ = Trimmed(Edit2->Text(), kBlanks);
    adifPath_ = Trimmed(Edit3->Text(), kBlanks);
    newCountryOn_ = CheckBox4->Checked();
    newBandOn_ = CheckBox5->Checked();
    confirmedOnly_ = CheckBox6->Checked();
    if (OptionsTaken) OptionsTaken();
}

void TForm5::SetCountryStatus(const std::string& text) {
    Label3->SetCaption(text);
}

void TForm5::SetLogStatus(const std::string& text) {
    Label5->SetCaption(text);
}
