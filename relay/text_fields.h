// Small text helpers the relay's line layouts and command reader share:
// trimming, a digits-only check, fields padded with blanks to a width, and
// zero-padded numbers.
// Pure functions; throw only on allocation.
#pragma once

#include <cstddef>
#include <string>

// text without any of the characters in `blanks` at either end.
std::string Trimmed(const std::string& text, const char* blanks);

// True when text is not empty and holds only the digits 0-9.
bool AllDigits(const std::string& text);

// Appends text and then blanks up to width (a longer text is written whole).
void AppendLeft(std::string& line, const std::string& text, std::size_t width);
// Appends blanks up to width and then text (a longer text is written whole).
void AppendRight(std::string& line, const std::string& text, std::size_t width);

// value in decimal with leading zeros up to width digits ("07" for 7, 2).
std::string ZeroPadded(int value, int width);
