// A client's turns on their own: the hold, the pace credit and its clock,
// the waiting clock, each at its exact bound.
#include "relay/client_turns.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

const ClientTurns::Time kStart{std::chrono::seconds(1000)};

// 200 at once, the 201st not; then one line for every 50 ms that passes,
// counted from the last line each time.
TEST(ClientTurns, TheCreditIs200AndRefillsAtTwentyASecond) {
    ClientTurns turns(kStart);
    for (int line = 1; line <= 200; ++line) ASSERT_TRUE(turns.TakeLine(kStart)) << line;
    EXPECT_FALSE(turns.TakeLine(kStart));

    ClientTurns refilled(kStart);
    for (int line = 0; line < 200; ++line) refilled.TakeLine(kStart);
    auto at = kStart;
    for (int line = 1; line <= 1000; ++line) {
        at += milliseconds(50);
        ASSERT_TRUE(refilled.TakeLine(at)) << line;  // at the pace, for ever
    }
    EXPECT_FALSE(refilled.TakeLine(at + milliseconds(49)));

    // A long silence fills it to 200, no more.
    ClientTurns rested(kStart);
    const auto later = kStart + std::chrono::hours(1);
    for (int line = 1; line <= 200; ++line) ASSERT_TRUE(rested.TakeLine(later)) << line;
    EXPECT_FALSE(rested.TakeLine(later));
}

// Held while turns leave data behind, whatever filled them; free once one
// leaves none.
TEST(ClientTurns, HeldWhileDataIsLeft) {
    ClientTurns turns(kStart);
    EXPECT_FALSE(turns.Held());
    EXPECT_TRUE(turns.EndTurn(true, false, kStart));
    EXPECT_TRUE(turns.Held());
    EXPECT_TRUE(turns.EndTurn(true, true, kStart));
    EXPECT_TRUE(turns.Held());
    EXPECT_TRUE(turns.EndTurn(false, true, kStart));  // filled, but nothing left
    EXPECT_FALSE(turns.Held());
}

// Turns that end with data left because answers filled them, for 10 s on
// end: 9,999 ms are allowed, 10 s are not. A turn that leaves nothing, or
// leaves data because of its lines alone, starts the clock again.
TEST(ClientTurns, TheWaitingClockRunsOnlyWhileAnswersFillTurnsOnEnd) {
    ClientTurns turns(kStart);
    EXPECT_TRUE(turns.EndTurn(true, true, kStart));
    EXPECT_TRUE(turns.EndTurn(true, true, kStart + milliseconds(9999)));
    EXPECT_FALSE(turns.EndTurn(true, true, kStart + milliseconds(10000)));

    for (bool dataLeft : {false, true}) {
        ClientTurns again(kStart);
        again.EndTurn(true, true, kStart);
        again.EndTurn(dataLeft, !dataLeft, kStart + milliseconds(9000));
        EXPECT_TRUE(again.EndTurn(true, true, kStart + milliseconds(10000)));
        EXPECT_TRUE(again.EndTurn(true, true, kStart + milliseconds(19999)));
        EXPECT_FALSE(again.EndTurn(true, true, kStart + milliseconds(20000)));
    }
}

}  // namespace
