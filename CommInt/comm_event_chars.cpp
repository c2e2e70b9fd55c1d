// The special characters and their one writer.
#include "CommInt/comm_event_chars.h"

TCommEventChars::TCommEventChars(TCommEventCharsOwner* Owner) : owner_(Owner) {}

void TCommEventChars::Assign(const TPersistent* Source) {
    if (const auto* other = dynamic_cast<const TCommEventChars*>(Source)) {
        xonChar_ = other->xonChar_;
        xoffChar_ = other->xoffChar_;
        errorChar_ = other->errorChar_;
        eofChar_ = other->eofChar_;
        evtChar_ = other->evtChar_;
        return;
    }
    TPersistent::Assign(Source);
}

void TCommEventChars::SetEventChar(int Index, char Value) {
    switch (Index) {
        case 1:
            xonChar_ = Value;
            break;
        case 2:
            xoffChar_ = Value;
            break;
        case 3:
            errorChar_ = Value;
            break;
        case 4:
            eofChar_ = Value;
            break;
        case 5:
            evtChar_ = Value;
            break;
        default:
            return;  // no such character: nothing changed, nothing to send
    }
    if (owner_ != nullptr) owner_->UpdateDataControlBlock();
}
