#include "SiteWindow.h"

#include "CPort.h"
#include "FileChoice.h"
#include "IniFile.h"
#include "MessageBoxes.h"
#include "PortSession.h"
#include "SaveFile.h"
#include "SiteJournal.h"
#include "SiteRun.h"
#include "SiteSnapshot.h"
#include "SiteWords.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum TColumn { ColumnPlace, ColumnSerial, ColumnState, ColumnCount };

// Item data: a line's index, or a reader's address, state and details.
constexpr int kKeyRole = Qt::UserRole;
constexpr int kStateRole = Qt::UserRole + 1;
constexpr int kDetailsRole = Qt::UserRole + 2;
constexpr int kNeedsAttentionRole = Qt::UserRole + 3;  // a line that failed or was stopped

constexpr QSize kInitialSize{640, 520};
constexpr int kInitialColumnWidths[] = {260, 110};
constexpr int kRecentSites = 5;

// The window's layout and the recent site files live in the settings file, beside the port's.
const QByteArray kSection = "SiteWindow";

QString Text(const std::string& text) { return QString::fromStdString(text); }

void ShowReaderState(QTreeWidgetItem& item, TReaderState state, const QString& words) {
  item.setData(ColumnPlace, kStateRole, static_cast<int>(state));
  item.setText(ColumnState, words);
  item.setIcon(ColumnState, TSiteWords::StateIcon(state));
}

TReaderState ShownState(const QTreeWidgetItem& item) {
  return static_cast<TReaderState>(item.data(ColumnPlace, kStateRole).toInt());
}

}  // namespace

TSiteWindow::TSiteWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmSite"));
  setWindowTitle(tr("Объект"));

  tvSite = new QTreeWidget(this);
  tvSite->setObjectName(QStringLiteral("tvSite"));
  tvSite->setColumnCount(ColumnCount);
  tvSite->setHeaderLabels({tr("Линия / адрес"), tr("Серийный номер"), tr("Состояние")});
  tvSite->setUniformRowHeights(true);  // scrolling a long site never measures its rows
  tvSite->setTextElideMode(Qt::ElideMiddle);  // a long port keeps its start and its end
  tvSite->header()->setStretchLastSection(true);
  connect(tvSite, &QTreeWidget::currentItemChanged, this, &TSiteWindow::ShowDetails);

  memReaderDetails = new QPlainTextEdit(this);
  memReaderDetails->setObjectName(QStringLiteral("memReaderDetails"));
  memReaderDetails->setReadOnly(true);
  memReaderDetails->setPlaceholderText(tr("Выберите считыватель: здесь будут его отличия от плана или ошибки"));

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(tvSite);
  split->addWidget(memReaderDetails);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);

  cbAttentionOnly = new QCheckBox(tr("Только требующие внимания"), this);
  cbAttentionOnly->setObjectName(QStringLiteral("cbAttentionOnly"));
  cbAttentionOnly->setToolTip(tr("Скрыть считыватели, которые совпадают с планом"));
  connect(cbAttentionOnly, &QCheckBox::toggled, this, &TSiteWindow::ApplyFilter);

  lblTotals = new QLabel(this);
  lblTotals->setObjectName(QStringLiteral("lblTotals"));
  lblTotals->setWordWrap(true);

  btnCancelRun = new QPushButton(tr("Отмена"), this);
  btnCancelRun->setObjectName(QStringLiteral("btnCancelRun"));
  btnCancelRun->setToolTip(tr("Каждая линия закончит считыватель, с которым работает, и остановится"));
  btnCancelRun->setEnabled(false);
  connect(btnCancelRun, &QPushButton::clicked, this, &TSiteWindow::Cancel);
  btnSaveReport = new QPushButton(tr("Сохранить отчёт…"), this);
  btnSaveReport->setObjectName(QStringLiteral("btnSaveReport"));
  btnSaveReport->setToolTip(tr("Сохранить таблицу объекта в файл CSV"));
  btnSaveReport->setEnabled(false);
  connect(btnSaveReport, &QPushButton::clicked, this, &TSiteWindow::SaveReport);

  // Escape cancels a run wherever the focus is in the window.
  auto* escape = new QAction(this);
  escape->setShortcut(Qt::Key_Escape);
  escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QAction::triggered, this, &TSiteWindow::Cancel);
  addAction(escape);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cbAttentionOnly);
  buttons->addStretch();
  buttons->addWidget(btnCancelRun);
  buttons->addWidget(btnSaveReport);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);
  layout->addWidget(lblTotals);
  layout->addLayout(buttons);
  RestoreLayout();
}

