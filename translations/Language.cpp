#include "Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

#include <cstdlib>

std::optional<TLanguage> LanguageNamed(std::string_view name) {
  if (name == "ru") return TLanguage::Russian;
  if (name == "en") return TLanguage::English;
  return std::nullopt;
}

TLanguage LanguageOfLocale(const TEnvironment& variable) {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = variable(name);
    if (value == nullptr || *value == '\0') continue;
    const std::string_view first = std::string_view(value).substr(0, std::string_view(value).find(':'));
    return first.starts_with("en") ? TLanguage::English : TLanguage::Russian;
  }
  return TLanguage::Russian;
}

TLanguage LanguageOfLocale() {
  return LanguageOfLocale([](const char* name) { return std::getenv(name); });
}

TTranslations::TTranslations(TLanguage language) {
  const QString suffix = language == TLanguage::English ? QStringLiteral("en") : QStringLiteral("ru");
  Install(QStringLiteral("qtbase_") + suffix, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  // Russian is the source of the program's own texts; its catalogue holds only the plural forms.
  Install(QStringLiteral("parvex_") + suffix, QStringLiteral(":/i18n"));
}

// A translator takes itself out of the application when it goes.
TTranslations::~TTranslations() = default;

void TTranslations::Install(const QString& file, const QString& folder) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(file, folder)) return;
  QCoreApplication::installTranslator(translator.get());
  installed_.push_back(std::move(translator));
}
