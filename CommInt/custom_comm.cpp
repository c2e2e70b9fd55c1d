// The serial port component: opening, setting up, writing, event delivery and
// closing, over the IComm seam. Its watcher thread is in comm_event_thread.cpp.
#include "CommInt/custom_comm.h"

#include <cctype>
#include <chrono>
#include <mutex>
#include <thread>

#include "CommInt/overlapped_record.h"
#include "platform/seam.h"
#include "rtl/main_thread.h"

namespace {

// How long Close waits for a hand-over at a time while the watcher ends.
constexpr int kPollMs = 10;

// Leaves the write lock on every way out of Write.
class LockHeld {
  public:
    explicit LockHeld(TCriticalSection& lock) : lock_(lock) { lock_.Enter(); }
    ~LockHeld() { lock_.Leave(); }
    LockHeld(const LockHeld&) = delete;
    LockHeld& operator=(const LockHeld&) = delete;

  private:
    TCriticalSection& lock_;
};

// The name CreateFileA is given for a device name. The system finds the COM
// ports numbered 10 and up only in the device namespace ("\\.\COM10"; plain
// "COM10" fails with error 2), and every COM port can be named there, so a
// name of "COM" and a number, in any letter case, goes there. Anything else
// (another device, a path, a name already in that form) stays as written.
std::string SystemDeviceName(const std::string& name) {
    if (name.size() <= 3) return name;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return name;
    for (std::size_t i = 3; i < name.size(); ++i)
        if (std::isdigit(static_cast<unsigned char>(name[i])) == 0) return name;
    return "\\\\.\\" + name;
}

}  // namespace

TCustomComm::TCustomComm(TComponent* AOwner)
    : TComponent(AOwner),
      comm_(Seam<IComm>::Get()),
      writeEvent_(std::make_unique<TSimpleEvent>()),
      lock_(std::make_unique<TCriticalSection>()),
      eventChars_(std::make_unique<TCommEventChars>(this)) {}

TCustomComm::~TCustomComm() {
    Close();
    eventChars_.reset();
    writeEvent_.reset();
    lock_.reset();
}

int TCustomComm::LastError() const {
    return static_cast<int>(comm_.GetLastError());
}

void TCustomComm::CheckClosed() const {
    if (IsOpen()) RaiseCommError("Port already assigned (open)", -1);
}

void TCustomComm::Open() {
    CheckClosed();
    MakeWriteEvent();
    CreateHandle();
    if (!IsOpen()) return;
    TCommEventThread* watcher = nullptr;
    try {
        watcher = new TCommEventThread(comHandle_, monitorEvents_);  // frees itself
    } catch (...) {
        // No watcher, no open port.
        comm_.CloseHandle(comHandle_);
        comHandle_ = kInvalidHandleValue;
        throw;
    }
    watcher_ = watcher;
    watcherEnd_ = watcher->EndRecord();
    watcher->OnCommEvent = [this](TObject* Sender, std::uint32_t Mask) {
        HandleCommEvent(Sender, Mask);
    };
    UpdateCommTimeouts();
    UpdateDataControlBlock();
    if (!comm_.SetupComm(comHandle_, static_cast<std::uint32_t>(readBufSize_),
                         static_cast<std::uint32_t>(writeBufSize_)))
        RaiseCommError("Error initializing Read/Write Buffers", LastError());
}

void TCustomComm::MakeWriteEvent() {
    // The one made with the component failed: try again, since no write
    // could be waited for without it.
    if (writeEvent_->Handle() != 0) return;
    LockHeld held(*lock_);
    writeEvent_ = std::make_unique<TSimpleEvent>();
    CheckEventMade(*writeEvent_);
}

void TCustomComm::CreateHandle() {
    comHandle_ =
        comm_.CreateFileA(SystemDeviceName(deviceName_).c_str(), kGenericRead | kGenericWrite, 0,
                          kOpenExisting, kFileFlagOverlapped);
    if (comHandle_ == kInvalidHandleValue)
        RaiseCommError("Error accessing specified device", LastError());
    if (comm_.GetFileType(comHandle_) != kFileTypeChar) {
        comm_.CloseHandle(comHandle_);
        comHandle_ = kInvalidHandleValue;
        RaiseCommError("Invalid device handle, access denied", -1);
    }
}

