#include "ExchangeLogModel.h"

#include "CodeTables.h"
#include "CsvText.h"
#include "ExchangeText.h"
#include "ReaderText.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QFontDatabase>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

const char* const kHeaders[TExchangeLogModel::ColumnCount] = {
    QT_TRANSLATE_NOOP("TExchangeLogModel", "Время"),        QT_TRANSLATE_NOOP("TExchangeLogModel", "Адрес"),
    QT_TRANSLATE_NOOP("TExchangeLogModel", "Команда"),      QT_TRANSLATE_NOOP("TExchangeLogModel", "Попытка"),
    QT_TRANSLATE_NOOP("TExchangeLogModel", "Задержка, мс"), QT_TRANSLATE_NOOP("TExchangeLogModel", "Результат"),
    QT_TRANSLATE_NOOP("TExchangeLogModel", "Запрос"),       QT_TRANSLATE_NOOP("TExchangeLogModel", "Ответ")};
const QString kTimeFormat = QStringLiteral("hh:mm:ss.zzz");
const QString kCsvTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");

QString Hex(const std::vector<std::uint8_t>& frame) { return QString::fromStdString(HexFrame(frame)); }

QString OutcomeCell(const ExchangeRow& row) {
  if (row.interrupted) return TExchangeLogModel::tr("прервано");
  if (!row.outcome) return TExchangeLogModel::tr("ожидание");
  return QString::fromStdString(OutcomeText(*row.outcome, row.response, kWindowWords, ReaderTextUtf8));
}

// Rows reach the view at most this often: far below what an eye notices, and a burst of
// exchanges costs the view one insertion.
constexpr int kApplyMs = 50;

}  // namespace

TExchangeLogModel::TExchangeLogModel(ExchangeRowRecorder::Clock linkClock, QObject* parent)
    : QAbstractTableModel(parent),
      recorder_(*this, std::move(linkClock)),
      wallClock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
  apply_.setSingleShot(true);
  apply_.setInterval(kApplyMs);
  connect(&apply_, &QTimer::timeout, this, &TExchangeLogModel::ApplyPending);
}

TExchangeLogModel::TLogRow TExchangeLogModel::Made(const ExchangeRow& row, qint64 timeMs) {
  TLogRow made;
  made.id = row.id;
  made.timeMs = timeMs;
  made.failed = row.interrupted || (row.outcome && *row.outcome != CommandOutcome::Accepted);
  made.cells[Time] = QDateTime::fromMSecsSinceEpoch(timeMs).toString(kTimeFormat);
  made.cells[Address] = QString::number(row.address);
  made.cells[Command] = ReaderText(CommandText(row.code));
  made.cells[Attempt] = QString::number(row.attempt);
  const bool ended = row.outcome || row.interrupted;
  made.cells[RoundTrip] = ended ? QString::number(row.roundTripMs) : QString();
  made.cells[Outcome] = OutcomeCell(row);
  made.cells[Request] = Hex(row.request);
  made.cells[Response] = Hex(row.response);
  return made;
}

void TExchangeLogModel::RowStarted(const ExchangeRow& row) { Note(row, wallClock_()); }

// A row that did not start here (a search's further answer) went out a round trip ago.
void TExchangeLogModel::RowEnded(const ExchangeRow& row) { Note(row, wallClock_() - row.roundTripMs); }

void TExchangeLogModel::Note(const ExchangeRow& row, qint64 sentMs) {
  pending_.push_back({row, sentMs});
  if (!apply_.isActive()) apply_.start();
}

void TExchangeLogModel::ApplyPending() {
  apply_.stop();
  if (pending_.empty()) return;
  // The reports become rows: an end replaces its row when that is the newest (a report of its
  // start came before), else it is a row of its own.
  std::deque<TLogRow> added;
  std::optional<TLogRow> newestEnded;
  for (const TReport& report : pending_) {
    if (!added.empty() && added.back().id == report.row.id) {
      added.back() = Made(report.row, added.back().timeMs);
    } else if (added.empty() && !rows_.empty() && rows_.back().id == report.row.id) {
      newestEnded = Made(report.row, rows_.back().timeMs);
    } else {
      added.push_back(Made(report.row, report.sentMs));
    }
  }
  pending_.clear();
  if (newestEnded) {
    rows_.back() = std::move(*newestEnded);
    const int last = rowCount() - 1;
    emit dataChanged(index(last, 0), index(last, ColumnCount - 1));
  }
  while (added.size() > static_cast<std::size_t>(kMaxRows)) added.pop_front();
  const std::size_t excess = rows_.size() + added.size() - std::min(rows_.size() + added.size(), std::size_t{kMaxRows});
  if (excess > 0) {
    beginRemoveRows({}, 0, static_cast<int>(excess) - 1);
    rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(excess));
    endRemoveRows();
  }
  if (added.empty()) return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
  std::move(added.begin(), added.end(), std::back_inserter(rows_));
  endInsertRows();
}

void TExchangeLogModel::Clear() {
  apply_.stop();
  pending_.clear();
  beginResetModel();
  rows_.clear();
  endResetModel();
}

QByteArray TExchangeLogModel::Csv() {
  ApplyPending();  // what the link reported last is written too
  QStringList header;
  for (const char* title : kHeaders) header << tr(title);
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
  return tr(kHeaders[section]);
}
