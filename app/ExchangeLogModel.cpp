#include "ExchangeLogModel.h"

#include "CodeTables.h"
#include "ExchangeText.h"
#include "Utf8Text.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QFontDatabase>
#include <QStringList>

namespace {

const char* const kHeaders[TExchangeLogModel::ColumnCount] = {
    "Время", "Адрес", "Команда", "Попытка", "Задержка, мс", "Результат", "Запрос", "Ответ"};
const QString kTimeFormat = QStringLiteral("hh:mm:ss.zzz");
const QString kCsvTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");

QString Hex(const std::vector<std::uint8_t>& frame) { return QString::fromStdString(HexFrame(frame)); }

QString OutcomeCell(const ExchangeRow& row) {
  if (row.interrupted) return QStringLiteral("прервано");
  if (!row.outcome) return QStringLiteral("ожидание");
  return Utf8Text(OutcomeText(*row.outcome, row.response, kWindowWords));
}

QString CsvField(const QString& text) {
  static const QString kSpecial = QStringLiteral(",\"\r\n");
  if (std::none_of(text.begin(), text.end(), [](QChar c) { return kSpecial.contains(c); })) return text;
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CsvLine(const QStringList& fields) {
  QStringList quoted;
  for (const QString& field : fields) quoted << CsvField(field);
  return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

}  // namespace

TExchangeLogModel::TExchangeLogModel(ExchangeRowRecorder::TClock linkClock, QObject* parent)
    : QAbstractTableModel(parent),
      recorder_(*this, std::move(linkClock)),
      wallClock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {}

void TExchangeLogModel::Fill(TLogRow& target, const ExchangeRow& row) {
  target.id = row.id;
  target.failed = row.interrupted || (row.outcome && *row.outcome != TCommandOutcome::Accepted);
  target.cells[Address] = QString::number(row.address);
  target.cells[Command] = Utf8Text(CommandText(row.code));
  target.cells[Attempt] = QString::number(row.attempt);
  const bool ended = row.outcome || row.interrupted;
  target.cells[RoundTrip] = ended ? QString::number(row.roundTripMs) : QString();
  target.cells[Outcome] = OutcomeCell(row);
  target.cells[Request] = Hex(row.request);
  target.cells[Response] = Hex(row.response);
}

void TExchangeLogModel::RowStarted(const ExchangeRow& row) { Append(row, wallClock_()); }

void TExchangeLogModel::RowEnded(const ExchangeRow& row) {
  if (!rows_.empty() && rows_.back().id == row.id) {
    TLogRow& shown = rows_.back();
    Fill(shown, row);
    const int last = rowCount() - 1;
    emit dataChanged(index(last, 0), index(last, ColumnCount - 1));
    return;
  }
  // A row that was not shown started (a search's further answer, or one cleared away while it
  // was awaited): it went out a round trip ago.
  Append(row, wallClock_() - row.roundTripMs);
}

void TExchangeLogModel::Append(const ExchangeRow& row, qint64 timeMs) {
  if (rows_.size() >= static_cast<std::size_t>(kMaxRows)) {
    beginRemoveRows({}, 0, 0);
    rows_.pop_front();
    endRemoveRows();
  }
  TLogRow added;
  added.timeMs = timeMs;
  added.cells[Time] = QDateTime::fromMSecsSinceEpoch(timeMs).toString(kTimeFormat);
  Fill(added, row);
  const int at = rowCount();
  beginInsertRows({}, at, at);
  rows_.push_back(std::move(added));
  endInsertRows();
}

void TExchangeLogModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

QByteArray TExchangeLogModel::Csv() const {
  QStringList header;
  for (const char* title : kHeaders) header << Utf8Text(title);
  QString text = CsvLine(header);
  for (const TLogRow& row : rows_) {
    QStringList fields(row.cells.begin(), row.cells.end());
    fields[Time] = QDateTime::fromMSecsSinceEpoch(row.timeMs).toString(kCsvTimeFormat);
    text += CsvLine(fields);
  }
  return text.toUtf8();
}

int TExchangeLogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TExchangeLogModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TExchangeLogModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
  const TLogRow& row = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return row.cells[static_cast<std::size_t>(index.column())];
    case Qt::TextAlignmentRole:
      if (index.column() == Address || index.column() == Attempt || index.column() == RoundTrip)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::FontRole:
      if (FixedPitch(index.column())) return QFontDatabase::systemFont(QFontDatabase::FixedFont);
      return {};
    case Qt::ForegroundRole:
      if (index.column() == Outcome && row.failed) return QBrush(QColor(0xB0, 0x00, 0x00));
      return {};
    default:
      return {};
  }
}

QVariant TExchangeLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
  return Utf8Text(kHeaders[section]);
}
