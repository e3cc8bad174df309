#pragma once

#include "ComTypes.h"

#include <QComboBox>
#include <QMetaObject>
#include <QString>
#include <QStringList>

#include <functional>

class TCustomComPort;

enum TComProperty : std::uint8_t { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };

// What fills the port list of the combo boxes: ListSerialPorts unless replaced (tests give the
// list a machine does not have). An empty function restores ListSerialPorts.
using TSerialPortLister = std::function<void(QStringList&)>;
void SetSerialPortLister(TSerialPortLister lister);

// The binding of one combo box to one setting of a port: the list's entries, the value the
// operator picked, and carrying it to the port.
class TComSelect {
 public:
  explicit TComSelect(QComboBox& items) : items_(items) {}

  TComProperty ComProperty() const { return comProperty_; }
  void SetComProperty(TComProperty v) { comProperty_ = v; }
  TCustomComPort* ComPort() const { return comPort_; }
  void SetComPort(TCustomComPort* v) { comPort_ = v; }
  bool AutoApply() const { return autoApply_; }
  void SetAutoApply(bool v) { autoApply_ = v; }

  // Empties the list and fills it with the entries of ComProperty.
  void FillItems();
  // Index of the entry equal, without regard to case, to the text of the port's current value,
  // storing that entry's value as the selected one; -1 when none matches or no port is bound.
  int ShowPortValue();
  // Converts an entry's text by the reading rules of the settings file and stores it as selected.
  void TakeSelection(const QString& text);
  // A port name the operator typed (a network line): the selected port, exactly as typed.
  void TypePort(const QString& text) { port_ = text; }
  // Writes the selected value to the bound port.
  void ApplyToPort();

  QString SelectedPort() const { return port_; }
  TBaudRate SelectedBaudRate() const { return baudRate_; }
  TDataBits SelectedDataBits() const { return dataBits_; }
  TStopBits SelectedStopBits() const { return stopBits_; }
  TParityBits SelectedParity() const { return parity_; }
  TFlowControl SelectedFlowControl() const { return flowControl_; }

 private:
  QString PortValueText() const;
  void Store(const QString& text);

  QString port_;
  TBaudRate baudRate_ = brCustom;
  TDataBits dataBits_ = dbFive;
  TStopBits stopBits_ = sbOneStopBit;
  TParityBits parity_ = prNone;
  TFlowControl flowControl_ = fcHardware;
  QComboBox& items_;
  TComProperty comProperty_ = cpNone;
  TCustomComPort* comPort_ = nullptr;
  bool autoApply_ = false;
};

// A drop-down list bound to one port setting. The port's list also takes a typed name (a network
// line, rfc2217://HOST:PORT or tcp://HOST:PORT); the list itself stays the machine's devices.
class TComComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TComComboBox(QWidget* parent = nullptr);

  TCustomComPort* ComPort() const { return select_.ComPort(); }
  // Binds the port, follows its destruction, and shows its current value.
  void SetComPort(TCustomComPort* port);
  TComProperty ComProperty() const { return select_.ComProperty(); }
  // Fills the list; selects the port's value when a port is bound, else the first entry.
  void SetComProperty(TComProperty property);
  bool AutoApply() const { return select_.AutoApply(); }
  void SetAutoApply(bool v) { select_.SetAutoApply(v); }

  // The selected entry's text, or the port's typed name; empty when there is neither.
  QString Text() const;
  // Selects the entry equal to text; changes nothing when the list has none.
  void SetText(const QString& text);

  void ShowPortValue();
  void ApplyToPort() { select_.ApplyToPort(); }
  const TComSelect& Select() const { return select_; }

 signals:
  // The operator picked an entry (after it was taken as the selected value).
  void Change();

 private:
  void Picked(int index);
  void Typing(const QString& text);
  void Typed();
  void PortDestroyed();

  TComSelect select_;
  QMetaObject::Connection portWatch_;
};
