// The parameter panel as laid out: places, ranges, lists, tab order, clamping and growth.
#include "Language.h"
#include "LanguagePrint.h"
#include "ParameterPanel.h"
#include "QtTestApp.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

class ParameterPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel = std::make_unique<TParameterPanel>();
    panel->FillModeList();
    panel->FillCardTypeList();
  }
  QWidget* Child(const std::string& name) const {
    return panel->findChild<QWidget*>(QString::fromStdString(name), Qt::FindDirectChildrenOnly);
  }
  std::unique_ptr<TParameterPanel> panel;
};

struct Placement {
  const char* control;
  const char* label;
  const char* caption;
  int left, top, width;
};
void PrintTo(const Placement& row, std::ostream* os) { *os << row.control; }

const Placement kPlacements[] = {
    {"cbReader", "lblReader", "Считыватель", 8, 16, 121},
    {"leCacheNumber", "lblCacheNumber", "Номер кассы", 136, 16, 137},
    {"cbMode", "Label1", "Режим работы", 8, 72, 265},
    {"seRelayTime", "Label7", "Время реле (сек)", 8, 136, 121},
    {"seAbonementTimeout", "Label6", "Таймаут абонемента (сек)", 136, 136, 137},
    {"dtpCurrentDate", "lblCurrentDate", "Текущая дата", 8, 200, 121},
    {"dtpEndDate", "lblEndDate", "Конечная дата", 136, 200, 137},
    {"cbCardType", "lblCardType", "Тип карточки", 8, 259, 121},
    {"seRecharging", "lblRecharging", "Пополнение", 136, 259, 65},
    {"seCardSector", "Label5", "Cектор", 208, 259, 65},
    {"sgBlackList", "Label9", "Черный список", 288, 72, 137},
    {"memTerminal", "Label2", "Журнал", 440, 16, 225},
};

class PlacementTest : public ParameterPanelTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(PlacementTest, ControlAndItsLabelStandWhereTheScreenPutsThem) {
  const Placement& p = GetParam();
  QWidget* control = Child(p.control);
  ASSERT_NE(control, nullptr) << p.control;
  EXPECT_EQ(control->geometry().topLeft(), QPoint(p.left, p.top)) << p.control;
  EXPECT_EQ(control->width(), p.width) << p.control;

  auto* label = qobject_cast<QLabel*>(Child(p.label));
  ASSERT_NE(label, nullptr) << p.label;
  EXPECT_EQ(label->text(), QString::fromUtf8(p.caption));
  EXPECT_EQ(label->x(), p.left);
  EXPECT_EQ(label->y(), p.top - 16);
}

INSTANTIATE_TEST_SUITE_P(Panel, PlacementTest, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.control); });

// With the desktop's own face (DejaVu Sans on Debian, wider than the one the layout was drawn
// for) every caption reads whole where it stands, in either language: not cut, not running into
// its neighbour.
class CaptionFit : public ::testing::TestWithParam<TLanguage> {};

TEST_P(CaptionFit, EveryCaptionReadsWholeBesideItsNeighbours) {
  const TTranslations language(GetParam());
  const TParameterPanel panel;
  constexpr int kApart = 4;
  const auto children = panel.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (const QLabel* label : panel.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
    const std::string name = label->objectName().toStdString() + " " + label->text().toStdString();
    const QRect text(label->pos(), label->sizeHint());
    EXPECT_GE(label->width(), text.width()) << name;
    EXPECT_LE(text.height(), 16) << name;  // above its control, not on it
    EXPECT_LE(text.right(), panel.width() - 1) << name;
    for (const QWidget* other : children) {
      if (other == label) continue;
      EXPECT_FALSE(text.adjusted(0, 0, kApart, 0).intersects(other->geometry()))
          << name << " runs into " << other->objectName().toStdString();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, CaptionFit, ::testing::Values(TLanguage::Russian, TLanguage::English),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

TEST_F(ParameterPanelTest, SectorCaptionBeginsWithLatinC) {
  EXPECT_EQ(panel->Label5->text().at(0), QChar(u'C'));
}

TEST_F(ParameterPanelTest, GridAndLogHaveTheirHeights) {
  EXPECT_EQ(panel->sgBlackList->height(), 213);
  EXPECT_EQ(panel->memTerminal->height(), 269);
  EXPECT_EQ(panel->size(), QSize(665, 298));
}

struct SpinRange {
  const char* name;
  int minimum, maximum;
};
void PrintTo(const SpinRange& row, std::ostream* os) { *os << row.name; }

class SpinRangeTest : public ParameterPanelTest, public ::testing::WithParamInterface<SpinRange> {};

TEST_P(SpinRangeTest, StartsAtOneAndClampsToItsRange) {
  auto* spin = qobject_cast<QSpinBox*>(Child(GetParam().name));
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->value(), 1);
  EXPECT_EQ(spin->singleStep(), 1);
  spin->setValue(GetParam().minimum - 1);
  EXPECT_EQ(spin->value(), GetParam().minimum);
  spin->setValue(GetParam().maximum + 100);
  EXPECT_EQ(spin->value(), GetParam().maximum);
  EXPECT_EQ(spin->text(), QString::number(GetParam().maximum));
}

INSTANTIATE_TEST_SUITE_P(Panel, SpinRangeTest,
                         ::testing::Values(SpinRange{"seRelayTime", 0, 255},
                                           SpinRange{"seAbonementTimeout", 0, 255},
                                           SpinRange{"seRecharging", 0, 255},
                                           SpinRange{"seCardSector", 1, 15}),
                         [](const auto& info) { return std::string(info.param.name); });

// What the operator leaves in a spin control when the focus goes is what a write would send.
TEST_F(ParameterPanelTest, SpinEditedByTheOperatorShowsWhatItHoldsWhenFocusLeaves) {
  panel->show();
  QApplication::setActiveWindow(panel.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));

  // A digit that would leave the range is refused while typing.
  panel->seCardSector->setFocus();
  panel->seCardSector->selectAll();
  QTest::keyClicks(panel->seCardSector, QStringLiteral("99"));
  panel->seRelayTime->setFocus();
  EXPECT_EQ(panel->seCardSector->value(), 9);
  EXPECT_EQ(panel->seCardSector->text(), QStringLiteral("9"));

  // Emptied, it shows and gives its minimum.
  for (QSpinBox* spin : {panel->seCardSector, panel->seRecharging}) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    panel->leCacheNumber->setFocus();
    EXPECT_EQ(spin->value(), spin->minimum()) << spin->objectName().toStdString();
    EXPECT_EQ(spin->text(), QString::number(spin->minimum()));
  }
}

