#include "SDIMAIN.h"

#include "ABOUT.h"
#include "CPort.h"
#include "CPortSetup.h"
#include "ExceptionGuard.h"
#include "ExchangeLogWindow.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "PortSession.h"
#include "SerialPortWatch.h"
#include "SiteWindow.h"
#include "TerminalView.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr QSize kClientSize{690, 387};
constexpr int kMenuBarHeight = 26;
constexpr int kToolBarHeight = 30;
constexpr int kStatusBarHeight = 19;
// Panel1 stands at 8, 64 in the window, 665 x 298; what is left around it stays fixed.
constexpr QMargins kPanelMargins{8, 8, 17, 6};
constexpr QSize kPanelSize{665, 298};

// When an action can be used; the groups follow the port, and the busy lock holds both.
enum class TActionGroup {
  Always,
  Port,    // while the port is closed
  Reader,  // while the port is open
  // The site window's: they run on lines of their own, apart from the port and its lock.
  SiteIdle,   // while no site run goes
  SiteReady,  // while a site is open and no run goes
};

// Whether an action may start while an operation waits for a reader.
enum class TBusyPolicy {
  Refused,  // an operation: one at a time
  Runs,     // not an operation; it must not wait for one
};

struct TActionInfo {
  QAction* TParvexForm::*member;
  const char* name;
  TParvexForm::THandler handler;
  TBusyPolicy busy;
  TActionGroup group;
  const char* category;  // empty: none
  const char* caption;
  const char* hint;      // empty: no status hint and no tool tip
  QKeyCombination shortcut;
  const char* icon;      // empty: none
};

// An action's member, object name and handler come from its one name, so they cannot disagree.
#define PARVEX_ACTION(name) &TParvexForm::name, #name, &TParvexForm::name##Execute

