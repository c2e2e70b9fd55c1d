// The runtime's integer reading, in its two kinds. Grammar of both: leading
// blanks (the space character only), an optional "+" or "-", then decimal
// digits, or hexadecimal digits after "$", "x" or "0x" (the letters either
// case); nothing may follow the digits, not even a blank; the value must fit
// a 32-bit signed integer.
//
// The sign stands before the hexadecimal mark and applies to the value, so
// "-$10" is -16 and "-$80000000" is the smallest integer; "$80000000" and
// "$FFFFFFFF" are out of range, as their decimal spellings are: hexadecimal is
// another way of writing the same whole number, not a bit pattern.
//
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>

// The lenient reading: the value, or 0 when the text does not follow the
// grammar. `ok` (optional) tells which. Never throws.
std::int32_t ReadInteger(const std::string& text, bool* ok = nullptr);

// The strict conversion: raises EConvertError "'%s' is not a valid integer
// value" (the text in place of %s) when the text does not follow the grammar.
std::int32_t StrToInt(const std::string& text);
