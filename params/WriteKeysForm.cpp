#include "WriteKeysForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtHexText.h"
#include "ReaderMessages.h"
#include "ReaderText.h"
#include "ParameterTable.h"
#include "Utf8Text.h"

namespace {

constexpr int kWidth = 433;
constexpr int kKeyPanelHeight = 72;
constexpr int kButtonPanelHeight = 63;
constexpr int kFieldHeight = 21;
constexpr int kLongField = 417;
constexpr int kOldKeyField = 189;
constexpr int kKeyTypeList = 216;
constexpr int kMargin = 8;
constexpr int kCaptionTop = 4;
constexpr int kCaptionHeight = 32;  // room for two lines of a caption that does not fit one
constexpr int kFieldTop = 40;

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QWidget* Panel(QWidget* parent, const char* name, int height) {
  auto* panel = Named(new QWidget(parent), name);
  panel->setFixedSize(kWidth, height);
  return panel;
}

// A caption as wide as the control below it, wrapped when longer, standing on the control.
QLabel* Caption(QWidget* panel, const char* name, const QString& text, int left, int width) {
  auto* label = Named(new QLabel(text, panel), name);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  label->setGeometry(left, kCaptionTop, width, kCaptionHeight);
  return label;
}

// What the field shows is the key that is sent: only hex digits can be typed.
QLineEdit* KeyField(QWidget* panel, const char* name, int left, int width) {
  auto* field = Named(new QLineEdit(panel), name);
  field->setInputMask(QString::fromLatin1(TfrmWriteKeys::kKeyMask));
  field->setGeometry(left, kFieldTop, width, kFieldHeight);
  return field;
}

}  // namespace

TfrmWriteKeys::TfrmWriteKeys(TChangeKeys changeKeys, TRunOperation runOperation, QWidget* parent)
    : QDialog(parent), changeKeys_(std::move(changeKeys)), runOperation_(std::move(runOperation)) {
  setObjectName(QStringLiteral("frmWriteKeys"));
  setWindowTitle(ReaderText(texts::kChangeKeys.caption));
  // Laid out for the same 8 point face as the parameter panel.
  QFont face = font();
  face.setPointSize(8);
  setFont(face);

  pnlKeyA = Panel(this, "pnlKeyA", kKeyPanelHeight);
  lblKeyA = Caption(pnlKeyA, "lblKeyA",
                    tr("Ключ A - для чтения информации и уменьшения количества проходов"), kMargin,
                    kLongField);
  eKeyA = KeyField(pnlKeyA, "eKeyA", kMargin, kLongField);

  pnlKeyB = Panel(this, "pnlKeyB", kKeyPanelHeight);
  lblKeyB = Caption(pnlKeyB, "lblKeyB", tr("Ключ B - для пополнения"), kMargin, kLongField);
  eKeyB = KeyField(pnlKeyB, "eKeyB", kMargin, kLongField);

  pnlOldKey = Panel(this, "pnlOldKey", kKeyPanelHeight);
  lblOldKey =
      Caption(pnlOldKey, "lblOldKey", tr("Ключ для инициализации новых карт"), kMargin, kOldKeyField);
  eOldKey = KeyField(pnlOldKey, "eOldKey", kMargin, kOldKeyField);
  constexpr int kTypeLeft = kWidth - kMargin - kKeyTypeList;
  lblOldKeyType = Caption(pnlOldKey, "lblOldKeyType", tr("Тип ключа для инициализации новых карт"),
                          kTypeLeft, kKeyTypeList);
  cbOldKeyType = Named(new QComboBox(pnlOldKey), "cbOldKeyType");
  for (const TKeyType& type : kKeyTypes)
    cbOldKeyType->addItem(Utf8Text(type.name));
  cbOldKeyType->setCurrentIndex(0);
  cbOldKeyType->setGeometry(kTypeLeft, kFieldTop, kKeyTypeList, kFieldHeight);

  pnlButtons = Panel(this, "pnlButtons", kButtonPanelHeight);
  btnOK = Named(new QPushButton(QStringLiteral("OK"), pnlButtons), "btnOK");
  btnCancel = Named(new QPushButton(tr("Отмена"), pnlButtons), "btnCancel");
  constexpr int kButtonWidth = 75;
  constexpr int kButtonHeight = 25;
  constexpr int kButtonTop = (kButtonPanelHeight - kButtonHeight) / 2;
  btnOK->setGeometry(kWidth / 2 - kMargin / 2 - kButtonWidth, kButtonTop, kButtonWidth,
                     kButtonHeight);
  btnCancel->setGeometry(kWidth / 2 + kMargin / 2, kButtonTop, kButtonWidth, kButtonHeight);
  // OK takes Enter unless a button has the focus: then that button does, so that Enter on
  // "Отмена" cancels instead of changing the key.
  btnOK->setDefault(true);
  btnOK->setAutoDefault(true);
  btnCancel->setAutoDefault(true);

  // Stacked from the top; a hidden panel takes no room and the dialog fits what is shown.
  auto* stack = new QVBoxLayout(this);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->setSpacing(0);
  stack->setSizeConstraint(QLayout::SetFixedSize);
  for (QWidget* panel : {pnlKeyA, pnlKeyB, pnlOldKey, pnlButtons}) stack->addWidget(panel);

  connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
}

void TfrmWriteKeys::SetupForMode(std::uint8_t Mode) {
  const TCardKey key = ModeKey(Mode);
  pnlKeyA->setVisible(key == TCardKey::KeyA);
  pnlKeyB->setVisible(key == TCardKey::KeyB);
  pnlOldKey->setVisible(key == TCardKey::InitialisingKey);
  pnlButtons->setVisible(true);
  layout()->activate();
  adjustSize();
}

QString TfrmWriteKeys::KeyText(const QLineEdit* field) {
  return field->displayText().remove(u' ');
}

void TfrmWriteKeys::btnOKClick() {
  // Every field is taken, also those of hidden panels; the key change uses the mode's own.
  const QString OldKey = NormalizeHexText(KeyText(eOldKey), kKeyDigits);
  const QString OldKeyType = cbOldKeyType->currentText();
  const QString KeyB = NormalizeHexText(KeyText(eKeyB), kKeyDigits);
  const QString KeyA = NormalizeHexText(KeyText(eKeyA), kKeyDigits);
  // A failed key change keeps the dialog open with what was typed.
  if (runOperation_([&] { changeKeys_(KeyA, KeyB, OldKey, OldKeyType); })) accept();
}

void TfrmWriteKeys::reject() {
  // Closing while the key change waits would leave it writing the key behind the operator.
  runOperation_([this] { QDialog::reject(); });
}
