// The window's side of the reader link: received bytes, the idle flush, the reader search and
// what a vanished device or a close during a wait must do.
#include "SDIMAIN.h"

#include "CPort.h"
#include "ErrorList.h"
#include "ExceptionGuard.h"
#include "ExchangeLogModel.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "PortSession.h"
#include "ReaderMessages.h"
#include "ReaderLink.h"
#include "ReaderText.h"
#include "SaveFile.h"
#include "SiteWindow.h"
#include "TerminalView.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTimer>

namespace {


// Holds back the list's redrawing until all entries are in, also when the search throws.
class TBatchUpdate {
 public:
  explicit TBatchUpdate(QWidget& widget) : widget_(widget), was_(widget.updatesEnabled()) {
    widget_.setUpdatesEnabled(false);
  }
  ~TBatchUpdate() { widget_.setUpdatesEnabled(was_); }
  TBatchUpdate(const TBatchUpdate&) = delete;
  TBatchUpdate& operator=(const TBatchUpdate&) = delete;

 private:
  QWidget& widget_;
  bool was_;
};

}  // namespace

// The session's link to the window: the log on memTerminal, and the port's and Timer1's events
// through the window's handlers.
void TParvexForm::CreateLink() {
  terminal_ = new TTerminalView(*Panel1->memTerminal);
  LinkHost().SetLogSink([this](std::string_view raw) { terminal_->Show(raw); });
  connect(terminal_->acSaveLog, &QAction::triggered, this, &TParvexForm::SaveTerminalLog);
  // Every exchange is logged from the start, so that the log shows what ran before it was opened.
  exchangeLog_ = new TExchangeLogModel([this] { return LinkHost().NowMs(); }, this);
  Link().SetObserver(&exchangeLog_->Observer());
  // An exception from here ends the port's event thread, as the port intends.
  ComPort->SetOnRxChar([this](QObject* sender, int count) { ComPortRxChar(sender, count); });
  connect(Timer1, &QTimer::timeout, this, [this] { Guard([this] { Timer1Timer(); }); });
  connect(ComPort, &TCustomComPort::DeviceGone, this, &TParvexForm::ComPortDeviceGone);
}

void TParvexForm::SaveTerminalLog() {
  SaveWithDialog(this, TFileChoice::SaveTerminalLog, tr("Сохранение журнала"), terminal_->Text().toUtf8());
}

void TParvexForm::ComPortRxChar(QObject*, int count) {
  session_->ReceiveFromPort(count);
}

void TParvexForm::Timer1Timer() {
  session_->IdleTick();
}

bool TParvexForm::SearchReaders() {
  QComboBox* list = Panel1->cbReader;
  std::vector<ReaderAnswer> answers;
  {
    TBusyLock lock(*this);
    // Under the lock from the open on: the quiet time runs the event loop, and a shortcut or a
    // click then must neither close the port before the broadcast nor start a read.
    session_->TakeStaleInput();
    TBatchUpdate batch(*list);
    list->clear();
    answers = Link().CollectReaderAnswers();
    for (const ReaderAnswer& answer : answers)
      list->addItem(QString::fromStdString(ReaderEntryText(answer)), int{answer.address});
  }
  const bool found = !answers.empty();
  if (!found) {
    ShowErrorMessage(this, {ReaderText(texts::kSearchReaders.caption), ReaderText(texts::kNoReadersFound), {}});
  } else if (!Errors().empty()) {
    ShowErrorMessage(this, {ReaderText(texts::kSearchReaders.caption),
                            ErrorMessageText(texts::kSearchReaders.errorsHeading, Errors()), {}});
  }
  if (list->count() > 0) {
    list->setCurrentIndex(0);
    acReadParameters->trigger();  // the action's own path: update, enabled check, handler
  }
  return found;
}

void TParvexForm::ComPortDeviceGone() {
  // A wait running now ends with the port's error for the device, and its operation's guard
  // closes the port and shows it; otherwise the same is done here. Either way the operator
  // sees it once.
  if (LinkHost().Waiting() || !ComPort->DeviceFailure()) return;
  const EComPortExt failure = *ComPort->DeviceFailure();
  CloseVanishedPort();
  ReportError(this, failure);
}

void TParvexForm::closeEvent(QCloseEvent* event) {
  // A half-written black list is worse than a short delay: the close waits for the operation.
  // A site run is asked to stop: each line finishes the reader it writes.
  if (siteWindow_->Running()) siteWindow_->Cancel();
  if (operationDepth_ > 0 || Busy() || siteWindow_->Running()) {
    closePending_ = true;
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TParvexForm::CloseIfPending() {
  if (!closePending_ || operationDepth_ > 0 || Busy() || siteWindow_->Running()) return;
  closePending_ = false;
  close();
}
