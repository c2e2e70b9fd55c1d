// TDdeSrvrConv: the record of a conversation that an outside program has
// opened with this program under its own service name. It holds the topic and
// the conversation handle it is bound to (as that conversation's user handle);
// the program offers no server items, so it owns none.
//
// Owned by the DDE manager's list; main thread only; throws nothing.
#pragma once

#include <cstdint>
#include <string>

#include "rtl/classes.h"

class TDdeSrvrConv : public TObject {
  public:
    TDdeSrvrConv(std::uintptr_t conversation, std::string topic)
        : conversation_(conversation), topic_(std::move(topic)) {}

    std::uintptr_t Conversation() const { return conversation_; }
    const std::string& Topic() const { return topic_; }

  private:
    std::uintptr_t conversation_;
    std::string topic_;
};