// The action list, in its order.
const TActionInfo kActions[] = {
    // Closing the window waits for a running operation's end.
    {PARVEX_ACTION(FileExit1), TBusyPolicy::Runs, TActionGroup::Always, "File",
     QT_TRANSLATE_NOOP("TParvexForm", "В&ыход"), QT_TRANSLATE_NOOP("TParvexForm", "Выйти из программы"), {}, ""},
    {PARVEX_ACTION(acWriteKeys), TBusyPolicy::Refused, TActionGroup::Reader, "Reader",
     QT_TRANSLATE_NOOP("TParvexForm", "&Изменение ключей"), "", Qt::CTRL | Qt::Key_K, "key"},
    {PARVEX_ACTION(HelpAbout1), TBusyPolicy::Refused, TActionGroup::Always, "Help", "&About...", "", {}, ""},
    {PARVEX_ACTION(acPortOpen), TBusyPolicy::Refused, TActionGroup::Port, "Port",
     QT_TRANSLATE_NOOP("TParvexForm", "&Открыть"), QT_TRANSLATE_NOOP("TParvexForm", "Открыть порт"),
     Qt::CTRL | Qt::Key_O, "open"},
    {PARVEX_ACTION(acPortClose), TBusyPolicy::Refused, TActionGroup::Reader, "Port",
     QT_TRANSLATE_NOOP("TParvexForm", "&Закрыть"), QT_TRANSLATE_NOOP("TParvexForm", "Закрыть порт"),
     Qt::CTRL | Qt::Key_C, "close"},
    {PARVEX_ACTION(acPortSettings), TBusyPolicy::Refused, TActionGroup::Port, "Port",
     QT_TRANSLATE_NOOP("TParvexForm", "&Параметры"), QT_TRANSLATE_NOOP("TParvexForm", "Изменить параметры порта"),
     Qt::CTRL | Qt::Key_P, "settings"},
    {PARVEX_ACTION(acReadParameters), TBusyPolicy::Refused, TActionGroup::Reader, "Reader",
     QT_TRANSLATE_NOOP("TParvexForm", "&Вычитать параметры"),
     QT_TRANSLATE_NOOP("TParvexForm", "Вычитать данные из считывателя"), Qt::CTRL | Qt::Key_R, "read"},
    {PARVEX_ACTION(acWriteParameters), TBusyPolicy::Refused, TActionGroup::Reader, "Reader",
     QT_TRANSLATE_NOOP("TParvexForm", "&Записать параметры"),
     QT_TRANSLATE_NOOP("TParvexForm", "Записать данные в считыватель"), Qt::CTRL | Qt::Key_W, "write"},
    {PARVEX_ACTION(acClearLog), TBusyPolicy::Refused, TActionGroup::Reader, "",
     QT_TRANSLATE_NOOP("TParvexForm", "Очистить журнал"), "", Qt::CTRL | Qt::Key_X, "clear"},
    // A view, not an operation: it opens while a search or a read runs, to watch it.
    {PARVEX_ACTION(acExchangeLog), TBusyPolicy::Runs, TActionGroup::Always, "Port",
     QT_TRANSLATE_NOOP("TParvexForm", "&Журнал обмена"),
     QT_TRANSLATE_NOOP("TParvexForm", "Показать журнал обмена со считывателями"), Qt::CTRL | Qt::Key_T, "exchanges"},
    {PARVEX_ACTION(acSaveParameters), TBusyPolicy::Refused, TActionGroup::Always, "File",
     QT_TRANSLATE_NOOP("TParvexForm", "&Сохранить параметры…"),
     QT_TRANSLATE_NOOP("TParvexForm", "Сохранить параметры считывателя в файл"), Qt::CTRL | Qt::Key_S, "save"},
    {PARVEX_ACTION(acLoadParameters), TBusyPolicy::Refused, TActionGroup::Always, "File",
     QT_TRANSLATE_NOOP("TParvexForm", "За&грузить параметры…"),
     QT_TRANSLATE_NOOP("TParvexForm", "Загрузить параметры считывателя из файла, ничего не отправляя"),
     Qt::CTRL | Qt::Key_L, "load"},
    {PARVEX_ACTION(acWriteAllReaders), TBusyPolicy::Refused, TActionGroup::Reader, "Reader",
     QT_TRANSLATE_NOOP("TParvexForm", "Записать во &все считыватели"),
     QT_TRANSLATE_NOOP("TParvexForm", "Записать параметры во все найденные считыватели и проверить чтением"),
     Qt::CTRL | Qt::SHIFT | Qt::Key_W, "write-all"},
    // A file dialog and a question must not open inside a read's wait: refused while busy. A
    // survey runs on its own lines and may start then.
    {PARVEX_ACTION(acSiteOpen), TBusyPolicy::Refused, TActionGroup::SiteIdle, "Site",
     QT_TRANSLATE_NOOP("TParvexForm", "&Открыть объект…"),
     QT_TRANSLATE_NOOP("TParvexForm", "Открыть файл объекта: его линии и считыватели с их планом"),
     Qt::CTRL | Qt::SHIFT | Qt::Key_O, "site-open"},
    {PARVEX_ACTION(acSiteSurvey), TBusyPolicy::Runs, TActionGroup::SiteReady, "Site",
     QT_TRANSLATE_NOOP("TParvexForm", "О&бследовать"),
     QT_TRANSLATE_NOOP("TParvexForm", "Найти и прочитать все считыватели объекта и сравнить с планом"), Qt::Key_F5,
     "site-survey"},
    {PARVEX_ACTION(acSiteApply), TBusyPolicy::Refused, TActionGroup::SiteReady, "Site",
     QT_TRANSLATE_NOOP("TParvexForm", "&Применить"),
     QT_TRANSLATE_NOOP("TParvexForm", "Записать план в считыватели объекта, которые от него отличаются"),
     Qt::CTRL | Qt::SHIFT | Qt::Key_A, "site-apply"},
    {PARVEX_ACTION(acSiteDiscover), TBusyPolicy::Refused, TActionGroup::SiteIdle, "Site",
     QT_TRANSLATE_NOOP("TParvexForm", "&Новый объект из подключённых линий…"),
     QT_TRANSLATE_NOOP("TParvexForm", "Найти считыватели на каждом подключённом адаптере на каждой скорости и записать "
                                      "их в новый файл объекта"),
     {}, ""},
    {PARVEX_ACTION(acSiteSnapshot), TBusyPolicy::Refused, TActionGroup::SiteReady, "Site",
     QT_TRANSLATE_NOOP("TParvexForm", "Сохранить &снимок…"),
     QT_TRANSLATE_NOOP("TParvexForm", "Прочитать все считыватели объекта и сохранить их параметры в файл объекта"), {},
     "site-snapshot"},
};

