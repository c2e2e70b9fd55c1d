// The runtime's integer reading, in its two kinds. Grammar of both: leading
// blanks, an optional "+" or "-", then decimal digits, or hexadecimal digits
// after "$", "x" or "0x" (either case); nothing may follow the digits, not
// even a blank; the value must fit a 32-bit signed integer.
#pragma once

#include <cstdint>
#include <string>

// The lenient reading: the value, or 0 when the text does not follow the
// grammar. `ok` (optional) tells which.
std::int32_t ReadInteger(const std::string& text, bool* ok = nullptr);

// The strict conversion: raises EConvertError "'%s' is not a valid integer
// value" (the text in place of %s) when the text does not follow the grammar.
std::int32_t StrToInt(const std::string& text);
