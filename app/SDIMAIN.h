#pragma once

#include <QMainWindow>
#include <QPointer>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ErrorList;
class QCloseEvent;
class QShowEvent;
class ReaderLink;
class TPortLinkHost;
class TPortSession;
class TTerminalView;
class QAction;
class QMenuBar;
class QStatusBar;
class QTimer;
class QToolBar;
class TAboutBox;
class TComPort;
class TExchangeLogModel;
class TExchangeLogWindow;
class TParameterPanel;
class TSiteWindow;
class TSerialPortWatch;
struct TSerialAdapter;
class TfrmWriteAllResults;
struct TReaderWriteReport;
struct TWriteValues;

// The program's one main window. It owns the serial port, its timer and the parameter panel, and
// the port session over them (link, error list, idle flush, settings file); it carries the
// actions and decides what can be used in each state of the port.
class TParvexForm : public QMainWindow {
  Q_OBJECT

 public:
  using THandler = void (TParvexForm::*)();

  explicit TParvexForm(QWidget* parent = nullptr);
  ~TParvexForm() override;

  // Whether the parameter panel is in use (every child of Panel1, then the mode rule when it
  // is); the busy lock holds it disabled meanwhile.
  void EnableParameterPanel(bool value);
  // Sets every action's and the panel's enabled state from the port's Connected, the busy lock
  // and the panel's use: the port group while the port is closed, the reader group while it is
  // open, neither while locked.
  void ActionList1Update();

  // True while a locked operation (or the key dialog's sequence) waits for a reader.
  bool Busy() const { return busyDepth_ > 0; }

  // The toolkit's entry for an operation (action, dialog button): refused while busy, then run
  // through the exception guard. This is the one place the busy flag is checked.
  bool StartOperation(const std::function<void()>& body);
  // The exception guard alone, for entry points that must run during a wait (timer, port events).
  bool Guard(const std::function<void()>& body);
  // Holds the window for a multi-frame operation: hourglass and busy flag, and with Scope::Window
  // also the panel and both action groups disabled; at its end, also when the operation leaves by
  // an exception, the panel is in use again and the groups follow the port. Nested locks only
  // count.
  class TBusyLock {
   public:
    enum class Scope { Window, CursorOnly };
    explicit TBusyLock(TParvexForm& form, Scope scope = Scope::Window);
    ~TBusyLock();
    TBusyLock(const TBusyLock&) = delete;
    TBusyLock& operator=(const TBusyLock&) = delete;

   private:
    TParvexForm& form_;
    bool outermost_;
    Scope scope_;
  };

  ErrorList& Errors();
  ReaderLink& Link();
  TPortLinkHost& LinkHost();
  TTerminalView& Terminal() { return *terminal_; }
  TExchangeLogModel& ExchangeLog() { return *exchangeLog_; }
  // Made the first time acExchangeLog runs.
  TExchangeLogWindow* ExchangeLogWindow() const { return exchangeLogWindow_; }
  // Made with the window; shown by the site actions.
  TSiteWindow* SiteWindow() const { return siteWindow_; }

  // The reader link's glue (LinkGlue.cpp).
  void ComPortRxChar(QObject* sender, int count);
  void Timer1Timer();
  // Takes what the line held from before the open, broadcasts the search, lists the readers
  // that answered in cbReader and, when there are any, selects the first and runs
  // acReadParameters. True when at least one reader answered.
  bool SearchReaders();

  // Components, named as their objectName.
  QMenuBar* ActionMainMenuBar1;
  QToolBar* ActionToolBar1;
  QStatusBar* StatusBar;
  TParameterPanel* Panel1;
  QTimer* Timer1;
  TComPort* ComPort = nullptr;
  TAboutBox* AboutBox = nullptr;  // made after the window, at program start

