// The mode rule: which controls the chosen operating mode enables, and when the rule runs.
#include "ParameterPanel.h"
#include "QtTestApp.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

#include <memory>

namespace {

class ModeRuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel = std::make_unique<TParameterPanel>();
    panel->FillModeList();
    panel->FillCardTypeList();
    panel->EnableControls(true);
  }
  // Recharge units, card type and their labels move together.
  bool RechargeGroup(bool enabled) const {
    return panel->lblRecharging->isEnabled() == enabled &&
           panel->seRecharging->isEnabled() == enabled &&
           panel->lblCardType->isEnabled() == enabled && panel->cbCardType->isEnabled() == enabled;
  }
  bool DateGroup(bool enabled) const {
    return panel->lblCurrentDate->isEnabled() == enabled &&
           panel->dtpCurrentDate->isEnabled() == enabled &&
           panel->lblEndDate->isEnabled() == enabled && panel->dtpEndDate->isEnabled() == enabled;
  }
  void ChooseMode(int value) {
    panel->cbMode->setCurrentIndex(panel->cbMode->findData(value));
    emit panel->cbMode->activated(panel->cbMode->currentIndex());
  }
  std::unique_ptr<TParameterPanel> panel;
};

struct ModeCase {
  int mode;  // -1: no selection
  bool recharge;
  bool dates;
};
void PrintTo(const ModeCase& row, std::ostream* os) { *os << "mode " << row.mode; }

class ModeRuleByMode : public ModeRuleTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeRuleByMode, EnablesRechargeAndDatesAsTheModeUsesThem) {
  if (GetParam().mode >= 0) ChooseMode(GetParam().mode);
  EXPECT_EQ(panel->Mode(), GetParam().mode);
  EXPECT_TRUE(RechargeGroup(GetParam().recharge));
  EXPECT_TRUE(DateGroup(GetParam().dates));
  // The rule changes enabled states only, never the other controls or any value.
  EXPECT_TRUE(panel->seCardSector->isEnabled());
  EXPECT_TRUE(panel->cbReader->isEnabled());
  EXPECT_EQ(panel->seRecharging->value(), 1);
  EXPECT_EQ(panel->cbCardType->currentIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeRuleByMode,
                         ::testing::Values(ModeCase{-1, false, true}, ModeCase{0, false, true},
                                           ModeCase{1, false, true}, ModeCase{2, false, false},
                                           ModeCase{3, true, true}, ModeCase{4, false, true}),
                         [](const auto& info) {
                           return info.param.mode < 0 ? std::string("none")
                                                      : "mode" + std::to_string(info.param.mode);
                         });

TEST_F(ModeRuleTest, OperatorsKeyboardChoiceRunsTheRule) {
  panel->show();
  panel->cbMode->setFocus();
  // Down from no selection picks "Quillmar", three more reach "Пополнение".
  for (int i = 0; i < 4; ++i) QTest::keyClick(panel->cbMode, Qt::Key_Down);
  ASSERT_EQ(panel->Mode(), 3);
  EXPECT_TRUE(RechargeGroup(true));
}

TEST_F(ModeRuleTest, SelectionMadeByTheProgramWaitsForTheNextEnabling) {
  panel->cbMode->setCurrentIndex(panel->cbMode->findData(3));
  EXPECT_TRUE(RechargeGroup(false));
  panel->EnableControls(false);
  panel->EnableControls(true);
  EXPECT_TRUE(RechargeGroup(true));
}

TEST_F(ModeRuleTest, ChangingTheReaderReappliesTheSameRule) {
  panel->cbReader->addItem(QStringLiteral("1 / 00000001"), 1);
  panel->cbReader->addItem(QStringLiteral("2 / 00000002"), 2);
  ChooseMode(2);
  ASSERT_TRUE(DateGroup(false));
  panel->cbReader->setCurrentIndex(1);
  emit panel->cbReader->activated(1);
  EXPECT_TRUE(DateGroup(false));
  EXPECT_TRUE(RechargeGroup(false));
}

}  // namespace
