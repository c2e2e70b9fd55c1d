// The settings dialog's stored layout (at 96 dpi) and its two handlers.
#include "asetus/settings_dialog.h"

#include "asetus/dialog_style.h"
#include "ui/layout.h"

namespace {

TLayoutObject LimitBox(const char* name, int left, int tabOrder) {
    return {"TComboBox",
            name,
            {{"Left", left},
             {"Top", 24},
             {"Width", 105},
             {"Height", 21},
             {"ItemHeight", 13},
             {"TabOrder", tabOrder},
             // Both limit boxes start with this text until a settings file
             // supplies a value.
             {"Text", "ComboBox1"},
             {"Items", StringList({"1800", "3500", "7000", "10000", "14000", "18000", "21000",
                                   "24000", "28000", "50000", "144000", "432000"})}}};
}

const TLayoutObject& Form3Layout() {
    static const TLayoutObject layout{
        "TForm3",
        "Form3",
        DialogProperties("Asetukset", 362, 278, 237, 152),
        {
            {"TLabel",
             "Label1",
             {{"Left", 8},
              {"Top", 8},
              {"Width", 72},
              {"Height", 13},
              {"Caption", "Taajuus alaraja"}}},
            {"TLabel",
             "Label2",
             {{"Left", 120},
              {"Top", 8},
              {"Width", 71},
              {"Height", 13},
              {"Caption", "Taajuus yl\xE4raja"}}},
            {"TLabel",
             "Label3",
             {{"Left", 8},
              {"Top", 48},
              {"Width", 83},
              {"Height", 13},
              {"Caption", "Tietoliikenneportti"}}},
            LimitBox("ComboBox1", 8, 0),
            LimitBox("ComboBox2", 120, 1),
            {"TComboBox",
             "ComboBox3",
             {{"Left", 8},
              {"Top", 64},
              {"Width", 105},
              {"Height", 21},
              {"ItemHeight", 13},
              {"TabOrder", 2},
              {"Text", "ComboBox3"},
              {"Items", StringList({"Com1", "Com2", "Com3", "Com4", "Com5", "Com6", "Com7", "Com8",
                                    "Com9"})}}},
            {"TCheckBox",
             "CheckBox1",
             {{"Left", 120},
              {"Top", 64},
              {"Width", 105},
              {"Height", 17},
              {"Caption", "Ohjaa porttiin"},
              {"TabOrder", 3}}},
            OkButton(80, 96, 4),
        }};
    return layout;
}

}  // namespace

TForm3::TForm3(TComponent* AOwner) : TForm(AOwner) {
    TLayoutReader reader(this);
    reader.Field("Label1", &Label1);
    reader.Field("Label2", &Label2);
    reader.Field("Label3", &Label3);
    reader.Field("ComboBox1", &ComboBox1);
    reader.Field("ComboBox2", &ComboBox2);
    reader.Field("ComboBox3", &ComboBox3);
    reader.Field("CheckBox1", &CheckBox1);
    reader.Field("BitBtn1", &BitBtn1);
    reader.Method("BitBtn1Click", this, &TForm3::BitBtn1Click);
    reader.Method("FormClose", this, &TForm3::FormClose);
    reader.Read(Form3Layout());
}

void TForm3::BitBtn1Click(TObject*) {
    Close();
}

void TForm3::FormClose(TObject*, TCloseAction&) {
    // The close action stays as proposed: the dialog is hidden, not destroyed.
    StoreSettings();
}

void TForm3::StoreSettings() {
    WriteSettingsFile(Controls());
    if (ReadSettings) ReadSettings();
}