void TCustomComm::Close() {
    if (!IsOpen()) return;
    // The component is closed from here on, also for anything the wait below
    // runs on this thread (a nested Close does nothing, an Open starts anew).
    const std::uintptr_t port = comHandle_;
    comHandle_ = kInvalidHandleValue;
    TCommEventThread* watcher = watcher_;
    std::shared_ptr<TCommWatcherEnd> end = std::move(watcherEnd_);
    watcher_ = nullptr;
    if (watcher != nullptr && !end->ended) {
        watcher->Stop();
        if (end->handingOver) {
            // Called from one of this watcher's own hand-overs, which it is
            // blocked in: it cannot end before we return. It closes the port
            // itself once it has ended.
            end->portToClose = port;
            return;
        }
        if (!WaitForWatcherEnd(*end)) {
            // Still in a device wait that the driver has not ended. Closing
            // the port lets a driver end it; the watcher, told so under the
            // lock, touches the port no more and frees its record and event
            // when the system has let go of them.
            std::lock_guard<std::mutex> lock(end->portLock);
            end->portClosed = true;
            comm_.CloseHandle(port);
            return;
        }
    }
    comm_.CloseHandle(port);
}

bool TCustomComm::WaitForWatcherEnd(const TCommWatcherEnd& end) const {
    // The watcher may be blocked in a hand-over, so keep running them. Its
    // termination notice arrives the same way and sets end.ended.
    const auto limit =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(closeTimeoutMs_);
    while (!end.ended) {
        if (std::chrono::steady_clock::now() >= limit) return false;
        MainThread::CheckSynchronize(kPollMs);
    }
    // What is left of it is the destructor freeing its event: moments.
    while (!end.gone) std::this_thread::yield();
    return true;
}

int TCustomComm::Write(const void* Buffer, int Count) {
    LockHeld held(*lock_);
    ScopedOverlapped overlapped(comm_, writeEvent_->Handle());
    if (!comm_.WriteFile(comHandle_, Buffer, static_cast<std::uint32_t>(Count), nullptr,
                         overlapped.Get())) {
        const int error = LastError();
        if (error != static_cast<int>(kErrorIoPending)) RaiseCommError("Write error", error);
    }
    if (writeEvent_->WaitFor(static_cast<std::uint32_t>(writeTimeout_)) != wrSignaled) {
        AbandonWrite(overlapped.Get());
        return -1;
    }
    std::uint32_t written = 0;
    comm_.GetOverlappedResult(comHandle_, overlapped.Get(), &written, false);
    writeEvent_->ResetEvent();
    return static_cast<int>(written);
}

void TCustomComm::AbandonWrite(std::uintptr_t overlapped) {
    // The system may still be writing from the record: cancel the write and
    // wait until the system has let go of the record, so that neither the
    // record nor a late completion signalling the event outlives this Write.
    comm_.CancelIo(comHandle_);
    std::uint32_t transferred = 0;
    comm_.GetOverlappedResult(comHandle_, overlapped, &transferred, true);
    writeEvent_->ResetEvent();
}

void TCustomComm::UpdateCommTimeouts() {
    CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 0xFFFFFFFF;  // MAXDWORD: a read returns what is buffered
    if (!comm_.SetCommTimeouts(comHandle_, timeouts))
        RaiseCommError("Error updating CommTimeouts", LastError());
}

