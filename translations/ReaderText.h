#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ErrorList.h"
#include "ReaderFault.h"
#include "ReaderSequences.h"

// The texts of the plain C++ libraries (the code tables, the outcome words, the reader
// operations' messages) are marked for translation where they stand, in the context "Reader";
// they are told in the installed language here, where a window or a terminal shows them.
QString ReaderText(std::string_view source);
// The same in UTF-8, for a terminal and for the link's own composing.
std::string ReaderTextUtf8(std::string_view source);

// "command text - status text" in the installed language.
QString ErrorLineText(const ErrorEntry& failure);

// The heading (which ends in CR LF) followed by every failure's line, each ended by CR LF.
QString ErrorMessageText(std::string_view heading, const ErrorList& errors);

// A refusal in the installed language. Its fill-ins are told too: a name from the tables is
// translated, a date is the same in every language.
QString RefusalLineText(const TRefusal& refusal);
// The refusals as one message, a line each.
QString RefusalsText(const std::vector<TRefusal>& refusals);
// The refusals a line each, led by the field each concerns, in UTF-8, for a terminal.
std::vector<std::string> RefusalLinesUtf8(const std::vector<TRefusal>& refusals);

// How a fault names the field it concerns: as a parameters file does ("sector"), or as the
// parameter panel does ("Сектор", in the installed language).
enum class TFieldNaming { File, Panel };
// A field named so; a name no parameter has stays as it is.
QString FieldName(std::string_view field, TFieldNaming naming);
// A fault in the installed language: "command - status", a refusal led by its field, the
// line's failure in the port's words.
QString FaultText(const TReaderFault& fault, TFieldNaming naming);
std::vector<std::string> FaultLinesUtf8(const std::vector<TReaderFault>& faults, TFieldNaming naming);
