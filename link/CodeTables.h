#pragma once

#include <cstdint>
#include <string_view>

// One code of the reader protocol with the text operators and readers' manuals know it by.
struct TCodeInfo {
  std::uint8_t code;
  std::string_view name;  // English, the same in every language: what a record keeps beside the code
  std::string_view text;  // UTF-8
};

// Request codes; the reader answers with the code plus one.
namespace cmd {
inline constexpr std::uint8_t ReadSerialNumber = 0x70;
inline constexpr std::uint8_t ReadCashDeskNumber = 0x72;
inline constexpr std::uint8_t ChangeKey = 0x74;
inline constexpr std::uint8_t ChangeInitKey = 0x76;
inline constexpr std::uint8_t WriteRechargeUnits = 0x78;
inline constexpr std::uint8_t ReadRechargeUnits = 0x7A;
inline constexpr std::uint8_t WriteMode = 0x7C;
inline constexpr std::uint8_t ReadMode = 0x7E;
inline constexpr std::uint8_t WriteCardType = 0x80;
inline constexpr std::uint8_t ReadCardType = 0x82;
inline constexpr std::uint8_t WriteCurrentDate = 0x84;
inline constexpr std::uint8_t ReadCurrentDate = 0x86;
inline constexpr std::uint8_t WriteEndDate = 0x88;
inline constexpr std::uint8_t ReadEndDate = 0x8A;
inline constexpr std::uint8_t WriteSector = 0x8C;
inline constexpr std::uint8_t ReadSector = 0x8E;
inline constexpr std::uint8_t WriteAbonementTimeout = 0x90;
inline constexpr std::uint8_t ReadAbonementTimeout = 0x92;
inline constexpr std::uint8_t WriteRelayTime = 0x94;
inline constexpr std::uint8_t ReadRelayTime = 0x96;
inline constexpr std::uint8_t WriteBlackList = 0x98;
inline constexpr std::uint8_t ReadBlackList = 0x9A;
}  // namespace cmd

// Status codes of an answer: the reader's refusals and failures, and those the program records
// on its own behalf (Timeout, WrongFormat, WrongDate). The reader link and the simulator both
// take them from here. Success is frame::kSuccessStatus.
namespace status {
inline constexpr std::uint8_t ChecksumMismatch = 0x05;
inline constexpr std::uint8_t Timeout = 0x09;
inline constexpr std::uint8_t AccessDenied = 0x17;
inline constexpr std::uint8_t WrongFormat = 0x18;
inline constexpr std::uint8_t FrameError = 0x19;
inline constexpr std::uint8_t ParityError = 0x1A;
inline constexpr std::uint8_t Collision = 0x1B;
inline constexpr std::uint8_t IncompleteUid = 0x1C;
inline constexpr std::uint8_t TypeError = 0x1D;
inline constexpr std::uint8_t NoAnswer = 0x1E;
inline constexpr std::uint8_t WrongCommand = 0x1F;
inline constexpr std::uint8_t BadBitPassWrite = 0x20;
inline constexpr std::uint8_t WrongKeyType = 0x21;
inline constexpr std::uint8_t WrongValue = 0x22;
inline constexpr std::uint8_t CommandNotInMode = 0x23;
inline constexpr std::uint8_t KeyNotInMode = 0x24;
inline constexpr std::uint8_t WrongDate = 0x25;
inline constexpr std::uint8_t WrongSector = 0x26;
inline constexpr std::uint8_t TestError = 0x7F;
inline constexpr std::uint8_t Unknown = 0xFE;
}  // namespace status

// The text of a code; a code without its own text gets the table's fall-back ("Неизвестная
// команда", "неизвестная ошибка").
std::string_view CommandText(std::uint8_t code);
std::string_view StatusText(std::uint8_t code);
// Its English name ("ReadMode", "AccessDenied"); "Unknown" for a code without its own.
std::string_view CommandName(std::uint8_t code);
std::string_view StatusName(std::uint8_t code);
