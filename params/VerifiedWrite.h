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
  std::vector<TRefusal> refusals;                // why nothing was sent to the reader
  ErrorList writeErrors;                         // the write's failed commands
  ErrorList readErrors;                          // the read-back's failed commands
  std::vector<TReadBackDifference> differences;  // fields read back otherwise than written

  bool Verified() const {
    return refusals.empty() && writeErrors.empty() && readErrors.empty() && differences.empty();
  }
};

// Told the write's errors once the write is done, before the read-back starts.
using TWriteDone = std::function<void(const ErrorList& writeErrors)>;

// Writes values (which must have passed WriteRefusals) to the reader, reads it back and
// compares. errors is the link's error list, which each sequence clears and fills.
TVerifiedWrite WriteAndVerify(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& values,
                              const TWriteDone& written = {});

// Brings a reader that held `found` when read just before to the plan: refused whole, with
// nothing sent, when the plan names a field the reader's mode does not use (WriteRefusals);
// else only the planned fields that differ are written, each with its own request (the mode
// first), and the reader is read back and compared on the planned fields.
TVerifiedWrite ApplyPlan(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& plan,
                         const TReaderParameters& found, const TWriteDone& written = {});
