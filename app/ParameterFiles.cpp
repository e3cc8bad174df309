// The parameter panel to a parameters file and back. Nothing here talks to a reader: the file
// is the one `parvex-cli read --json` prints and `parvex-cli write` takes.
#include "SDIMAIN.h"

#include "FileChoice.h"
#include "MessageBoxes.h"
#include "PanelValues.h"
#include "ParameterFileWords.h"
#include "ParameterJson.h"
#include "ParameterPanel.h"
#include "SaveFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace {

QString SaveCaption() { return TParvexForm::tr("Сохранение параметров"); }
QString LoadCaption() { return TParvexForm::tr("Загрузка параметров"); }

// The file named on the first line, what went wrong beneath it.
void ShowFileFailure(QWidget* parent, const QString& caption, const QString& heading, const QString& path,
                     const QString& reason) {
  ShowErrorMessage(parent, {caption, heading.arg(QDir::toNativeSeparators(path)) + QStringLiteral("\r\n") + reason, {}});
}

// Ends an edit in progress as leaving the panel does: a black-list row being typed is
// normalised, a spin value being typed taken into its range.
void EndPanelEdit(const TParameterPanel& panel) {
  QWidget* focus = QApplication::focusWidget();
  if (focus && panel.isAncestorOf(focus)) focus->clearFocus();
}

TWriteValues LoadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw TFileError({}, file_fault::Unreadable{file.errorString().toStdString()});
  return WriteValuesFromDevice(file);
}

}  // namespace

void TParvexForm::acSaveParametersExecute() {
  EndPanelEdit(*Panel1);
  const QByteArray text = QJsonDocument(ParametersToJson(SelectedReader(*Panel1), PanelParameters(*Panel1), TClockAs::Today))
                              .toJson(QJsonDocument::Indented);
  // A file is written only when it loads again: the checks of a load come before the question.
  try {
    WriteValuesFromJson(text);
    // The panel is a whole plan, its clock saved as today: without a mode or a card type it is none.
    TWriteValues panel = PanelValues(*Panel1);
    panel.clockToday = true;
    if (auto refusals = WriteRefusals(std::uint8_t{0}, panel); !refusals.empty())
      throw TFileError({}, file_fault::Refused{std::move(refusals)});
  } catch (const TFileError& error) {
    ShowErrorMessage(this, {SaveCaption(),
                            tr("Параметры не сохранены:\r\n") + FileFaultText(error.field, error.fault),
                            {}});
    return;
  }
  const QString path = ChooseFile(this, TFileChoice::SaveParameters);
  if (path.isEmpty()) return;
  const QString reason = WriteWholeFile(path, text);
  if (reason.isEmpty()) return;
  ShowFileFailure(this, SaveCaption(), tr("Не удалось сохранить параметры в файл \"%1\":"), path, reason);
}

void TParvexForm::acLoadParametersExecute() {
  const QString path = ChooseFile(this, TFileChoice::LoadParameters);
  if (path.isEmpty()) return;
  TWriteValues values;
  try {
    values = LoadFile(path);
  } catch (const TFileError& error) {
    // The panel stays as it was.
    ShowFileFailure(this, LoadCaption(), tr("Не удалось загрузить параметры из файла \"%1\":"), path,
                    FileFaultText(error.field, error.fault));
    return;
  }
  EndPanelEdit(*Panel1);
  ShowFileValues(*Panel1, values);
}
