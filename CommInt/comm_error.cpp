// The message form of ECommError.
#include "CommInt/comm_error.h"

#include "CommObjs/events.h"

void RaiseCommError(const std::string& text, int errorCode) {
    throw ECommError(text + Format(" (Error: %d) ", errorCode), errorCode);
}

void CheckEventMade(const TSimpleEvent& event) {
    if (event.Handle() == 0) RaiseCommError("Error creating event", event.LastError());
}
