// The "Välitys" dialog's stored layout (at 96 dpi, in the settings dialog's
// style) and its two handlers. The space under the check boxes is kept for
// the options still to come.
#include "asetus/relay_dialog.h"

#include "asetus/dialog_style.h"
#include "ui/layout.h"

namespace {

TLayoutObject OptionBox(const char* name, int top, const char* caption, int tabOrder) {
    return {"TCheckBox",
            name,
            {{"Left", 8},
             {"Top", top},
             {"Width", 257},
             {"Height", 17},
             {"Caption", caption},
             {"TabOrder", tabOrder}}};
}

const TLayoutObject& Form4Layout() {
    static const TLayoutObject layout{
        "TForm4",
        "Form4",
        DialogProperties("V\xE4litys", 362, 250, 281, 208),
        {
            OptionBox("CheckBox1", 8, "Sarjaporttiin DX-klusterin muodossa", 0),
            OptionBox("CheckBox2", 32, "Tallenna vihjeet p\xE4iv\xE4tiedostoihin", 1),
            OkButton(102, 148, 2),
        }};
    return layout;
}

}  // namespace

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) {
    TLayoutReader reader(this);
    reader.Field("CheckBox1", &CheckBox1);
    reader.Field("CheckBox2", &CheckBox2);
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
    if (StoreSettings) StoreSettings();
}
