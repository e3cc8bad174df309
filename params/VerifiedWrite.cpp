#include "VerifiedWrite.h"

#include <stdexcept>

namespace {

// The read-back of a write: the reader read whole and compared with the values written.
void ReadBack(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& values,
              const TWriteDone& written, TVerifiedWrite& result) {
  result.writeErrors = errors;
  if (written) written(result.writeErrors);
  const TReaderParameters back =
      ReadParameters(link, errors, address, [](const TReaderParameters&, TParameter, int) {}).values;
  result.readErrors = errors;
  result.differences = ReadBackMismatches(values, back);
}

}  // namespace

TVerifiedWrite WriteAndVerify(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& planned,
                              const TWriteDone& written) {
  // The day is taken once, so that the read-back is compared with the very date written.
  const TWriteValues values = OnDay(planned, LocalDate());
  TVerifiedWrite result;
  const TWriteOutcome outcome = WriteParameters(link, errors, address, values);
  if (!outcome.refusals.empty()) throw std::invalid_argument("values refused: " + RefusalText(outcome.refusals));
  ReadBack(link, errors, address, values, written, result);
  return result;
}

TVerifiedWrite ApplyPlan(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& plan,
                         const TReaderParameters& found, const TWriteDone& written) {
  const TWriteValues values = OnDay(plan, LocalDate());
  TVerifiedWrite result;
  result.refusals = WriteRefusals(address, ForReader(values, found));
  if (!result.refusals.empty()) return result;
  SendRequests(link, errors, address, DifferingRequests(values, found));
  ReadBack(link, errors, address, values, written, result);
  return result;
}
