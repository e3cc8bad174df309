#include "VerifiedWrite.h"

#include <stdexcept>

TVerifiedWrite WriteAndVerify(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& planned,
                              const TWriteDone& written) {
  // The day is taken once, so that the read-back is compared with the very date written.
  const TWriteValues values = OnDay(planned, LocalDate());
  TVerifiedWrite result;
  const TWriteOutcome outcome = WriteParameters(link, errors, address, values);
  if (!outcome.refusals.empty()) throw std::invalid_argument("values refused: " + RefusalText(outcome.refusals));
  result.writeErrors = errors;
  if (written) written(result.writeErrors);
  const TReaderParameters back =
      ReadParameters(link, errors, address, [](const TReaderParameters&, TParameter, int) {}).values;
  result.readErrors = errors;
  result.differences = ReadBackMismatches(values, back);
  return result;
}
