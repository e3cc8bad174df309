#pragma once

#include <QByteArray>
#include <QString>

#include "FileChoice.h"

class QWidget;

// Replaces the file whole: a failed write leaves the old file as it was, never half a file.
// Returns the system's reason on failure, an empty text on success.
QString WriteWholeFile(const QString& path, const QByteArray& contents);

// Asks for a file (ChooseFile) and writes contents there; a failure is one error message under
// caption naming the file and the reason. False when nothing was written.
bool SaveWithDialog(QWidget* parent, TFileChoice choice, const QString& caption, const QByteArray& contents);
