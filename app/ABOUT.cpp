#include "ABOUT.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  setModal(true);

  auto* frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("Panel1"));
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setFrameShadow(QFrame::Sunken);
  frame->setMinimumSize(281, 161);
  auto* texts = new QVBoxLayout(frame);
  const std::pair<const char*, const char*> labels[] = {
      {"ProductName", "Product Name"},
      {"Version", "Version"},
      {"Copyright", "Copyright"},
      {"Comments", "Comments"},
  };
  for (const auto& [name, text] : labels) {
    auto* label = new QLabel(QString::fromLatin1(text), frame);
    label->setObjectName(QString::fromLatin1(name));
    texts->addWidget(label);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
