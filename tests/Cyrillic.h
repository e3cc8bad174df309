#pragma once

#include <QString>

#include <algorithm>

// A text left in Russian where English is shown: a translation is missing.
inline bool HasCyrillic(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF; });
}
