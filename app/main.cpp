#include "ABOUT.h"
#include "CPort.h"
#include "ExceptionGuard.h"
#include "SDIMAIN.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Parvex"));

  // Exceptions that leave a port event handler are shown like those of any other entry point.
  SetComExceptionDisplay([](const std::exception& error) { ReportError(nullptr, error); });

  TParvexForm ParvexForm;
  ParvexForm.AboutBox = new TAboutBox(&ParvexForm);
  ParvexForm.show();
  return application.exec();
}
