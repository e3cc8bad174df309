#include "ABOUT.h"
#include "CPort.h"
#include "ExceptionGuard.h"
#include "Language.h"
#include "SDIMAIN.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

constexpr char kHelp[] = R"(Usage: parvex [OPTION]

Configures the contactless card readers on a serial line: finds them, reads and writes
their parameters and changes their card keys, in one window. The port settings are kept
in Parvex.ini in the current folder.

  --language ru|en  the window's language for this run; by default the locale's
                    (LANGUAGE, LC_ALL, LC_MESSAGES, LANG): English for en*, else Russian
  -h, --help        print this text
  --version         print the version of the program

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

// The language the window speaks: --language's, else the locale's. Qt has taken its own options
// out of argv by now; anything else left is a mistake, not a file to open.
std::optional<TLanguage> ChosenLanguage(int argc, char* argv[]) {
  if (argc == 1) return LanguageOfLocale();
  const std::string_view option = argv[1];
  const bool joined = option.starts_with("--language=");
  if (option != "--language" && !joined) {
    std::fprintf(stderr, "parvex: %s: unknown option (see --help)\n", argv[1]);
    return std::nullopt;
  }
  const int used = joined ? 2 : 3;
  if (argc > used) {
    std::fprintf(stderr, "parvex: %s: unknown option (see --help)\n", argv[used]);
    return std::nullopt;
  }
  const std::string_view name = joined ? option.substr(option.find('=') + 1) : argc == 3 ? argv[2] : "";
  const std::optional<TLanguage> language = LanguageNamed(name);
  if (!language) std::fprintf(stderr, "parvex: --language takes ru or en\n");
  return language;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const int status = AnswerInformationOption(argc, argv); status >= 0) return status;

  QApplication application(argc, argv);
  const std::optional<TLanguage> language = ChosenLanguage(argc, argv);
  if (!language) return 2;
  const TTranslations translations(*language);
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
