// The window in either language: in English no text is left in Russian (a forgotten mark or
// translation), in Russian Qt's own dialogs speak Russian too, and counts take their plural forms.
#include "ABOUT.h"
#include "Cyrillic.h"
#include "ExchangeLogWindow.h"
#include "FileChoice.h"
#include "Language.h"
#include "LanguagePrint.h"
#include "ParameterFileWords.h"
#include "WindowFixture.h"
#include "WriteAllProgress.h"
#include "WriteAllResults.h"
#include "WriteKeysForm.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// Every text a person reads in a widget and its children: titles, tips, captions, list items,
// column titles, rows of a tree, actions with their hints, menus.
QStringList ShownTexts(QWidget* top) {
  QList<QWidget*> widgets = top->findChildren<QWidget*>();
  widgets.prepend(top);
  QStringList texts;
  for (QWidget* widget : widgets) {
    texts << widget->windowTitle() << widget->toolTip() << widget->statusTip();
    if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
    if (auto* menu = qobject_cast<QMenu*>(widget)) texts << menu->title();
    if (auto* list = qobject_cast<QComboBox*>(widget))
      for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    if (auto* header = qobject_cast<QHeaderView*>(widget); header && header->orientation() == Qt::Horizontal)
      for (int column = 0; column < header->count(); ++column)
        texts << header->model()->headerData(column, Qt::Horizontal).toString();
    if (auto* tree = qobject_cast<QTreeWidget*>(widget))
      for (QTreeWidgetItemIterator item(tree); *item; ++item) texts << (*item)->text(0) << (*item)->text(1);
  }
  for (const QAction* action : top->findChildren<QAction*>())
    texts << action->text() << action->toolTip() << action->statusTip();
  return texts;
}

void ExpectNoCyrillic(QWidget* top) {
  for (const QString& text : ShownTexts(top))
    EXPECT_FALSE(HasCyrillic(text)) << top->objectName().toStdString() << ": " << text.toStdString();
}

class WindowInEnglish : public WindowTest {
 protected:
  TTranslations english{TLanguage::English};
};

TEST_F(WindowInEnglish, MainWindowAndEveryDialogShowNoRussian) {
  form->AboutBox = new TAboutBox(form.get());
  OpenPort();  // the reader list and the exchange log get their rows
  form->acExchangeLog->trigger();
  TfrmWriteKeys keys({}, {}, form.get());
  TfrmWriteAllProgress progress(2, form.get());
  progress.ShowReader(0, panel->cbReader->itemText(0));
  TfrmWriteAllResults results(form.get());
  ErrorList failed;
  failed.AddError(cmd::WriteMode, status::Timeout);
  results.ShowReports({{QStringLiteral("1 / 1234"), std::nullopt},
                       {QStringLiteral("2 / 007F"), TVerifiedWrite{{}, failed, {}, {{"sector", "4", std::nullopt, std::nullopt, false}}}}});
  results.tvResults->expandAll();
  for (QWidget* shown : std::initializer_list<QWidget*>{form.get(), form->ExchangeLogWindow(), form->AboutBox, &keys,
                                                        &progress, &results})
    ExpectNoCyrillic(shown);
}

// A refusal with fill-ins: the picker's name translated, the dates as they are.
TEST_F(WindowInEnglish, ARefusalNamesThePickerInEnglish) {
  OpenPort();
  panel->dtpCurrentDate->setDate(QDate(1999, 12, 31));
  form->acWriteParameters->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().caption, QStringLiteral("Writing reader parameters"));
  EXPECT_EQ(messages.front().text.toStdString(),
            "Current date 31.12.1999 cannot be written: a reader stores dates from 01.01.2000 to 31.12.2255");
}

TEST_F(WindowTest, QtsFileDialogSpeaksRussianInTheRussianWindow) {
  const TTranslations russian(TLanguage::Russian);
  SetFileChooser({});
  QStringList buttons;
  QTimer watcher;
  watcher.setInterval(20);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
      if (!button->text().isEmpty()) buttons << button->text();
    dialog->reject();
  });
  watcher.start();
  form->acLoadParameters->trigger();
  ASSERT_FALSE(buttons.isEmpty());
  for (const QString& text : buttons) EXPECT_TRUE(HasCyrillic(text)) << text.toStdString();
}

TEST(EntryCount, TakesThePluralFormOfItsNumber) {
  const auto text = [](TLanguage language, int entries) {
    const TTranslations translations(language);
    return FileFaultText("", file_fault::NotList{entries}).toStdString();
  };
  EXPECT_EQ(text(TLanguage::Russian, 1), "нужен список из 1 записи");
  EXPECT_EQ(text(TLanguage::Russian, 5), "нужен список из 5 записей");
  EXPECT_EQ(text(TLanguage::Russian, 21), "нужен список из 21 записи");
  EXPECT_EQ(text(TLanguage::English, 1), "needs a list of 1 entry");
  EXPECT_EQ(text(TLanguage::English, 10), "needs a list of 10 entries");
}

}  // namespace
