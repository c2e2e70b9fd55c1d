// One control line of the simulator, parsed. Lines come from a script file,
// standard input or a DDE execute; all share this grammar so a test can use
// whichever channel suits it. Portable, host-tested.
// Throws ECommandError (an Exception) for a line it cannot read.
#pragma once

#include <string>
#include <vector>

#include "rtl/sysutils.h"
#include "simulator/page.h"

namespace vtsim {

class ECommandError : public Exception {
  public:
    using Exception::Exception;
};

enum class Verb {
    None,  // blank line or "#" comment
    Row,
    RowEscaped,
    Rows,
    Clear,
    Spot,
    Raw,
    Block,
    Notify,
    Delay,
    RefuseAdvise,
    RefuseRequest,
    RefuseConnect,
    Empty,
    LoneLf,
    NoZero,
    Sleep,
    Demo,
    Echo,
    Hangup,
    Quit,
};

struct Command {
    Verb verb = Verb::None;
    int number = 0;     // row index or milliseconds
    bool flag = false;  // on|off
    std::string text;   // row text, file name, raw bytes or echo text
    SpotFields spot;
};

// Parses one line; a trailing CR is ignored so CR LF files work.
Command ParseCommand(std::string line);

// Turns "\xHH" into that byte and "\\" into one backslash; any other
// backslash sequence is an error.
std::string Unescape(const std::string& text);

// The command words, in the order the help text lists them.
const std::vector<std::string>& CommandWords();

}  // namespace vtsim
