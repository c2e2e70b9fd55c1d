// The text a rich-text view is given for its lines, made here once for every
// view: the in-memory one, and the Win32 one both as plain text and as RTF.
//
// The view stores each line end as one CR, whatever the line brought (CR LF,
// a lone CR, a lone LF each end a line), and one CR after each line. It holds
// every byte from 0x01 to 0xFF; a NUL it cannot hold (RichEdit cuts the text
// there), so a line with one is refused whole by every view.
//
// Pure functions; any thread; nothing is thrown.
#pragma once

#include <string>
#include <vector>

#include "ui/peers.h"

// Whether the view can hold the text: it has no NUL.
bool ViewHolds(const std::string& text);

// What appending the lines adds to the view: a CR first when the text before
// does not end in one (`lineOpen`), then each line with its line ends made
// one CR each, and a CR.
std::string AppendedText(const std::vector<TColoredLine>& lines, bool lineOpen);