TEST_F(ParameterPanelTest, ListsCarryTheirWireValuesAndStartWithoutSelection) {
  const std::vector<std::pair<int, QString>> modes = {
      {0, "Quillmar"}, {1, "Турникет"}, {2, "Чтение"}, {3, "Пополнение"}, {4, "Инициализация"}};
  const std::vector<std::pair<int, QString>> cardTypes = {{1, "Пополняемая"}, {2, "Абонемент"}};
  // A second fill must replace, not add.
  panel->FillModeList();
  panel->FillCardTypeList();
  for (const auto& [combo, items] :
       {std::pair{panel->cbMode, modes}, std::pair{panel->cbCardType, cardTypes}}) {
    ASSERT_EQ(combo->count(), static_cast<int>(items.size()));
    for (int i = 0; i < combo->count(); ++i) {
      EXPECT_EQ(combo->itemText(i), items[i].second);
      EXPECT_EQ(combo->itemData(i).toInt(), items[i].first);
    }
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_FALSE(combo->isEditable());
  }
  EXPECT_EQ(panel->cbCardType->findData(0), -1);
  EXPECT_EQ(panel->Mode(), -1);
  EXPECT_EQ(panel->cbReader->count(), 0);
  EXPECT_TRUE(panel->leCacheNumber->text().isEmpty());
}

TEST_F(ParameterPanelTest, DatesShowDayFirstAndReachTheZeroDate) {
  for (QDateEdit* date : {panel->dtpCurrentDate, panel->dtpEndDate}) {
    EXPECT_EQ(date->text(), QStringLiteral("21.09.2009"));
    date->setDate(QDate(1899, 12, 30));
    EXPECT_EQ(date->date(), QDate(1899, 12, 30));
    EXPECT_EQ(date->text(), QStringLiteral("30.12.1899"));
  }
}

TEST_F(ParameterPanelTest, BlackListIsTenEmptyCellsWithoutScrollBars) {
  QTableWidget* grid = panel->sgBlackList;
  ASSERT_EQ(grid->rowCount(), 10);
  ASSERT_EQ(grid->columnCount(), 1);
  EXPECT_EQ(grid->columnWidth(0), 133);
  for (int row = 0; row < grid->rowCount(); ++row) {
    EXPECT_EQ(grid->rowHeight(row), 20);
    ASSERT_NE(grid->item(row, 0), nullptr);
    EXPECT_TRUE(grid->item(row, 0)->text().isEmpty());
  }
  EXPECT_EQ(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_TRUE(panel->memTerminal->isReadOnly());
}

TEST_F(ParameterPanelTest, TabOrderFollowsTheScreensOrderNotTheVisualOne) {
  const std::vector<QWidget*> expected = {
      panel->cbMode,       panel->cbCardType,         panel->dtpCurrentDate, panel->dtpEndDate,
      panel->seCardSector, panel->seAbonementTimeout, panel->seRelayTime,    panel->seRecharging,
      panel->leCacheNumber, panel->sgBlackList,       panel->memTerminal,    panel->cbReader};
  const std::set<QWidget*> named(expected.begin(), expected.end());
  std::vector<QWidget*> seen;
  QWidget* w = panel->cbMode;
  for (int step = 0; step < 200 && seen.size() < expected.size(); ++step) {
    if (named.count(w) && std::find(seen.begin(), seen.end(), w) == seen.end()) seen.push_back(w);
    w = w->nextInFocusChain();
  }
  EXPECT_EQ(seen, expected);
}

TEST_F(ParameterPanelTest, OnlyTheLogGrowsWithThePanel) {
  std::vector<std::pair<QWidget*, QRect>> before;
  for (QWidget* child : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    before.emplace_back(child, child->geometry());
  panel->show();
  panel->resize(865, 398);
  QApplication::processEvents();
  for (const auto& [child, rect] : before) {
    if (child == panel->memTerminal)
      EXPECT_EQ(child->geometry(), QRect(440, 16, 425, 369));
    else
      EXPECT_EQ(child->geometry(), rect) << child->objectName().toStdString();
  }
}

TEST_F(ParameterPanelTest, DisablingReachesEveryChildAndEnablingAppliesTheModeRule) {
  panel->EnableControls(false);
  for (QWidget* child : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    EXPECT_FALSE(child->isEnabled()) << child->objectName().toStdString();

  panel->EnableControls(true);
  EXPECT_TRUE(panel->memTerminal->isEnabled());
  EXPECT_TRUE(panel->cbReader->isEnabled());
  EXPECT_TRUE(panel->Label9->isEnabled());
  // No mode: recharge and card type off, dates on.
  EXPECT_FALSE(panel->seRecharging->isEnabled());
  EXPECT_FALSE(panel->lblCardType->isEnabled());
  EXPECT_TRUE(panel->dtpEndDate->isEnabled());
}

}  // namespace
