#include "FileChoice.h"

#include <QFileDialog>

namespace {

TFileChooser& Chooser() {
  static TFileChooser chooser;
  return chooser;
}

}  // namespace

void SetFileChooser(TFileChooser chooser) { Chooser() = std::move(chooser); }

QString ChooseFile(QWidget* parent, TFileChoice choice) {
  if (Chooser()) return Chooser()(choice);
  const bool save = choice == TFileChoice::SaveParameters;
  QFileDialog dialog(parent, save ? QStringLiteral("Сохранить параметры") : QStringLiteral("Загрузить параметры"));
  dialog.setObjectName(QStringLiteral("ParameterFileDialog"));
  dialog.setNameFilters({QStringLiteral("Параметры считывателя (*.json)"), QStringLiteral("Все файлы (*)")});
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("json"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}
