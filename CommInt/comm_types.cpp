// The tables from enumeration members to DCB values and event-mask bits.
#include "CommInt/comm_types.h"

#include "platform/comm.h"

std::uint32_t BaudRateValue(TBaudrate rate) {
    static constexpr std::uint32_t kRates[] = {110,   300,   600,    1200,   2400,
                                               4800,  9600,  14400,  19200,  38400,
                                               56000, 57600, 115200, 128000, 256000};
    return kRates[rate];
}

std::uint8_t ParityValue(TParity parity) {
    return static_cast<std::uint8_t>(parity);  // NOPARITY 0 .. SPACEPARITY 4
}

std::uint8_t StopBitsValue(TStopbits stopbits) {
    return static_cast<std::uint8_t>(stopbits);  // ONESTOPBIT 0 .. TWOSTOPBITS 2
}

std::uint8_t ByteSizeValue(TDatabits databits) {
    return static_cast<std::uint8_t>(4 + databits);
}

std::uint32_t OptionFlag(TCommOption option) {
    switch (option) {
        case coParityCheck:
            return kDcbParity;
        case coDsrSensitivity:
            return kDcbDsrSensitivity;
        case coIgnoreXOff:
            return kDcbTxContinueOnXoff;
        case coErrorChar:
            return kDcbErrorChar;
        case coNullStrip:
            return kDcbNull;
    }
    return 0;
}

std::uint32_t EventMaskBit(TCommEventType event) {
    switch (event) {
        case evBreak:
            return kEvBreak;
        case evCts:
            return kEvCts;
        case evDsr:
            return kEvDsr;
        case evError:
            return kEvErr;
        case evRing:
            return kEvRing;
        case evRlsd:
            return kEvRlsd;
        case evRxChar:
            return kEvRxChar;
        case evRxFlag:
            return kEvRxFlag;
        case evTxEmpty:
            return kEvTxEmpty;
    }
    return 0;
}

std::uint32_t EventMask(TCommEventTypes events) {
    std::uint32_t mask = 0;
    for (TCommEventType e :
         {evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty}) {
        if (events.Contains(e)) mask |= EventMaskBit(e);
    }
    return mask;
}
