#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QString;
class QTranslator;

// The languages the programs speak: Russian, the source of every text, and English by translation.
enum class TLanguage { Russian, English };

// "ru" or "en", as --language takes it; nothing for any other name.
std::optional<TLanguage> LanguageNamed(std::string_view name);

// The locale's choice: the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set and not
// empty decides (LANGUAGE's first entry, as it may list several): English for "en*", Russian for
// anything else. variable reads one environment variable (null when unset).
using TEnvironment = std::function<const char*(const char*)>;
TLanguage LanguageOfLocale(const TEnvironment& variable);
// The same for this process's environment.
TLanguage LanguageOfLocale();

// The application speaks language while this lives: Qt's own catalogue (its dialogs, buttons and
// context menus) from the system's Qt translations, and the program's own from its resources.
// The application must exist; what is made afterwards is in that language. A catalogue that is
// missing leaves its texts in their source language (Qt's English, the program's Russian), which
// is no reason to stop.
class TTranslations {
 public:
  explicit TTranslations(TLanguage language);
  ~TTranslations();
  TTranslations(const TTranslations&) = delete;
  TTranslations& operator=(const TTranslations&) = delete;

 private:
  void Install(const QString& file, const QString& folder);

  std::vector<std::unique_ptr<QTranslator>> installed_;
};
