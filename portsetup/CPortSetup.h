#pragma once

#include "CPortCtl.h"

#include <QDialog>

#include <array>

class QKeyEvent;
class TCustomComPort;

// The modal dialog in which the operator picks port name, baud rate, data bits, stop bits, parity
// and flow control. Its choices reach the port only through ExecuteSetupDialog, after OK.
class TComSetupFrm : public QDialog {
  Q_OBJECT

 public:
  enum TModalResult { mrOk = 1, mrCancel = 2 };

  // Fills every list; the port list may throw EComPortExt code 23.
  explicit TComSetupFrm(QWidget* parent = nullptr);

  // Combo1 to Combo6: port, baud rate, data bits, stop bits, parity, flow control.
  const std::array<TComComboBox*, 6>& Combos() const { return combos_; }

  // The close box and every other way out but OK count as Cancel.
  void reject() override;

 protected:
  // Neither button is the cancel button, so Escape does not close the dialog.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::array<TComComboBox*, 6> combos_{};
};

// The port's RunSetupDialog with this dialog: shows the port's values, and after OK applies every
// choice in one bracket of changes. The window installs it on its port (SetSetupDialog).
void ExecuteSetupDialog(TCustomComPort& port);
