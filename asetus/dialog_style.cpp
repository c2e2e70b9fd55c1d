// The dialogs' shared window properties and OK button.
#include "asetus/dialog_style.h"

#include "ui/glyphs.h"

std::vector<TLayoutProperty> DialogProperties(const char* caption, int left, int top, int width,
                                              int height) {
    return {{"Left", left},
            {"Top", top},
            {"Width", width},
            {"Height", height},
            {"BorderStyle", Ident("bsSizeable")},
            {"BorderIcons", SetOf({"biSystemMenu", "biMinimize", "biMaximize"})},
            {"Caption", caption},
            {"Color", Ident("clBtnFace")},
            {"Font.Color", Ident("clWindowText")},
            {"Font.Height", -11},
            {"Font.Name", "MS Sans Serif"},
            {"Font.Style", SetOf({})},
            {"OnClose", Ident("FormClose")},
            {"PixelsPerInch", 96},
            {"TextHeight", 13}};
}

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

TLayoutObject OkButton(int left, int top, int tabOrder) {
    return {"TBitBtn",
            "BitBtn1",
            {{"Left", left},
             {"Top", top},
             {"Width", 75},
             {"Height", 25},
             {"Caption", "OK"},
             {"TabOrder", tabOrder},
             {"OnClick", Ident("BitBtn1Click")},
             {"Glyph", kGlyphCheck},
             {"NumGlyphs", 2}}};
}
