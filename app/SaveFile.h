#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

// Where the operator wants a file saved: the file dialog, or in tests a function that answers in
// its place. An empty path means the operator cancelled.
using TSavePathChooser =
    std::function<QString(QWidget* parent, const QString& caption, const QString& suggestedName, const QString& filter)>;
// An empty chooser restores the dialog.
void SetSavePathChooser(TSavePathChooser chooser);
QString ChooseSavePath(QWidget* parent, const QString& caption, const QString& suggestedName, const QString& filter);

// Replaces the file whole: a failed write leaves the old file as it was, never half a file.
// Returns the system's reason on failure, an empty text on success.
QString WriteWholeFile(const QString& path, const QByteArray& contents);

// Asks for a path and writes contents there; a failure is one error message under caption
// naming the file and the reason. False when nothing was written.
bool SaveWithDialog(QWidget* parent, const QString& caption, const QString& suggestedName, const QString& filter,
                    const QByteArray& contents);