TSiteWindow::~TSiteWindow() {
  if (isVisible()) SaveLayout();
  // A run still going (the program ends): each line finishes its reader, then the threads end.
}

void TSiteWindow::AddToolBar(const QList<QAction*>& actions) {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("SiteToolBar"));
  bar->setIconSize(QSize(16, 16));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->addActions(actions);
  static_cast<QVBoxLayout*>(layout())->insertWidget(0, bar);
  addActions(actions);
}

bool TSiteWindow::OpenSite(const QString& path) {
  if (run_) return false;
  try {
    site_ = std::make_unique<TSiteFile>(LoadSiteFile(path));
  } catch (const ESiteFile& e) {
    ShowErrorMessage(this, {tr("Открытие объекта"), tr("Файл объекта не принят: %1").arg(path), TSiteWords::FileRefusal(e)});
    return false;
  }
  result_.reset();
  setWindowTitle(tr("Объект: %1").arg(Text(site_->name)));
  ShowPlan();
  Remember(path);
  emit StateChanged();
  return true;
}

void TSiteWindow::Survey() {
  if (site_ && !run_) Start(TSiteTask::Survey);
}

void TSiteWindow::Apply() {
  if (!site_ || run_) return;
  if (!result_) {
    applyAfterSurvey_ = true;
    Start(TSiteTask::Survey);
    return;
  }
  AskAndApply();
}

void TSiteWindow::AskAndApply() {
  TApproval readers = DifferingReaders(*result_);
  const QString caption = tr("Применение объекта");
  if (readers.empty()) {
    lblTotals->setText(tr("%1. Ни один считыватель не отличается от плана: записывать нечего.")
                           .arg(TSiteWords::Totals(*result_)));
    return;
  }
  const QString clocks = TSiteWords::ClocksSetBack(*result_);
  const QString question =
      TSiteWords::ApplyQuestion(readers, *result_) + (clocks.isEmpty() ? QString() : QStringLiteral("\r\n") + clocks);
  if (!AskToProceed(this, {caption, question, {}})) return;
  try {
    // Opened before any line is: a journal that cannot be written stops the apply before its
    // first write.
    journal_ = std::make_unique<TSiteJournal>(TSiteJournal::PathBeside(site_->path));
  } catch (const ESiteJournal& e) {
    ShowErrorMessage(this, {caption, tr("Журнал объекта не открыт; ничего не записано"), Text(e.what())});
    return;
  }
  // The readers an earlier run left half written are surveyed and written like any other.
  if (const QString mended = TSiteWords::JournalMended(*journal_); !mended.isEmpty())
    ShowErrorMessage(this, {caption, tr("Прошлое применение прервано во время записи"), mended});
  // What was asked about is what is written: a reader that changed since is left as it is.
  approved_ = std::move(readers);
  Start(TSiteTask::Apply);
}

void TSiteWindow::Snapshot() {
  if (!site_ || run_) return;
  snapshotPath_ = ChooseFile(this, TFileChoice::SaveSiteSnapshot);
  if (!snapshotPath_.isEmpty()) Start(TSiteTask::Snapshot);
}

