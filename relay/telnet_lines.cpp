// Telnet line reading; see the header.
#include "relay/telnet_lines.h"

namespace {

constexpr unsigned char kIac = 255;
constexpr unsigned char kSe = 240;
constexpr unsigned char kSb = 250;
constexpr unsigned char kWill = 251;  // WILL, WONT, DO, DONT: 251-254, one option byte follows
constexpr unsigned char kCr = '\r';
constexpr unsigned char kLf = '\n';

}  // namespace

TelnetLines::Step TelnetLines::Take(unsigned char byte) {
    if (lineDone_) {
        line_.clear();
        lineDone_ = false;
    }
    const bool afterCr = afterCr_;
    afterCr_ = false;
    if (state_ == State::Data) {
        if (afterCr && (byte == kLf || byte == 0)) return Step::None;
        if (byte == kCr || byte == kLf) {
            afterCr_ = byte == kCr;
            sinceLineEnd_ = 0;
            lineDone_ = true;
            return Step::Line;
        }
    }
    if (++sinceLineEnd_ > limit_) return Step::TooLong;
    switch (state_) {
        case State::Data:
            if (byte == kIac)
                state_ = State::Command;
            else
                line_ += static_cast<char>(byte);
            break;
        case State::Command:
            if (byte == kIac) line_ += static_cast<char>(kIac);
            state_ = byte == kSb                     ? State::Sub
                     : byte >= kWill && byte != kIac ? State::Option
                                                     : State::Data;
            break;
        case State::Option:
            state_ = State::Data;
            break;
        case State::Sub:
            if (byte == kIac) state_ = State::SubCommand;
            break;
        case State::SubCommand:
            // IAC SE ends it; IAC IAC is a data byte inside it.
            state_ = byte == kSe ? State::Data : State::Sub;
            break;
    }
    return Step::None;
}