void TCustomComm::UpdateDataControlBlock() {
    if (!IsOpen()) return;
    comm_.GetCommState(comHandle_, &dcb_);  // result ignored: the working copy stays
    dcb_.BaudRate = BaudRateValue(baudRate_);
    dcb_.Parity = ParityValue(parity_);
    dcb_.StopBits = StopBitsValue(stopbits_);
    dcb_.ByteSize = ByteSizeValue(databits_);
    dcb_.XonChar = eventChars_->XonChar();
    dcb_.XoffChar = eventChars_->XoffChar();
    dcb_.ErrorChar = eventChars_->ErrorChar();
    dcb_.EofChar = eventChars_->EofChar();
    dcb_.EvtChar = eventChars_->EvtChar();
    dcb_.XonLim = static_cast<std::uint16_t>(readBufSize_ / 4);
    dcb_.XoffLim = static_cast<std::uint16_t>(readBufSize_ / 4);
    switch (flowControl_) {
        case fcNone:
            dcb_.Flags = kDcbBinary;
            break;
        case fcCTS:
            dcb_.Flags |= kDcbOutxCtsFlow | kDcbRtsControlHandshake;
            break;
        case fcDTR:
            dcb_.Flags |= kDcbOutxDsrFlow | kDcbDtrControlHandshake;
            break;
        case fcSoftware:
            dcb_.Flags |= kDcbOutX | kDcbInX;
            break;
        case fcDefault:
            break;
    }
    for (TCommOption option :
         {coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip}) {
        if (options_.Contains(option))
            dcb_.Flags |= OptionFlag(option);
        else
            dcb_.Flags &= ~OptionFlag(option);
    }
    if (!comm_.SetCommState(comHandle_, dcb_))
        RaiseCommError("Error updating DataControlBlock", LastError());
}

void TCustomComm::HandleCommEvent(TObject* /*Sender*/, std::uint32_t Mask) {
    std::uint32_t errors = 0;
    ComStat stat;
    comm_.ClearCommError(comHandle_, &errors, &stat);
    if (Mask & kEvBreak) RaiseEvent(OnBreak, this);
    if (Mask & kEvCts) RaiseEvent(OnCts, this);
    if (Mask & kEvDsr) RaiseEvent(OnDsr, this);
    if (Mask & kEvErr) RaiseEvent(OnError, this, static_cast<int>(errors));
    if (Mask & kEvRing) RaiseEvent(OnRing, this);
    if (Mask & kEvRlsd) RaiseEvent(OnRlsd, this);
    if ((Mask & kEvRxChar) && stat.cbInQue > 0)
        RaiseEvent(OnRxChar, this, static_cast<int>(stat.cbInQue));
    if (Mask & kEvRxFlag) RaiseEvent(OnRxFlag, this);
    if (Mask & kEvTxEmpty) RaiseEvent(OnTxEmpty, this);
}

void TCustomComm::SetDeviceName(const std::string& Value) {
    if (Value == deviceName_) return;
    CheckClosed();
    deviceName_ = Value;
}

void TCustomComm::SetReadBufSize(int Value) {
    if (Value == readBufSize_) return;
    CheckClosed();
    readBufSize_ = Value;
}

void TCustomComm::SetWriteBufSize(int Value) {
    if (Value == writeBufSize_) return;
    CheckClosed();
    writeBufSize_ = Value;
}

void TCustomComm::SetMonitorEvents(TCommEventTypes Value) {
    if (Value == monitorEvents_) return;
    CheckClosed();
    monitorEvents_ = Value;
}

void TCustomComm::SetBaudRate(TBaudrate Value) {
    if (Value == baudRate_) return;
    baudRate_ = Value;
    UpdateDataControlBlock();
}

void TCustomComm::SetParity(TParity Value) {
    if (Value == parity_) return;
    parity_ = Value;
    UpdateDataControlBlock();
}

void TCustomComm::SetStopbits(TStopbits Value) {
    if (Value == stopbits_) return;
    stopbits_ = Value;
    UpdateDataControlBlock();
}

void TCustomComm::SetDatabits(TDatabits Value) {
    if (Value == databits_) return;
    databits_ = Value;
    UpdateDataControlBlock();
}

void TCustomComm::SetOptions(TCommOptions Value) {
    if (Value == options_) return;
    options_ = Value;
    UpdateDataControlBlock();
}

void TCustomComm::SetFlowControl(TFlowControl Value) {
    if (Value == flowControl_) return;
    flowControl_ = Value;
    UpdateDataControlBlock();
}
