// TComm: the serial port component that forms hold. It adds nothing to
// TCustomComm and publishes its properties and events.
#pragma once

#include "CommInt/custom_comm.h"

class TComm : public TCustomComm {
  public:
    explicit TComm(TComponent* AOwner) : TCustomComm(AOwner) {}

    const char* ClassName() const override { return "TComm"; }

    using TCustomComm::BaudRate;
    using TCustomComm::Databits;
    using TCustomComm::DeviceName;
    using TCustomComm::EventChars;
    using TCustomComm::FlowControl;
    using TCustomComm::MonitorEvents;
    using TCustomComm::Options;
    using TCustomComm::Parity;
    using TCustomComm::ReadBufSize;
    using TCustomComm::ReadTimeout;
    using TCustomComm::SetBaudRate;
    using TCustomComm::SetDatabits;
    using TCustomComm::SetDeviceName;
    using TCustomComm::SetFlowControl;
    using TCustomComm::SetMonitorEvents;
    using TCustomComm::SetOptions;
    using TCustomComm::SetParity;
    using TCustomComm::SetReadBufSize;
    using TCustomComm::SetReadTimeout;
    using TCustomComm::SetStopbits;
    using TCustomComm::SetWriteBufSize;
    using TCustomComm::SetWriteTimeout;
    using TCustomComm::Stopbits;
    using TCustomComm::WriteBufSize;
    using TCustomComm::WriteTimeout;

    using TCustomComm::OnBreak;
    using TCustomComm::OnCts;
    using TCustomComm::OnDsr;
    using TCustomComm::OnError;
    using TCustomComm::OnRing;
    using TCustomComm::OnRlsd;
    using TCustomComm::OnRxChar;
    using TCustomComm::OnRxFlag;
    using TCustomComm::OnTxEmpty;
};
