#include "FileChoice.h"

#include <QCoreApplication>
#include <QFileDialog>

namespace {

TFileChooser& Chooser() {
  static TFileChooser chooser;
  return chooser;
}

// The dialog for each choice.
struct TChoiceDialog {
  TFileChoice choice;
  const char* caption;
  const char* filter;
  const char* suffix;
  bool save;
};
const TChoiceDialog kDialogs[] = {
    {TFileChoice::SaveParameters, QT_TRANSLATE_NOOP("FileChoice", "Сохранить параметры"),
     QT_TRANSLATE_NOOP("FileChoice", "Параметры считывателя (*.json)"), "json", true},
    {TFileChoice::LoadParameters, QT_TRANSLATE_NOOP("FileChoice", "Загрузить параметры"),
     QT_TRANSLATE_NOOP("FileChoice", "Параметры считывателя (*.json)"), "json", false},
    {TFileChoice::SaveExchangeLog, QT_TRANSLATE_NOOP("FileChoice", "Сохранить журнал обмена"),
     QT_TRANSLATE_NOOP("FileChoice", "Таблица CSV (*.csv)"), "csv", true},
    {TFileChoice::SaveTerminalLog, QT_TRANSLATE_NOOP("FileChoice", "Сохранить журнал"),
     QT_TRANSLATE_NOOP("FileChoice", "Текст (*.txt)"), "txt", true},
    {TFileChoice::OpenSite, QT_TRANSLATE_NOOP("FileChoice", "Открыть объект"),
     QT_TRANSLATE_NOOP("FileChoice", "Объект (*.json)"), "json", false},
    {TFileChoice::SaveSiteSnapshot, QT_TRANSLATE_NOOP("FileChoice", "Сохранить снимок объекта"),
     QT_TRANSLATE_NOOP("FileChoice", "Объект (*.json)"), "json", true},
    {TFileChoice::SaveDiscoveredSite, QT_TRANSLATE_NOOP("FileChoice", "Новый объект из подключённых линий"),
     QT_TRANSLATE_NOOP("FileChoice", "Объект (*.json)"), "json", true},
    {TFileChoice::SaveSiteReport, QT_TRANSLATE_NOOP("FileChoice", "Сохранить отчёт"),
     QT_TRANSLATE_NOOP("FileChoice", "Таблица CSV (*.csv)"), "csv", true},
};

}  // namespace

void SetFileChooser(TFileChooser chooser) { Chooser() = std::move(chooser); }

QString ChooseFile(QWidget* parent, TFileChoice choice) {
  if (Chooser()) return Chooser()(choice);
  const TChoiceDialog* info = &kDialogs[0];
  for (const TChoiceDialog& row : kDialogs)
    if (row.choice == choice) info = &row;
  QFileDialog dialog(parent, QCoreApplication::translate("FileChoice", info->caption));
  dialog.setObjectName(QStringLiteral("FileDialog"));
  dialog.setNameFilters({QCoreApplication::translate("FileChoice", info->filter),
                         QCoreApplication::translate("FileChoice", "Все файлы (*)")});
  dialog.setAcceptMode(info->save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(info->save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QString::fromLatin1(info->suffix));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}
