#pragma once

#include <QDialog>

// The fixed about box: placeholder texts and an OK button.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};
