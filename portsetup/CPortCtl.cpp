#include "CPortCtl.h"

#include "CPort.h"
#include "SerialPortWatch.h"
#include "SettingsValues.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

template <typename Enum>
void AddTexts(QComboBox& items) {
  for (const char* text : TEnumTexts<Enum>::texts) items.addItem(QString::fromLatin1(text));
}

template <typename Enum>
QString ValueText(Enum value) {
  return QString::fromLatin1(EnumText(value));
}

QString ShortName(const TSerialAdapter& adapter) { return QFileInfo(adapter.device).fileName(); }

// "FTDI FT232R USB UART, серийный номер A10K3X7Q": what the adapter tells of itself.
QString AdapterText(const TSerialAdapter& adapter) {
  QStringList words;
  for (const QString* word : {&adapter.manufacturer, &adapter.product})
    if (!word->isEmpty()) words << *word;
  QStringList parts;
  if (!words.isEmpty()) parts << words.join(QLatin1Char(' '));
  if (!adapter.serialNumber.isEmpty()) parts << TComComboBox::tr("серийный номер %1").arg(adapter.serialNumber);
  return parts.join(QStringLiteral(", "));
}

// Sorted by short name without regard to case; each adapter by its short name, then by the
// name that stays whichever socket it is in.
void AddPortEntries(QComboBox& items, std::vector<TSerialAdapter> adapters) {
  std::stable_sort(adapters.begin(), adapters.end(), [](const TSerialAdapter& a, const TSerialAdapter& b) {
    return ShortName(a).compare(ShortName(b), Qt::CaseInsensitive) < 0;
  });
  for (const TSerialAdapter& adapter : adapters) {
    const QString text = AdapterText(adapter);
    items.addItem(ShortName(adapter), text);
    if (!adapter.byId.isEmpty()) items.addItem(adapter.byId, text);
  }
}

// The open list shows each adapter beside its short name; its /dev/serial/by-id name spells out
// maker, product and serial already.
class TPortEntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString adapter = index.data(kAdapterRole).toString();
    if (!adapter.isEmpty() && !option->text.startsWith(QLatin1Char('/'))) option->text += QStringLiteral("   ") + adapter;
  }
};

}  // namespace

void TComSelect::FillItems() {
  items_.clear();
  switch (comProperty_) {
    case cpNone:
      break;
    case cpPort:
      break;
    case cpBaudRate:
      AddTexts<TBaudRate>(items_);
      break;
    case cpDataBits:
      AddTexts<TDataBits>(items_);
      break;
    case cpStopBits:
      AddTexts<TStopBits>(items_);
      break;
    case cpParity:
      AddTexts<TParityBits>(items_);
      break;
    case cpFlowControl:
      AddTexts<TFlowControl>(items_);
      break;
  }
}

QString TComSelect::PortValueText() const {
  switch (comProperty_) {
    case cpNone:
      break;
    case cpPort:
      return comPort_->Port();
    case cpBaudRate:
      return ValueText(comPort_->BaudRate());
    case cpDataBits:
      return ValueText(comPort_->DataBits());
    case cpStopBits:
      return ValueText(comPort_->StopBits());
    case cpParity:
      return ValueText(comPort_->Parity()->Bits());
    case cpFlowControl:
      return ValueText(comPort_->FlowControl()->FlowControl());
  }
  return {};
}

int TComSelect::ShowPortValue() {
  if (!comPort_ || comProperty_ == cpNone) return -1;
  const QString current = PortValueText();
  for (int i = 0; i < items_.count(); ++i) {
    if (SameTextIgnoringCase(items_.itemText(i).toUtf8(), current.toUtf8())) {
      Store(items_.itemText(i));  // showing is not picking: nothing goes to the port
      return i;
    }
  }
  // A name the list does not show (a pseudo-terminal, a by-id path, COM1 without ttyS0) is
  // still the operator's setting: keep it as the value OK applies, rather than the empty text.
  if (comProperty_ == cpPort) port_ = current;
  return -1;
}

void TComSelect::TakeSelection(const QString& text) {
  Store(text);
  if (autoApply_) ApplyToPort();
}

void TComSelect::Store(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  switch (comProperty_) {
    case cpNone:
      break;
    case cpPort:
      port_ = text;
      break;
    case cpBaudRate:
      baudRate_ = EnumFromText<TBaudRate>(bytes);
      break;
    case cpDataBits:
      dataBits_ = EnumFromText<TDataBits>(bytes);
      break;
    case cpStopBits:
      stopBits_ = EnumFromText<TStopBits>(bytes);
      break;
    case cpParity:
      parity_ = EnumFromText<TParityBits>(bytes);
      break;
    case cpFlowControl:
      flowControl_ = EnumFromText<TFlowControl>(bytes);
      break;
  }
}