#undef PARVEX_ACTION

// What the groups follow.
struct TEnablingState {
  bool connected = false;
  bool locked = false;
  bool siteOpen = false;
  bool siteRunning = false;
};

// An action that the busy lock would refuse is shown disabled while it holds, whatever its group.
bool ActionEnabled(const TActionInfo& action, const TEnablingState& state) {
  if (state.locked && action.busy == TBusyPolicy::Refused) return false;
  switch (action.group) {
    case TActionGroup::Port:
      return !state.connected;
    case TActionGroup::Reader:
      return state.connected;
    case TActionGroup::SiteIdle:
      return !state.siteRunning;
    case TActionGroup::SiteReady:
      return state.siteOpen && !state.siteRunning;
    case TActionGroup::Always:
      break;
  }
  return true;
}

// The style greys a disabled icon by desaturating it, which leaves the black cross of Close
// looking enabled; a faded copy tells every disabled action apart. The drawing is rendered at
// every size a bar asks for, so the icons stay crisp.
QIcon ActionIcon(const QString& name) {
  const QIcon drawing(QStringLiteral(":/icons/%1.svg").arg(name));
  QIcon icon;
  for (int side : {16, 20, 24, 32, 48, 64}) {
    const QPixmap normal = drawing.pixmap(side, side);
    QPixmap faded(normal.size());
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(0.3);
    painter.drawPixmap(0, 0, normal);
    painter.end();
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(faded, QIcon::Disabled);
  }
  return icon;
}

bool IsIdleTrigger(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::Show:
      return true;
    default:
      return false;
  }
}

}  // namespace

TParvexForm::TParvexForm(QWidget* parent) : QMainWindow(parent) {
  Q_INIT_RESOURCE(icons);
  setObjectName(QStringLiteral("ParvexForm"));
  setWindowTitle(tr("Программатор считывателя"));

  CreateActions();
  CreateBars();
  CreateSiteWindow();

  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(kPanelMargins);
  Panel1 = new TParameterPanel(client);
  Panel1->setMinimumSize(kPanelSize);
  Panel1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  layout->addWidget(Panel1);
  setCentralWidget(client);

  Timer1 = new QTimer(this);  // its interval is the idle flush's, set by the port session
  Timer1->setObjectName(QStringLiteral("Timer1"));

  Guard([this] { FormCreate(); });

  setMinimumSize(kClientSize);
  resize(kClientSize);
  if (const QScreen* desktop = screen())
    move(desktop->availableGeometry().center() - QPoint(width() / 2, height() / 2));

  // Shortcut overrides, tool tips and idle updates are decided for the whole window in one place.
  qApp->installEventFilter(this);
}

TParvexForm::~TParvexForm() {
  qApp->removeEventFilter(this);
  FormDestroy();
}

// Every action of the list, connected to its handler under its busy policy.
void TParvexForm::CreateActions() {
  for (const TActionInfo& info : kActions) {
    auto* action = new QAction(tr(info.caption), this);
    action->setObjectName(QString::fromLatin1(info.name));
    action->setProperty("category", QString::fromLatin1(info.category));
    const QString hint = tr(info.hint);
    action->setStatusTip(hint);
    action->setToolTip(hint);
    if (info.shortcut != QKeyCombination()) action->setShortcut(QKeySequence(info.shortcut));
    if (*info.icon)
      action->setIcon(ActionIcon(QString::fromLatin1(info.icon)));
    addAction(action);  // shortcuts act wherever the focus is in the window
    this->*info.member = action;
    const THandler handler = info.handler;
    if (info.busy == TBusyPolicy::Refused) {
      connect(action, &QAction::triggered, this,
              [this, action, handler] { StartOperation([&] { RunAction(action, handler); }); });
    } else {
      connect(action, &QAction::triggered, this,
              [this, action, handler] { Guard([&] { RunAction(action, handler); }); });
    }
  }
}

