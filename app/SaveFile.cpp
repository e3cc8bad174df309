#include "SaveFile.h"

#include "MessageBoxes.h"

#include <QCoreApplication>

bool SaveWithDialog(QWidget* parent, TFileChoice choice, const QString& caption, const QByteArray& contents) {
  const QString path = ChooseFile(parent, choice);
  if (path.isEmpty()) return false;
  const QString reason = WriteWholeFile(path, contents);
  if (reason.isEmpty()) return true;
  ShowErrorMessage(parent, {caption, QCoreApplication::translate("SaveFile", "Не удалось сохранить файл %1").arg(path), reason});
  return false;
}
