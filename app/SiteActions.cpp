// The window's site actions: the site window beside it, and the last site files in the menu.
#include "SDIMAIN.h"

#include "FileChoice.h"
#include "SiteWindow.h"

#include <QAction>
#include <QDir>
#include <QMenu>

void TParvexForm::CreateSiteWindow() {
  siteWindow_ = new TSiteWindow(this);
  siteWindow_->AddToolBar({acSiteOpen, acSiteSurvey, acSiteApply, acSiteSnapshot});
  // A run's start and end change what can be used, at once: the next action may come before
  // any idle moment. Its end may be what a close waits for.
  connect(siteWindow_, &TSiteWindow::StateChanged, this, [this] {
    ActionList1Update();
    CloseIfPending();
  });
  ShowRecentSites();
}

void TParvexForm::ShowRecentSites() {
  for (QAction* recent : recentSiteActions_) delete recent;
  recentSiteActions_.clear();
  mnuSite_->clear();
  mnuSite_->addActions({acSiteOpen, acSiteDiscover, acSiteSurvey, acSiteApply, acSiteSnapshot});
  const QStringList& paths = siteWindow_->RecentSites();
  if (!paths.isEmpty()) mnuSite_->addSeparator();
  for (int i = 0; i < paths.size(); ++i) {
    const QString path = paths[i];
    QAction* recent = mnuSite_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
    recent->setObjectName(QStringLiteral("acRecentSite%1").arg(i + 1));
    recent->setStatusTip(tr("Открыть объект %1").arg(path));
    recent->setEnabled(acSiteOpen->isEnabled());  // each opens a site, as Open does
    connect(recent, &QAction::triggered, this, [this, path] { StartOperation([&] { OpenSite(path); }); });
    recentSiteActions_.push_back(recent);
  }
}

void TParvexForm::OpenSite(const QString& path) {
  if (siteWindow_->OpenSite(path)) ShowSiteWindow();
}

void TParvexForm::ShowSiteWindow() {
  siteWindow_->show();
  siteWindow_->raise();
  siteWindow_->activateWindow();
}

void TParvexForm::acSiteOpenExecute() {
  const QString path = ChooseFile(this, TFileChoice::OpenSite);
  if (!path.isEmpty()) OpenSite(path);
}

void TParvexForm::acSiteSurveyExecute() {
  ShowSiteWindow();
  siteWindow_->Survey();
}

void TParvexForm::acSiteApplyExecute() {
  ShowSiteWindow();
  siteWindow_->Apply();
}

void TParvexForm::acSiteDiscoverExecute() {
  const QString path = ChooseFile(this, TFileChoice::SaveDiscoveredSite);
  if (path.isEmpty()) return;
  ShowSiteWindow();
  siteWindow_->Discover(path);
}

void TParvexForm::acSiteSnapshotExecute() {
  ShowSiteWindow();
  siteWindow_->Snapshot();
}
