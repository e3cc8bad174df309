// The window's reader operations: each takes the values of the parameter panel to the
// sequence that talks to the reader, and shows what came back.
#include "SDIMAIN.h"

#include "Abort.h"
#include "ErrorList.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "ReaderLink.h"
#include "ReaderMessages.h"
#include "ReaderSequences.h"
#include "Utf8Text.h"
#include "WriteKeysForm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>

#include <optional>
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

std::optional<std::uint8_t> SelectedReader(const TParameterPanel& panel) {
  if (panel.cbReader->currentIndex() < 0) return std::nullopt;
  return static_cast<std::uint8_t>(panel.cbReader->currentData().toInt() & 0xFF);
}

int SelectedValue(const QComboBox* list) {
  return list->currentIndex() < 0 ? kNoSelection : list->currentData().toInt();
}

// A byte from the reader selects the item carrying it; none does when no item has it.
void SelectValue(QComboBox* list, std::optional<std::uint8_t> value) {
  list->setCurrentIndex(value ? list->findData(int{*value}) : -1);
}

QDate ToQDate(const TCalendarDate& date) { return QDate(date.year, date.month, date.day); }
TCalendarDate FromQDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

// One value of a read on its control; spin controls clamp it to their range.
void ShowReadValue(TParameterPanel& panel, const TReaderParameters& values, TParameter parameter,
                   int row) {
  switch (parameter) {
    case TParameter::CashDeskNumber:
      panel.leCacheNumber->setText(QString::fromStdString(values.cashDeskNumber));
      break;
    case TParameter::RechargeUnits:
      panel.seRecharging->setValue(values.rechargeUnits);
      break;
    case TParameter::Mode:
      SelectValue(panel.cbMode, values.mode);  // the mode rule runs when the panel is enabled
      break;
    case TParameter::CardType:
      SelectValue(panel.cbCardType, values.cardType);
      break;
    case TParameter::CurrentDate:
      panel.dtpCurrentDate->setDate(ToQDate(values.currentDate));
      break;
    case TParameter::EndDate:
      panel.dtpEndDate->setDate(ToQDate(values.endDate));
      break;
    case TParameter::Sector:
      panel.seCardSector->setValue(values.sector);
      break;
    case TParameter::AbonementTimeout:
      panel.seAbonementTimeout->setValue(values.abonementTimeout);
      break;
    case TParameter::RelayTime:
      panel.seRelayTime->setValue(values.relayTime);
      break;
    case TParameter::BlackList:
      for (int r = 0; r < panel.sgBlackList->rowCount(); ++r) {
        if (row < 0 || r == row)
          panel.sgBlackList->item(r, 0)->setText(QString::fromStdString(values.blackList[r]));
      }
      break;
  }
}

TWriteValues PanelValues(const TParameterPanel& panel) {
  TWriteValues values;
  values.mode = SelectedValue(panel.cbMode);
  values.cardType = SelectedValue(panel.cbCardType);
  values.rechargeUnits = panel.seRecharging->value();
  values.currentDate = FromQDate(panel.dtpCurrentDate->date());
  values.endDate = FromQDate(panel.dtpEndDate->date());
  values.sector = panel.seCardSector->value();
  values.abonementTimeout = panel.seAbonementTimeout->value();
  values.relayTime = panel.seRelayTime->value();
  for (std::size_t row = 0; row < kBlackListRows; ++row)
    values.blackList[row] = panel.sgBlackList->item(static_cast<int>(row), 0)->text().toStdString();
  return values;
}

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
