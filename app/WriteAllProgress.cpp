#include "WriteAllProgress.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TfrmWriteAllProgress::TfrmWriteAllProgress(int readerCount, QWidget* parent)
    : QDialog(parent), readerCount_(readerCount) {
  setObjectName(QStringLiteral("frmWriteAllProgress"));
  setWindowTitle(tr("Запись во все считыватели"));
  setWindowModality(Qt::WindowModal);
  setMinimumWidth(360);

  auto* layout = new QVBoxLayout(this);
  lblReader = new QLabel(this);
  lblReader->setObjectName(QStringLiteral("lblReader"));
  layout->addWidget(lblReader);
  pbReaders = new QProgressBar(this);
  pbReaders->setObjectName(QStringLiteral("pbReaders"));
  pbReaders->setRange(0, readerCount);
  pbReaders->setFormat(tr("%v из %m"));
  layout->addWidget(pbReaders);
  lblCancel = new QLabel(tr("Запись остановится после текущего считывателя"), this);
  lblCancel->setObjectName(QStringLiteral("lblCancel"));
  lblCancel->setVisible(false);
  layout->addWidget(lblCancel);

  auto* buttons = new QDialogButtonBox(this);
  btnCancel = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::rejected, this, &TfrmWriteAllProgress::reject);
  layout->addWidget(buttons);
}

void TfrmWriteAllProgress::ShowReader(int index, const QString& entry) {
  lblReader->setText(tr("Считыватель %1 из %2: %3").arg(index + 1).arg(readerCount_).arg(entry));
  pbReaders->setValue(index);
}

// A reader's write is never cut short: the run stops between two readers.
void TfrmWriteAllProgress::reject() {
  cancelRequested_ = true;
  btnCancel->setEnabled(false);
  lblCancel->setVisible(true);
}
