// The spot block's text as the program consumes it: cut into 42-character
// spot rows (a row's 40 columns and its line end, turned into two blanks by
// the DDE link), and the frequency read from a row's columns 1-6.
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
