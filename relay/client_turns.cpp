// A cluster client's turns and the node's two rules; see the header.
#include "relay/client_turns.h"

#include <algorithm>

bool ClientTurns::TakeLine(Time now) {
    const double seconds = std::chrono::duration<double>(now - creditAt_).count();
    creditAt_ = now;
    credit_ = std::min<double>(kLinesAhead, credit_ + seconds * kLinesPerSecond) - 1;
    return credit_ >= 0;
}

bool ClientTurns::EndTurn(bool dataLeft, bool answersFilled, Time now) {
    held_ = dataLeft;
    if (!dataLeft || !answersFilled) {
        behindSince_.reset();
        return true;
    }
    if (!behindSince_) behindSince_ = now;
    return now - *behindSince_ < kWaitingLimit;
}
