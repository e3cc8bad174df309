// The window in either language: in English no text is left in Russian (a forgotten mark or
// translation), in Russian Qt's own dialogs speak Russian too, and counts take their plural forms.
#include "ABOUT.h"
#include "Cyrillic.h"
#include "ExchangeLogWindow.h"
#include "FileChoice.h"
#include "Language.h"
#include "ParameterFileWords.h"
#include "TerminalView.h"
#include "WindowFixture.h"
#include "WriteAllProgress.h"
#include "WriteAllResults.h"
#include "WriteKeysForm.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QFileDialog>
#include <QMenu>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <string>

namespace {

// Every text a person reads in a widget and its children: captions, titles, tips, list items,
// column titles, actions with their hints, menus.
QStringList ShownTexts(QWidget* top) {
  QStringList texts;
  QList<QWidget*> widgets = top->findChildren<QWidget*>();
  widgets.prepend(top);
  for (QWidget* widget : widgets) {
    texts << widget->windowTitle() << widget->toolTip() << widget->statusTip() << widget->whatsThis();
    if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
    if (auto* menu = qobject_cast<QMenu*>(widget)) texts << menu->title();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) texts << edit->placeholderText();
    if (auto* list = qobject_cast<QComboBox*>(widget))
      for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model())
      for (int column = 0; column < view->model()->columnCount(); ++column)
        texts << view->model()->headerData(column, Qt::Horizontal).toString();
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
  ASSERT_NE(form->ExchangeLogWindow(), nullptr);
  ExpectNoCyrillic(form.get());
  ExpectNoCyrillic(form->ExchangeLogWindow());
  ExpectNoCyrillic(form->AboutBox);

  TfrmWriteKeys keys([](const QString&, const QString&, const QString&, const QString&) {},
                     [](const std::function<void()>&) { return true; }, form.get());
  ExpectNoCyrillic(&keys);
  TfrmWriteAllProgress progress(2, form.get());
  progress.ShowReader(0, panel->cbReader->itemText(0));
  ExpectNoCyrillic(&progress);
  TfrmWriteAllResults results(form.get());
  ErrorList failed;
  failed.AddError(cmd::WriteMode, status::Timeout);
  TVerifiedWrite mismatched;
  mismatched.differences.push_back({"sector", "4", std::nullopt});
  results.ShowReports({{QStringLiteral("1 / 1234"), std::nullopt},
                       {QStringLiteral("2 / 007F"), TVerifiedWrite{failed, {}, {}}},
                       {QStringLiteral("3 / BEEF"), mismatched}});
  results.tvResults->expandAll();
  QStringList rows;
  for (QTreeWidgetItemIterator item(results.tvResults); *item; ++item) rows << (*item)->text(0) << (*item)->text(1);
  ExpectNoCyrillic(&results);
  for (const QString& row : rows) EXPECT_FALSE(HasCyrillic(row)) << row.toStdString();
}

TEST_F(WindowInEnglish, ARefusalAndTheTerminalLogsMenuAreEnglish) {
  OpenPort();
  panel->cbMode->setCurrentIndex(-1);
  form->acWriteParameters->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().caption, QStringLiteral("Writing reader parameters"));
  EXPECT_EQ(messages.front().text, QStringLiteral("Select the reader's operating mode"));

  std::unique_ptr<QMenu> menu(panel->memTerminal->createStandardContextMenu());
  for (const QAction* action : menu->actions()) EXPECT_FALSE(HasCyrillic(action->text())) << action->text().toStdString();
}

class WindowInRussian : public WindowTest {
 protected:
  TTranslations russian{TLanguage::Russian};
};

// Qt's file dialog in a Russian window: its buttons and captions are Qt's own texts, from Qt's
// Russian catalogue.
TEST_F(WindowInRussian, FileDialogSpeaksRussian) {
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

struct PluralRow {
  TLanguage language;
  int entries;
  const char* text;
};

class EntryCount : public ::testing::TestWithParam<PluralRow> {};

TEST_P(EntryCount, TakesThePluralFormOfItsNumber) {
  const TTranslations language(GetParam().language);
  EXPECT_EQ(FileFaultText("blackList", file_fault::NotList{GetParam().entries}).toStdString(), GetParam().text);
}

using enum TLanguage;
INSTANTIATE_TEST_SUITE_P(Languages, EntryCount,
                         ::testing::Values(PluralRow{Russian, 1, "blackList: нужен список из 1 записи"},
                                           PluralRow{Russian, 2, "blackList: нужен список из 2 записей"},
                                           PluralRow{Russian, 5, "blackList: нужен список из 5 записей"},
                                           PluralRow{Russian, 21, "blackList: нужен список из 21 записи"},
                                           PluralRow{English, 1, "blackList: needs a list of 1 entry"},
                                           PluralRow{English, 10, "blackList: needs a list of 10 entries"}),
                         [](const auto& info) {
                           return (info.param.language == English ? "English" : "Russian") +
                                  std::to_string(info.param.entries);
                         });

}  // namespace
