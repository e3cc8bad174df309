#pragma once

#include <QString>

#include <string>

#include "ParameterJson.h"

// The window's words, in its language, for what the parameters file codec reports; the field stays as the file
// names it, since that is what the operator finds in the file.

// "sector: 16 — не целое число от 1 до 15", "не JSON: … (позиция 12)".
QString FileFaultText(const std::string& field, const TFileFault& fault);

// "sector: записано 4, прочитано 5" or "sector: записано 4, не прочитано".
QString DifferenceText(const TReadBackDifference& difference);
