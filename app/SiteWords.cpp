#include "SiteWords.h"

#include "CsvText.h"

#include <QApplication>
#include <QStyle>

#include <array>

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

const TStateLook& Look(TReaderState state) {
  for (const TStateLook& look : kStateLooks)
    if (look.state == state) return look;
  return kStateLooks.back();
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString TSiteWords::StateWord(TReaderState state) { return tr(Look(state).word); }

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
  }
  if (line.cancelled) text += tr(", остановлена");
  return text;
}

QString TSiteWords::Details(const TReaderResult& reader) {
  QStringList lines;
  for (const TReadBackDifference& d : reader.differences)
    lines << (d.read ? tr("%1: по плану %2, найдено %3").arg(Text(d.field), Text(d.written), Text(*d.read))
                     : tr("%1: по плану %2, не прочитано").arg(Text(d.field), Text(d.written)));
  for (const std::string& error : reader.errors) lines << Text(error);
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

QString TSiteWords::ApplyQuestion(int readers, int lines) {
  return tr("Записать параметры в %1 на %2?")
      .arg(tr("%n считывателей", nullptr, readers), tr("%n линиях", nullptr, lines));
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

std::optional<TReaderState> ProgressState(const std::string& text) {
  for (const TStateLook& look : kStateLooks)
    if (StateText(look.state) == text) return look.state;
  return std::nullopt;
}
