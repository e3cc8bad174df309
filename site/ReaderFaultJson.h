#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <vector>

#include "ReaderFault.h"

// A reader's faults as the journal and `site … --json` keep them, codes with their English names:
//   {"command": 126, "commandName": "ReadMode", "status": 23, "statusName": "AccessDenied"}
//   {"field": "sector", "refusal": "notInMode", "fillIns": ["Турникет"]}  (field: when it names one)
//   {"line": "the port's own words"}
QJsonArray FaultsJson(const std::vector<TReaderFault>& faults);

// Back from a record. An error line kept as words (journals from before codes), or a fault of a
// kind not known, comes back as a TLineFailure with its text.
std::vector<TReaderFault> FaultsFromJson(const QJsonArray& faults);