void TSiteWindow::Discover(const QString& path) {
  if (Running()) return;
  const QString caption = tr("Новый объект из подключённых линий");
  std::vector<std::string> ports;
  try {
    ports = PluggedInPorts();
  } catch (const EComPort& e) {
    ShowErrorMessage(this, {caption, tr("Не удалось узнать, какие адаптеры подключены"), Text(e.what())});
    return;
  }
  if (ports.empty()) {
    ShowErrorMessage(this, {caption, tr("Ни один последовательный адаптер не подключён"), {}});
    return;
  }
  discoveryPath_ = path;
  site_.reset();
  result_.reset();
  approved_.reset();
  tvSite->clear();
  memReaderDetails->clear();
  progress_.assign(ports.size(), {});
  for (std::size_t i = 0; i < ports.size(); ++i)
    new QTreeWidgetItem(tvSite, {Text(ports[i])});
  discovery_ = std::make_unique<TSiteDiscovery>(QFileInfo(path).completeBaseName().toStdString(), ports,
                                                std::vector<std::uint32_t>(std::begin(kDiscoveryRates), std::end(kDiscoveryRates)));
  connect(discovery_.get(), &TSiteDiscovery::RateStarted, this, [this](std::uint32_t baud) {
    lblTotals->setText(tr("Поиск считывателей на скорости %1 бод…").arg(baud));
  });
  connect(discovery_.get(), &TSiteDiscovery::Progress, this, &TSiteWindow::ShowProgress);
  connect(discovery_.get(), &TSiteDiscovery::Finished, this, &TSiteWindow::DiscoveryEnded);
  discovery_->Start();
  btnCancelRun->setEnabled(true);
  btnSaveReport->setEnabled(false);
  emit StateChanged();
}

void TSiteWindow::DiscoveryEnded() {
  TSiteDiscovery* const discovery = discovery_.release();
  discovery->deleteLater();  // its signal is still being delivered
  btnCancelRun->setEnabled(false);
  const QString caption = tr("Новый объект из подключённых линий");
  const std::size_t lines = discovery->Site().lines.size();
  if (discovery->Cancelled()) {
    lblTotals->setText(tr("Поиск остановлен; файл не записан."));
  } else if (lines == 0) {
    lblTotals->setText(tr("Ни на одном адаптере ни на одной скорости не ответил ни один считыватель; файл не записан."));
  } else if (const QString reason = WriteWholeFile(discoveryPath_, SnapshotFile(discovery->Site(), discovery->Result()));
             !reason.isEmpty()) {
    ShowErrorMessage(this, {caption, tr("Не удалось сохранить файл %1").arg(discoveryPath_), reason});
  } else {
    OpenSite(discoveryPath_);
    lblTotals->setText(tr("Найденные линии (%1) записаны в %2 как новый объект.").arg(lines).arg(discoveryPath_));
  }
  emit StateChanged();
  if (std::exchange(closeWhenEnded_, false)) close();
}

void TSiteWindow::Cancel() {
  if (discovery_) {
    discovery_->Cancel();
    btnCancelRun->setEnabled(false);
    return;
  }
  if (!run_) return;
  run_->Cancel();
  btnCancelRun->setEnabled(false);
  lblTotals->setText(tr("Остановка: каждая линия заканчивает считыватель, с которым работает…"));
}

void TSiteWindow::SaveReport() {
  if (result_) SaveWithDialog(this, TFileChoice::SaveSiteReport, tr("Сохранение отчёта"), TSiteWords::ReportCsv(*result_));
}

void TSiteWindow::Start(TSiteTask task) {
  task_ = task;
  if (task != TSiteTask::Apply) approved_.reset();
  ShowPlan();
  progress_.assign(site_->lines.size(), {});
  for (std::size_t i = 0; i < site_->lines.size(); ++i) {
    progress_[i].total = static_cast<int>(site_->lines[i].readers.size());
    ShowLineProgress(i);
  }
  run_ = std::make_unique<TSiteRun>(*site_, task, journal_.get(), approved_ ? &*approved_ : nullptr);
  connect(run_.get(), &TSiteRun::Progress, this, &TSiteWindow::ShowProgress);
  connect(run_.get(), &TSiteRun::Finished, this, &TSiteWindow::RunEnded);
  run_->Start();
  btnCancelRun->setEnabled(true);
  btnSaveReport->setEnabled(false);
  lblTotals->setText(WithPluggingOrder(task == TSiteTask::Apply ? tr("Применение…") : tr("Обследование…")));
  emit StateChanged();
}

