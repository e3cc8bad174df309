#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The key change dialog: shows the one key the chosen mode uses and hands the keys, as
// 12 hexadecimal digits each, to the window's key change. It closes only when that succeeded.
class TfrmWriteKeys : public QDialog {
  Q_OBJECT

 public:
  // The window's key change; ends by an exception (the silent abort) when it failed.
  using TChangeKeys = std::function<void(const QString& KeyA, const QString& KeyB,
                                         const QString& OldKey, const QString& OldKeyType)>;
  // Runs one of the dialog's entry points the way the window runs its actions: refused while
  // an operation waits for a reader, exceptions shown and swallowed. False unless it ran to
  // its end.
  using TRunOperation = std::function<bool(const std::function<void()>&)>;

  TfrmWriteKeys(TChangeKeys changeKeys, TRunOperation runOperation, QWidget* parent = nullptr);

  // Six groups of two hexadecimal digits, upper case, empty places shown as '0'.
  static constexpr char kKeyMask[] = ">hh hh hh hh hh hh;0";

  // Shows the panel of the key that Mode loads (1 and 2: key A, 3: key B, 4: the initialising
  // key), hides the others and fits the dialog to what is shown.
  void SetupForMode(std::uint8_t Mode);
  void btnOKClick();

  // A key field's text as the program takes it: what it shows, without the spaces.
  static QString KeyText(const QLineEdit* field);

  // Cancel, Escape and the close button; not while the key change waits for the reader.
  void reject() override;

  QWidget* pnlKeyA;
  QLabel* lblKeyA;
  QLineEdit* eKeyA;
  QWidget* pnlKeyB;
  QLabel* lblKeyB;
  QLineEdit* eKeyB;
  QWidget* pnlOldKey;
  QLabel* lblOldKey;
  QLineEdit* eOldKey;
  QLabel* lblOldKeyType;
  QComboBox* cbOldKeyType;
  QWidget* pnlButtons;
  QPushButton* btnOK;
  QPushButton* btnCancel;

 private:
  TChangeKeys changeKeys_;
  TRunOperation runOperation_;
};
