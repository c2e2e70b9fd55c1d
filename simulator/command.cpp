// Parsing of control lines; see command.h for the grammar's entry points and
// options.cpp for the help text that documents every word.
#include "simulator/command.h"

#include <cctype>
#include <cstdint>
#include <utility>

namespace vtsim {

namespace {

struct WordVerb {
    const char* word;
    Verb verb;
};

constexpr WordVerb kWords[] = {
    {"row", Verb::Row},
    {"rowx", Verb::RowEscaped},
    {"rows", Verb::Rows},
    {"clear", Verb::Clear},
    {"spot", Verb::Spot},
    {"raw", Verb::Raw},
    {"block", Verb::Block},
    {"notify", Verb::Notify},
    {"delay", Verb::Delay},
    {"refuse-advise", Verb::RefuseAdvise},
    {"refuse-request", Verb::RefuseRequest},
    {"refuse-connect", Verb::RefuseConnect},
    {"empty", Verb::Empty},
    {"lf", Verb::LoneLf},
    {"nozero", Verb::NoZero},
    {"sleep", Verb::Sleep},
    {"demo", Verb::Demo},
    {"echo", Verb::Echo},
    {"hangup", Verb::Hangup},
    {"quit", Verb::Quit},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits off the first blank-separated word; `rest` keeps everything after
// the single blank that ends it, so row texts keep their leading blanks.
std::string TakeWord(std::string& rest) {
    std::size_t start = 0;
    while (start < rest.size() && IsBlank(rest[start])) ++start;
    std::size_t end = start;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    std::string word = rest.substr(start, end - start);
    rest.erase(0, end < rest.size() ? end + 1 : end);
    return word;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string rest = text;
    for (;;) {
        std::string word = TakeWord(rest);
        if (word.empty()) break;
        words.push_back(std::move(word));
    }
    return words;
}

int Number(const std::string& word, const std::string& what, int limit) {
    if (word.empty()) throw ECommandError(what + " expected");
    std::int64_t value = 0;
    for (char c : word) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            throw ECommandError(Format("'%s' is not a valid %s", word.c_str(), what.c_str()));
        }
        value = value * 10 + (c - '0');
        if (value > limit) {
            throw ECommandError(Format("%s %s is over %d", what.c_str(), word.c_str(), limit));
        }
    }
    return static_cast<int>(value);
}

int RowIndex(std::string& rest) {
    return Number(TakeWord(rest), "row number", kPageRows - 1);
}

constexpr int kMaxMilliseconds = 3600 * 1000;

bool OnOff(const std::string& rest) {
    const auto words = Words(rest);
    if (words.size() == 1 && words[0] == "on") return true;
    if (words.size() == 1 && words[0] == "off") return false;
    throw ECommandError("on or off expected");
}

void NoArguments(const std::string& word, const std::string& rest) {
    if (!Words(rest).empty()) throw ECommandError(word + " takes no arguments");
}

std::string Trimmed(const std::string& text) {
    std::size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    return text.substr(start, end - start);
}

// spot N FREQ DX COMMENT... SPOTTER HHMM: the comment is whatever lies
// between the call and the last two words, inner blanks kept.
SpotFields ParseSpot(std::string rest) {
    SpotFields spot;
    spot.frequency = TakeWord(rest);
    spot.dx = TakeWord(rest);
    std::string middle = Trimmed(rest);
    const std::size_t time_start = middle.find_last_of(" \t");
    if (spot.dx.empty() || middle.empty() || time_start == std::string::npos) {
        throw ECommandError("spot needs N FREQ DXCALL [COMMENT] SPOTTER HHMM");
    }
    spot.time = middle.substr(time_start + 1);
    middle = Trimmed(middle.substr(0, time_start));
    const std::size_t spotter_start = middle.find_last_of(" \t");
    if (spotter_start == std::string::npos) {
        spot.spotter = middle;
    } else {
        spot.spotter = middle.substr(spotter_start + 1);
        spot.comment = Trimmed(middle.substr(0, spotter_start));
    }
    return spot;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
            continue;
        }
        if (i + 3 < text.size() && text[i + 1] == 'x' && HexDigit(text[i + 2]) >= 0 &&
            HexDigit(text[i + 3]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
            i += 3;
            continue;
        }
        throw ECommandError("bad escape at column " + std::to_string(i + 1) +
                            " (use \\xHH or \\\\)");
    }
    return out;
}

const std::vector<std::string>& CommandWords() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> list;
        for (const auto& entry : kWords) list.emplace_back(entry.word);
        return list;
    }();
    return words;
}

Command ParseCommand(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Command command;
    std::string rest = line;
    const std::string word = TakeWord(rest);
    if (word.empty() || word[0] == '#') return command;

    command.verb = Verb::None;
    bool known = false;
    for (const auto& entry : kWords) {
        if (word == entry.word) {
            command.verb = entry.verb;
            known = true;
        }
    }
    if (!known) throw ECommandError("unknown command '" + word + "'");

    switch (command.verb) {
        case Verb::Row:
            command.number = RowIndex(rest);
            command.text = rest;
            break;
        case Verb::RowEscaped:
            command.number = RowIndex(rest);
            command.text = Unescape(rest);
            break;
        case Verb::Rows:
            command.text = Trimmed(rest);
            if (command.text.empty()) throw ECommandError("rows needs a file name");
            break;
        case Verb::Spot:
            command.number = RowIndex(rest);
            command.spot = ParseSpot(rest);
            break;
        case Verb::Raw:
            command.text = Unescape(rest);
            break;
        case Verb::Echo:
            command.text = rest;
            break;
        case Verb::Delay:
        case Verb::Sleep: {
            const auto words = Words(rest);
            if (words.size() != 1) throw ECommandError(word + " needs one number of milliseconds");
            command.number = Number(words[0], "number of milliseconds", kMaxMilliseconds);
            break;
        }
        case Verb::RefuseAdvise:
        case Verb::RefuseRequest:
        case Verb::RefuseConnect:
        case Verb::Empty:
        case Verb::LoneLf:
        case Verb::NoZero:
        case Verb::Demo:
            command.flag = OnOff(rest);
            break;
        case Verb::Clear:
        case Verb::Block:
        case Verb::Notify:
        case Verb::Hangup:
        case Verb::Quit:
        case Verb::None:
            NoArguments(word, rest);
            break;
    }
    return command;
}

}  // namespace vtsim
