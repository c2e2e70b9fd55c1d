// How the item link turns a data handle's bytes into the client item's
// lines: the text ends at the first zero byte, but never past the size DDEML
// reports (a server may send text with no zero byte); lines end at CR, LF or
// CR LF; control characters can be turned into blanks. Pure functions, no
// throws beyond allocation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The text of size bytes: up to the first zero byte, or all of them.
std::string DdeDataText(const std::uint8_t* bytes, std::uint32_t size);

// The lines of text: a line ends at CR, at LF or at CR LF; a break at the very
// end adds no empty line; an empty text has no line.
std::vector<std::string> SplitDdeLines(const std::string& text);

// text with every character of code 1 to 31 replaced by a blank.
std::string BlankControlChars(std::string text);
