// Reading colours, fonts and enumeration identifiers from layout values.
#include "ui/stored_values.h"

TColor ColorValue(const TLayoutValue& value) {
    if (value.GetKind() == TLayoutValue::Kind::Integer) return value.AsInteger();
    TColor color = clBlack;
    if (!IdentToColor(value.AsIdent(), &color)) throw EReadError("Invalid property value");
    return color;
}

bool ReadFontProperty(TFont& font, const std::string& name, const TLayoutValue& value) {
    if (name == "Font.Name") {
        font.SetName(value.AsString());
    } else if (name == "Font.Height") {
        font.SetHeight(value.AsInteger());
    } else if (name == "Font.Size") {
        font.SetSize(value.AsInteger());
    } else if (name == "Font.Color") {
        font.SetColor(ColorValue(value));
    } else if (name == "Font.Style") {
        TFontStyles style = 0;
        for (const std::string& member : value.AsSet()) {
            style |= 1u << EnumValue(TLayoutValue::MakeIdent(member),
                                     {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
        }
        font.SetStyle(style);
    } else if (name == "Font.Charset") {
        // The system's default character set serves the code page the texts are in.
        value.AsIdent();
    } else {
        return false;
    }
    return true;
}

int EnumValue(const TLayoutValue& value, std::initializer_list<const char*> names) {
    const std::string& ident = value.AsIdent();
    int index = 0;
    for (const char* name : names) {
        if (ident == name) return index;
        ++index;
    }
    throw EReadError("Invalid property value");
}
