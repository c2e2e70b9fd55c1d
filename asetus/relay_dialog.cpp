// The "Välitys" dialog's stored layout (at 96 dpi, in the settings dialog's
// style), its two handlers and the port box's reading.
#include "asetus/relay_dialog.h"

#include <string>

#include "asetus/dialog_style.h"
#include "rtl/sysutils.h"
#include "ui/layout.h"

namespace {

const TLayoutObject& Form4Layout() {
    static const TLayoutObject layout{
        "TForm4",
        "Form4",
        DialogProperties("V\xE4litys", 362, 250, 281, 252),
        {
            OptionBox("CheckBox1", 8, "Sarjaporttiin DX-klusterin muodossa", 0),
            OptionBox("CheckBox2", 32, "Tallenna vihjeet p\xE4iv\xE4tiedostoihin", 1),
            OptionBox("CheckBox3", 64, "Jaa vihjeet DX-klusterina (telnet)", 2),
            {"TLabel",
             "Label1",
             {{"Left", 26}, {"Top", 90}, {"Width", 55}, {"Height", 13}, {"Caption", "TCP-portti"}}},
            {"TEdit",
             "Edit1",
             {{"Left", 88},
              {"Top", 86},
              {"Width", 57},
              {"Height", 21},
              {"TabOrder", 3},
              {"Text", kDefaultClusterPort}}},
            {"TCheckBox",
             "CheckBox4",
             {{"Left", 26},
              {"Top", 112},
              {"Width", 239},
              {"Height", 17},
              {"Caption", "Salli yhteydet muilta koneilta"},
              {"TabOrder", 4}}},
            {"TLabel",
             "Label2",
             {{"Left", 26},
              {"Top", 136},
              {"Width", 90},
              {"Height", 13},
              {"Caption", "Yhteyksi\xE4: 0"}}},
            OptionBox("CheckBox5", 160, "Yhdist\xE4 uudelleen, kun dekooderi palaa", 5),
            OkButton(102, 188, 6),
        }};
    return layout;
}

}  // namespace

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) {
    TLayoutReader reader(this);
    reader.Field("CheckBox1", &CheckBox1);
    reader.Field("CheckBox2", &CheckBox2);
    reader.Field("CheckBox3", &CheckBox3);
    reader.Field("Label1", &Label1);
    reader.Field("Edit1", &Edit1);
    reader.Field("CheckBox4", &CheckBox4);
    reader.Field("Label2", &Label2);
    reader.Field("CheckBox5", &CheckBox5);
    reader.Field("BitBtn1", &BitBtn1);
    reader.Method("BitBtn1Click", this, &TForm4::BitBtn1Click);
    reader.Method("FormClose", this, &TForm4::FormClose);
    reader.Read(Form4Layout());
}

void TForm4::BitBtn1Click(TObject*) {
    Close();
}

void TForm4::FormClose(TObject*, TCloseAction&) {
    // The close action stays as proposed: the dialog is hidden, not destroyed.
    // A port that is no port keeps it open, before anything is stored.
    ClusterPort();
    if (StoreSettings) StoreSettings();
    TakeOptions();
    if (SettingsChanged) SettingsChanged();
}

void TForm4::TakeOptions() {
    clusterLinesOn_ = CheckBox1->Checked();
    spotFileOn_ = CheckBox2->Checked();
    relinkOn_ = CheckBox5->Checked();
}

void TForm4::SetConnectionCount(int count) {
    Label2->SetCaption("Yhteyksi\xE4: " + std::to_string(count));
}

int TForm4::ClusterPort() const {
    const std::string text = Edit1->Text();
    const bool digits = !text.empty() && text.size() <= 5 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    const int port = digits ? std::stoi(text) : 0;
    if (port < 1 || port > 65535) throw Exception("TCP-portin on oltava luku 1-65535.");
    return port;
}
