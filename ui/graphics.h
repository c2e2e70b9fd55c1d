// Colours and fonts of the window toolkit, as plain values the peers turn into
// the platform's brushes and fonts.
//
// A TColor is 0x00BBGGRR for an exact colour, or clSystemColor plus a system
// colour index (the COLOR_* numbers) for a colour the user's scheme decides;
// only a peer can turn the latter into red, green and blue.
// Font heights are in pixels, as a layout made at 96 pixels per inch records
// them: a negative height is the character height, a positive one the cell
// height. TFont belongs to the control or form that holds it; main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "rtl/classes.h"

using TColor = std::int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);

constexpr TColor MakeColor(int red, int green, int blue) {
    return static_cast<TColor>((static_cast<std::uint32_t>(blue & 0xFF) << 16) |
                               (static_cast<std::uint32_t>(green & 0xFF) << 8) |
                               static_cast<std::uint32_t>(red & 0xFF));
}
constexpr bool IsSystemColor(TColor color) {
    return (static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u;
}
constexpr int SystemColorIndex(TColor color) {
    return static_cast<int>(static_cast<std::uint32_t>(color) & 0xFFu);
}
constexpr int RedOf(TColor color) {
    return static_cast<int>(color & 0xFF);
}
constexpr int GreenOf(TColor color) {
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int BlueOf(TColor color) {
    return static_cast<int>((color >> 16) & 0xFF);
}

constexpr TColor clBlack = MakeColor(0, 0, 0);
constexpr TColor clMaroon = MakeColor(128, 0, 0);
constexpr TColor clGreen = MakeColor(0, 128, 0);
constexpr TColor clOlive = MakeColor(128, 128, 0);
constexpr TColor clNavy = MakeColor(0, 0, 128);
constexpr TColor clPurple = MakeColor(128, 0, 128);
constexpr TColor clTeal = MakeColor(0, 128, 128);
constexpr TColor clGray = MakeColor(128, 128, 128);
constexpr TColor clSilver = MakeColor(192, 192, 192);
constexpr TColor clRed = MakeColor(255, 0, 0);
constexpr TColor clLime = MakeColor(0, 255, 0);
constexpr TColor clYellow = MakeColor(255, 255, 0);
constexpr TColor clBlue = MakeColor(0, 0, 255);
constexpr TColor clFuchsia = MakeColor(255, 0, 255);
constexpr TColor clAqua = MakeColor(0, 255, 255);
constexpr TColor clWhite = MakeColor(255, 255, 255);

// The user's scheme, by the system's colour index.
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

// The colour an identifier of a stored layout names ("clNavy", "clBtnFace");
// false when it names none.
bool IdentToColor(const std::string& ident, TColor* color);

enum TFontStyle : unsigned {
    fsBold = 1u << 0,
    fsItalic = 1u << 1,
    fsUnderline = 1u << 2,
    fsStrikeOut = 1u << 3
};
using TFontStyles = unsigned;

// Everything a peer needs to make the font.
struct TFontData {
    std::string Name = "MS Sans Serif";
    int Height = -11;
    TColor Color = clWindowText;
    TFontStyles Style = 0;

    bool operator==(const TFontData& other) const {
        return Name == other.Name && Height == other.Height && Color == other.Color &&
               Style == other.Style;
    }
    bool operator!=(const TFontData& other) const { return !(*this == other); }
};

// The height a point size gives at the 96 pixels per inch layouts are made for.
int FontHeightForSize(int points);

// A font property; tells its holder of every change through OnChange.
class TFont : public TPersistent {
  public:
    const char* ClassName() const override { return "TFont"; }
    void Assign(const TPersistent* Source) override;

    const TFontData& Data() const { return data_; }
    void SetData(const TFontData& data);

    const std::string& Name() const { return data_.Name; }
    void SetName(const std::string& name);
    int Height() const { return data_.Height; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int points) { SetHeight(FontHeightForSize(points)); }
    TColor Color() const { return data_.Color; }
    void SetColor(TColor color);
    TFontStyles Style() const { return data_.Style; }
    void SetStyle(TFontStyles style);

    TNotifyEvent OnChange;

  private:
    void Changed();

    TFontData data_;
};
