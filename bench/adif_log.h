// A user's ADIF log made up for the benchmarks: a logging program's header,
// then QSOs with the calls of MASTER.SCP and the fields a logger writes
// (about 250 bytes a QSO).
#pragma once

#include <string>
#include <vector>

// The calls of a MASTER.SCP file, its "#" lines left out; none when it
// cannot be read.
std::vector<std::string> ScpCalls(const std::string& path);

// One QSO as a logging program writes it; `n` varies its band, mode, date
// and confirmation.
std::string QsoRecord(const std::string& call, unsigned n);

// The whole log: `qsos` QSOs with calls taken from `calls` (not empty).
std::string MakeLog(const std::vector<std::string>& calls, unsigned qsos);
