// The pictures the program's buttons carry, as bitmap resources linked into
// the program (ui/win32/glyphs.rc). Each holds two images side by side, the
// normal one and the disabled one; the bottom-left pixel's colour is
// transparent.
#pragma once

// A check mark, 16 x 16 pixels, with a greyed disabled image.
constexpr const char* kGlyphCheck = "VARELI_GLYPH_CHECK";
constexpr int kGlyphCheckSize = 16;

// A red cross, 18 x 18 pixels, with a grey outlined cross as disabled image.
constexpr const char* kGlyphCross = "VARELI_GLYPH_CROSS";
constexpr int kGlyphCrossSize = 18;

constexpr int kGlyphImages = 2;
