// parvex-screens OUTDIR [DEVICE [SITE]]: pictures of the main window and of every dialog it can
// show, and of the site window on SITE's lines, for the README and for checking the layout by
// eye, in the locale's language as parvex chooses it. Run under Xvfb by scripts/screenshot.
#include "ABOUT.h"
#include "CPort.h"
#include "ExchangeLogWindow.h"
#include "FileChoice.h"
#include "Language.h"
#include "MessageBoxes.h"
#include "SDIMAIN.h"
#include "SerialPortWatch.h"
#include "SiteWindow.h"
#include "SiteWords.h"
#include "WriteAllProgress.h"
#include "WriteAllResults.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QAbstractItemView>
#include <QScreen>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

void Save(const QPixmap& picture, const QString& path) {
  if (picture.save(path))
    std::printf("%s\n", qPrintable(path));
  else
    std::fprintf(stderr, "parvex-screens: cannot write %s\n", qPrintable(path));
}

void Save(QWidget* widget, const QString& path) { Save(widget->grab(), path); }

// Lets the window settle (layout, icons, received bytes) before it is pictured.
void Settle(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Triggers the action; the first modal dialog it raises is pictured by take and closed.
void PictureDialogOf(QAction* action, const std::function<void(QDialog&)>& take) {
  QTimer watcher;
  watcher.setInterval(50);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    Settle(200);
    take(*dialog);
    dialog->reject();
  });
  watcher.start();
  action->trigger();
}

void PictureDialogOf(QAction* action, const QString& path) {
  PictureDialogOf(action, [&path](QDialog& dialog) { Save(&dialog, path); });
}

// Adapters as a site's machine has them plugged in; the machine that takes the pictures has none.
std::vector<TSerialAdapter> StagedAdapters() {
  return {
      {.device = QStringLiteral("/dev/ttyS0")},
      {.device = QStringLiteral("/dev/ttyUSB0"),
       .byId = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X7Q-if00-port0"),
       .manufacturer = QStringLiteral("FTDI"),
       .product = QStringLiteral("FT232R USB UART"),
       .serialNumber = QStringLiteral("A10K3X7Q")},
      {.device = QStringLiteral("/dev/ttyUSB1"),
       .byId = QStringLiteral("/dev/serial/by-id/usb-Silicon_Labs_CP2102N_USB_to_UART_Bridge_Controller_"
                              "7c2e9a41d5f3eb11-if00-port0"),
       .manufacturer = QStringLiteral("Silicon Labs"),
       .product = QStringLiteral("CP2102N USB to UART Bridge Controller"),
       .serialNumber = QStringLiteral("7c2e9a41d5f3eb11")},
  };
}

// The port settings on staged adapters, one chosen by the name that stays: the dialog, then the
// dialog with its port list open (a window of its own, so taken from the screen).
void PicturePortSettings(TParvexForm& form, const QString& dialogPath, const QString& listPath) {
  SetSerialPortWatchMaker([] { return std::make_unique<TStagedPortWatch>(StagedAdapters()); });
  const QString port = form.ComPort->Port();
  form.ComPort->SetPort(StagedAdapters()[1].byId);
  PictureDialogOf(form.acPortSettings, dialogPath);
  PictureDialogOf(form.acPortSettings, [&listPath](QDialog& dialog) {
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("Combo1"));
    list->showPopup();
    Settle(300);
    const QRect shown = dialog.frameGeometry().united(list->view()->window()->frameGeometry());
    Save(dialog.screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height()), listPath);
    list->hidePopup();
  });
  form.ComPort->SetPort(port);
  SetSerialPortWatchMaker({});
}

// The write to every reader: its progress window while the second reader is written, then its
// result window.
void PictureWriteToAll(TParvexForm& form, const QString& progressPath, const QString& resultPath) {
  QTimer watcher;
  watcher.setInterval(20);
  bool taken = false;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* progress = form.findChild<TfrmWriteAllProgress*>();
    if (taken || !progress || !progress->isVisible() || progress->pbReaders->value() < 1) return;
    taken = true;
    Save(progress, progressPath);
  });
  watcher.start();
  form.acWriteAllReaders->trigger();
  watcher.stop();
  if (TfrmWriteAllResults* results = form.WriteAllResults()) {
    Settle(300);
    Save(results, resultPath);
    results->close();
  }
}

