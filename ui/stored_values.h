// Property values that several of the toolkit's classes read from layouts:
// colours, fonts, enumeration identifiers. Each raises EReadError("Invalid
// property value") for a value it cannot take.
#pragma once

#include <string>

#include "ui/graphics.h"
#include "ui/layout.h"

// An identifier such as clNavy, or a number 0x00BBGGRR.
TColor ColorValue(const TLayoutValue& value);

// Sets Font.Name, Font.Height, Font.Size, Font.Color, Font.Style (a set of
// fsBold, fsItalic, fsUnderline, fsStrikeOut) or Font.Charset (kept by the
// system's default); false for any other name.
bool ReadFontProperty(TFont& font, const std::string& name, const TLayoutValue& value);

// The position of the value's identifier among names; EReadError when absent.
int EnumValue(const TLayoutValue& value, std::initializer_list<const char*> names);
