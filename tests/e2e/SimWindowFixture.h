#pragma once

// The whole window against the reader simulator: reader-sim runs as its own process on a
// pseudo-terminal, and the window opens that device. Message boxes are taken by a sink instead
// of being shown, so nothing waits for an operator.

#include "BuiltProgram.h"
#include "QtTestApp.h"
#include "CPort.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "TerminalView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// reader-sim with the given options; its first line of output is the device to open.
class ReaderSimProcess {
 public:
  explicit ReaderSimProcess(const QStringList& options) {
    process_.setProgram(BuiltProgram(READER_SIM_PATH));
    process_.setArguments(options);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (!process_.waitForStarted()) return;
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    devicePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
  }
  ~ReaderSimProcess() {
    process_.terminate();
    if (!process_.waitForFinished(10000)) process_.kill();
  }
  ReaderSimProcess(const ReaderSimProcess&) = delete;
  ReaderSimProcess& operator=(const ReaderSimProcess&) = delete;

  const QString& DevicePath() const { return devicePath_; }

 private:
  QProcess process_;
  QString devicePath_;
};

class SimWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSink([this](const TShownMessage& message) { messages.push_back(message); });
    form = std::make_unique<TParvexForm>();
  }
  void TearDown() override {
    form.reset();
    sim.reset();
    SetMessageSink({});
  }

  // Starts the simulator; the window's port is set to its device.
  void StartSim(const QStringList& options) {
    sim = std::make_unique<ReaderSimProcess>(options);
    ASSERT_FALSE(sim->DevicePath().isEmpty()) << "reader-sim gave no device";
    form->ComPort->SetPort(sim->DevicePath());
  }
  // Opens the port as the operator does; the search runs inside.
  void Open() { form->acPortOpen->trigger(); }

  QStringList ReaderEntries() const {
    QStringList entries;
    const QComboBox* list = form->Panel1->cbReader;
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    return entries;
  }
  std::vector<int> ReaderAddresses() const {
    std::vector<int> addresses;
    const QComboBox* list = form->Panel1->cbReader;
    for (int i = 0; i < list->count(); ++i) addresses.push_back(list->itemData(i).toInt());
    return addresses;
  }
  // The messages shown under a caption, in order.
  QStringList MessagesUnder(const QString& caption) const {
    QStringList texts;
    for (const TShownMessage& message : messages)
      if (message.caption == caption) texts << message.text;
    return texts;
  }
  QString LogText() const {
    form->Terminal().Apply();
    return form->Panel1->memTerminal->toPlainText();
  }

  std::unique_ptr<ReaderSimProcess> sim;
  std::unique_ptr<TParvexForm> form;
  std::vector<TShownMessage> messages;
};
