// The window's reader operations: each takes the values of the parameter panel to the
// sequence that talks to the reader, and shows what came back.
#include "SDIMAIN.h"

#include "Abort.h"
#include "ErrorList.h"
#include "MessageBoxes.h"
#include "PanelValues.h"
#include "ParameterPanel.h"
#include "ReaderLink.h"
#include "ReaderMessages.h"
#include "ReaderSequences.h"
#include "Utf8Text.h"
#include "VerifiedWrite.h"
#include "WriteAllProgress.h"
#include "WriteAllResults.h"
#include "WriteKeysForm.h"

#include <QComboBox>

#include <string_view>

namespace {

void ShowMessage(QWidget* parent, const TOperationTexts& operation, std::string_view text) {
  ShowErrorMessage(parent, {Utf8Text(operation.caption), Utf8Text(text), {}});
}

// The error list under the operation's heading, when a command failed. True when shown.
bool ShowErrors(QWidget* parent, const TOperationTexts& operation, const ErrorList& errors) {
  if (errors.empty()) return false;
  ShowMessage(parent, operation, ComposeErrorMessage(operation.errorsHeading, errors));
  return true;
}

// Refusals of a write to every reader come under its own caption.
constexpr std::string_view kWriteAllCaption = "Запись во все считыватели";

}  // namespace

void TParvexForm::acReadParametersExecute() {
  {
    TBusyLock lock(*this);
    const TReadOutcome outcome =
        ReadParameters(Link(), Errors(), SelectedReader(*Panel1),
                       [this](const TReaderParameters& values, TParameter parameter, int row) {
                         ShowReadValue(*Panel1, values, parameter, row);
                       });
    // A refusal is shown while the window is still locked, the errors once it is free again.
    if (!outcome.refusal.empty()) {
      ShowMessage(this, texts::kReadParameters, outcome.refusal);
      return;
    }
  }
  ShowErrors(this, texts::kReadParameters, Errors());
}

void TParvexForm::acWriteParametersExecute() {
  {
    // Locking disables the panel, which takes the focus out of it: a cell or spin control being
    // edited is normalised or clamped before its value is read below.
    TBusyLock lock(*this);
    const TWriteOutcome outcome =
        WriteParameters(Link(), Errors(), SelectedReader(*Panel1), PanelValues(*Panel1));
    if (!outcome.refusal.empty()) {
      ShowMessage(this, texts::kWriteParameters, outcome.refusal);
      return;
    }
  }
  ShowErrors(this, texts::kWriteParameters, Errors());
}

void TParvexForm::acWriteKeysExecute() {
  const int mode = Panel1->Mode();
  if (!ModeHasKey(mode)) {
    ShowMessage(this, texts::kChangeKeys, texts::kKeysNotInMode);
    throw EAbort();
  }
  TfrmWriteKeys dialog(
      [this](const QString& KeyA, const QString& KeyB, const QString& OldKey,
             const QString& OldKeyType) { ChangeKeys(KeyA, KeyB, OldKey, OldKeyType); },
      [this](const std::function<void()>& body) { return StartOperation(body); }, this);
  dialog.SetupForMode(static_cast<std::uint8_t>(mode));
  dialog.exec();
}

void TParvexForm::ChangeKeys(const QString& KeyA, const QString& KeyB, const QString& OldKey,
                             const QString& OldKeyType) {
  {
    // The hourglass and the busy flag: the dialog's buttons start nothing while this waits.
    TBusyLock lock(*this, TBusyLock::Scope::CursorOnly);
    const TKeyChangeOutcome outcome = ChangeReaderKeys(
        Link(), Errors(), SelectedReader(*Panel1), Panel1->Mode(),
        {KeyA.toStdString(), KeyB.toStdString(), OldKey.toStdString(), OldKeyType.toStdString()});
    if (!outcome.refusal.empty()) {
      ShowMessage(this, texts::kChangeKeys, outcome.refusal);
      throw EAbort();
    }
  }
  if (ShowErrors(this, texts::kChangeKeys, Errors())) throw EAbort();
}

void TParvexForm::acWriteAllReadersExecute() {
  std::vector<TReaderWriteReport> reports;
  {
    // Held for the whole run: the panel's values are final, and nothing else starts meanwhile.
    TBusyLock lock(*this);
    const TWriteValues values = PanelValues(*Panel1);
    if (const auto refusals = WriteRefusals(SelectedReader(*Panel1), values); !refusals.empty()) {
      ShowErrorMessage(this, {Utf8Text(kWriteAllCaption), Utf8Text(RefusalText(refusals)), {}});
      return;
    }
    reports = WriteEveryReader(values);
  }
  if (!writeAllResults_) writeAllResults_ = new TfrmWriteAllResults(this);
  writeAllResults_->ShowReports(reports);
  writeAllResults_->show();
  writeAllResults_->raise();
}

TfrmWriteAllResults* TParvexForm::WriteAllResults() const { return writeAllResults_; }

// Each reader of the selector in turn, written and read back; a cancel is taken between two
// readers only. The waits inside keep the event loop running, so the progress repaints and
// its Cancel is heard.
std::vector<TReaderWriteReport> TParvexForm::WriteEveryReader(const TWriteValues& values) {
  const QComboBox* readers = Panel1->cbReader;
  std::vector<TReaderWriteReport> reports;
  TfrmWriteAllProgress progress(readers->count(), this);
  progress.show();
  for (int i = 0; i < readers->count(); ++i) {
    TReaderWriteReport& report = reports.emplace_back(TReaderWriteReport{readers->itemText(i), std::nullopt});
    if (progress.CancelRequested()) continue;
    progress.ShowReader(i, report.reader);
    const auto address = static_cast<std::uint8_t>(readers->itemData(i).toInt() & 0xFF);
    report.outcome = WriteAndVerify(Link(), Errors(), address, values);
  }
  return reports;
}
