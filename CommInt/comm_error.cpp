// The message form of ECommError.
#include "CommInt/comm_error.h"

void RaiseCommError(const std::string& text, int errorCode) {
    throw ECommError(text + Format(" (Error: %d) ", errorCode), errorCode);
}
