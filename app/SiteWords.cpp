#include "SiteWords.h"

#include "CsvText.h"
#include "ParameterFileWords.h"
#include "ReaderText.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>
#include <array>
#include <map>

namespace {

struct TStateLook {
  TReaderState state;
  const char* word;  // translated in the TSiteWords context
  QStyle::StandardPixmap icon;
};

// The totals and the report list the states in this order.
constexpr std::array kStateLooks{
    TStateLook{TReaderState::Matches, QT_TRANSLATE_NOOP("TSiteWords", "совпадает"), QStyle::SP_DialogApplyButton},
    TStateLook{TReaderState::Written, QT_TRANSLATE_NOOP("TSiteWords", "записан"), QStyle::SP_DialogSaveButton},
    TStateLook{TReaderState::Differs, QT_TRANSLATE_NOOP("TSiteWords", "отличается"), QStyle::SP_MessageBoxWarning},
    TStateLook{TReaderState::Missing, QT_TRANSLATE_NOOP("TSiteWords", "нет ответа"), QStyle::SP_MessageBoxQuestion},
    TStateLook{TReaderState::OtherReader, QT_TRANSLATE_NOOP("TSiteWords", "другой считыватель"), QStyle::SP_BrowserStop},
    TStateLook{TReaderState::Failed, QT_TRANSLATE_NOOP("TSiteWords", "ошибка"), QStyle::SP_MessageBoxCritical},
    TStateLook{TReaderState::Unplanned, QT_TRANSLATE_NOOP("TSiteWords", "не в плане"), QStyle::SP_MessageBoxInformation},
    TStateLook{TReaderState::NotReached, QT_TRANSLATE_NOOP("TSiteWords", "не обследован"), QStyle::SP_MediaPause},
};

struct TFaultWords {
  TSiteFault fault;
  const char* words;  // translated in the TSiteWords context; %1... are the fault's fill-ins
};

constexpr std::array kFaultWords{
    TFaultWords{TSiteFault::UnknownField, QT_TRANSLATE_NOOP("TSiteWords", "неизвестное поле")},
    TFaultWords{TSiteFault::Missing, QT_TRANSLATE_NOOP("TSiteWords", "не задано")},
    TFaultWords{TSiteFault::NotWholeNumber, QT_TRANSLATE_NOOP("TSiteWords", "%1 — не целое число от %2 до %3")},
    TFaultWords{TSiteFault::NotOneOf, QT_TRANSLATE_NOOP("TSiteWords", "%1 — не одно из значений %2")},
    TFaultWords{TSiteFault::NotHexSerial, QT_TRANSLATE_NOOP("TSiteWords", "%1 — не 4 шестнадцатеричные цифры")},
    TFaultWords{TSiteFault::NotParameters,
                QT_TRANSLATE_NOOP("TSiteWords", "%1 — ни файл параметров, ни объект с параметрами")},
    TFaultWords{TSiteFault::Unreadable, QT_TRANSLATE_NOOP("TSiteWords", "файл не читается: %1")},
    TFaultWords{TSiteFault::ParametersRefused, ""},
    TFaultWords{TSiteFault::NotObject, QT_TRANSLATE_NOOP("TSiteWords", "не объект JSON {...}")},
    TFaultWords{TSiteFault::NotPortName, QT_TRANSLATE_NOOP("TSiteWords", "%1 — не имя порта")},
    TFaultWords{TSiteFault::NotList, QT_TRANSLATE_NOOP("TSiteWords", "не список [...]")},
    TFaultWords{TSiteFault::AddressTwice, QT_TRANSLATE_NOOP("TSiteWords", "этот адрес уже есть на линии")},
    TFaultWords{TSiteFault::TooLarge, QT_TRANSLATE_NOOP("TSiteWords", "файл больше %1 КиБ — это не файл объекта")},
    TFaultWords{TSiteFault::NotJson, QT_TRANSLATE_NOOP("TSiteWords", "не JSON: %1 (позиция %2)")},
    TFaultWords{TSiteFault::NoObject, QT_TRANSLATE_NOOP("TSiteWords", "не файл объекта: в нём нет объекта JSON {...}")},
    TFaultWords{TSiteFault::NotName, QT_TRANSLATE_NOOP("TSiteWords", "%1 — не название")},
    TFaultWords{TSiteFault::PortTwice, QT_TRANSLATE_NOOP("TSiteWords", "то же устройство, что у линии %1 (%2)")},
    TFaultWords{TSiteFault::NotSchemaAddress, QT_TRANSLATE_NOOP("TSiteWords", "%1 — не адрес схемы")},
};

const TStateLook& Look(TReaderState state) {
  for (const TStateLook& look : kStateLooks)
    if (look.state == state) return look;
  return kStateLooks.back();
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString TSiteWords::StateWord(TReaderState state) { return tr(Look(state).word); }

QString TSiteWords::FileRefusal(const ESiteFile& refusal) {
  const TSitePlace& place = refusal.place;
  QString text = refusal.file;
  if (place.line)
    text += QStringLiteral(": ") + (place.port.empty() ? tr("линия %1").arg(*place.line)
                                                       : tr("линия %1 (%2)").arg(*place.line).arg(Text(place.port)));
  if (place.reader) text += QStringLiteral(", ") + tr("считыватель %1").arg(*place.reader);
  text += QStringLiteral(": ");
  if (!place.field.empty()) text += Text(place.field) + QStringLiteral(": ");
  if (!refusal.parametersFile.empty()) text += Text(refusal.parametersFile) + QStringLiteral(": ");
  if (refusal.parameters) return text + FileFaultText(refusal.parameters->field, refusal.parameters->fault);
  for (const TFaultWords& row : kFaultWords)
    if (row.fault == refusal.fault)
      return text + Text(FilledIn(tr(row.words).toStdString(), refusal.fillIns));
  return text;
}

QString TSiteWords::State(const TReaderResult& reader) {
  if (reader.state != TReaderState::Differs) return StateWord(reader.state);
  return tr("отличается: %n поле", nullptr, static_cast<int>(reader.differences.size()));
}

QIcon TSiteWords::StateIcon(TReaderState state) { return QApplication::style()->standardIcon(Look(state).icon); }

QString TSiteWords::LineState(const TLineResult& line) {
  QString text;
  switch (line.status) {
    case TLineStatus::Done: text = tr("открыта"); break;
    case TLineStatus::CannotOpen: text = tr("не открыта: %1").arg(Text(line.failure)); break;
    case TLineStatus::Lost: text = tr("потеряна: %1").arg(Text(line.failure)); break;
    case TLineStatus::GivenUp: text = tr("оставлена: считыватели не отвечают"); break;
    case TLineStatus::JournalFailed: text = tr("остановлена: журнал не записан: %1").arg(Text(line.failure)); break;
  }
  if (line.cancelled) text += tr(", остановлена");
  return text;
}

QString TSiteWords::JournalMended(const TSiteJournal& journal) {
  QStringList lines;
  if (journal.TornBytes() > 0)
    lines << tr("Оборванная последняя строка журнала (%n байт) отрезана.", nullptr, static_cast<int>(journal.TornBytes()));
  for (const TInterruptedWrite& write : journal.Interrupted()) {
    QStringList fields;
    for (const std::string& field : write.fields) fields << Text(field);
    const QString where = write.line ? tr("линия %1").arg(*write.line) : Text(write.port);
    lines << tr("Запись прервана %1, %2@%3: %4, считыватель %5, поля %6")
                 .arg(write.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), Text(write.user),
                      Text(write.host), where)
                 .arg(write.address)
                 .arg(fields.join(QStringLiteral(", ")));
  }
  return lines.join(QStringLiteral("\r\n"));
}

namespace {

// What a clock's difference means, as ClockNote tells it in English; empty for the others.
QString ClockWords(const TReadBackDifference& d) {
  if (!ClockNote(d)) return {};
  const int shift = *d.clockShift;
  if (!d.today) return TSiteWords::tr("часы будут переведены назад на %n день", nullptr, -shift);
  return shift > 0 ? TSiteWords::tr("часы отстают на %n день", nullptr, shift)
                   : TSiteWords::tr("часы спешат на %n день", nullptr, -shift);
}

}  // namespace

QString TSiteWords::Details(const TReaderResult& reader) {
  QStringList lines;
  for (const TReadBackDifference& d : reader.differences) {
    const QString clock = ClockWords(d);
    const QString field = FieldName(d.field, TFieldNaming::Panel);
    lines << (d.read ? tr("%1: по плану %2, найдено %3").arg(field, Text(d.written), Text(*d.read))
                     : tr("%1: по плану %2, не прочитано").arg(field, Text(d.written))) +
                 (clock.isEmpty() ? QString() : QStringLiteral(" — ") + clock);
  }
  for (const TReaderFault& fault : reader.faults) lines << FaultText(fault, TFieldNaming::Panel);
  return lines.join(QLatin1Char('\n'));
}

namespace {

QString OutcomeWords(const std::string& outcome) {
  if (outcome == "verified") return TSiteWords::tr("записан и проверен");
  if (outcome == "errors") return TSiteWords::tr("ошибки");
  if (outcome == "read back otherwise") return TSiteWords::tr("прочитан иначе, чем записан");
  return TSiteWords::tr("запись прервана");  // "interrupted", or never closed
}

}  // namespace

QString TSiteWords::History(const TReaderHistory& reader) {
  QStringList lines{tr("История записей:")};
  const QString unknown = QStringLiteral("?");
  for (const THistoryEntry& entry : reader.entries) {
    QStringList fields;
    for (const TFieldChange& field : entry.fields)
      fields << tr("%1: %2 → %3").arg(FieldName(field.field, TFieldNaming::Panel), field.before ? Text(*field.before) : unknown,
                                      field.after ? Text(*field.after) : unknown);
    lines << tr("%1, %2@%3, серийный номер %4: %5")
                 .arg(entry.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), Text(entry.user),
                      Text(entry.host), Text(entry.serial), OutcomeWords(entry.outcome));
    for (const QString& field : fields) lines << QStringLiteral("    ") + field;
    for (const TReaderFault& fault : entry.faults) lines << QStringLiteral("    ") + FaultText(fault, TFieldNaming::Panel);
  }
  return lines.join(QLatin1Char('\n'));
}

