#pragma once

#include <QCoreApplication>
#include <QString>

// A program of this build, by its path from the test program (READER_SIM_PATH, PARVEX_CLI_PATH):
// a copy of the build tree finds its own, as the device suites run from one as an unprivileged
// user (scripts/test-unprivileged).
inline QString BuiltProgram(const char* pathFromTestProgram) {
  return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QString::fromUtf8(pathFromTestProgram);
}
