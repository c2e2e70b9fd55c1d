// The serial component's enumerations and sets, and what each member means to
// the device: the DCB values of the line settings, the flag bits of the
// options and the event-mask bits of the line events. Pure values; used on
// any thread; nothing here throws.
#pragma once

#include <cstdint>
#include <initializer_list>

enum TBaudrate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopbits : std::uint8_t { sb10, sb15, sb20 };
enum TDatabits : std::uint8_t { da4, da5, da6, da7, da8 };
enum TFlowControl : std::uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum TCommOption : std::uint8_t {
    coParityCheck,
    coDsrSensitivity,
    coIgnoreXOff,
    coErrorChar,
    coNullStrip
};
enum TCommEventType : std::uint8_t {
    evBreak,
    evCts,
    evDsr,
    evError,
    evRing,
    evRlsd,
    evRxChar,
    evRxFlag,
    evTxEmpty
};

// A set of enumeration members, one bit per member, in Bits.
template <class Enum, class Bits>
class TEnumSet {
  public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<Enum> members) {
        for (Enum m : members) bits_ = static_cast<Bits>(bits_ | Bit(m));
    }

    constexpr bool Contains(Enum m) const { return (bits_ & Bit(m)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr Bits Value() const { return bits_; }
    TEnumSet& Include(Enum m) {
        bits_ = static_cast<Bits>(bits_ | Bit(m));
        return *this;
    }
    TEnumSet& Exclude(Enum m) {
        bits_ = static_cast<Bits>(bits_ & ~Bit(m));
        return *this;
    }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.bits_ == b.bits_; }
    friend constexpr bool operator!=(TEnumSet a, TEnumSet b) { return a.bits_ != b.bits_; }

  private:
    static constexpr Bits Bit(Enum m) { return static_cast<Bits>(1u << static_cast<unsigned>(m)); }
    Bits bits_ = 0;
};

using TCommOptions = TEnumSet<TCommOption, std::uint8_t>;
using TCommEventTypes = TEnumSet<TCommEventType, std::uint16_t>;

// Every line event.
constexpr TCommEventTypes AllCommEvents() {
    return {evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty};
}

// DCB.BaudRate, Parity, StopBits and ByteSize of each member.
std::uint32_t BaudRateValue(TBaudrate rate);
std::uint8_t ParityValue(TParity parity);
std::uint8_t StopBitsValue(TStopbits stopbits);
std::uint8_t ByteSizeValue(TDatabits databits);
// The DCB flag bit an option sets.
std::uint32_t OptionFlag(TCommOption option);
// The event-mask bit (EV_*) of one event, and the OR of a set's bits.
std::uint32_t EventMaskBit(TCommEventType event);
std::uint32_t EventMask(TCommEventTypes events);