  // Actions, in the order of the action list.
  QAction* FileExit1;
  QAction* acWriteKeys;
  QAction* HelpAbout1;
  QAction* acPortOpen;
  QAction* acPortClose;
  QAction* acPortSettings;
  QAction* acReadParameters;
  QAction* acWriteParameters;
  QAction* acClearLog;
  QAction* acExchangeLog;
  QAction* acSaveParameters;
  QAction* acLoadParameters;
  QAction* acWriteAllReaders;
  QAction* acSiteOpen;
  QAction* acSiteSurvey;
  QAction* acSiteApply;
  QAction* acSiteSnapshot;
  QAction* acSiteDiscover;

  // Action handlers.
  void acPortOpenExecute();
  void acPortCloseExecute();
  void acPortSettingsExecute();
  void acClearLogExecute();
  void FileExit1Execute();
  void HelpAbout1Execute();
  void acExchangeLogExecute();
  // The terminal log's "Сохранить журнал…": its text, as shown, to a file the operator picks.
  void SaveTerminalLog();

  // The reader operations (ReaderOperations.cpp).
  void acReadParametersExecute();
  void acWriteParametersExecute();
  void acWriteKeysExecute();
  void acWriteAllReadersExecute();

  // The parameter panel to a parameters file and back (ParameterFiles.cpp).
  void acSaveParametersExecute();
  void acLoadParametersExecute();

  // The site in its own window (SiteActions.cpp).
  void acSiteOpenExecute();
  void acSiteSurveyExecute();
  void acSiteApplyExecute();
  void acSiteSnapshotExecute();
  void acSiteDiscoverExecute();

  // The outcome of the last write to every reader; nothing before the first.
  TfrmWriteAllResults* WriteAllResults() const;
  // The key dialog's sequence on the selected reader: its mode, then the mode's key. Ends by
  // the silent abort when refused or when a command failed, so that the dialog stays open.
  void ChangeKeys(const QString& KeyA, const QString& KeyB, const QString& OldKey,
                  const QString& OldKeyType);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  QMenu* createPopupMenu() override;

 private:
  void CreateActions();
  void CreateBars();
  void CreateSiteWindow();
  // The "Объект" menu's entries for the site files opened last, after its actions.
  void ShowRecentSites();
  void OpenSite(const QString& path);
  void ShowSiteWindow();
  // Runs an action as the toolkit does: refresh its state, then its handler if it is enabled.
  // Exceptions pass to the caller.
  bool RunAction(QAction* action, THandler handler);
  void ShowPanelEnabled(bool value);
  void FormCreate();
  void FormDestroy();
  void CreateComPort();
  void RestorePortSettings();
  void ScheduleIdleUpdate();
  bool ClaimsShortcut(const QKeySequence& key) const;
  void CreateLink();
  void ComPortDeviceGone();
  void CloseVanishedPort();
  // The vanished port's adapter is watched for; plugged in again, the port is offered to be opened.
  void AwaitAdapterReturn();
  void OfferToReopen(const TSerialAdapter& adapter);
  void CloseIfPending();
  std::vector<TReaderWriteReport> WriteEveryReader(const TWriteValues& values);

  std::unique_ptr<TPortSession> session_;
  QPointer<TSerialPortWatch> adapterReturn_;  // while a vanished port's adapter is awaited
  // The enabling state; ActionList1Update sets the window from it.
  int busyDepth_ = 0;
  bool windowLocked_ = false;  // the outermost busy lock holds the panel and both groups
  bool panelInUse_ = false;
  std::optional<bool> panelShown_;  // what the panel was last given; nothing before the first
  int operationDepth_ = 0;     // operations started through StartOperation and still running
  bool closePending_ = false;  // a close asked for while an operation ran
  TTerminalView* terminal_ = nullptr;  // owned by memTerminal
  TExchangeLogModel* exchangeLog_ = nullptr;  // every exchange of the link, whether shown or not
  TExchangeLogWindow* exchangeLogWindow_ = nullptr;
  TSiteWindow* siteWindow_ = nullptr;
  QMenu* mnuSite_ = nullptr;
  std::vector<QAction*> recentSiteActions_;
  bool idlePending_ = false;
  // A settings file that could not be read at start is told once the window is on screen.
  std::exception_ptr startupError_;
  QPointer<TfrmWriteAllResults> writeAllResults_;
};
