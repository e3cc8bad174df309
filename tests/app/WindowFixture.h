#pragma once

#include "CPort.h"
#include "ParameterPanel.h"
#include "QtTestApp.h"
#include "SDIMAIN.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <pty.h>
#include <unistd.h>

#include <memory>
#include <optional>

// A pseudo-terminal standing in for the serial line; the port opens the slave by its path.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = QString::fromLocal8Bit(name);
  }
  ~PseudoTerminal() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  const QString& path() const { return path_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  QString path_;
};

// What an error box showed; the box is closed as soon as it appears.
struct ShownError {
  QString text;
  QString detail;
};

// Runs body and answers the first message box it raises.
template <typename Body>
std::optional<ShownError> CatchErrorBox(Body&& body) {
  std::optional<ShownError> shown;
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = ShownError{box->text(), box->informativeText()};
    box->done(QMessageBox::Ok);
  });
  watcher.start();
  body();
  return shown;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TParvexForm>();
    panel = form->Panel1;
  }
  void ShowActive() {
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void OpenPort() {
    form->ComPort->SetPort(line.path());
    form->acPortOpen->trigger();
    ASSERT_TRUE(form->ComPort->Connected());
  }
  // Lets pending idle updates run.
  static void Settle() { QApplication::processEvents(); }

  PseudoTerminal line;
  std::unique_ptr<TParvexForm> form;
  TParameterPanel* panel = nullptr;
};
