// The window frame: client area, bars, the actions' icons and shortcuts, hints and tool tips.
#include "ExchangeLogWindow.h"
#include "FileChoice.h"
#include "TerminalView.h"
#include "WindowFixture.h"

#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using FrameTest = WindowTest;

TEST_F(FrameTest, ClientAreaStartsAt690x387WithBarsAndPanelInPlace) {
  ShowActive();
  EXPECT_EQ(form->objectName(), QStringLiteral("ParvexForm"));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Программатор считывателя"));
  EXPECT_EQ(form->size(), QSize(690, 387));
  EXPECT_EQ(form->ActionMainMenuBar1->geometry(), QRect(0, 0, 690, 26));
  EXPECT_FALSE(form->ActionMainMenuBar1->isNativeMenuBar());
  EXPECT_EQ(form->ActionToolBar1->geometry().top(), 26);
  EXPECT_EQ(form->ActionToolBar1->height(), 30);
  EXPECT_EQ(QRect(panel->mapTo(form.get(), QPoint(0, 0)), panel->size()), QRect(8, 64, 665, 298));
  EXPECT_EQ(form->StatusBar->geometry(), QRect(0, 368, 690, 19));
  EXPECT_EQ(form->Timer1->interval(), 10);
  EXPECT_FALSE(form->Timer1->isActive());  // nothing received, nothing to flush
}

// An open port on which nothing arrives does not wake the window every 10 ms.
TEST_F(FrameTest, Timer1RestsWhileAnOpenPortIsIdle) {
  OpenPort();
  // The flush of the last bytes the open received is the timer's last run: it stops by itself.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form->Timer1->isActive(); }, 10000));
  EXPECT_TRUE(form->ComPort->Connected());
}

