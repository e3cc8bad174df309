#pragma once

#include <QString>

#include "ParameterCodec.h"

// NormalizeHexText for the texts of the widgets.
inline QString NormalizeHexText(const QString& text, std::size_t length) {
  return QString::fromStdString(NormalizeHexText(text.toStdString(), length));
}