void TSiteWindow::RunEnded() {
  result_ = run_->Join();
  run_.release()->deleteLater();  // its signal is still being delivered
  journal_.reset();
  btnCancelRun->setEnabled(false);
  btnSaveReport->setEnabled(true);
  ShowResult();
  if (task_ == TSiteTask::Snapshot && !result_->cancelled) SaveSnapshot();
  const bool applyNow = std::exchange(applyAfterSurvey_, false) && !result_->cancelled && !closeWhenEnded_;
  emit StateChanged();
  if (std::exchange(closeWhenEnded_, false)) close();
  else if (applyNow) AskAndApply();
}

void TSiteWindow::SaveSnapshot() {
  const QString caption = tr("Снимок объекта");
  const QString reason = WriteWholeFile(snapshotPath_, SnapshotFile(*site_, *result_));
  if (!reason.isEmpty()) {
    ShowErrorMessage(this, {caption, tr("Не удалось сохранить файл %1").arg(snapshotPath_), reason});
    return;
  }
  const std::vector<TSnapshotGap> gaps = SnapshotGaps(*result_);
  if (!gaps.empty())
    ShowErrorMessage(this, {caption, tr("Снимок %1 сохранён неполным: в нём нет считывателей, которые не прочитаны, и линий, "
                                        "которые не обследованы.").arg(snapshotPath_),
                            TSiteWords::SnapshotGaps(gaps)});
}

void TSiteWindow::ShowProgress(const TReaderProgress& progress) {
  if (progress.line >= progress_.size()) return;
  TLineProgress& line = progress_[progress.line];
  if (progress.lineEvent) {
    line.awaitingAdapter = progress.lineEvent == TLineEvent::AdapterGone;
    return ShowLineProgress(progress.line);
  }
  QTreeWidgetItem* item = ReaderItem(progress.line, progress.address);
  const std::optional<TReaderState>& state = progress.state;
  if (!state) {  // its write begins: the line's count is now of the readers it writes
    if (!line.writing) {
      const QTreeWidgetItem* lineItem = tvSite->topLevelItem(static_cast<int>(progress.line));
      line = {true, 0, 0};
      for (int i = 0; i < lineItem->childCount(); ++i) line.total += ShownState(*lineItem->child(i)) == TReaderState::Differs;
    }
    item->setText(ColumnState, tr("запись…"));
  } else {
    ShowReaderState(*item, *state, TSiteWords::StateWord(*state));
    ++line.done;
    line.total = std::max(line.total, line.done);  // a reader found but not planned adds to it
  }
  ShowLineProgress(progress.line);
}

void TSiteWindow::ShowLineProgress(std::size_t index) {
  const TLineProgress& line = progress_[index];
  if (line.awaitingAdapter) {
    tvSite->topLevelItem(static_cast<int>(index))->setText(ColumnState, tr("адаптер отключён: линия ждёт его"));
    return;
  }
  const QString step = line.writing ? tr("запись: %1 из %2") : tr("обследование: %1 из %2");
  tvSite->topLevelItem(static_cast<int>(index))->setText(ColumnState, step.arg(line.done).arg(line.total));
}

QTreeWidgetItem* TSiteWindow::ReaderItem(std::size_t line, std::uint8_t address) {
  QTreeWidgetItem* lineItem = tvSite->topLevelItem(static_cast<int>(line));
  for (int i = 0; i < lineItem->childCount(); ++i)
    if (lineItem->child(i)->data(ColumnPlace, kKeyRole).toInt() == address) return lineItem->child(i);
  auto* item = new QTreeWidgetItem(lineItem, {QString::number(address)});
  item->setData(ColumnPlace, kKeyRole, address);
  lineItem->setExpanded(true);  // a reader found during a run is seen at once
  return item;
}

