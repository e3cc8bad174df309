#include "CPortCtl.h"

#include "CPort.h"
#include "SerialPortList.h"
#include "SettingsValues.h"

#include <QLineEdit>

namespace {

TSerialPortLister& PortLister() {
  static TSerialPortLister lister;
  return lister;
}

template <typename Enum>
void AddTexts(QComboBox& items) {
  for (const char* text : TEnumTexts<Enum>::texts) items.addItem(QString::fromLatin1(text));
}

template <typename Enum>
QString ValueText(Enum value) {
  return QString::fromLatin1(EnumText(value));
}

}  // namespace

void SetSerialPortLister(TSerialPortLister lister) { PortLister() = std::move(lister); }

void TComSelect::FillItems() {
  items_.clear();
  switch (comProperty_) {
    case cpNone:
      break;
    case cpPort: {
      QStringList names;
      if (PortLister())
        PortLister()(names);
      else
        ListSerialPorts(names);
      items_.addItems(names);
      break;
    }
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
  select_.FillItems();
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

void TComComboBox::PortDestroyed() {
  select_.SetComPort(nullptr);
  if (count() > 0) setCurrentIndex(0);
}