void TComSelect::ApplyToPort() {
  if (!comPort_) return;
  switch (comProperty_) {
    case cpNone:
      break;
    case cpPort:
      comPort_->SetPort(port_);
      break;
    case cpBaudRate:
      comPort_->SetBaudRate(baudRate_);
      break;
    case cpDataBits:
      comPort_->SetDataBits(dataBits_);
      break;
    case cpStopBits:
      comPort_->SetStopBits(stopBits_);
      break;
    case cpParity:
      comPort_->Parity()->SetBits(parity_);
      break;
    case cpFlowControl:
      comPort_->FlowControl()->SetFlowControl(flowControl_);
      break;
  }
}

TComComboBox::TComComboBox(QWidget* parent) : QComboBox(parent), select_(*this) {
  setEditable(false);
  connect(this, &QComboBox::activated, this, &TComComboBox::Picked);
}

TComComboBox::~TComComboBox() = default;

void TComComboBox::SetComPort(TCustomComPort* port) {
  if (port == select_.ComPort()) return;
  disconnect(portWatch_);
  select_.SetComPort(port);
  if (port) portWatch_ = connect(port, &QObject::destroyed, this, &TComComboBox::PortDestroyed);
  ShowPortValue();
}

void TComComboBox::SetComProperty(TComProperty property) {
  select_.SetComProperty(property);
  setEditable(property == cpPort);
  if (QLineEdit* field = lineEdit()) {
    setInsertPolicy(QComboBox::NoInsert);
    connect(field, &QLineEdit::textEdited, this, &TComComboBox::Typing, Qt::UniqueConnection);
    connect(field, &QLineEdit::editingFinished, this, &TComComboBox::Typed, Qt::UniqueConnection);
  }
  devices_.reset();
  select_.FillItems();
  if (property == cpPort) FollowDevices();
  if (count() == 0) return;
  if (select_.ComPort())
    ShowPortValue();
  else
    setCurrentIndex(0);
}

QString TComComboBox::Text() const { return currentIndex() < 0 && !isEditable() ? QString() : currentText(); }

void TComComboBox::SetText(const QString& text) {
  int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0) setCurrentIndex(index);
}

void TComComboBox::ShowPortValue() {
  if (!select_.ComPort()) return;
  const int index = select_.ShowPortValue();
  setCurrentIndex(index);
  // A name the list does not show (a network line, a pty) stands in the field as it was given.
  if (index < 0 && isEditable()) setEditText(select_.SelectedPort());
}

void TComComboBox::Picked(int index) {
  select_.TakeSelection(itemText(index));
  emit Change();
}

void TComComboBox::Typing(const QString& text) { select_.TypePort(text); }

// A typed name goes to the port only when the typing is done, not letter by letter.
void TComComboBox::Typed() {
  if (!lineEdit()->isModified()) return;
  lineEdit()->setModified(false);
  select_.TakeSelection(currentText());
  emit Change();
}

void TComComboBox::FollowDevices() {
  devices_ = MakeSerialPortWatch();
  connect(devices_.get(), &TSerialPortWatch::Arrived, this, &TComComboBox::ShowDevices);
  connect(devices_.get(), &TSerialPortWatch::Left, this, &TComComboBox::ShowDevices);
  if (!dynamic_cast<TPortEntryDelegate*>(itemDelegate())) setItemDelegate(new TPortEntryDelegate(this));
  ListDevices();
}

// The open list as wide as its entries with their adapters: the combo box is narrower.
void TComComboBox::ListDevices() {
  AddPortEntries(*this, devices_->Adapters());
  view()->setMinimumWidth(view()->sizeHintForColumn(0));
}

// The list anew; what the field showed stays: the same entry when it is still listed, else its
// name as it stood (a device gone is still the operator's choice until another is picked).
void TComComboBox::ShowDevices() {
  const QString shown = currentText();
  const bool typing = lineEdit()->isModified();
  const int cursor = lineEdit()->cursorPosition();
  clear();
  ListDevices();
  const int index = findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
  setCurrentIndex(index);
  if (index < 0) setEditText(shown);
  lineEdit()->setModified(typing);
  lineEdit()->setCursorPosition(cursor);
}

void TComComboBox::PortDestroyed() {
  select_.SetComPort(nullptr);
  if (count() > 0) setCurrentIndex(0);
}
