#pragma once
// Setting and event types of the serial port. Enumerators keep their order:
// callers and stored forms rely on the ordinals.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace sk {

enum class TBaudRate {
    brCustom,
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
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum class TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum class TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum class TSyncMethod { smThreadSync, smWindowSync, smNone };

enum class TSerialEvent {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
enum class TSerialError {
    ceFrame,
    ceRxParity,
    ceOverrun,
    ceBreak,
    ceIO,
    ceMode,
    ceRxOver,
    ceTxFull
};

// Bits per second that a rate names; 0 for brCustom (the custom rate applies).
int baudRateValue(TBaudRate rate);

// A small set of enumerators (at most 32), compared and combined by value.
template <typename E>
class EnumSet {
    static_assert(std::is_enum_v<E>);

  public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E e : items)
            bits_ |= bit(e);
    }
    static constexpr EnumSet fromBits(std::uint32_t bits) {
        EnumSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr std::uint32_t bits() const { return bits_; }
    constexpr bool contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr void insert(E e) { bits_ |= bit(e); }
    constexpr void erase(E e) { bits_ &= ~bit(e); }
    constexpr EnumSet operator|(EnumSet o) const { return fromBits(bits_ | o.bits_); }
    constexpr EnumSet operator&(EnumSet o) const { return fromBits(bits_ & o.bits_); }
    constexpr bool operator==(const EnumSet&) const = default;

  private:
    static constexpr std::uint32_t bit(E e) { return std::uint32_t{1} << static_cast<int>(e); }
    std::uint32_t bits_ = 0;
};

using TSerialEvents = EnumSet<TSerialEvent>;
using TSerialErrors = EnumSet<TSerialError>;

// All ten events, the default of a new port.
constexpr TSerialEvents allSerialEvents() {
    return TSerialEvents::fromBits((1u << 10) - 1);
}

}  // namespace sk
