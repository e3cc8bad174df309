#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ErrorList.h"
#include "ParameterJson.h"
#include "ReaderSequences.h"

class ReaderLink;

// A write to one reader checked by reading every parameter back and comparing: what the command
// line's write and the window's write to every reader do for each reader.
struct TVerifiedWrite {
  ErrorList writeErrors;                         // the write's failed commands
  ErrorList readErrors;                          // the read-back's failed commands
  std::vector<TReadBackDifference> differences;  // fields read back otherwise than written

  bool Verified() const { return writeErrors.empty() && readErrors.empty() && differences.empty(); }
};

// Told the write's errors once the write is done, before the read-back starts.
using TWriteDone = std::function<void(const ErrorList& writeErrors)>;

// Writes values (which must have passed WriteRefusals) to the reader, reads it back and
// compares. errors is the link's error list, which each sequence clears and fills.
TVerifiedWrite WriteAndVerify(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& values,
                              const TWriteDone& written = {});
