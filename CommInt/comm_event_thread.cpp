// The watcher thread of the serial component: what runs where, and how it ends.
//
// Main thread: the constructor (sets the device's event mask, creates the
// event, starts the thread), Stop, every hand-over (OnCommEvent), and the
// watcher's termination notice (OnTerminate, through Synchronize), which marks
// the TCommWatcherEnd record and closes a port left to it.
//
// Watcher thread: Execute. Each pass issues one overlapped WaitCommEvent and,
// when it goes on in the background, waits on the watcher's event until the
// system reports the wait complete (Stop signals the same event, so a wake-up
// alone does not say that the system is done with the record); an event with
// a non-empty mask is handed to the main thread, and the watcher blocks until
// the main thread has run it. Then the event is reset.
//
// How it ends: Stop sets the terminate flag and signals the event. The body
// leaves its loop at the top of the next pass; if its last WaitCommEvent may
// still be pending, it cancels it and waits until the record says the system
// is done with it and the mask field (both live in this object and its
// scope; the event alone cannot say so, Stop signals it too); then it
// purges the port's receive side. The component's Close waits for the
// termination notice (and then for the destructor to have freed the event)
// before it closes the port handle; and a hand-over that finds the terminate
// flag set calls nothing, so no handler runs for a wake-up caused by Stop.
//
// A driver that never ends the cancelled wait would hold Close for good, so
// Close waits a bounded time only (5 s). Past it, it closes the port, which
// lets a driver end the wait, and returns; the watcher is left to end on its
// own. Every call of the watcher's on the port runs under the end record's
// lock and not at all once Close has closed the port that way, so nothing
// here ever acts on a closed (and perhaps reused) handle. The record, the mask
// field and the event stay with the watcher until the system has let go of
// them, and go with it; if the system never does, they are never freed.
//
// No busy loop: a pass counts as idle unless the device made the watcher wait
// and then reported an event. Under wine on a pty WaitCommEvent fails at once
// with error 50 whenever the mask holds a modem-line event; otherwise it goes
// pending and ends about 2 ms later with error 995 and an empty mask, and while
// received characters sit unread (the component never reads) it reports
// EV_RXCHAR at once on every pass. After a few idle passes in a row the
// watcher pauses on its own event (the stop signal) before the next one,
// instead of spinning at above-normal priority. Events that come at once are
// still handed over; the device keeps what happens during a pause and reports
// it, gathered, at the next wait.
#include "CommInt/comm_event_thread.h"

#include "CommInt/comm_error.h"
#include "CommInt/overlapped_record.h"
#include "platform/seam.h"

TCommEventThread::TCommEventThread(std::uintptr_t ComHandle, TCommEventTypes Events)
    : comm_(Seam<IComm>::Get()), comHandle_(ComHandle), end_(std::make_shared<TCommWatcherEnd>()) {
    SetFreeOnTerminate(true);
    comm_.SetCommMask(comHandle_, EventMask(Events));
    event_ = std::make_unique<TSimpleEvent>();
    // Without it the loop below could wait for nothing and would spin; the
    // thread has not started yet, so raising leaves nothing behind.
    CheckEventMade(*event_);
    SetPriority(TThreadPriority::tpHigher);  // THREAD_PRIORITY_ABOVE_NORMAL
    // Runs on the main thread after the body, while this object still exists.
    OnTerminate = [end = end_, comm = &comm_](TObject*) {
        end->ended = true;
        if (end->portToClose != kInvalidHandleValue) {
            comm->CloseHandle(end->portToClose);
            end->portToClose = kInvalidHandleValue;
        }
    };
    Start();
}

TCommEventThread::~TCommEventThread() {
    event_.reset();
    end_->gone = true;
}

void TCommEventThread::Stop() {
    // The flag first: a signal that the system then clears by starting a
    // device wait is not lost, because the watcher looks at the flag again
    // after starting one. (Signalled first, the flag could come after that
    // look, and the watcher would wait for the device for good.)
    Terminate();
    event_->SetEvent();
}