// The first reader row in this state, by the word the window's language gives it.
QTreeWidgetItem* ReaderRow(const QTreeWidget& tree, TReaderState state) {
  const QString word = TSiteWords::StateWord(state);
  for (int line = 0; line < tree.topLevelItemCount(); ++line)
    for (int i = 0; i < tree.topLevelItem(line)->childCount(); ++i)
      if (tree.topLevelItem(line)->child(i)->text(2).startsWith(word)) return tree.topLevelItem(line)->child(i);
  return nullptr;
}

// The site window after a survey, a reader that differs selected; then during an apply, once a
// reader has been written and others are still being written; then after it, a reader written
// selected, with its history.
void PictureSite(TParvexForm& form, const QString& site, const QString& surveyPath, const QString& applyPath,
                 const QString& historyPath) {
  SetFileChooser([site](TFileChoice) { return site; });
  SetQuestionAnswerer([](const TShownMessage&) { return true; });
  form.acSiteOpen->trigger();
  TSiteWindow* window = form.SiteWindow();
  window->resize(720, 600);
  form.acSiteSurvey->trigger();
  while (window->Running()) Settle(50);
  window->tvSite->setCurrentItem(ReaderRow(*window->tvSite, TReaderState::Differs));
  Settle(300);
  Save(window, surveyPath);

  window->tvSite->setCurrentItem(nullptr);
  form.acSiteApply->trigger();
  while (window->Running() && !ReaderRow(*window->tvSite, TReaderState::Written)) Settle(20);
  Save(window, applyPath);
  while (window->Running()) Settle(50);
  window->tvSite->setCurrentItem(ReaderRow(*window->tvSite, TReaderState::Written));
  Settle(300);
  Save(window, historyPath);
  SetQuestionAnswerer({});
  SetFileChooser({});
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Parvex"));
  if (argc < 2) {
    std::fprintf(stderr, "usage: parvex-screens OUTDIR [DEVICE [SITE]]\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  const QString device = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  const TTranslations translations(LanguageOfLocale());
  const QString site = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

  TParvexForm form;
  form.AboutBox = new TAboutBox(&form);
  form.show();
  Settle(500);
  Save(&form, out.filePath(QStringLiteral("main-window-closed.png")));

  PictureDialogOf(form.HelpAbout1, out.filePath(QStringLiteral("about-box.png")));
  PicturePortSettings(form, out.filePath(QStringLiteral("port-settings.png")),
                      out.filePath(QStringLiteral("port-list.png")));

  // A device that is not there: the port error box.
  form.ComPort->SetPort(QStringLiteral("/dev/parvex-missing"));
  PictureDialogOf(form.acPortOpen, out.filePath(QStringLiteral("port-error.png")));

  if (!device.isEmpty()) {
    form.ComPort->SetPort(device);
    form.acPortOpen->trigger();
    Settle(1500);
    Save(&form, out.filePath(QStringLiteral("main-window-open.png")));
    PictureDialogOf(form.acWriteKeys, out.filePath(QStringLiteral("write-keys.png")));
    // The exchange log after the search and the read that the open ran.
    form.acExchangeLog->trigger();
    Settle(500);
    Save(form.ExchangeLogWindow(), out.filePath(QStringLiteral("exchange-log.png")));
    form.ExchangeLogWindow()->close();
    PictureWriteToAll(form, out.filePath(QStringLiteral("write-all-progress.png")),
                      out.filePath(QStringLiteral("write-all-result.png")));
    form.acPortClose->trigger();
  }
  if (!site.isEmpty())
    PictureSite(form, site, out.filePath(QStringLiteral("site-survey.png")), out.filePath(QStringLiteral("site-apply.png")),
                out.filePath(QStringLiteral("site-history.png")));
  return 0;
}
