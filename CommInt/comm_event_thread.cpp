// The watcher thread of the serial component: what runs where, and how it ends.
//
// Main thread: the constructor (sets the device's event mask, creates the
// events, starts the thread), Stop, every hand-over (OnCommEvent), and the
// watcher's termination notice (OnTerminate, through Synchronize), which marks
// the TCommWatcherEnd record and closes a port left to it.
//
// Watcher thread: Execute. Each pass issues one overlapped WaitCommEvent and,
// when it goes on in the background, waits until the system signals the
// device wait's event; an event with a non-empty mask is handed to the main
// thread, and the watcher blocks until the main thread has run it.
//
// Two events, so that the device wait's one is signalled by the system alone:
// its signal is then proof that the system is done with the record and the
// mask field. Stop signals the other. (With one shared event a stop signal
// could pass for the end of a cancelled wait, and the record went while the
// system still wrote into it; and the record's own state is no proof either:
// wine's serial wait can end, write the mask and signal, and leave the record
// saying "pending" for good.) While a device wait is on, the watcher looks at
// the terminate flag every kStopPollMs, since it waits on the device's event.
//
// How it ends: Stop sets the terminate flag and signals the stop event. The
// body leaves its loop at the latest kStopPollMs later; if its last
// WaitCommEvent may still be pending, it cancels it and waits for the device
// wait's event; then it purges the port's receive side. The component's Close
// waits for the termination notice (and then for the destructor to have freed
// the events) before it closes the port handle; and a hand-over that finds the
// terminate flag set calls nothing, so no handler runs once Stop has run.
//
// A driver that never ends the cancelled wait would hold Close for good, so
// Close waits a bounded time only (5 s). Past it, it closes the port, which
// lets a driver end the wait, and returns; the watcher is left to end on its
// own. Every call of the watcher's on the port runs under the end record's
// lock and not at all once Close has closed the port that way, so nothing
// here ever acts on a closed (and perhaps reused) handle. The record, the mask
// field and the events stay with the watcher until the system has let go of
// them, and go with it; if the system never does, they are never freed.
//
// No busy loop: a pass counts as idle unless the device made the watcher wait
// and then reported an event. Under wine on a pty WaitCommEvent fails at once
// with error 50 whenever the mask holds a modem-line event; otherwise it goes
// pending and ends about 2 ms later with error 995 and an empty mask, and while
// received characters sit unread (the component never reads) it reports
// EV_RXCHAR at once on every pass. After a few idle passes in a row the
// watcher pauses on the stop event before the next one, instead of spinning
// at above-normal priority. Events that come at once are still handed over;
// the device keeps what happens during a pause and reports it, gathered, at
// the next wait.
#include "CommInt/comm_event_thread.h"

#include "CommInt/comm_error.h"
#include "CommInt/overlapped_record.h"
#include "platform/seam.h"

TCommEventThread::TCommEventThread(std::uintptr_t ComHandle, TCommEventTypes Events)
    : comm_(Seam<IComm>::Get()), comHandle_(ComHandle), end_(std::make_shared<TCommWatcherEnd>()) {
    SetFreeOnTerminate(true);
    comm_.SetCommMask(comHandle_, EventMask(Events));
    event_ = std::make_unique<TSimpleEvent>();
    stop_ = std::make_unique<TSimpleEvent>();
    // Without them the loop below could wait for nothing and would spin; the
    // thread has not started yet, so raising leaves nothing behind.
    CheckEventMade(*event_);
    CheckEventMade(*stop_);
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
    stop_.reset();
    end_->gone = true;
}

void TCommEventThread::Stop() {
    Terminate();
    stop_->SetEvent();
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
        }
        if (pending) {
            if (event_->WaitFor(kStopPollMs) != wrSignaled) continue;  // the flag again
            // Only the system signals this event: the wait is over, whatever
            // the record says. Waiting, GetOverlappedResult goes by the event
            // too, and it reads the record, never the port, so it needs no
            // OnPort.
            std::uint32_t transferred = 0;
            comm_.GetOverlappedResult(comHandle_, overlapped.Get(), &transferred, true);
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
        if (happened) event_->ResetEvent();  // nothing is outstanding on it now
        if (idlePasses >= kIdlePassesBeforePause && !Terminated()) stop_->WaitFor(kIdlePauseMs);
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
    // Until the system signals that it is done with the record: a driver that
    // does not end the cancelled wait keeps the watcher here past Close's
    // bound, and Close then closes the port, which ends it on a driver that
    // honours that.
    std::uint32_t transferred = 0;
    comm_.GetOverlappedResult(comHandle_, overlapped, &transferred, true);
}
