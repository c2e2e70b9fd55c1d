// TCustomComm: one serial communications device of the system, opened by name
// for exclusive overlapped reading and writing, with its line settings,
// buffer sizes and time-outs; it writes a block with a bounded wait, reports
// line events through its On... handlers, and closes the device. TComm
// (comm.h) publishes its properties; forms instantiate that one.
//
// Ownership: the component owns its write event, its write lock and its
// EventChars; the watcher thread started by each Open frees itself, and the
// component only keeps the record of its end. Closed means the handle is
// kInvalidHandleValue.
// Threads: everything runs on the main thread, apart from Write, which may be
// called from any thread (the lock serialises writes). The On... handlers run
// on the main thread, handed over by the watcher.
// Throws: ECommError from Open, Write, CreateHandle, UpdateDataControlBlock,
// UpdateCommTimeouts and the property setters, as documented there; Close and
// the destructor never throw.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "CommInt/comm_error.h"
#include "CommInt/comm_event_chars.h"
#include "CommInt/comm_event_thread.h"
#include "CommInt/comm_types.h"
#include "CommObjs/critical_section.h"
#include "CommObjs/events.h"
#include "platform/comm.h"
#include "rtl/classes.h"

using TCommErrorEvent = std::function<void(TObject* Sender, int Errors)>;
using TCommRxCharEvent = std::function<void(TObject* Sender, int Count)>;

class TCustomComm : public TComponent, public TCommEventCharsOwner {
  public:
    // Stored defaults for streaming (a property equal to one is not stored).
    static constexpr int kDefaultReadTimeout = 1000;
    static constexpr int kDefaultWriteTimeout = 1000;
    static constexpr int kDefaultReadBufSize = 4096;
    static constexpr int kDefaultWriteBufSize = 2048;
    static constexpr TBaudrate kDefaultBaudRate = br9600;
    static constexpr TParity kDefaultParity = paNone;
    static constexpr TStopbits kDefaultStopbits = sb10;
    static constexpr TDatabits kDefaultDatabits = da8;
    static constexpr TFlowControl kDefaultFlowControl = fcDefault;
    // How long Close waits for the watcher (not a published property).
    static constexpr int kDefaultCloseTimeout = 5000;

    explicit TCustomComm(TComponent* AOwner);
    ~TCustomComm() override;

    const char* ClassName() const override { return "TCustomComm"; }

    // Opens DeviceName and sets it up: watcher, time-outs, line settings,
    // buffers. Raises "Port already assigned (open)" when open, and the
    // failing step's ECommError; "Error creating event" leaves it closed;
    // once the watcher runs the device stays open even when a later step
    // raises.
    void Open();
    // Stops the watcher, waits until it has ended (running its hand-overs
    // meanwhile) and closes the device. The wait lasts the close time-out at
    // most: past it the device is closed all the same and the watcher is left
    // to end on its own. Does nothing when closed; never raises.
    void Close();
    // Writes Count bytes and waits up to WriteTimeout ms (-1: no limit) for
    // them. Returns the count written, or -1 when the wait ran out or failed
    // (the write is cancelled and waited out first). Raises "Write error" when
    // the system refuses the write.
    int Write(const void* Buffer, int Count);

    // How long Close waits for the watcher to end, in milliseconds.
    void SetCloseTimeout(int Milliseconds) { closeTimeoutMs_ = Milliseconds; }

    bool IsOpen() const { return comHandle_ != kInvalidHandleValue; }
    std::uintptr_t Handle() const { return comHandle_; }

  protected:
    // Opens the device into the handle field; raises "Error accessing
    // specified device" or "Invalid device handle, access denied". A derived
    // class may leave the port closed without raising.
    virtual void CreateHandle();
    // Sends the line settings, special characters, flow control and options
    // to an open device; does nothing when closed. Raises "Error updating
    // DataControlBlock".
    void UpdateDataControlBlock() override;
    // Raises "Error updating CommTimeouts".
    void UpdateCommTimeouts();
    // The watcher's event, on the main thread: clears the device's errors and
    // calls the handlers whose bits are in Mask, in their fixed order.
    void HandleCommEvent(TObject* Sender, std::uint32_t Mask);

    // The properties; TComm publishes them.
    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& Value);
    int ReadTimeout() const { return readTimeout_; }
    void SetReadTimeout(int Value) { readTimeout_ = Value; }
    int WriteTimeout() const { return writeTimeout_; }
    void SetWriteTimeout(int Value) { writeTimeout_ = Value; }
    int ReadBufSize() const { return readBufSize_; }
    void SetReadBufSize(int Value);
    int WriteBufSize() const { return writeBufSize_; }
    void SetWriteBufSize(int Value);
    TCommEventTypes MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(TCommEventTypes Value);
    TBaudrate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudrate Value);
    TParity Parity() const { return parity_; }
    void SetParity(TParity Value);
    TStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TStopbits Value);
    TDatabits Databits() const { return databits_; }
    void SetDatabits(TDatabits Value);
    TCommEventChars* EventChars() const { return eventChars_.get(); }
    TCommOptions Options() const { return options_; }
    void SetOptions(TCommOptions Value);
    TFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TFlowControl Value);

    TNotifyEvent OnBreak;
    TNotifyEvent OnCts;
    TNotifyEvent OnDsr;
    TCommErrorEvent OnError;
    TNotifyEvent OnRing;
    TNotifyEvent OnRlsd;
    TCommRxCharEvent OnRxChar;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnTxEmpty;

    IComm& comm_;
    std::uintptr_t comHandle_ = kInvalidHandleValue;

  private:
    // Raises "Port already assigned (open)" while open.
    void CheckClosed() const;
    int LastError() const;
    // Raises "Error creating event" when the write event cannot be had.
    void MakeWriteEvent();
    // Whether the watcher ended within the close time-out.
    bool WaitForWatcherEnd(const TCommWatcherEnd& end) const;
    void AbandonWrite(std::uintptr_t overlapped);

    Dcb dcb_;
    std::string deviceName_ = "Com2";
    std::unique_ptr<TSimpleEvent> writeEvent_;
    std::unique_ptr<TCriticalSection> lock_;
    int readTimeout_ = kDefaultReadTimeout;
    int writeTimeout_ = kDefaultWriteTimeout;
    int readBufSize_ = kDefaultReadBufSize;
    int writeBufSize_ = kDefaultWriteBufSize;
    int closeTimeoutMs_ = kDefaultCloseTimeout;
    TCommEventTypes monitorEvents_ = AllCommEvents();
    TBaudrate baudRate_ = kDefaultBaudRate;
    TParity parity_ = kDefaultParity;
    TStopbits stopbits_ = kDefaultStopbits;
    TDatabits databits_ = kDefaultDatabits;
    TCommEventThread* watcher_ = nullptr;  // not owned; valid while !watcherEnd_->ended
    std::shared_ptr<TCommWatcherEnd> watcherEnd_;
    std::unique_ptr<TCommEventChars> eventChars_;
    TCommOptions options_;
    TFlowControl flowControl_ = kDefaultFlowControl;
};
