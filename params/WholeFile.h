#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file whole: a failed write leaves the old file as it was, never half a file.
// Returns the system's reason on failure, an empty text on success.
QString WriteWholeFile(const QString& path, const QByteArray& contents);
