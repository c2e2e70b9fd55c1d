// The kernel event objects over the ISync seam.
#include "CommObjs/events.h"

#include "platform/seam.h"

THandleObject::THandleObject() : sync_(Seam<ISync>::Get()) {}

THandleObject::~THandleObject() {
    sync_.CloseHandle(handle_);
}

TWaitResult TEvent::WaitFor(std::uint32_t Timeout) {
    switch (sync_.WaitForSingleObject(handle_, Timeout)) {
        case kWaitObject0:
            return wrSignaled;
        case kWaitTimeout:
            return wrTimeout;
        case kWaitAbandoned:
            return wrAbandoned;
        case kWaitFailed:
            lastError_ = static_cast<int>(sync_.GetLastError());
            return wrError;
        default:
            return wrError;
    }
}

void TEvent::SetEvent() {
    sync_.SetEvent(handle_);
}

void TEvent::ResetEvent() {
    sync_.ResetEvent(handle_);
}

TSimpleEvent::TSimpleEvent() {
    handle_ = sync_.CreateEventA(true, false, nullptr);
    // Read at once: the next call may change the thread's last error.
    if (handle_ == 0) lastError_ = static_cast<int>(sync_.GetLastError());
}
