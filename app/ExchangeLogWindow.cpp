#include "ExchangeLogWindow.h"

#include "CodeTables.h"
#include "ExchangeLogModel.h"
#include "ReaderText.h"
#include "SaveFile.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kInitialHeight = 420;
// A column is as wide as its title or as this text (what a read shows), whichever is wider; the
// last one takes the rest of the window. Longer texts are cut with an ellipsis and shown whole as
// the cell's tip.
QString ColumnSample(int column) {
  switch (column) {
    case TExchangeLogModel::Time: return QStringLiteral("00:00:00.000");
    case TExchangeLogModel::Address: return QStringLiteral("255");
    case TExchangeLogModel::Command: return ReaderText(CommandText(cmd::ReadBlackList));
    case TExchangeLogModel::Attempt: return QStringLiteral("3");
    case TExchangeLogModel::RoundTrip: return QStringLiteral("3200");
    case TExchangeLogModel::Outcome: return TExchangeLogModel::tr("прервано");
    case TExchangeLogModel::Request: return QStringLiteral("01 06 9A 09 A2 1D");
    default: return QStringLiteral("01 0A 9B 00 12 AB 9F FF 0D 3C");
  }
}
constexpr int kCellPadding = 12;

}  // namespace

TExchangeLogWindow::TExchangeLogWindow(TExchangeLogModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model) {
  setObjectName(QStringLiteral("frmExchangeLog"));
  setWindowTitle(tr("Журнал обмена"));

  tvExchanges = new QTableView(this);
  tvExchanges->setObjectName(QStringLiteral("tvExchanges"));
  tvExchanges->setModel(&model_);
  tvExchanges->setSelectionBehavior(QAbstractItemView::SelectRows);
  tvExchanges->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvExchanges->setAlternatingRowColors(true);
  tvExchanges->setWordWrap(false);
  // Rows of one height that never measure their contents: appending stays cheap at any length.
  QHeaderView* rows = tvExchanges->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  const QFontMetrics digits(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  rows->setDefaultSectionSize(std::max(tvExchanges->fontMetrics().height(), digits.height()) + 6);
  tvExchanges->horizontalHeader()->setStretchLastSection(true);
  SizeColumns();

  btnClearExchanges = new QPushButton(tr("Очистить"), this);
  btnClearExchanges->setObjectName(QStringLiteral("btnClearExchanges"));
  btnClearExchanges->setToolTip(tr("Удалить все строки журнала обмена"));
  btnSaveExchanges = new QPushButton(tr("Сохранить…"), this);
  btnSaveExchanges->setObjectName(QStringLiteral("btnSaveExchanges"));
  btnSaveExchanges->setToolTip(tr("Сохранить журнал обмена в файл CSV"));
  connect(btnClearExchanges, &QPushButton::clicked, &model_, &TExchangeLogModel::Clear);
  connect(btnSaveExchanges, &QPushButton::clicked, this, &TExchangeLogWindow::SaveRows);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClearExchanges);
  buttons->addWidget(btnSaveExchanges);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tvExchanges);
  layout->addLayout(buttons);
  // Wide enough for every column, as far as the screen allows.
  int width = tvExchanges->verticalScrollBar()->sizeHint().width() + 2 * tvExchanges->frameWidth();
  for (int column = 0; column < TExchangeLogModel::ColumnCount; ++column) width += tvExchanges->columnWidth(column);
  width += layout->contentsMargins().left() + layout->contentsMargins().right();
  if (const QScreen* desktop = screen()) width = std::min(width, desktop->availableGeometry().width());
  resize(width, kInitialHeight);

  // The newest row stays in view, unless the operator has scrolled up to read an older one.
  connect(&model_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
    const QScrollBar* bar = tvExchanges->verticalScrollBar();
    followNewest_ = bar->value() == bar->maximum();
  });
  connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] {
    if (followNewest_) tvExchanges->scrollToBottom();
  });
  tvExchanges->scrollToBottom();
}

void TExchangeLogWindow::SizeColumns() {
  const QFontMetrics text = tvExchanges->fontMetrics();
  const QFontMetrics digits(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QFontMetrics titles = tvExchanges->horizontalHeader()->fontMetrics();
  for (int column = 0; column < TExchangeLogModel::ColumnCount; ++column) {
    const QString title = model_.headerData(column, Qt::Horizontal).toString();
    const QFontMetrics& cells = TExchangeLogModel::FixedPitch(column) ? digits : text;
    const int width = std::max(titles.horizontalAdvance(title), cells.horizontalAdvance(ColumnSample(column)));
    tvExchanges->setColumnWidth(column, width + kCellPadding);
  }
}

void TExchangeLogWindow::SaveRows() {
  SaveWithDialog(this, TFileChoice::SaveExchangeLog, tr("Сохранение журнала обмена"), model_.Csv());
}
