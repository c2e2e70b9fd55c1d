// The characters a call sign is written with, one rule for every reader of
// calls: the watch list's entries and the cluster node's logins.
// Pure; any thread; nothing thrown.
#pragma once

// A letter A-Z in either case, a digit or "/". Only ASCII: 8-bit characters
// are no letters of a call sign, whatever the code page makes of them.
bool IsCallCharacter(char c);