template <class Call>
bool TCommEventThread::OnPort(const Call& call) {
    std::lock_guard<std::mutex> lock(end_->portLock);
    if (end_->portClosed) return false;
    call();
    return true;
}

void TCommEventThread::Execute() {
    ScopedOverlapped overlapped(comm_, event_->Handle());
    int idlePasses = 0;
    bool pending = false;  // a device wait is on and uses the record and the mask
    while (!Terminated()) {
        bool happened = false;
        bool waited = false;  // the device made us wait for this one
        if (!pending) {
            const bool issued = OnPort([&] {
                eventMask_ = 0;
                if (comm_.WaitCommEvent(comHandle_, &eventMask_, overlapped.Get()))
                    happened = true;
                else
                    pending = comm_.GetLastError() == kErrorIoPending;
            });
            if (!issued) break;  // Close gave up waiting and closed the port
            // Starting the wait cleared the event, and with it perhaps the
            // stop signal: the flag says so.
            if (pending && Terminated()) break;
        }
        if (pending && event_->WaitFor(kInfinite) == wrSignaled) {
            // Signalled by the device, or by Stop while the device wait is
            // still on; a new wait must not be issued over that one.
            // GetOverlappedResult reads the record (and waits on its event),
            // never the port handle, so it needs no OnPort.
            std::uint32_t transferred = 0;
            if (!comm_.GetOverlappedResult(comHandle_, overlapped.Get(), &transferred, false) &&
                comm_.GetLastError() == kErrorIoIncomplete) {
                event_->ResetEvent();
                continue;
            }
            pending = false;
            happened = true;
            waited = true;
        }
        const bool brought = happened && eventMask_ != 0;
        if (brought && !Terminated()) HandOver();
        if (brought && waited)
            idlePasses = 0;
        else
            ++idlePasses;
        if (happened) event_->ResetEvent();
        if (idlePasses >= kIdlePassesBeforePause && !Terminated()) event_->WaitFor(kIdlePauseMs);
    }
    if (pending) EndPendingWait(overlapped.Get());
    // Only the receive side: what Write has handed over must still go out.
    // Purging the transmit side too (PURGE_TXABORT, PURGE_TXCLEAR) throws
    // away written lines the other end has not taken yet; under wine on a pty
    // one open-write-close in eight lost its line that way. No write is ever
    // outstanding here (Write ends or cancels its own), so TXABORT had
    // nothing else to do.
    OnPort([&] { comm_.PurgeComm(comHandle_, kPurgeRxAbort | kPurgeRxClear); });
}

void TCommEventThread::HandOver() {
    Synchronize([this] {
        // Stop (a main-thread call too) has already run: the wake-up may be
        // its own, and the port is being closed. Nothing to report.
        if (Terminated()) return;
        end_->handingOver = true;
        try {
            if (OnCommEvent) OnCommEvent(this, eventMask_);
        } catch (...) {
            end_->handingOver = false;
            throw;
        }
        end_->handingOver = false;
    });
}

void TCommEventThread::EndPendingWait(std::uintptr_t overlapped) {
    OnPort([&] { comm_.CancelIo(comHandle_); });
    // Until the system is done with the record. The event is no proof of
    // that: Stop signals it too, and may do so only now (it raises the flag
    // first), and a wait on the event alone (GetOverlappedResult's own) would
    // then let the record and the mask field go while the system still
    // writes into them. So the record's state decides; the event, cleared
    // before each look, only says when to look again, and the timed wait
    // covers a completion whose signal the clearing took. A driver that does
    // not end the cancelled wait keeps the watcher here past Close's bound,
    // and Close then closes the port, which ends it on a driver that honours
    // that.
    std::uint32_t transferred = 0;
    for (;;) {
        event_->ResetEvent();
        if (comm_.GetOverlappedResult(comHandle_, overlapped, &transferred, false) ||
            comm_.GetLastError() != kErrorIoIncomplete)
            return;
        event_->WaitFor(kIdlePauseMs);
    }
}
