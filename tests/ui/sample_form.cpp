// The sample form's layout and handlers.
#include "sample_form.h"

#include "ui/glyphs.h"

const TLayoutObject& SampleLayout() {
    static const TLayoutObject layout{
        "TSampleForm",
        "SampleForm",
        {{"Left", 220},
         {"Top", 166},
         {"BorderStyle", Ident("bsSizeable")},
         {"BorderIcons", SetOf({"biSystemMenu", "biMinimize", "biMaximize"})},
         {"Caption", "Toolkit sample"},
         {"ClientHeight", 314},
         {"ClientWidth", 433},
         {"Color", Ident("clBtnFace")},
         {"Font.Color", Ident("clWindowText")},
         {"Font.Height", -11},
         {"Font.Name", "MS Sans Serif"},
         {"Font.Style", SetOf({})},
         {"Menu", Ident("MainMenu1")},
         {"OnClose", Ident("FormClose")},
         {"OnResize", Ident("FormResize")},
         {"OnShow", Ident("FormShow")},
         {"PixelsPerInch", 96},
         {"TextHeight", 13}},
        {
            {"TRichEdit",
             "memo1",
             {{"Left", 0},
              {"Top", 0},
              {"Width", 433},
              {"Height", 200},
              {"Color", Ident("clInfoBk")},
              {"Font.Color", Ident("clNavy")},
              {"Font.Height", -13},
              {"Font.Name", "Courier New"},
              {"ParentFont", false},
              {"ReadOnly", true},
              {"ScrollBars", Ident("ssVertical")},
              {"TabOrder", 0},
              {"WantReturns", false},
              {"WordWrap", false}}},
            {"TLabel",
             "Label1",
             {{"Left", 8},
              {"Top", 208},
              {"Width", 32},
              {"Height", 13},
              {"Caption", "Taajuus yl\xE4raja"}}},
            {"TLabel",
             "Label2",
             {{"Left", 0},
              {"Top", 294},
              {"Width", 51},
              {"Height", 13},
              {"AutoSize", false},
              {"Caption", "DDE link"},
              {"Color", Ident("clGreen")},
              {"Font.Color", Ident("clWhite")},
              {"Font.Height", -11},
              {"Font.Name", "MS Sans Serif"},
              {"Font.Style", SetOf({"fsBold"})},
              {"ParentColor", false},
              {"ParentFont", false},
              {"Transparent", false},
              {"Visible", false}}},
            {"TLabel",
             "Label3",
             {{"Left", 120}, {"Top", 280}, {"Caption", "Label3"}, {"Transparent", true}}},
            {"TComboBox",
             "ComboBox2",
             {{"Left", 120},
              {"Top", 224},
              {"Width", 105},
              {"Height", 21},
              {"ItemHeight", 13},
              {"TabOrder", 2},
              {"Text", "ComboBox1"},
              {"Items", StringList({"1800", "3500", "7000", "10000", "14000", "18000", "21000",
                                    "24000", "28000", "50000", "144000", "432000"})}}},
            {"TComboBox",
             "ComboBox1",
             {{"Left", 8},
              {"Top", 224},
              {"Width", 105},
              {"Height", 21},
              {"ItemHeight", 13},
              {"TabOrder", 1},
              {"Text", "ComboBox1"},
              {"Items", StringList({"Com1", "Com2", "Com3"})}}},
            {"TCheckBox",
             "CheckBox1",
             {{"Left", 240},
              {"Top", 226},
              {"Width", 105},
              {"Height", 17},
              {"Caption", "Ohjaa porttiin"},
              {"TabOrder", 3},
              {"OnClick", Ident("CheckBox1Click")}}},
            {"TBitBtn",
             "BitBtn1",
             {{"Left", 264},
              {"Top", 284},
              {"Width", 75},
              {"Height", 25},
              {"Caption", "OK"},
              {"TabOrder", 4},
              {"OnClick", Ident("BitBtn1Click")},
              {"Glyph", kGlyphCheck},
              {"NumGlyphs", 2}}},
            {"TBitBtn",
             "BitBtn2",
             {{"Left", 357},
              {"Top", 284},
              {"Width", 75},
              {"Height", 25},
              {"Caption", "Sulje"},
              {"TabOrder", 5},
              {"OnClick", Ident("BitBtn2Click")},
              {"Glyph", kGlyphCross},
              {"NumGlyphs", 2}}},
            {"TMainMenu",
             "MainMenu1",
             {},
             {{"TMenuItem",
               "Tiedosto1",
               {{"Caption", "Tiedosto"}},
               {{"TMenuItem",
                 "Asetukset1",
                 {{"Caption", "Asetukset"}, {"OnClick", Ident("Asetukset1Click")}}},
                {"TMenuItem",
                 "Sulje1",
                 {{"Caption", "Sulje"}, {"OnClick", Ident("Sulje1Click")}}}}}}},
        }};
    return layout;
}

TSampleForm::TSampleForm(TComponent* owner) : TForm(owner) {
    TLayoutReader reader(this);
    reader.Field("memo1", &memo1);
    reader.Field("Label1", &Label1);
    reader.Field("Label2", &Label2);
    reader.Field("Label3", &Label3);
    reader.Field("ComboBox1", &ComboBox1);
    reader.Field("ComboBox2", &ComboBox2);
    reader.Field("CheckBox1", &CheckBox1);
    reader.Field("BitBtn1", &BitBtn1);
    reader.Field("BitBtn2", &BitBtn2);
    reader.Field("MainMenu1", &MainMenu1);
    reader.Field("Tiedosto1", &Tiedosto1);
    reader.Field("Asetukset1", &Asetukset1);
    reader.Field("Sulje1", &Sulje1);
    reader.Method("FormShow", this, &TSampleForm::FormShow);
    reader.Method("FormResize", this, &TSampleForm::FormResize);
    reader.Method("FormClose", this, &TSampleForm::FormClose);
    reader.Method("BitBtn1Click", this, &TSampleForm::BitBtn1Click);
    reader.Method("BitBtn2Click", this, &TSampleForm::BitBtn2Click);
    reader.Method("CheckBox1Click", this, &TSampleForm::CheckBox1Click);
    reader.Method("Asetukset1Click", this, &TSampleForm::Asetukset1Click);
    reader.Method("Sulje1Click", this, &TSampleForm::Sulje1Click);
    reader.Read(SampleLayout());
}

void TSampleForm::Note(const std::string& handler) {
    log.push_back(handler);
    if (onHandler) onHandler(handler);
}

void TSampleForm::FormClose(TObject*, TCloseAction& action) {
    action = closeAction;
    Note("FormClose");
}
