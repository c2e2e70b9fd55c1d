// The "Seuranta" dialog's stored layout (at 96 dpi, in the settings dialog's
// style) and its two handlers.
#include "asetus/watch_dialog.h"

#include "asetus/dialog_style.h"
#include "rtl/sysutils.h"
#include "ui/layout.h"

namespace {

const TLayoutObject& Form5Layout() {
    static const TLayoutObject layout{
        "TForm5",
        "Form5",
        DialogProperties("Seuranta", 362, 250, 281, 176),
        {
            {"TLabel",
             "Label1",
             {{"Left", 8},
              {"Top", 8},
              {"Width", 112},
              {"Height", 13},
              {"Caption", "Seurattavat tunnukset:"}}},
            {"TEdit",
             "Edit1",
             {{"Left", 8},
              {"Top", 24},
              {"Width", 257},
              {"Height", 21},
              {"TabOrder", 0},
              {"Text", ""}}},
            OptionBox("CheckBox1", 56, "Vilkuta ikkunaa, kun seurattava l\xF6ytyy", 1),
            OptionBox("CheckBox2", 80, "\xC4\xE4net pois", 2),
            OkButton(102, 112, 3),
        }};
    return layout;
}

}  // namespace

TForm5::TForm5(TComponent* AOwner) : TForm(AOwner) {
    TLayoutReader reader(this);
    reader.Field("Label1", &Label1);
    reader.Field("Edit1", &Edit1);
    reader.Field("CheckBox1", &CheckBox1);
    reader.Field("CheckBox2", &CheckBox2);
    reader.Field("BitBtn1", &BitBtn1);
    reader.Method("BitBtn1Click", this, &TForm5::BitBtn1Click);
    reader.Method("FormClose", this, &TForm5::FormClose);
    reader.Read(Form5Layout());
}

void TForm5::BitBtn1Click(TObject*) {
    Close();
}

void TForm5::FormClose(TObject*, TCloseAction&) {
    // The close action stays as proposed: the dialog is hidden, not destroyed.
    // A bad entry keeps it open, before anything is stored.
    if (const auto bad = WatchList::FirstBadEntry(Edit1->Text()))
        throw Exception("Virheellinen tunnus: " + *bad);
    if (StoreSettings) StoreSettings();
    TakeOptions();
}

void TForm5::TakeOptions() {
    watch_ = WatchList(Edit1->Text());
    flashOn_ = CheckBox1->Checked();
    soundsOff_ = CheckBox2->Checked();
}
