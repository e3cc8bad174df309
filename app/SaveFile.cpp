#include "SaveFile.h"

#include "MessageBoxes.h"

#include <QFileDialog>
#include <QSaveFile>

namespace {
TSavePathChooser& Chooser() {
  static TSavePathChooser chooser;
  return chooser;
}
}  // namespace

void SetSavePathChooser(TSavePathChooser chooser) { Chooser() = std::move(chooser); }

QString ChooseSavePath(QWidget* parent, const QString& caption, const QString& suggestedName, const QString& filter) {
  if (Chooser()) return Chooser()(parent, caption, suggestedName, filter);
  return QFileDialog::getSaveFileName(parent, caption, suggestedName, filter);
}

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

bool SaveWithDialog(QWidget* parent, const QString& caption, const QString& suggestedName, const QString& filter,
                    const QByteArray& contents) {
  const QString path = ChooseSavePath(parent, caption, suggestedName, filter);
  if (path.isEmpty()) return false;
  const QString reason = WriteWholeFile(path, contents);
  if (reason.isEmpty()) return true;
  ShowErrorMessage(parent, {caption, QStringLiteral("Не удалось сохранить файл %1").arg(path), reason});
  return false;
}