void TSiteWindow::LoadHistory() {
  try {
    history_ = ReadHistory(TSiteJournal::PathBeside(site_->path), {});
  } catch (const ESiteJournal&) {
    history_.clear();  // a journal that cannot be read has no history to show; an apply says why
  }
}

void TSiteWindow::ShowPlan() {
  tvSite->clear();
  memReaderDetails->clear();
  LoadHistory();
  for (std::size_t i = 0; i < site_->lines.size(); ++i) {
    const TSiteLine& line = site_->lines[i];
    auto* lineItem = new QTreeWidgetItem(tvSite, {Text(line.port)});
    lineItem->setData(ColumnPlace, kKeyRole, static_cast<int>(i));
    for (const TPlannedReader& reader : line.readers) {
      QTreeWidgetItem* item = ReaderItem(i, reader.address);
      item->setText(ColumnSerial, Text(reader.serial.value_or("")));
      ShowReaderState(*item, TReaderState::NotReached, TSiteWords::StateWord(TReaderState::NotReached));
    }
  }
  tvSite->expandAll();
  lblTotals->setText(tr("Линий: %n", nullptr, static_cast<int>(site_->lines.size())));
}

void TSiteWindow::ShowResult() {
  tvSite->clear();
  memReaderDetails->clear();
  LoadHistory();
  for (const TLineResult& line : result_->lines) {
    auto* lineItem = new QTreeWidgetItem(tvSite, {Text(line.port), {}, TSiteWords::LineState(line)});
    lineItem->setData(ColumnPlace, kKeyRole, static_cast<int>(line.index));
    lineItem->setData(ColumnPlace, kNeedsAttentionRole, line.status != TLineStatus::Done || line.cancelled);
    if (line.status != TLineStatus::Done) lineItem->setIcon(ColumnState, TSiteWords::StateIcon(TReaderState::Failed));
    for (const TReaderResult& reader : line.readers) {
      QTreeWidgetItem* item = ReaderItem(line.index, reader.address);
      item->setText(ColumnSerial, Text(reader.serial.value_or("")));
      item->setData(ColumnPlace, kDetailsRole, TSiteWords::Details(reader));
      QString state = TSiteWords::State(reader);
      if (approved_)
        if (const QString why = TSiteWords::NotWritten(reader, ApprovedSerial(line.index, reader.address)); !why.isEmpty())
          state += QStringLiteral(" — ") + why;
      ShowReaderState(*item, reader.state, state);
    }
  }
  tvSite->expandAll();
  lblTotals->setText(WithPluggingOrder(TSiteWords::Totals(*result_)));
  ApplyFilter();
}

QString TSiteWindow::WithPluggingOrder(const QString& text) const {
  // Each run warns of the lines whose adapters a reboot may swap, as parvex-cli does.
  const QString warning = site_ ? TSiteWords::PluggingOrder(*site_) : QString();
  return warning.isEmpty() ? text : text + QLatin1Char('\n') + warning;
}

const std::string* TSiteWindow::ApprovedSerial(std::size_t line, std::uint8_t address) const {
  const auto reader = std::find_if(approved_->begin(), approved_->end(),
                                   [&](const TApprovedReader& r) { return r.line == line && r.address == address; });
  return reader == approved_->end() ? nullptr : &reader->serial;
}

