#pragma once

// The whole window against a far end the test drives (FaultLine), reached through a symbolic
// link, so that a line that has vanished can come back as a new device at the same name.
// Message boxes are taken by a sink, with the window's state at the moment they were shown.

#include "QtTestApp.h"
#include "FaultLine.h"

#include "CPort.h"
#include "DemoLine.h"
#include "Frame.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "TerminalView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

// The line at full pace, so that the cases spend their time on the faults, not on the wire.
inline sim::LineSettings FastLine() {
  sim::LineSettings settings;
  settings.baud = 115200;
  return settings;
}

class FaultWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(linkDir.isValid());
    linkPath = linkDir.filePath(QStringLiteral("ttyREADERS"));
    SetMessageSink([this](const TShownMessage& message) { messages.push_back(message); });
    form = std::make_unique<TParvexForm>();
    form->ComPort->SetPort(linkPath);
  }
  void TearDown() override {
    form.reset();
    line.reset();
    SetMessageSink({});
  }

  // A new device at the link's name with the first demo reader on it, not yet started.
  FaultLine& NewLine(sim::LineSettings settings = FastLine()) {
    line = std::make_unique<FaultLine>(settings);
    line->simulator.AddReader(sim::DemoReaders().front());
    ::unlink(linkPath.toLocal8Bit().constData());
    EXPECT_EQ(::symlink(line->DevicePath().c_str(), linkPath.toLocal8Bit().constData()), 0);
    return *line;
  }
  sim::Reader& Reader() { return *line->simulator.FindReader(1); }

  // The port open with the reader selected, as a search leaves them, without the broadcast wait.
  void Connect() {
    line->Start();
    form->ComPort->SetConnected(true);
    panel().cbReader->addItem(QStringLiteral("1 / 1234"), 1);
    panel().cbReader->setCurrentIndex(0);
    form->ActionList1Update();
    form->EnableParameterPanel(true);
  }
  // What the operator does: the port opens and the search runs.
  void Open() { form->acPortOpen->trigger(); }

  // The request codes heard; the line stops to be looked at.
  std::vector<std::uint8_t> HeardCodes() {
    line->Stop();
    std::vector<std::uint8_t> codes;
    for (const auto& frame : line->Requests()) codes.push_back(FrameView(frame).Code());
    return codes;
  }

  TParameterPanel& panel() { return *form->Panel1; }
  QString Cell(int row) { return panel().sgBlackList->item(row, 0)->text(); }
  QString LogText() {
    form->Terminal().Apply();
    return panel().memTerminal->toPlainText();
  }

  static QString Hex(const sim::Entry& bytes) {
    return QString::asprintf("%02X%02X%02X%02X", bytes[0], bytes[1], bytes[2], bytes[3]);
  }
  static QDate Date(const sim::WireDate& d) { return QDate(2000 + d.year, d.month, d.day); }

  // Every control of the panel shows what the reader holds.
  void ExpectPanelShows(const sim::ReaderState& s) {
    EXPECT_EQ(panel().leCacheNumber->text(), Hex(s.cashDesk));
    EXPECT_EQ(panel().seRecharging->value(), s.rechargeUnits);
    EXPECT_EQ(panel().cbMode->currentData().toInt(), s.mode);
    EXPECT_EQ(panel().cbCardType->currentData().toInt(), s.cardType);
    EXPECT_EQ(panel().dtpCurrentDate->date(), Date(s.currentDate));
    EXPECT_EQ(panel().dtpEndDate->date(), Date(s.endDate));
    EXPECT_EQ(panel().seCardSector->value(), s.sector);
    EXPECT_EQ(panel().seAbonementTimeout->value(), s.abonementTimeout);
    EXPECT_EQ(panel().seRelayTime->value(), s.relayTime);
    for (int row = 0; row < 10; ++row) EXPECT_EQ(Cell(row), Hex(s.blackList[row])) << "row " << row;
  }

  QStringList Texts() const {
    QStringList texts;
    for (const TShownMessage& message : messages) texts << message.text;
    return texts;
  }

  QTemporaryDir linkDir;
  QString linkPath;
  std::unique_ptr<FaultLine> line;
  std::unique_ptr<TParvexForm> form;
  std::vector<TShownMessage> messages;
};
