// The lines a telnet client types, one byte at a time: telnet commands and
// option negotiation (IAC sequences, subnegotiations to IAC SE) are skipped,
// IAC IAC is the data byte 255, and a line ends with CR, LF or CR LF (CR NUL
// too, as telnet sends a bare CR). A line that runs past the limit without
// an end is reported at once, so the node need not wait for the end.
//
// Owned by one connection; no thread of its own; throws only on allocation.
#pragma once

#include <cstddef>
#include <string>

class TelnetLines {
  public:
    enum class Step { None, Line, TooLong };

    // limit: the most bytes a client may send without a line end.
    explicit TelnetLines(std::size_t limit) : limit_(limit) {}

    // Takes one byte from the client. Line: it ended a line, whose text
    // Line() holds until the next Take. TooLong: more than `limit` bytes
    // came without a line end (option bytes count, since they too are sent).
    Step Take(unsigned char byte);
    const std::string& Line() const { return line_; }

  private:
    enum class State { Data, Command, Option, Sub, SubCommand };

    std::size_t limit_;
    State state_ = State::Data;
    std::string line_;
    bool lineDone_ = false;
    bool afterCr_ = false;
    std::size_t sinceLineEnd_ = 0;
};
