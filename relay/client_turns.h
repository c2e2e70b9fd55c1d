// A cluster client's turns: when the node serves it, and the node's two rules
// on what it sends, each with its own words to the client.
//
// Turns. A notice, or the tick, gives a client one turn: it reads what it
// needs to handle up to 20 lines, and ends early once their answers pass
// 4 KiB. A turn that leaves data behind (lines not handled, or a full read:
// more waits, likely) holds the client: it is served by the tick alone until
// a read finds nothing, and not read on its notices, so Winsock posts no
// more of them and the message queue empties every turn of the loop.
//
// The pace rule: a client may send 20 lines a second, and run up to 200 lines
// ahead of that pace (a logger's burst of set/... lines, or what waited out a
// hiccup of the loop). Each line handled takes one from a credit of 200 that
// refills at 20 a second; the line that finds none closes the client with
// "Sorry, more than 20 lines a second, closing.": 200 lines at once are all
// answered and the 201st closes, 25 lines a second close it in about 40 s.
//
// The waiting rule: a client whose lines ask for more than its turns answer
// keeps its data waiting unread for ever. When for 10 s on end each of its
// turns ends with data left because their answers filled it, it is closed
// with "Sorry, too much waiting unread, closing." Lines that only come fast
// never count here: a held client's turn takes 20 lines of up to 256 bytes
// each tick, twice the pace, so one within the pace drains what a hiccup
// left waiting, however long its lines.
//
// One per connection, on the user-interface thread; throws nothing.
#pragma once

#include <chrono>
#include <optional>

class ClientTurns {
  public:
    using Time = std::chrono::steady_clock::time_point;

    static constexpr int kLinesPerSecond = 20;
    static constexpr int kLinesAhead = 200;
    static constexpr std::chrono::milliseconds kWaitingLimit{10000};
    static constexpr const char* kPaceWords = "Sorry, more than 20 lines a second, closing.\r\n";
    static constexpr const char* kWaitingWords = "Sorry, too much waiting unread, closing.\r\n";

    explicit ClientTurns(Time connected) : creditAt_(connected) {}

    // Served by the tick alone.
    bool Held() const { return held_; }
    // A line handled at `now`; false when it breaks the pace rule.
    bool TakeLine(Time now);
    // The end of a turn at `now`: `dataLeft` when it left data behind,
    // `answersFilled` when its answers filled it. False when the waiting rule
    // closes the client.
    bool EndTurn(bool dataLeft, bool answersFilled, Time now);

  private:
    bool held_ = false;
    double credit_ = kLinesAhead;
    Time creditAt_;
    std::optional<Time> behindSince_;  // since when its turns end filled by answers
};
