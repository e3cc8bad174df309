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
#include "SiteFile.h"
#include "SiteWindow.h"
#include "SiteWords.h"
#include "WriteAllProgress.h"
#include "WriteAllResults.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QAbstractItemView>
#include <QScreen>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
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

using TTake = std::function<void(QDialog&)>;

// Triggers the action; each modal dialog it raises in turn is given to the next take (a picture),
// then a question is answered yes and any other dialog closed.
void PictureDialogsOf(QAction* action, const std::vector<TTake>& takes) {
  QTimer watcher;
  watcher.setInterval(50);
  std::size_t taken = 0;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || taken == takes.size()) return;
    Settle(200);
    takes[taken++](*dialog);
    auto* box = qobject_cast<QMessageBox*>(dialog);
    if (QAbstractButton* yes = box ? box->button(QMessageBox::Yes) : nullptr)
      yes->click();
    else
      dialog->reject();
  });
  watcher.start();
  action->trigger();
}

TTake SaveTo(const QString& path) {
  return [path](QDialog& dialog) { Save(&dialog, path); };
}

void PictureDialogOf(QAction* action, const QString& path) { PictureDialogsOf(action, {SaveTo(path)}); }

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
  PictureDialogsOf(form.acPortSettings, {[&listPath](QDialog& dialog) {
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("Combo1"));
    list->showPopup();
    Settle(300);
    const QRect shown = dialog.frameGeometry().united(list->view()->window()->frameGeometry());
    Save(dialog.screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height()), listPath);
    list->hidePopup();
  }});
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

// The site window after a survey, a reader that differs selected; the apply's question and the
// message of a write an earlier apply left interrupted (the journal beside SITE holds one); the
// window during the apply, once a reader has been written and others are still being written;
// then after it, a reader written selected, with its history.
void PictureSite(TParvexForm& form, const QString& site, const QDir& out) {
  SetFileChooser([site](TFileChoice) { return site; });
  form.acSiteOpen->trigger();
  TSiteWindow* window = form.SiteWindow();
  window->resize(720, 600);
  form.acSiteSurvey->trigger();
  while (window->Running()) Settle(50);
  window->tvSite->setCurrentItem(ReaderRow(*window->tvSite, TReaderState::Differs));
  Settle(300);
  Save(window, out.filePath(QStringLiteral("site-survey.png")));

  window->tvSite->setCurrentItem(nullptr);
  PictureDialogsOf(form.acSiteApply, {SaveTo(out.filePath(QStringLiteral("site-apply-question.png"))),
                                      SaveTo(out.filePath(QStringLiteral("site-journal-mended.png")))});
  while (window->Running() && !ReaderRow(*window->tvSite, TReaderState::Written)) Settle(20);
  Save(window, out.filePath(QStringLiteral("site-apply.png")));
  while (window->Running()) Settle(50);
  window->tvSite->setCurrentItem(ReaderRow(*window->tvSite, TReaderState::Written));
  Settle(300);
  Save(window, out.filePath(QStringLiteral("site-history.png")));
  SetFileChooser({});
}

// A new site from SITE's lines as the adapters plugged in: the window while the first rate is
// searched, once a reader has been read, and after, the site written and opened.
void PictureDiscovery(TParvexForm& form, const QString& site, const QDir& out) {
  std::vector<TSerialAdapter> plugged;
  for (const TSiteLine& line : LoadSiteFile(site).lines)
    plugged.push_back({.device = QFileInfo(QString::fromStdString(line.port)).canonicalFilePath(),
                       .byId = QString::fromStdString(line.port)});
  SetSerialPortWatchMaker([&plugged] { return std::make_unique<TStagedPortWatch>(plugged); });
  const QString discovered = QFileInfo(site).dir().filePath(QStringLiteral("new-site.json"));
  SetFileChooser([&discovered](TFileChoice) { return discovered; });
  TSiteWindow* window = form.SiteWindow();
  form.acSiteDiscover->trigger();
  const auto readerShown = [window] {
    for (int line = 0; line < window->tvSite->topLevelItemCount(); ++line)
      if (window->tvSite->topLevelItem(line)->childCount() > 1) return true;
    return false;
  };
  while (window->Running() && !readerShown()) Settle(20);
  Save(window, out.filePath(QStringLiteral("site-discover.png")));
  while (window->Running()) Settle(50);
  Settle(300);
  Save(window, out.filePath(QStringLiteral("site-discovered.png")));
  SetFileChooser({});
  SetSerialPortWatchMaker({});
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
  if (!site.isEmpty()) {
    PictureSite(form, site, out);
    PictureDiscovery(form, site, out);
  }
  return 0;
}
