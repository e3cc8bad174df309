#pragma once

#include <QWidget>

#include <array>

#include "ParameterTable.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;
class TBlackListEditor;

// Panel1 of the main window: the reader selector, every parameter of one reader, the black list and
// the terminal log. Controls are public members named as on the screen (also their objectName), so
// that the read/write sequences and the black list editor work on them directly.
class TParameterPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TParameterPanel(QWidget* parent = nullptr);

  // Operating modes and card types, each item carrying the byte that travels on the wire.
  // Both lists are left without a selection.
  void FillModeList();
  void FillCardTypeList();

  // The mode rule: each parameter's label and control are enabled in the modes that write it
  // (recharge units and card type only in the recharge mode, dates in every mode but reading).
  // Touches enabled states only.
  void cbModeChange();

  // The selected mode's wire value, -1 without a selection.
  int Mode() const;

  // Every control of the panel, labels and log included, in child order; enabling also applies
  // the mode rule.
  void EnableControls(bool value);

  QLabel* lblReader;
  QComboBox* cbReader;
  QLabel* lblCacheNumber;
  QLineEdit* leCacheNumber;
  QLabel* Label1;
  QComboBox* cbMode;
  QLabel* Label7;
  QSpinBox* seRelayTime;
  QLabel* Label6;
  QSpinBox* seAbonementTimeout;
  QLabel* lblCurrentDate;
  QDateEdit* dtpCurrentDate;
  QLabel* lblEndDate;
  QDateEdit* dtpEndDate;
  QLabel* lblCardType;
  QComboBox* cbCardType;
  QLabel* lblRecharging;
  QSpinBox* seRecharging;
  QLabel* Label5;
  QSpinBox* seCardSector;
  QLabel* Label9;
  QTableWidget* sgBlackList;
  TBlackListEditor* BlackListEditor;  // how sgBlackList is edited; owns FEditRow
  QLabel* Label2;
  QPlainTextEdit* memTerminal;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The label and control of each parameter, in the table's order.
  struct TParameterControls {
    QLabel* label = nullptr;
    QWidget* control = nullptr;
  };
  std::array<TParameterControls, kParameterTable.size()> controls_;
};
