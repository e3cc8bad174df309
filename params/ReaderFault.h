#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ErrorList.h"
#include "ReaderSequences.h"

// The line failing under a reader, in the port's own words; also an error line a record kept as
// words before its faults were kept as codes.
struct TLineFailure {
  std::string text;
  bool operator==(const TLineFailure&) const = default;
};

// One fault of a reader's read or write, kept as codes so that a record reads the same whatever
// the language it was made in: a command the reader failed (command and status code), a planned
// field refused before anything was sent, or the line's failure.
using TReaderFault = std::variant<ErrorEntry, TRefusal, TLineFailure>;

std::vector<TReaderFault> Faults(const ErrorList& errors);
std::vector<TReaderFault> Faults(const std::vector<TRefusal>& refusals);

// A refusal's English name: "noReader", "noMode", "noCardType", "notInMode", "dateOutOfRange".
std::string_view RefusalName(const TRefusal& refusal);
// The text of the refusal of that name; nothing for a name not known.
std::optional<std::string_view> RefusalTextNamed(std::string_view name);
