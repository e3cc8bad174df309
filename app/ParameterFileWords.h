#pragma once

#include <QString>

#include <string>

#include "ParameterJson.h"

// The window's words for what the parameters file codec reports; the field stays as the file
// names it, since that is what the operator finds in the file.

// "sector: 16 — не целое число от 1 до 15", "не JSON: … (позиция 12)".
QString RussianFileText(const std::string& field, const TFileFault& fault);

// "sector: записано 4, прочитано 5" or "sector: записано 4, не прочитано".
QString RussianDifferenceText(const TReadBackDifference& difference);
