#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ParameterCodec.h"
#include "ParameterTable.h"

class ErrorList;
class ReaderLink;

// The multi-command operations on one reader, without any screen: the window feeds them the
// values of its controls and shows what they return, and so can a command-line tool. Each
// clears the error list first; failed commands leave their lines there.

// Values a reader gave, each starting at what its control shows when its request fails.
struct TReaderParameters {
  std::string cashDeskNumber;  // 8 hex digits; empty when not read
  std::uint8_t rechargeUnits = 0;
  std::optional<std::uint8_t> mode;  // the byte as read; the screen matches it to its list
  std::optional<std::uint8_t> cardType;
  TCalendarDate currentDate = kZeroDate;
  TCalendarDate endDate = kZeroDate;
  std::uint8_t sector = 0;
  std::uint8_t abonementTimeout = 0;
  std::uint8_t relayTime = 0;
  std::array<std::string, kBlackListRows> blackList;  // rows not read stay empty
  std::size_t blackListRowsRead = 0;
  unsigned readMask = 0;  // one bit per TParameter answered (and, for dates, valid)

  bool WasRead(TParameter parameter) const { return readMask >> static_cast<int>(parameter) & 1; }
  // The byte of a number or list parameter; nothing when its request failed.
  std::optional<std::uint8_t> Byte(TParameter parameter) const;
  void SetByte(TParameter parameter, std::uint8_t value);
  TCalendarDate& Date(TParameter parameter);
  const TCalendarDate& Date(TParameter parameter) const;
};

// Called each time a value in the record is to reach the screen: the cleared value of a
// list, spin or the whole black list (row -1) before its request, and every value after
// its request (a black-list row by its index).
using TParameterShown = std::function<void(const TReaderParameters&, TParameter, int row)>;

struct TReadOutcome {
  std::string refusal;  // shown instead of sending anything; empty when the read ran
  TReaderParameters values;
};

// Reads every parameter in the fixed order; a broken date adds its line with status 0x25.
// address is nothing when no reader is selected.
TReadOutcome ReadParameters(ReaderLink& link, ErrorList& errors,
                            std::optional<std::uint8_t> address, const TParameterShown& shown);

// What the screen holds for a write. Lists carry kNoSelection without a selection.
struct TWriteValues {
  int mode = kNoSelection;
  int cardType = kNoSelection;
  int rechargeUnits = 0;
  TCalendarDate currentDate;
  // The reader's clock planned as "today": the computer's date at the moment of each write, in
  // place of currentDate.
  bool clockToday = false;
  TCalendarDate endDate;
  int sector = 1;
  int abonementTimeout = 0;
  int relayTime = 0;
  std::array<std::string, kBlackListRows> blackList;
  // The fields planned, a bit per TParameter: a field left out is left as the reader holds it.
  // The panel plans every one; a file the fields it names.
  unsigned planned = kEveryParameter;

  bool Plans(TParameter parameter) const { return (planned & ParameterBit(parameter)) != 0; }
  // The value of a number or list parameter, a list's kNoSelection included.
  int& Byte(TParameter parameter);
  int Byte(TParameter parameter) const;
  TCalendarDate& Date(TParameter parameter);
  const TCalendarDate& Date(TParameter parameter) const;
};

struct TWriteRequest {
  std::uint8_t code;
  std::vector<std::uint8_t> data;
  bool stopsOnFailure = false;  // a failed black-list row ends the write
  bool operator==(const TWriteRequest&) const = default;
};

// The values with a clock planned as today set to that day, as a write on that day sends them.
TWriteValues OnDay(TWriteValues values, const TCalendarDate& today);

// The plan for a reader that holds `found`: a plan that leaves the mode out takes the reader's,
// which decides what the other fields mean (the mode itself stays unplanned, so never written).
TWriteValues ForReader(TWriteValues plan, const TReaderParameters& found);

// One reason why a write must not start.
// Its text is kept as marked for translation, so that each front end tells it in its language.
struct TRefusal {
  std::optional<TParameter> parameter;  // the value it concerns; nothing for the reader
  std::string_view text;                // %1, %2, ... stand for the fill-ins
  std::vector<std::string> fillIns;     // names from the tables, dates
};

// Why a write must not start, in the order the operator meets the checks; empty when it may.
// A missing reader, mode or card type is the one reason given; every date a reader cannot
// store is one, and so is every planned field that a mode the plan leaves out (the reader's,
// see ForReader) does not use. Fields not planned are not checked.
std::vector<TRefusal> WriteRefusals(std::optional<std::uint8_t> address, const TWriteValues& values);
// One refusal in the texts' own words, its fill-ins in place.
std::string RefusalLine(const TRefusal& refusal);
// The refusals as one message, a line each.
std::string RefusalText(const std::vector<TRefusal>& refusals);
// The requests of a write in the order sent, for values that passed WriteRefusals: every planned
// field the mode uses; a clock planned as today gets the computer's date.
std::vector<TWriteRequest> WriteRequests(const TWriteValues& values);

// Sends the requests in order, the error list cleared first; a failed black-list row ends them,
// as the reader took the rows before it and no more.
void SendRequests(ReaderLink& link, ErrorList& errors, std::uint8_t address, const std::vector<TWriteRequest>& requests);

struct TWriteOutcome {
  std::vector<TRefusal> refusals;  // shown instead of sending anything; empty when the write ran
};

TWriteOutcome WriteParameters(ReaderLink& link, ErrorList& errors,
                              std::optional<std::uint8_t> address, const TWriteValues& values);

// The key texts the dialog hands over: 12 hex digits each, and the key type "A" or "B".
struct TKeyTexts {
  std::string keyA;
  std::string keyB;
  std::string oldKey;
  std::string oldKeyType;
};

// The key command of a mode, nothing for a mode without a key.
std::optional<TWriteRequest> KeyRequest(int mode, const TKeyTexts& keys);

struct TKeyChangeOutcome {
  std::string refusal;
};

// Sets the reader's mode, and only when that succeeded sends the mode's key.
TKeyChangeOutcome ChangeReaderKeys(ReaderLink& link, ErrorList& errors,
                                   std::optional<std::uint8_t> address, int mode,
                                   const TKeyTexts& keys);
