#pragma once

#include <QString>

#include <functional>

class QWidget;

// What a file is chosen for.
enum class TFileChoice {
  SaveParameters,
  LoadParameters,
  SaveExchangeLog,
  SaveTerminalLog,
  OpenSite,
  SaveSiteSnapshot,
  SaveDiscoveredSite,
  SaveSiteReport,
};

// Every file the window asks the operator for goes through ChooseFile, so that a test can give
// the path instead of answering a file dialog. An empty chooser restores the dialogs.
using TFileChooser = std::function<QString(TFileChoice choice)>;
void SetFileChooser(TFileChooser chooser);

// The path chosen, empty when the operator cancelled.
QString ChooseFile(QWidget* parent, TFileChoice choice);
