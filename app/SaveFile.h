#pragma once

#include <QByteArray>
#include <QString>

#include "FileChoice.h"
#include "WholeFile.h"

class QWidget;

// Asks for a file (ChooseFile) and writes contents there; a failure is one error message under
// caption naming the file and the reason. False when nothing was written.
bool SaveWithDialog(QWidget* parent, TFileChoice choice, const QString& caption, const QByteArray& contents);
