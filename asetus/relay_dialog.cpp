// The "Välitys" dialog's stored layout (at 96 dpi, in the settings dialog's
// style) and its two handlers. The space under the check boxes is kept for
// the options still to come.
#include "asetus/relay_dialog.h"

#include "ui/glyphs.h"
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
        {{"Left", 362},
         {"Top", 250},
         {"Width", 281},
         {"Height", 208},
         {"BorderStyle", Ident("bsSizeable")},
         {"BorderIcons", SetOf({"biSystemMenu", "biMinimize", "biMaximize"})},
         {"Caption", "V\xE4litys"},
         {"Color", Ident("clBtnFace")},
         {"Font.Color", Ident("clWindowText")},
         {"Font.Height", -11},
         {"Font.Name", "MS Sans Serif"},
         {"Font.Style", SetOf({})},
         {"OnClose", Ident("FormClose")},
         {"PixelsPerInch", 96},
         {"TextHeight", 13}},
        {
            OptionBox("CheckBox1", 8, "Sarjaporttiin DX-klusterin muodossa", 0),
            OptionBox("CheckBox2", 32, "Tallenna vihjeet p\xE4iv\xE4tiedostoihin", 1),
            {"TBitBtn",
             "BitBtn1",
             {{"Left", 102},
              {"Top", 148},
              {"Width", 75},
              {"Height", 25},
              {"Caption", "OK"},
              {"TabOrder", 2},
              {"OnClick", Ident("BitBtn1Click")},
              {"Glyph", kGlyphCheck},
              {"NumGlyphs", 2}}},
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
