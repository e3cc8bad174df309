#include "VerifiedWrite.h"

#include <stdexcept>

TVerifiedWrite WriteAndVerify(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TWriteValues& values,
                              const TWriteDone& written) {
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
