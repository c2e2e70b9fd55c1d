// The spot block's text as the program consumes it: cut into 42-character
// spot rows (a row's 40 columns and its line end, turned into two blanks by
// the DDE link), and a row's columns read: the frequency, the DX call, the
// comment, the spotter and the time. Columns are counted from 1.
//
// Pure functions; main thread by use, but nothing here holds state. They
// throw nothing beyond allocation.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr std::size_t kSpotRowLength = 42;

// Hands each unit of text to handle, in order: the first 42 characters of the
// rest while more than one character remains. A short last unit of 2-41
// characters is handed on like any row; a single last character is dropped.
// The walk reads text as it was when called: a handler that changes the
// caller's string does not change the rows.
void ForEachSpotRow(const std::string& text, const std::function<void(const std::string&)>& handle);

// Every unit ForEachSpotRow would hand on.
std::vector<std::string> SpotRows(const std::string& text);

// Columns 1-6 of row by the lenient integer reading: 0 when they do not hold
// a whole number (all blanks, a letter, a blank after the digits, out of the
// 32-bit range).
std::int32_t ReadFrequency(const std::string& row);

// Column 8 up to the first blank: the DX call (a long call runs on into the
// comment's columns). Empty when column 8 is blank or the row ends before it.
std::string ReadDxCall(const std::string& row);

// What follows the DX call up to column 28, without blanks at either end;
// empty when the call reaches column 28.
std::string ReadComment(const std::string& row);

// Columns 30-35 without blanks at either end; empty when the row names no
// spotter.
std::string ReadSpotter(const std::string& row);

// Columns 37-40 when they hold four digits (the spot's UTC time HHMM), else
// empty.
std::string ReadSpotTime(const std::string& row);
