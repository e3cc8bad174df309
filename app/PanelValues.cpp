#include "PanelValues.h"

#include "ParameterPanel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>

namespace {

int SelectedValue(const QComboBox* list) {
  return list->currentIndex() < 0 ? kNoSelection : list->currentData().toInt();
}

// A byte from the reader selects the item carrying it; none does when no item has it.
void SelectValue(QComboBox* list, std::optional<std::uint8_t> value) {
  list->setCurrentIndex(value ? list->findData(int{*value}) : -1);
}

QDate ToQDate(const TCalendarDate& date) { return QDate(date.year, date.month, date.day); }
TCalendarDate FromQDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

void MarkRead(TReaderParameters& values, TParameter parameter) {
  values.readMask |= 1u << static_cast<int>(parameter);
}

// The values of a write as a read would have given them: every one counts as read, a list
// without a selection as not answered.
TReaderParameters AsRead(const TWriteValues& written) {
  TReaderParameters values;
  for (const TParameter parameter : kWriteOrder) {
    switch (ParameterInfo(parameter).kind) {
      case TValueKind::ListItem:
        if (written.Byte(parameter) == kNoSelection) continue;
        [[fallthrough]];
      case TValueKind::Number:
        values.SetByte(parameter, static_cast<std::uint8_t>(written.Byte(parameter)));
        break;
      case TValueKind::Date:
        values.Date(parameter) = written.Date(parameter);
        break;
      case TValueKind::HexRows:
        values.blackList = written.blackList;
        values.blackListRowsRead = kBlackListRows;
        break;
      case TValueKind::HexNumber:
        continue;  // never written
    }
    MarkRead(values, parameter);
  }
  return values;
}

}  // namespace

std::optional<std::uint8_t> SelectedReader(const TParameterPanel& panel) {
  if (panel.cbReader->currentIndex() < 0) return std::nullopt;
  return static_cast<std::uint8_t>(panel.cbReader->currentData().toInt() & 0xFF);
}

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

TReaderParameters PanelParameters(const TParameterPanel& panel) {
  TReaderParameters values = AsRead(PanelValues(panel));
  // The cash-desk number is the reader's own: kept when the panel holds one a read gave.
  static const QRegularExpression number(QStringLiteral("^[0-9A-F]{%1}$").arg(kEntryDigits));
  if (number.match(panel.leCacheNumber->text()).hasMatch()) {
    values.cashDeskNumber = panel.leCacheNumber->text().toStdString();
    MarkRead(values, TParameter::CashDeskNumber);
  }
  return values;
}

void ShowFileValues(TParameterPanel& panel, const TWriteValues& file) {
  // A clock planned as today shows the date of the load.
  const TReaderParameters values = AsRead(OnDay(file, LocalDate()));
  for (const TParameter parameter : kWriteOrder) {
    if (file.Plans(parameter)) ShowReadValue(panel, values, parameter, -1);
  }
  // The mode rule follows the mode on an enabled panel; a disabled one stays disabled.
  if (panel.cbMode->isEnabled()) panel.cbModeChange();
}
