#include "WriteAllResults.h"

#include "ParameterFileWords.h"
#include "ReaderText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString OutcomeText(const std::optional<TVerifiedWrite>& outcome) {
  if (!outcome) return TfrmWriteAllResults::tr("не записан: запись отменена");
  if (outcome->Verified()) return TfrmWriteAllResults::tr("записан и проверен");
  if (!outcome->writeErrors.empty() || !outcome->readErrors.empty()) return TfrmWriteAllResults::tr("ошибки");
  return TfrmWriteAllResults::tr("прочитан не так, как записан");
}

// The lines beneath a reader: the write's failed commands, the read-back's, then the fields.
QStringList DetailLines(const TVerifiedWrite& outcome) {
  QStringList lines;
  for (const ErrorList* errors : {&outcome.writeErrors, &outcome.readErrors})
    for (const ErrorEntry& failure : errors->Entries()) lines << ErrorLineText(failure);
  for (const TReadBackDifference& difference : outcome.differences) lines << DifferenceText(difference);
  return lines;
}

}  // namespace

TfrmWriteAllResults::TfrmWriteAllResults(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmWriteAllResults"));
  setWindowTitle(tr("Запись во все считыватели: результат"));
  resize(620, 360);

  auto* layout = new QVBoxLayout(this);
  lblSummary = new QLabel(this);
  lblSummary->setObjectName(QStringLiteral("lblSummary"));
  layout->addWidget(lblSummary);
  tvResults = new QTreeWidget(this);
  tvResults->setObjectName(QStringLiteral("tvResults"));
  tvResults->setColumnCount(2);
  tvResults->setHeaderLabels({tr("Считыватель"), tr("Результат")});
  tvResults->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tvResults->setRootIsDecorated(true);
  layout->addWidget(tvResults);

  auto* buttons = new QDialogButtonBox(this);
  btnClose = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TfrmWriteAllResults::ShowReports(const std::vector<TReaderWriteReport>& reports) {
  const auto verified = std::count_if(reports.begin(), reports.end(), [](const TReaderWriteReport& report) {
    return report.outcome && report.outcome->Verified();
  });
  lblSummary->setText(tr("Записано и проверено: %1 из %2").arg(verified).arg(reports.size()));
  tvResults->clear();
  for (const TReaderWriteReport& report : reports) {
    auto* row = new QTreeWidgetItem(tvResults, {report.reader, OutcomeText(report.outcome)});
    if (report.outcome)
      for (const QString& line : DetailLines(*report.outcome)) new QTreeWidgetItem(row, {QString(), line});
    row->setExpanded(true);
  }
}
