// The simulator's command-line options, the choice between the lively demo
// page and scripted control, and the --help text that documents both and
// every control command. Portable, host-tested.
// ParseOptions throws EOptionError (an Exception) for a bad command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rtl/sysutils.h"

namespace vtsim {

class EOptionError : public Exception {
  public:
    using Exception::Exception;
};

struct Options {
    bool help = false;
    std::vector<std::string> scripts;
    bool demo = false;
    bool no_stdin = false;
    bool quit_on_eof = false;
    std::string log_file;
    std::string service = "VTplus";
    std::string topic = "590";
    std::string item = "10,10,,,B(0/5/39/23)";
    int interval_ms = 4000;
    bool seed_given = false;
    std::uint32_t seed = 0;
};

// `args` excludes the program name.
Options ParseOptions(const std::vector<std::string>& args);

// Splits an argument line at blanks; double quotes group blanks into one
// argument (for the VTSIM_ARGS environment variable).
std::vector<std::string> SplitArguments(const std::string& line);

// What standard input is: Character is a console, a terminal or NUL.
enum class StdinKind { Pipe, File, Character, None };

struct StartMode {
    bool demo = false;
    bool read_stdin = false;
};

// Standard input is read unless --no-stdin, or the program was started by
// another program's start command (shown minimised: its input is not ours).
// The demo runs with --demo, or when no script was given and no commands can
// come from a pipe or file on standard input.
StartMode ChooseStartMode(const Options& options, StdinKind stdin_kind, bool started_minimised);

std::string HelpText();

}  // namespace vtsim
