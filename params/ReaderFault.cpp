#include "ReaderFault.h"

#include <array>

#include "ReaderMessages.h"

namespace {

struct TRefusalName {
  std::string_view name;
  std::string_view text;
};

constexpr std::array kRefusalNames{
    TRefusalName{"noReader", texts::kNoReader},     TRefusalName{"noMode", texts::kNoMode},
    TRefusalName{"noCardType", texts::kNoCardType}, TRefusalName{"notInMode", texts::kNotInMode},
    TRefusalName{"dateOutOfRange", texts::kDateOutOfRange},
};

}  // namespace

std::vector<TReaderFault> Faults(const ErrorList& errors) {
  return {errors.Entries().begin(), errors.Entries().end()};
}

std::vector<TReaderFault> Faults(const std::vector<TRefusal>& refusals) { return {refusals.begin(), refusals.end()}; }

std::string_view RefusalName(const TRefusal& refusal) {
  for (const TRefusalName& named : kRefusalNames)
    if (named.text == refusal.text) return named.name;
  return "refused";
}

std::optional<std::string_view> RefusalTextNamed(std::string_view name) {
  for (const TRefusalName& named : kRefusalNames)
    if (named.name == name) return named.text;
  return std::nullopt;
}
