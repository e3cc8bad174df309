#pragma once

#include <cstdint>
#include <initializer_list>

// The settings model of the serial port. Enumerators keep their order: the settings file,
// the setup dialog's lists and the event mask all index by it.

enum TBaudRate : std::uint8_t {
  brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
  br38400, br56000, br57600, br115200, br128000, br256000
};
enum TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl : std::uint8_t { fcHardware, fcSoftware, fcNone, fcCustom };
enum TComEvent : std::uint8_t {
  evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full
};
enum TComError : std::uint8_t { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum TComSignal : std::uint8_t { csCTS, csDSR, csRing, csRLSD };
enum TSyncMethod : std::uint8_t { smThreadSync, smWindowSync, smNone, smDisableEvents };
enum TStoredGroup : std::uint8_t { sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgOther };

// A set of enumerators with bit n for the n-th value.
template <typename Enum, typename Bits>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<Enum> values) {
    for (Enum v : values) bits_ |= Bit(v);
  }
  static constexpr TEnumSet FromBits(Bits bits) {
    TEnumSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr Bits bits() const { return bits_; }
  constexpr bool contains(Enum v) const { return (bits_ & Bit(v)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr void insert(Enum v) { bits_ |= Bit(v); }
  constexpr void erase(Enum v) { bits_ &= static_cast<Bits>(~Bit(v)); }
  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

 private:
  static constexpr Bits Bit(Enum v) { return static_cast<Bits>(Bits{1} << static_cast<unsigned>(v)); }
  Bits bits_ = 0;
};

using TComEvents = TEnumSet<TComEvent, std::uint16_t>;
using TComErrors = TEnumSet<TComError, std::uint8_t>;
using TComSignals = TEnumSet<TComSignal, std::uint8_t>;
using TStoredGroups = TEnumSet<TStoredGroup, std::uint8_t>;

inline constexpr TComEvents kAllComEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                                          evCTS,    evDSR,     evError,  evRLSD, evRx80Full};
