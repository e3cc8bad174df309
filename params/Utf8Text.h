#pragma once

#include <QString>

#include <string_view>

// The program's own texts are UTF-8 (Russian among them); this is how they become the toolkit's.
inline QString Utf8Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
