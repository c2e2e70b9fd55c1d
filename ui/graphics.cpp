// Colour identifiers of stored layouts and the font property.
#include "ui/graphics.h"

#include <cstdlib>
#include <utility>

namespace {

struct NamedColor {
    const char* name;
    TColor color;
};

constexpr NamedColor kColors[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clWindowText", clWindowText},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clBtnHighlight", clBtnHighlight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
};

}  // namespace

bool IdentToColor(const std::string& ident, TColor* color) {
    for (const NamedColor& named : kColors) {
        if (ident == named.name) {
            *color = named.color;
            return true;
        }
    }
    return false;
}

int FontHeightForSize(int points) {
    // Rounded like MulDiv: a 9-point font is 12 pixels, an 8-point one 11.
    const int scaled = points * 96;
    const int height = (std::abs(scaled) + 36) / 72;
    return scaled < 0 ? height : -height;
}

void TFont::Assign(const TPersistent* Source) {
    if (const auto* font = dynamic_cast<const TFont*>(Source)) {
        SetData(font->data_);
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::SetData(const TFontData& data) {
    if (data == data_) return;
    data_ = data;
    Changed();
}

void TFont::SetName(const std::string& name) {
    if (name == data_.Name) return;
    data_.Name = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == data_.Height) return;
    data_.Height = height;
    Changed();
}

int TFont::Size() const {
    const int scaled = data_.Height * 72;
    const int size = (std::abs(scaled) + 48) / 96;
    return data_.Height < 0 ? size : -size;
}

void TFont::SetColor(TColor color) {
    if (color == data_.Color) return;
    data_.Color = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == data_.Style) return;
    data_.Style = style;
    Changed();
}

void TFont::Changed() {
    RaiseEvent(OnChange, this);
}
