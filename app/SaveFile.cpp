#include "SaveFile.h"

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QSaveFile>

QString WriteWholeFile(const QString& path, const QByteArray& contents) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(contents) != contents.size()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason;
  }
  if (!file.commit()) return file.errorString();
  return {};
}

bool SaveWithDialog(QWidget* parent, TFileChoice choice, const QString& caption, const QByteArray& contents) {
  const QString path = ChooseFile(parent, choice);
  if (path.isEmpty()) return false;
  const QString reason = WriteWholeFile(path, contents);
  if (reason.isEmpty()) return true;
  ShowErrorMessage(parent, {caption, QCoreApplication::translate("SaveFile", "Не удалось сохранить файл %1").arg(path), reason});
  return false;
}