void TParvexForm::CreateBars() {
  ActionMainMenuBar1 = new QMenuBar(this);
  ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
  ActionMainMenuBar1->setNativeMenuBar(false);
  ActionMainMenuBar1->setFixedHeight(kMenuBarHeight);
  QMenu* port = ActionMainMenuBar1->addMenu(tr("&Порт"));
  port->setObjectName(QStringLiteral("mnuPort"));
  port->addActions({acPortOpen, acPortClose});
  port->addSeparator();
  port->addAction(acPortSettings);
  port->addAction(acExchangeLog);
  port->addSeparator();
  port->addActions({acSaveParameters, acLoadParameters});
  port->addSeparator();
  port->addAction(FileExit1);
  mnuSite_ = ActionMainMenuBar1->addMenu(tr("О&бъект"));
  mnuSite_->setObjectName(QStringLiteral("mnuSite"));
  connect(mnuSite_, &QMenu::aboutToShow, this, &TParvexForm::ShowRecentSites);
  QMenu* reader = ActionMainMenuBar1->addMenu(tr("Считыватель"));
  reader->setObjectName(QStringLiteral("mnuReader"));
  reader->addActions({acReadParameters, acWriteParameters, acWriteKeys});
  reader->insertAction(acWriteKeys, acWriteAllReaders);
  reader->addSeparator();
  reader->addAction(acClearLog);
  for (QMenu* menu : {port, mnuSite_, reader})
    connect(menu, &QMenu::aboutToShow, this, &TParvexForm::ActionList1Update);
  setMenuBar(ActionMainMenuBar1);

  ActionToolBar1 = new QToolBar(this);
  ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
  ActionToolBar1->setMovable(false);
  ActionToolBar1->setFloatable(false);
  ActionToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ActionToolBar1->setIconSize(QSize(16, 16));
  ActionToolBar1->setFixedHeight(kToolBarHeight);
  ActionToolBar1->addActions({acPortOpen, acPortClose, acPortSettings});
  ActionToolBar1->addSeparator();
  ActionToolBar1->addActions({acReadParameters, acWriteParameters, acWriteKeys});
  ActionToolBar1->insertAction(acWriteKeys, acWriteAllReaders);
  ActionToolBar1->addSeparator();
  ActionToolBar1->addAction(acClearLog);
  ActionToolBar1->addAction(acExchangeLog);
  ActionToolBar1->addSeparator();
  ActionToolBar1->addActions({acSaveParameters, acLoadParameters});
  addToolBar(Qt::TopToolBarArea, ActionToolBar1);

  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setFixedHeight(kStatusBarHeight);
  setStatusBar(StatusBar);
}

bool TParvexForm::RunAction(QAction* action, THandler handler) {
  ActionList1Update();
  if (!action->isEnabled()) return false;
  (this->*handler)();
  return true;
}

bool TParvexForm::StartOperation(const std::function<void()>& body) {
  if (Busy()) return false;
  ++operationDepth_;
  const bool completed = Guard(body);
  --operationDepth_;
  ScheduleIdleUpdate();
  CloseIfPending();
  return completed;
}

bool TParvexForm::Guard(const std::function<void()>& body) {
  return Guarded(this, [&] {
    try {
      body();
    } catch (const EComPortExt& error) {
      // An operation can meet a vanished device before the port's own news of it arrives (a
      // request written between two frames): the port is closed now, so that the news finds it
      // closed and the operator is told once, by this error. So is a port whose device failed
      // otherwise: its event thread has ended. Only a port that is open can have vanished: a
      // device that cannot be opened (a COM port without its chip answers EIO) leaves the panel
      // as it was.
      const bool gone = DeviceVanished(error.SystemCode()) || ComPort->DeviceFailure();
      if (gone && ComPort->Connected()) CloseVanishedPort();
      throw;
    }
  });
}

