// The entries of a list typed in the "Seuranta" dialog (watched calls,
// watched countries): separated by blanks (spaces, tabs) or commas.
//
// Pure; any thread; nothing thrown beyond allocation.
#pragma once

#include <string>
#include <vector>

// The entries as typed, in order; none for a text of separators only.
std::vector<std::string> ListEntries(const std::string& text);
