// Spot rows made up for the benchmarks: each serial number gives a row no
// other serial gives (its DX call spells the serial), inside a band of
// 1800-29999 kHz, never an "OH" call, laid out as the decoder lays out its
// page (frequency right-aligned in columns 1-6, DX call from column 8, comment
// from 15, spotter from 30, time in 37-40, then the two blanks the DDE link
// makes of the line end). Also the simulator's "spot" command for the same row.
//
// Pure functions; any thread; throw nothing beyond allocation.
#pragma once

#include <string>
#include <vector>

// The 42-character row of serial (0 <= serial < 26^5).
std::string BenchSpotRow(int serial);

// The simulator command that puts BenchSpotRow(serial) in page row `row`.
std::string BenchSpotCommand(int row, int serial);

// The item text of a page holding these rows, one after another.
std::string BenchBlockText(const std::vector<std::string>& rows);
