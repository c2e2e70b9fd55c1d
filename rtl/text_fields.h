// Small text helpers for line layouts, readers and the settings file:
// trimming, a digits-only check, ASCII case, fields padded with blanks to a
// width, and zero-padded numbers.
// Pure functions; throw only on allocation.
#pragma once

#include <cstddef>
#include <string>

// text without any of the characters in `blanks` at either end.
std::string Trimmed(const std::string& text, const char* blanks);

// True when text is not empty and holds only the digits 0-9.
bool AllDigits(const std::string& text);

// text with the ASCII letters a-z in upper case (A-Z in lower case); other
// bytes, 8-bit ones too, stay as they are.
std::string UpperCase(std::string text);
std::string LowerCase(std::string text);

// Appends text and then blanks up to width (a longer text is written whole).
void AppendLeft(std::string& line, const std::string& text, std::size_t width);
// Appends blanks up to width and then text (a longer text is written whole).
void AppendRight(std::string& line, const std::string& text, std::size_t width);

// value in decimal with leading zeros up to width digits ("07" for 7, 2).
std::string ZeroPadded(int value, int width);
