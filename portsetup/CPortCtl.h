#pragma once

#include "ComTypes.h"

#include <QComboBox>
#include <QMetaObject>
#include <QString>

#include <memory>

class TCustomComPort;
class TSerialPortWatch;

enum TComProperty : std::uint8_t { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };

// The item data of a port list's entry: its adapter's maker, product and serial in words, empty
// for a device that tells none.
inline constexpr int kAdapterRole = Qt::UserRole;

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

  // Empties the list and fills it with the entries of ComProperty; the port list's entries are
  // the combo box's, from its watch on the machine's devices.
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
// line, rfc2217://HOST:PORT or tcp://HOST:PORT); the list itself is the machine's devices, each
// by its short name and then by its /dev/serial/by-id name, and follows them while it exists
// (MakeSerialPortWatch), keeping what it shows when that is still there.
class TComComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TComComboBox(QWidget* parent = nullptr);
  ~TComComboBox() override;

  TCustomComPort* ComPort() const { return select_.ComPort(); }
  // Binds the port, follows its destruction, and shows its current value.
  void SetComPort(TCustomComPort* port);
  TComProperty ComProperty() const { return select_.ComProperty(); }
  // Fills the list; selects the port's value when a port is bound, else the first entry. The
  // port's list may throw EComPortExt code 23 (MakeSerialPortWatch).
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
  void FollowDevices();
  void ListDevices();
  void ShowDevices();

  TComSelect select_;
  QMetaObject::Connection portWatch_;
  std::unique_ptr<TSerialPortWatch> devices_;
};