void TParvexForm::CloseVanishedPort() {
  try {
    ComPort->SetConnected(false);
  } catch (const EComPort&) {
    // The error that brought us here is the one to report.
  }
  // As after Close: nothing on the panel is usable until the port is open again.
  EnableParameterPanel(false);
  AwaitAdapterReturn();
}

void TParvexForm::AwaitAdapterReturn() {
  delete adapterReturn_;
  try {
    adapterReturn_ = MakeSerialPortWatch().release();
  } catch (const EComPort&) {
    return;  // a machine whose devices cannot be watched goes without the offer
  }
  adapterReturn_->setParent(this);
  connect(adapterReturn_, &TSerialPortWatch::Arrived, this, &TParvexForm::OfferToReopen);
  StatusBar->showMessage(tr("Адаптер порта %1 отключён; когда он вернётся, порт можно будет открыть снова")
                             .arg(ComPort->Port()));
}

void TParvexForm::OfferToReopen(const TSerialAdapter& adapter) {
  // By its name, or by a link of the port's name to it (the name an operator gave it, say).
  const QString device = TCustomComPort::DevicePath(ComPort->Port());
  const QString target = QFileInfo(device).canonicalFilePath();
  const bool ours = device == adapter.device || device == adapter.byId ||
                    (!target.isEmpty() && target == QFileInfo(adapter.device).canonicalFilePath());
  if (!ours || ComPort->Connected() || Busy()) return;
  adapterReturn_->deleteLater();  // its signal is being delivered
  StatusBar->clearMessage();
  if (AskToProceed(this, {tr("Адаптер подключён"), tr("Адаптер порта %1 снова подключён. Открыть порт?").arg(ComPort->Port()), {}}))
    acPortOpen->trigger();
}

void TParvexForm::FormCreate() {
  Panel1->FillModeList();
  Panel1->FillCardTypeList();
  CreateComPort();
  ActionList1Update();
  CreateLink();
  RestorePortSettings();
}

void TParvexForm::RestorePortSettings() {
  try {
    TPortSession::RestoreSettings(*ComPort);
  } catch (const EComPort&) {
    // An exception out of the window's construction would end the program: keep it for later.
    startupError_ = std::current_exception();
  }
}

void TParvexForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!startupError_) return;
  std::exception_ptr error = std::exchange(startupError_, nullptr);
  QTimer::singleShot(0, this, [this, error] { ReportException(this, error); });
}

// The port and its session: the program's line, the link over it with its error list, the idle
// flush on Timer1. The setup dialog is the window's to give the port.
void TParvexForm::CreateComPort() {
  ComPort = new TComPort(this);
  session_ = std::make_unique<TPortSession>(*ComPort, *Timer1);
  ComPort->SetSetupDialog(ExecuteSetupDialog);
  // A vanished device closes the port by itself; the groups follow at the next idle update.
  connect(ComPort, &TCustomComPort::DeviceGone, this, &TParvexForm::ScheduleIdleUpdate);
}

void TParvexForm::FormDestroy() {
  // The session lets go of the port first: closing the port then delivers nothing into the link.
  session_.reset();
  delete ComPort;
  ComPort = nullptr;
}

ErrorList& TParvexForm::Errors() { return session_->Errors(); }
ReaderLink& TParvexForm::Link() { return session_->Link(); }
TPortLinkHost& TParvexForm::LinkHost() { return session_->Host(); }

void TParvexForm::EnableParameterPanel(bool value) {
  panelInUse_ = value;
  ActionList1Update();
}

// The one place where enabled states are set: each action by its group, and the panel, from the
// port's state, the busy lock and whether the panel is in use. The panel comes first, so that a
// value being edited in it is settled before anything else changes.
void TParvexForm::ActionList1Update() {
  ShowPanelEnabled(panelInUse_ && !windowLocked_);
  const TEnablingState state{ComPort->Connected(), windowLocked_, siteWindow_ && siteWindow_->HasSite(),
                             siteWindow_ && siteWindow_->Running()};
  for (const TActionInfo& info : kActions) (this->*info.member)->setEnabled(ActionEnabled(info, state));
  for (QAction* recent : recentSiteActions_) recent->setEnabled(acSiteOpen->isEnabled());
}

