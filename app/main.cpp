#include "ABOUT.h"
#include "CPort.h"
#include "ExceptionGuard.h"
#include "SDIMAIN.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kHelp[] = R"(Usage: parvex [OPTION]

Configures the contactless card readers on a serial line: finds them, reads and writes
their parameters and changes their card keys, in one window. The port settings are kept
in Parvex.ini in the current folder.

  -h, --help    print this text
  --version     print the version of the program

Qt's own options (-platform NAME, -style NAME, -display DISPLAY, ...) are understood too.
)";

// --help and --version are answered before the window system is asked for: they work in a
// terminal without a display. Returns the exit status when the command line was one of them.
int AnswerInformationOption(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("parvex %s\n", PARVEX_VERSION);
      return 0;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const int status = AnswerInformationOption(argc, argv); status >= 0) return status;

  QApplication application(argc, argv);
  // Qt has taken its own options out of argv; anything left is a mistake, not a file to open.
  if (argc > 1) {
    std::fprintf(stderr, "parvex: %s: unknown option (see --help)\n", argv[1]);
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("Parvex"));
  // The desktop matches the window to its menu entry and icon by this id.
  QGuiApplication::setDesktopFileName(QStringLiteral(PARVEX_APP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(PARVEX_APP_ID)));

  // Exceptions that leave a port event handler are shown like those of any other entry point.
  SetComExceptionDisplay([](const std::exception& error) { ReportError(nullptr, error); });

  TParvexForm ParvexForm;
  ParvexForm.AboutBox = new TAboutBox(&ParvexForm);
  ParvexForm.show();
  return application.exec();
}
