#pragma once

#include <ostream>

#include "Language.h"

// A test run over both languages names each by its name, not by its bytes. Beside the language's
// own namespace, where gtest looks for it; every test file that prints a language includes it, so
// that all of them print it the same way.
inline void PrintTo(TLanguage language, std::ostream* os) {
  *os << (language == TLanguage::English ? "English" : "Russian");
}
