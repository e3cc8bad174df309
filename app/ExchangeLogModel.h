#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>

#include "ExchangeRows.h"

// The exchange log: one row per sending of a request, with its time, reader, command, attempt,
// round trip, outcome and both frames in hex. It keeps the newest kMaxRows rows. What the link
// reports is only noted while the exchange runs; the rows follow a moment later, in one batch,
// so that a view's work never lengthens an exchange.
class TExchangeLogModel : public QAbstractTableModel, private ExchangeRowRecorder::Sink {
  Q_OBJECT

 public:
  enum TColumn { Time, Address, Command, Attempt, RoundTrip, Outcome, Request, Response, ColumnCount };
  static constexpr int kMaxRows = 10000;
  using TWallClock = std::function<qint64()>;  // milliseconds since the epoch

  // linkClock is the link's own monotonic clock, which the round trips are measured on.
  explicit TExchangeLogModel(ExchangeRowRecorder::Clock linkClock, QObject* parent = nullptr);

  // What the link is given to observe.
  ExchangeObserver& Observer() { return recorder_; }
  // Where the time of a row comes from; the local clock unless a test gives another.
  void SetWallClock(TWallClock clock) { wallClock_ = std::move(clock); }

  // Times and frames are in a fixed-pitch font, so that their digits line up row under row.
  static bool FixedPitch(int column) { return column == Time || column == Request || column == Response; }

  // Brings the rows up to date now with what the link has reported.
  void ApplyPending();
  void Clear();
  // Every row under a header line, as comma-separated values in UTF-8 (RFC 4180: fields with a
  // comma, a quote or a line break in quotes, quotes doubled; lines end in CR LF).
  QByteArray Csv();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct TLogRow {
    std::uint64_t id = 0;
    qint64 timeMs = 0;  // since the epoch
    bool failed = false;
    std::array<QString, ColumnCount> cells;
  };

  struct TReport {
    ExchangeRow row;
    qint64 sentMs;  // since the epoch
  };

  void RowStarted(const ExchangeRow& row) override;
  void RowEnded(const ExchangeRow& row) override;
  void Note(const ExchangeRow& row, qint64 sentMs);
  static TLogRow Made(const ExchangeRow& row, qint64 timeMs);

  ExchangeRowRecorder recorder_;
  TWallClock wallClock_;
  std::deque<TLogRow> rows_;
  std::vector<TReport> pending_;  // reported, not yet rows
  QTimer apply_;
};