void TSiteWindow::ShowDetails() {
  const QTreeWidgetItem* item = tvSite->currentItem();
  if (!item || !item->parent()) {
    memReaderDetails->clear();
    return;
  }
  QString text = item->data(ColumnPlace, kDetailsRole).toString();
  // Its writes, as the journal keeps them: the line by its port, the reader by its address.
  const auto line = static_cast<std::size_t>(item->parent()->data(ColumnPlace, kKeyRole).toInt());
  const int address = item->data(ColumnPlace, kKeyRole).toInt();
  const auto history = std::find_if(history_.begin(), history_.end(), [&](const TReaderHistory& h) {
    return line < site_->lines.size() && h.port == site_->lines[line].port && h.address == address;
  });
  if (history != history_.end()) text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + TSiteWords::History(*history);
  memReaderDetails->setPlainText(text);
}

void TSiteWindow::ApplyFilter() {
  const bool attentionOnly = cbAttentionOnly->isChecked();
  for (int i = 0; i < tvSite->topLevelItemCount(); ++i) {
    QTreeWidgetItem* lineItem = tvSite->topLevelItem(i);
    bool anyShown = false;
    for (int r = 0; r < lineItem->childCount(); ++r) {
      QTreeWidgetItem* item = lineItem->child(r);
      item->setHidden(attentionOnly && Settled(ShownState(*item)));
      anyShown = anyShown || !item->isHidden();
    }
    lineItem->setHidden(attentionOnly && !anyShown && !lineItem->data(ColumnPlace, kNeedsAttentionRole).toBool());
  }
}

void TSiteWindow::closeEvent(QCloseEvent* event) {
  if (Running()) {  // the window closes once every line has finished its reader
    closeWhenEnded_ = true;
    Cancel();
    event->ignore();
    return;
  }
  SaveLayout();
  QWidget::closeEvent(event);
}

void TSiteWindow::Remember(const QString& sitePath) {
  recent_.removeAll(sitePath);
  recent_.prepend(sitePath);
  while (recent_.size() > kRecentSites) recent_.removeLast();
  try {
    TIniFile file(TPortSession::SettingsPath());
    for (int i = 0; i < kRecentSites; ++i)
      file.WriteString(kSection, "Recent" + QByteArray::number(i + 1), i < recent_.size() ? recent_[i].toUtf8() : QByteArray());
    file.UpdateFile();
  } catch (const EIniFile&) {
    // The list is a convenience: a settings file that cannot be written keeps it for this run.
  }
}

void TSiteWindow::RestoreLayout() {
  resize(kInitialSize);
  // A caption longer in one language than the width drawn for it widens its column.
  for (int column = 0; column < ColumnCount - 1; ++column)
    tvSite->setColumnWidth(column, std::max(kInitialColumnWidths[column], tvSite->header()->sectionSizeHint(column)));
  try {
    const TIniFile file(TPortSession::SettingsPath());
    const int width = file.ReadString(kSection, "Width", {}).toInt();
    const int height = file.ReadString(kSection, "Height", {}).toInt();
    if (width > 0 && height > 0) resize(width, height);
    const QList<QByteArray> columns = file.ReadString(kSection, "Columns", {}).split(',');
    for (int column = 0; column < std::min<int>(columns.size(), ColumnCount - 1); ++column)
      if (const int w = columns[column].toInt(); w > 0) tvSite->setColumnWidth(column, w);
    for (int i = 0; i < kRecentSites; ++i) {
      const QByteArray path = file.ReadString(kSection, "Recent" + QByteArray::number(i + 1), {});
      if (!path.isEmpty()) recent_ << QString::fromUtf8(path);
    }
  } catch (const EIniFile&) {
    // An unreadable settings file: the window starts with its own layout.
  }
}

void TSiteWindow::SaveLayout() const {
  try {
    TIniFile file(TPortSession::SettingsPath());
    file.WriteString(kSection, "Width", QByteArray::number(width()));
    file.WriteString(kSection, "Height", QByteArray::number(height()));
    QByteArrayList columns;
    for (int column = 0; column < ColumnCount - 1; ++column) columns << QByteArray::number(tvSite->columnWidth(column));
    file.WriteString(kSection, "Columns", columns.join(','));
    file.UpdateFile();
  } catch (const EIniFile&) {
    // The layout is a convenience: the next start uses the window's own.
  }
}
