// Reading a call sign written with "/", one rule for the watch list and the
// country of a call: its parts, and which of them is the station's own call.
//
// Pure functions; any thread; nothing thrown beyond allocation.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The call split at every "/": "VP2E/OH2BH/P" -> VP2E, OH2BH, P; empty parts
// stay ("OH2BH/" -> OH2BH, ""); a call without "/" is its only part.
std::vector<std::string> CallParts(const std::string& call);

// Whether the part holds both a letter A-Z (upper case) and a digit.
bool HoldsLettersAndDigits(const std::string& part);

// The index of the station's own call among parts: the longest part that
// holds letters and digits, the first of equal ones; 0 when none does (and
// for no parts at all).
std::size_t OwnCallIndex(const std::vector<std::string>& parts);