QString TSiteWords::Totals(const TSiteResult& result) {
  std::array<int, kStateLooks.size()> counts{};
  int readers = 0;
  for (const TLineResult& line : result.lines)
    for (const TReaderResult& reader : line.readers) {
      ++readers;
      for (std::size_t i = 0; i < kStateLooks.size(); ++i) counts[i] += reader.state == kStateLooks[i].state;
    }
  QStringList parts;
  for (std::size_t i = 0; i < kStateLooks.size(); ++i)
    if (counts[i]) parts << tr("%1: %2").arg(StateWord(kStateLooks[i].state)).arg(counts[i]);
  const QString total = tr("Считывателей: %n", nullptr, readers);
  return parts.isEmpty() ? total : tr("%1 — %2").arg(total, parts.join(QStringLiteral(", ")));
}

QString TSiteWords::PluggingOrder(const TSiteFile& site) {
  QStringList lines;
  for (const auto& [line, stable] : LinesInPluggingOrder(site))
    lines << tr("Линия %1 (%2) названа в порядке подключения адаптеров; её имя, которое не меняется: %3")
                 .arg(line)
                 .arg(Text(site.lines[line].port), Text(stable));
  return lines.join(QLatin1Char('\n'));
}

QString TSiteWords::ApplyQuestion(const TApproval& readers, const TSiteResult& survey) {
  std::map<std::size_t, QStringList> byLine;
  for (const TApprovedReader& reader : readers) byLine[reader.line] << QString::number(reader.address);
  QString text = tr("Записать параметры в %1 на %2?")
                     .arg(tr("%n считывателей", nullptr, static_cast<int>(readers.size())),
                          tr("%n линиях", nullptr, static_cast<int>(byLine.size())));
  for (const auto& [line, addresses] : byLine)
    text += QStringLiteral("\r\n") +
            tr("линия %1 (%2): %3").arg(line).arg(Text(survey.lines[line].port), addresses.join(QStringLiteral(", ")));
  return text;
}

