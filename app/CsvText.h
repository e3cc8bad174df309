#pragma once

#include <QString>
#include <QStringList>

// One CSV record as spreadsheets read it: comma-separated, a field with a comma, quote or line
// break quoted (its quotes doubled), ended by CR LF.
QString CsvLine(const QStringList& fields);
