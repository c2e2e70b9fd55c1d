// Command-line options and help text; see options.h.
#include "simulator/options.h"

#include <cctype>

namespace vtsim {

namespace {

int Milliseconds(const std::string& option, const std::string& value) {
    if (value.empty() || value.size() > 7) throw EOptionError(option + " needs milliseconds");
    for (char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            throw EOptionError(
                Format("%s needs milliseconds, not '%s'", option.c_str(), value.c_str()));
        }
    }
    const int ms = std::stoi(value);
    if (ms < 10) throw EOptionError(option + " must be at least 10 ms");
    return ms;
}

std::uint32_t Seed(const std::string& value) {
    if (value.empty() || value.size() > 9) throw EOptionError("--seed needs a number");
    for (char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            throw EOptionError("--seed needs a number");
    }
    return static_cast<std::uint32_t>(std::stoul(value));
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw EOptionError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            options.help = true;
        } else if (arg == "--script") {
            options.scripts.push_back(value());
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--no-stdin") {
            options.no_stdin = true;
        } else if (arg == "--quit-on-eof") {
            options.quit_on_eof = true;
        } else if (arg == "--log") {
            options.log_file = value();
        } else if (arg == "--service") {
            options.service = value();
        } else if (arg == "--topic") {
            options.topic = value();
        } else if (arg == "--item") {
            options.item = value();
        } else if (arg == "--interval") {
            options.interval_ms = Milliseconds(arg, value());
        } else if (arg == "--seed") {
            options.seed = Seed(value());
            options.seed_given = true;
        } else {
            throw EOptionError("unknown option '" + arg + "' (see --help)");
        }
    }
    for (const std::string* name : {&options.service, &options.topic, &options.item}) {
        if (name->empty() || name->size() > 255) {
            throw EOptionError("DDE names must be 1 to 255 characters");
        }
    }
    return options;
}

std::vector<std::string> SplitArguments(const std::string& line) {
    std::vector<std::string> args;
    std::string current;
    bool in_arg = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            in_arg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (in_arg) args.push_back(current);
            current.clear();
            in_arg = false;
        } else {
            current += c;
            in_arg = true;
        }
    }
    if (in_arg) args.push_back(current);
    return args;
}

StartMode ChooseStartMode(const Options& options, StdinKind stdin_kind, bool started_minimised) {
    StartMode mode;
    mode.read_stdin = !options.no_stdin && !started_minimised && stdin_kind != StdinKind::None;
    const bool commands_from_stdin =
        mode.read_stdin && (stdin_kind == StdinKind::Pipe || stdin_kind == StdinKind::File);
    mode.demo = options.demo || (options.scripts.empty() && !commands_from_stdin);
    return mode;
}

std::string HelpText() {
    return R"HELP(VTSim - a teletext-decoder simulator: a DDE server for Vareli and its tests.

It serves service "VTplus", topic "590", item "10,10,,,B(0/5/39/23)": a block of
19 rows of 40 columns, each row ended by CR LF, the text ended by a zero byte,
as CF_TEXT. It accepts a warm or hot link on the item, answers requests with
the current text and announces every change with DdePostAdvise.
Copied as VTPlus.exe it is what Vareli's start command "VTPlus" launches.
It is a windowed program without a window, so that a program starting it
with WinExec waits until its service is registered. Its standard input and
output are those its parent gives it (a pipe, or the shell under wine);
started by hand on Windows it has neither: use --log, and end it with a
DDE execute of "quit".

Usage: VTSim [options]
  --script FILE    run the commands in FILE first (may be given again)
  --demo           serve the lively demo page (also with scripts/stdin)
  --no-stdin       do not read commands from standard input
  --quit-on-eof    quit when standard input ends (default: keep serving)
  --log FILE       also append every event line to FILE
  --service NAME   DDE service name (default VTplus)
  --topic NAME     DDE topic (default 590)
  --item NAME      the one item served (default 10,10,,,B(0/5/39/23))
  --interval MS    demo: milliseconds between new spots (default 4000)
  --seed N         demo: seed of the made-up spots (default: the clock)
  --help           this text
When there are no arguments, the environment variable VTSIM_ARGS, if set,
is read as the argument line (so a copy started as "VTPlus" can be set up).

Start: standard input is read for commands unless --no-stdin is given or the
program was started minimised by another program's start command (as Vareli
starts VTPlus). The demo page runs when --demo is given, or when there is no
--script and standard input is not a pipe or a file: so VTSim run by hand,
or VTPlus started by Vareli, serves the demo; VTSim fed by a pipe is scripted.

Commands, one per line, from --script files first, then standard input, and
also from DDE executes on the topic (several lines allowed). Blank lines and
lines starting with # are ignored. Changing rows or settings announces
nothing: "notify" announces, so a test can change many rows and announce
once, or announce with the text unchanged.
  row N TEXT            set row N (0-18) to TEXT, padded or cut to 40 columns
                        (TEXT is everything after the one blank after N)
  rowx N TEXT           as row, with \xHH for any byte and \\ for a backslash
  rows FILE             set every row from the lines of FILE (blank if missing)
  clear                 set every row blank
  spot N FREQ DXCALL [COMMENT...] SPOTTER HHMM
                        set row N to a spot row: FREQ right-aligned in
                        columns 1-6, DXCALL from column 8, COMMENT from 15,
                        SPOTTER in 30-35, HHMM in 37-40
  raw TEXT              serve TEXT (with \xHH escapes) instead of the block
  block                 serve the block again after raw
  notify                announce a change (DdePostAdvise), text unchanged
  delay MS              answer each request MS ms late (over 1000 ms the
                        client times out); 0 answers at once
  refuse-advise on|off  refuse warm/hot links (XTYP_ADVSTART)
  refuse-request on|off refuse requests (no data)
  refuse-connect on|off refuse new conversations
  empty on|off          serve an empty text: just the zero byte
  lf on|off             end rows with a lone LF instead of CR LF
  nozero on|off         serve the text without its ending zero byte
  sleep MS              hold back the following commands MS ms (DDE is
                        still served meanwhile)
  demo on|off           fill the page with made-up spots and scroll a new
                        one in every --interval ms, announcing each change
  echo TEXT             print TEXT as an event line (to sync with a test)
  hangup                end every conversation from the server's side (by
                        leaving DDEML and registering again at once)
  quit                  DdeUninitialize and exit at once, even mid-conversation

Events, one line each on standard output, flushed at once; the first word
names the event, details follow:
  ready                 the service is registered; commands run from now on
  connect TOPIC         a conversation was accepted
  connect-refused TOPIC a conversation was refused
  wildconnect TOPIC     a connect naming no service or topic was answered
  disconnect            a conversation ended
  advstart ITEM         a link was accepted (advstart-refused ITEM: refused)
  advstop ITEM          a link ended
  request ITEM          a request arrived (request-refused ITEM: refused)
  advreq ITEM           DDEML asked for the data of a link after a notice
  notify                a change was announced (notify-failed: DdePostAdvise failed)
  execute LINE          a line arrived by DDE execute
  hangup N              N conversations were ended by hangup
  eof                   standard input ended (after its last line has run)
  error MESSAGE         a command failed; the server goes on
  quit                  the server is leaving
)HELP";
}

}  // namespace vtsim