void TParvexForm::ShowPanelEnabled(bool value) {
  // Enabling runs the mode rule; the update runs at every idle moment, the rule only on a change.
  if (panelShown_ == value) return;
  panelShown_ = value;
  Panel1->EnableControls(value);
}

void TParvexForm::acPortOpenExecute() {
  {
    // A network line may take its connection attempt, up to 3 s, before the port is open.
    TBusyLock lock(*this, TBusyLock::Scope::CursorOnly);
    ComPort->SetConnected(true);
  }
  if (!SearchReaders()) ComPort->SetConnected(false);
  // Also when no reader answered and the port is closed again: the panel's values can still be
  // prepared, saved or loaded.
  EnableParameterPanel(true);
}

void TParvexForm::acPortCloseExecute() {
  ComPort->SetConnected(false);
  EnableParameterPanel(false);
}

void TParvexForm::acPortSettingsExecute() {
  ComPort->RunSetupDialog();
  // Saved whether the dialog was confirmed or not.
  TPortSession::SaveSettings(*ComPort);
}

void TParvexForm::acClearLogExecute() {
  terminal_->Clear();
}

void TParvexForm::FileExit1Execute() {
  close();  // as the close box: while an operation runs, the window closes at its end
}

void TParvexForm::HelpAbout1Execute() {
  if (AboutBox) AboutBox->exec();
}

void TParvexForm::acExchangeLogExecute() {
  if (!exchangeLogWindow_) exchangeLogWindow_ = new TExchangeLogWindow(*exchangeLog_, this);
  exchangeLogWindow_->show();
  exchangeLogWindow_->raise();
  exchangeLogWindow_->activateWindow();
}

void TParvexForm::ScheduleIdleUpdate() {
  if (idlePending_) return;
  idlePending_ = true;
  QTimer::singleShot(0, this, [this] {
    idlePending_ = false;
    ActionList1Update();
  });
}

bool TParvexForm::ClaimsShortcut(const QKeySequence& key) const {
  const auto own = actions();
  return std::any_of(own.begin(), own.end(), [&](const QAction* action) {
    return action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == key;
  });
}

bool TParvexForm::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return QMainWindow::eventFilter(watched, event);

  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // Edit fields claim Ctrl+C, Ctrl+X and Ctrl+K for themselves; an enabled action wins here.
      const auto* key = static_cast<QKeyEvent*>(event);
      if (ClaimsShortcut(QKeySequence(key->keyCombination()))) {
        event->ignore();
        return true;
      }
      break;
    }
    case QEvent::ToolTip: {
      // An action without a hint shows no tool tip, not its caption.
      const auto* button = qobject_cast<QToolButton*>(widget);
      if (button && button->defaultAction() && button->defaultAction()->statusTip().isEmpty())
        return true;
      break;
    }
    default:
      if (IsIdleTrigger(event->type())) ScheduleIdleUpdate();
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

QMenu* TParvexForm::createPopupMenu() {
  // No menu for hiding the toolbar.
  return nullptr;
}

TParvexForm::TBusyLock::TBusyLock(TParvexForm& form, Scope scope)
    : form_(form), outermost_(form.busyDepth_ == 0), scope_(scope) {
  ++form_.busyDepth_;
  if (!outermost_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (scope_ == Scope::Window) {
    form_.windowLocked_ = true;
    form_.ActionList1Update();
  }
}

TParvexForm::TBusyLock::~TBusyLock() {
  --form_.busyDepth_;
  if (!outermost_) return;
  QApplication::restoreOverrideCursor();
  if (scope_ == Scope::Window) {
    // An operation's end leaves the panel in use, as the open's end does.
    form_.windowLocked_ = false;
    form_.EnableParameterPanel(true);
  }
  form_.ScheduleIdleUpdate();
}
