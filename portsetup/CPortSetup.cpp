#include "CPortSetup.h"

#include "CPort.h"

#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

struct TRow {
  const char* label;
  TComProperty property;
};
constexpr TRow kRows[] = {
    {"Port", cpPort},         {"Baud rate", cpBaudRate}, {"Data bits", cpDataBits},
    {"Stop bits", cpStopBits}, {"Parity", cpParity},      {"Flow control", cpFlowControl},
};

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int left) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left, 214, 75, 25);
  return button;
}

// Ends a bracket of changes after a failure without hiding that failure behind a second one.
void EndChangesAfterFailure(TCustomComPort& port) {
  try {
    port.EndChanges();
  } catch (...) {
  }
}

}  // namespace

TComSetupFrm::TComSetupFrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("ComSetupFrm"));
  setWindowTitle(QStringLiteral("Setup"));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(231, 246);

  auto* group = new QGroupBox(QStringLiteral(" Settings "), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  group->setGeometry(8, 8, 217, 169);

  QWidget* previous = nullptr;
  for (int i = 0; i < 6; ++i) {
    const QString number = QString::number(i + 1);
    auto* label = new QLabel(QString::fromLatin1(kRows[i].label), group);
    label->setObjectName(QStringLiteral("Label") + number);
    label->move(8, 24 + 24 * i);
    label->adjustSize();

    auto* combo = new TComComboBox(group);
    combo->setObjectName(QStringLiteral("Combo") + number);
    combo->setGeometry(80, 16 + 24 * i, 129, 21);
    combo->SetComProperty(kRows[i].property);
    combos_[static_cast<std::size_t>(i)] = combo;
    if (previous) setTabOrder(previous, combo);
    previous = combo;
  }

  // The chosen device's maker, product and serial, so that the operator sees which adapter a
  // name reaches.
  auto* adapter = new QLabel(this);
  adapter->setObjectName(QStringLiteral("lbAdapter"));
  adapter->setGeometry(8, 180, 217, 30);
  adapter->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  adapter->setWordWrap(true);
  const auto showAdapter = [combo = combos_[0], adapter] { adapter->setText(combo->currentData(kAdapterRole).toString()); };
  connect(combos_[0], &QComboBox::currentIndexChanged, adapter, showAdapter);
  showAdapter();

  combos_[0]->setToolTip(QStringLiteral(
      "A serial device of this computer, or a line behind a network gateway typed in: "
      "rfc2217://HOST:PORT (the gateway's port takes these settings) or tcp://HOST:PORT "
      "(the line keeps the gateway's own settings; these are kept in the settings file but not sent)."));

  QPushButton* ok = AddButton(this, "Button1", "OK", 70);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(mrOk); });
  QPushButton* cancel = AddButton(this, "Button2", "Cancel", 150);
  connect(cancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
  setTabOrder(previous, ok);
  setTabOrder(ok, cancel);
  combos_[0]->setFocus();

  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

void TComSetupFrm::reject() { done(mrCancel); }

void TComSetupFrm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ExecuteSetupDialog(TCustomComPort& port) {
  TComSetupFrm form;
  const auto& combos = form.Combos();
  for (TComComboBox* combo : combos) combo->SetComPort(&port);
  for (TComComboBox* combo : combos) combo->ShowPortValue();
  if (form.exec() != TComSetupFrm::mrOk) return;

  // One bracket, so an open port is reconfigured once, with all choices.
  port.BeginChanges();
  try {
    for (TComComboBox* combo : combos) combo->ApplyToPort();
  } catch (...) {
    EndChangesAfterFailure(port);
    throw;
  }
  port.EndChanges();
}