TEST_F(FrameTest, RefusesToShrinkAndGrowsOnlyTheLog) {
  ShowActive();
  form->resize(500, 300);
  Settle();
  EXPECT_EQ(form->size(), QSize(690, 387));

  std::vector<std::pair<QWidget*, QRect>> before;
  for (QWidget* child : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    before.emplace_back(child, child->geometry());
  form->resize(890, 487);
  Settle();
  EXPECT_EQ(panel->size(), QSize(865, 398));
  for (const auto& [child, rect] : before) {
    if (child == panel->memTerminal)
      EXPECT_EQ(child->geometry(), QRect(440, 16, 425, 369));
    else
      EXPECT_EQ(child->geometry(), rect) << child->objectName().toStdString();
  }
}

// The summed opacity of an icon's pixels; none at all would mean the SVG icon engine is missing.
long Ink(const QIcon& icon, QIcon::Mode mode = QIcon::Normal) {
  QImage image = icon.pixmap(QSize(16, 16), mode).toImage().convertToFormat(QImage::Format_ARGB32);
  long ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ink += qAlpha(image.pixel(x, y));
  return ink;
}

// A disabled action must look disabled; greying alone leaves the black cross of Close as it is.
TEST_F(FrameTest, EveryToolbarIconIsDrawnAndFadesWhenDisabled) {
  for (QAction* action : form->ActionToolBar1->actions()) {
    if (action->isSeparator()) continue;
    const long ink = Ink(action->icon());
    EXPECT_GT(ink, 0) << action->objectName().toStdString();
    EXPECT_LT(2 * Ink(action->icon(), QIcon::Disabled), ink) << action->objectName().toStdString();
  }
}

TEST_F(FrameTest, NoTwoActionsShareAShortcut) {
  std::map<QKeySequence, QString> owners;
  for (QAction* action : form->actions()) {
    if (action->shortcut().isEmpty()) continue;
    const auto [owner, added] = owners.emplace(action->shortcut(), action->objectName());
    EXPECT_TRUE(added) << action->objectName().toStdString() << " and " << owner->second.toStdString();
  }
  EXPECT_GE(owners.size(), 10u);
}

struct ShortcutCase {
  const char* name;
  QKeyCombination key;
  bool portOpen;                                // the state in which the action is enabled
  std::function<void(TParvexForm&)> prepare;    // may be empty
  // Whether the action's own work is seen, given the files it asked for.
  std::function<bool(TParvexForm&, const std::vector<TFileChoice>&)> ran;
};

void PrintTo(const ShortcutCase& test, std::ostream* os) { *os << test.name; }

class ShortcutRunsItsAction : public WindowTest, public ::testing::WithParamInterface<ShortcutCase> {
 protected:
  void TearDown() override {
    SetFileChooser({});
    WindowTest::TearDown();
  }
};

TEST_P(ShortcutRunsItsAction, FromTheWindow) {
  const ShortcutCase& test = GetParam();
  std::vector<TFileChoice> choices;
  SetFileChooser([&](TFileChoice choice) { choices.push_back(choice); return QString(); });
  ShowActive();
  if (test.portOpen) OpenPort();
  if (test.prepare) test.prepare(*form);
  QTest::keyClick(form.get(), test.key.key(), test.key.keyboardModifiers());
  Settle();
  EXPECT_TRUE(test.ran(*form, choices));
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
}

using Choices = std::vector<TFileChoice>;

INSTANTIATE_TEST_SUITE_P(
    Window, ShortcutRunsItsAction,
    ::testing::Values(
        ShortcutCase{"ReadParameters", Qt::CTRL | Qt::Key_R, true,
                     [](TParvexForm& form) { form.Panel1->leCacheNumber->clear(); },
                     [](TParvexForm& form, const Choices&) {
                       return form.Panel1->leCacheNumber->text() == "0000012A";
                     }},
        ShortcutCase{"WriteAllReaders", Qt::CTRL | Qt::SHIFT | Qt::Key_W, true, {},
                     [](TParvexForm& form, const Choices&) { return form.WriteAllResults() != nullptr; }},
        ShortcutCase{"ExchangeLog", Qt::CTRL | Qt::Key_T, false, {},
                     [](TParvexForm& form, const Choices&) {
                       return form.ExchangeLogWindow() && form.ExchangeLogWindow()->isVisible();
                     }},
        ShortcutCase{"SaveParameters", Qt::CTRL | Qt::Key_S, true, {},
                     [](TParvexForm&, const Choices& c) { return c == Choices{TFileChoice::SaveParameters}; }},
        ShortcutCase{"LoadParameters", Qt::CTRL | Qt::Key_L, false, {},
                     [](TParvexForm&, const Choices& c) { return c == Choices{TFileChoice::LoadParameters}; }},
        ShortcutCase{"OpenSite", Qt::CTRL | Qt::SHIFT | Qt::Key_O, false, {},
                     [](TParvexForm&, const Choices& c) { return c == Choices{TFileChoice::OpenSite}; }}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<QString> Names(const QList<QAction*>& actions) {
  std::vector<QString> names;
  for (QAction* a : actions) names.push_back(a->isSeparator() ? QStringLiteral("-") : a->objectName());
  return names;
}

TEST_F(FrameTest, MenusAndToolbarHoldTheirActionsInOrder) {
  const QList<QAction*> menus = form->ActionMainMenuBar1->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[0]->text(), QStringLiteral("&Порт"));
  EXPECT_EQ(menus[1]->text(), QStringLiteral("О&бъект"));
  EXPECT_EQ(menus[2]->text(), QStringLiteral("Считыватель"));
  EXPECT_EQ(Names(menus[0]->menu()->actions()),
            (std::vector<QString>{"acPortOpen", "acPortClose", "-", "acPortSettings", "acExchangeLog", "-",
                                  "acSaveParameters", "acLoadParameters", "-", "FileExit1"}));
  EXPECT_EQ(Names(menus[1]->menu()->actions()),
            (std::vector<QString>{"acSiteOpen", "acSiteDiscover", "acSiteSurvey", "acSiteApply", "acSiteSnapshot"}));
  EXPECT_EQ(Names(menus[2]->menu()->actions()),
            (std::vector<QString>{"acReadParameters", "acWriteParameters", "acWriteAllReaders", "acWriteKeys", "-",
                                  "acClearLog"}));
  EXPECT_EQ(Names(form->ActionToolBar1->actions()),
            (std::vector<QString>{"acPortOpen", "acPortClose", "acPortSettings", "-",
                                  "acReadParameters", "acWriteParameters", "acWriteAllReaders", "acWriteKeys", "-",
                                  "acClearLog", "acExchangeLog", "-", "acSaveParameters", "acLoadParameters"}));
  EXPECT_EQ(form->ActionToolBar1->toolButtonStyle(), Qt::ToolButtonIconOnly);
}

TEST_F(FrameTest, ToolTipsComeFromHintsAndActionsWithoutHintShowNone) {
  ShowActive();
  // Hintless first: a tool tip once shown keeps its text until it has faded.
  for (QAction* action : {form->acWriteKeys, form->acClearLog, form->acPortOpen}) {
    QWidget* button = form->ActionToolBar1->widgetForAction(action);
    ASSERT_NE(button, nullptr);
    QToolTip::hideText();
    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(button, &help);
    EXPECT_EQ(QToolTip::text(), action->statusTip()) << action->objectName().toStdString();
  }
  QToolTip::hideText();
}

TEST_F(FrameTest, StatusBarShowsTheHintOfTheButtonUnderThePointer) {
  ShowActive();
  QWidget* button = form->ActionToolBar1->widgetForAction(form->acReadParameters);
  ASSERT_NE(button, nullptr);
  QTest::mouseMove(button, button->rect().center());
  Settle();
  EXPECT_EQ(form->StatusBar->currentMessage(), QStringLiteral("Вычитать данные из считывателя"));
}

// The terminal log's menu keeps the text view's items and adds its own, whose hints reach the
// window's status bar although a context menu is a window of its own.
TEST_F(FrameTest, TerminalLogMenuAddsItsItemsWithTheirHints) {
  ShowActive();
  QStringList items;
  QString hint;
  QTimer::singleShot(200, form.get(), [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* action : menu->actions()) items << action->text().section(QLatin1Char('\t'), 0, 0);
    menu->setActiveAction(form->Terminal().acLogHex);
    hint = form->StatusBar->currentMessage();
    menu->close();
  });
  emit panel->memTerminal->customContextMenuRequested(QPoint(5, 5));
  EXPECT_EQ(items, (QStringList{"&Copy", "", "Select All", "", "Время", "HEX", "Сохранить журнал…"}));
  EXPECT_EQ(hint, form->Terminal().acLogHex->statusTip());
  EXPECT_FALSE(hint.isEmpty());
  EXPECT_FALSE(form->Terminal().acLogTime->isChecked() || form->Terminal().acLogHex->isChecked());
  EXPECT_TRUE(form->StatusBar->currentMessage().isEmpty());  // gone with the menu
}

}  // namespace
