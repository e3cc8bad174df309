#pragma once

#include "../e2e/SimLineThread.h"
#include "CPort.h"
#include "DemoLine.h"
#include "MessageBoxes.h"
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
#include <QTest>
#include <QTimer>

#include <pty.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <vector>

// A pseudo-terminal with nobody on the far end; the port opens the slave by its path.
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

// The window with one simulated reader on its line; message boxes are collected, not shown.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSink([this](const TShownMessage& message) { messages.push_back(message); });
    line.simulator.AddReader(sim::DemoReaders().front());
    line.Start();
    form = std::make_unique<TParvexForm>();
    panel = form->Panel1;
  }
  void TearDown() override {
    form.reset();
    line.Stop();
    SetMessageSink({});
  }
  void ShowActive() {
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void OpenPort() {
    form->ComPort->SetPort(QString::fromStdString(line.DevicePath()));
    form->acPortOpen->trigger();
    ASSERT_TRUE(form->ComPort->Connected());
    ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();
  }
  // Lets pending idle updates run.
  static void Settle() { QApplication::processEvents(); }

  SimLineThread line;
  std::vector<TShownMessage> messages;
  std::unique_ptr<TParvexForm> form;
  TParameterPanel* panel = nullptr;
};
