// parvex-cli: the reader operations of the parvex window from a terminal and from scripts.
#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

#include "CliCommands.h"
#include "Language.h"

namespace {

// The port's debug notes are for developers; a script reads only what the commands print.
void DropDebugMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtDebugMsg) return;
  std::cerr << qFormatLogMessage(type, context, message).toStdString() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(DropDebugMessages);
  // The link's waits run an event loop; the port's event thread hands bytes to this thread.
  QCoreApplication application(argc, argv);
  // The commands' own texts are English; the window's error lines follow the locale's language.
  const TTranslations translations(LanguageOfLocale());
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunCli(args, std::cout, std::cerr);
}