QString TSiteWords::NotWritten(const TReaderResult& reader, const std::string* approvedSerial) {
  if (!approvedSerial) return reader.state == TReaderState::Differs ? tr("не записан: его не было в вопросе") : QString();
  switch (reader.state) {
    case TReaderState::Written:
    case TReaderState::Failed:
    case TReaderState::NotReached:
      return {};
    case TReaderState::Differs:
      // The same serial: a run stopped before it; its line says why.
      if (reader.serial.value_or("") == *approvedSerial) return {};
      return tr("не записан: теперь это другой считыватель (был %1)").arg(Text(*approvedSerial));
    default:
      return tr("не записан: изменился после вопроса");
  }
}

QString TSiteWords::ClocksSetBack(const TSiteResult& result) {
  int readers = 0;
  int mostDays = 0;
  for (const TLineResult& line : result.lines)
    for (const TReaderResult& reader : line.readers) {
      if (reader.state != TReaderState::Differs) continue;
      for (const TReadBackDifference& d : reader.differences)
        if (d.clockShift && *d.clockShift < 0) {
          ++readers;
          mostDays = std::max(mostDays, -*d.clockShift);
        }
    }
  if (readers == 0) return {};
  return tr("%1, самое большее на %2.")
      .arg(tr("Часы %n считывателя будут переведены назад", nullptr, readers), tr("%n день", nullptr, mostDays));
}

QString TSiteWords::SnapshotGaps(const std::vector<TSnapshotGap>& gaps) {
  QStringList lines;
  for (const TSnapshotGap& gap : gaps) {
    const QString line = tr("линия %1 (%2)").arg(gap.line->index).arg(Text(gap.line->port));
    lines << (gap.reader ? line + QStringLiteral(", ") + tr("считыватель %1").arg(int{gap.reader->address}) + QStringLiteral(": ") +
                               Details(*gap.reader).replace(QLatin1Char('\n'), QStringLiteral("; "))
                         : line + QStringLiteral(": ") + LineState(*gap.line));
  }
  return lines.join(QLatin1Char('\n'));
}

QByteArray TSiteWords::ReportCsv(const TSiteResult& result) {
  QString text = CsvLine({tr("Линия"), tr("Порт"), tr("Адрес"), tr("Серийный номер"), tr("Состояние"), tr("Подробности")});
  for (const TLineResult& line : result.lines) {
    const QString index = QString::number(line.index);
    if (line.status != TLineStatus::Done || line.cancelled)
      text += CsvLine({index, Text(line.port), {}, {}, LineState(line), {}});
    for (const TReaderResult& reader : line.readers)
      text += CsvLine({index, Text(line.port), QString::number(reader.address), Text(reader.serial.value_or("")),
                       State(reader), Details(reader)});
  }
  return text.toUtf8();
}
