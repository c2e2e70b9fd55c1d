// The DX-cluster line of an accepted spot row: the line that logging
// programs read from a cluster node, e.g.
//   DX de Q9ZZZ:      7025.0  Q1AAA        cq dx                          1305Z
// followed by CR LF. Parsing and formatting are apart, so that another
// output (a telnet node) can lay the same fields out in its own way.
//
// Pure functions; any thread. They throw nothing beyond allocation. Bytes
// pass through unchanged: calls and comments may hold 8-bit characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/locale.h"

// The fields of one spot as a cluster gives them.
struct DxSpot {
    std::int32_t frequencyKhz = 0;  // whole kHz, as the row gives it
    std::string dxCall;
    std::string comment;   // blanks at both ends removed
    std::string spotter;   // "VARELI" when the row names none
    std::string timeHhmm;  // UTC, four digits
};

// The spotter named when a row has none: the spot came through this program.
extern const char* const kOwnSpotter;

// The fields of a spot row (a 42-character unit, or a shorter last one):
// the frequency as the band filter reads it; the DX call from column 8 up to
// the first blank (a long call runs on into the comment's columns); the
// comment, the rest up to column 28, trimmed; the spotter, columns 30-35,
// trimmed; the time, columns 37-40 when they hold four digits, else
// `utcHhmm` (the current UTC time as HHMM, see HhmmOf). No spot when the
// frequency reads 0 or less or the row has no DX call.
std::optional<DxSpot> ParseSpotRow(const std::string& row, const std::string& utcHhmm);

// The cluster line (columns counted from 1): "DX de ", the spotter and ":";
// the frequency with one decimal, ending at column 24 with at least one
// blank before it; two blanks; the DX call padded to 12 characters (a longer
// one whole); one blank; the comment, cut to end by column 69 (30
// characters when the fields before it keep their widths); blanks up to
// column 70; the time HHMM and "Z" in columns 71-75; CR LF.
// Logging programs read the time from columns 71-75, so it stays there
// whenever the fields before it leave room: a longer DX call, or a spotter
// long enough to push the frequency on, takes its extra characters from the
// comment (and none of the comment is written when none fits). Only when
// the spotter, frequency and DX call reach column 70 themselves does the
// time follow them after one blank, further on.
std::string FormatDxLine(const DxSpot& spot);

// ParseSpotRow and FormatDxLine in one call; no line for a row without one.
std::optional<std::string> DxLine(const std::string& row, const std::string& utcHhmm);

// "HHMM" of a clock reading, e.g. of ILocale::GetSystemTime() for the
// fallback time of ParseSpotRow.
std::string HhmmOf(const LocalTime& time);
