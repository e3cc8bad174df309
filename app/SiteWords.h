#pragma once

#include <QCoreApplication>
#include <QIcon>
#include <QString>

#include "SiteFile.h"
#include "SiteHistory.h"
#include "SiteJournal.h"
#include "SiteResult.h"
#include "SiteRun.h"
#include "SiteSnapshot.h"

// The site window's words for what a run found: each state in words and with its icon (never by
// colour alone), a line's state, the details of one reader, the totals and the report.
class TSiteWords {
  Q_DECLARE_TR_FUNCTIONS(TSiteWords)

 public:
  // "совпадает", "отличается", "нет ответа", ...
  static QString StateWord(TReaderState state);
  // The word, and for a reader that differs the number of fields: "отличается: 2 поля".
  static QString State(const TReaderResult& reader);
  static QIcon StateIcon(TReaderState state);
  // "открыта", or why the line could not be opened or went away; "остановлена" when cancelled.
  static QString LineState(const TLineResult& line);
  // Each differing field with its planned and found value, then the error lines.
  static QString Details(const TReaderResult& reader);
  // "Считывателей: 25 — совпадает: 20, отличается: 3, нет ответа: 2".
  static QString Totals(const TSiteResult& result);
  // "Записать параметры в 37 считывателей на 4 линиях?", then a line each naming its readers:
  // "линия 0 (/dev/ttyUSB0): 2, 5".
  static QString ApplyQuestion(const TApproval& readers, const TSiteResult& survey);
  // After an apply the operator agreed to: why this reader was not written though it differed
  // then or differs now; empty when nothing needs saying. approvedSerial: the serial it was
  // agreed with, null when it was not among the readers agreed to.
  static QString NotWritten(const TReaderResult& reader, const std::string* approvedSerial);
  // What an apply does to clocks it sets back: how many readers, by how many days at most; empty
  // when it sets none back.
  static QString ClocksSetBack(const TSiteResult& result);
  // A line each that names its adapter in the order adapters were plugged in while a name that
  // stays reaches the same adapter, naming that; empty when none does.
  static QString PluggingOrder(const TSiteFile& site);
  // A refused site file: the file, the line, the reader and the field, then why.
  static QString FileRefusal(const ESiteFile& refusal);
  // A line a gap: "линия 0 (/dev/ttyUSB0): не открыта: …", "линия 1 (…), считыватель 5: …".
  static QString SnapshotGaps(const std::vector<TSnapshotGap>& gaps);
  // What opening the journal mended, a line each: a torn last line cut off, each write an earlier
  // run left interrupted; empty when it mended nothing.
  static QString JournalMended(const TSiteJournal& journal);
  // A reader's writes as the journal keeps them, oldest first, headed "История записей:": when,
  // who, how it ended, each field from and to.
  static QString History(const TReaderHistory& reader);
  // The table as CSV: one row per reader, and one per line that failed.
  static QByteArray ReportCsv(const TSiteResult& result);
};
