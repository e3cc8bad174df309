// What the exception guard shows for each kind of exception, and that nothing escapes it.
#include "Abort.h"
#include "CPort.h"
#include "ExceptionGuard.h"
#include "WindowFixture.h"

#include <cerrno>
#include <functional>
#include <string>

namespace {

struct GuardCase {
  const char* name;
  std::function<void()> raise;
  bool shown;
  QString text;        // expected message, empty: not checked
  QString detailPart;  // expected inside the detail, empty: no detail at all
  bool dialoutHint;
};
void PrintTo(const GuardCase& row, std::ostream* os) { *os << row.name; }

class GuardCaseTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(GuardCaseTest, DescribesWhatTheOperatorSees) {
  const GuardCase& c = GetParam();
  std::exception_ptr error;
  try {
    c.raise();
  } catch (...) {
    error = std::current_exception();
  }
  const auto report = DescribeException(error);
  ASSERT_EQ(report.has_value(), c.shown);
  if (!report) return;
  if (!c.text.isEmpty()) {
    EXPECT_EQ(report->text, c.text);
  }
  if (c.detailPart.isEmpty()) {
    EXPECT_TRUE(report->detail.isEmpty()) << report->detail.toStdString();
  } else {
    EXPECT_TRUE(report->detail.contains(c.detailPart)) << report->detail.toStdString();
  }
  EXPECT_EQ(report->detail.contains(QStringLiteral("dialout")), c.dialoutHint);
}

INSTANTIATE_TEST_SUITE_P(
    Guard, GuardCaseTest,
    ::testing::Values(
        GuardCase{"SilentAbort", [] { throw EAbort(); }, false, {}, {}, false},
        GuardCase{"PlainError", [] { throw std::runtime_error("Нет ответа"); }, true,
                  QStringLiteral("Нет ответа"), {}, false},
        GuardCase{"PortErrorWithoutSystemCause",
                  [] { throw EComPort(comerr::kWrite, QStringLiteral("ComPort")); }, true, {}, {},
                  false},
        GuardCase{"MissingDevice",
                  [] { throw EComPortExt(comerr::kOpen, ENOENT, QStringLiteral("/dev/ttyUSB7")); },
                  true, {}, QStringLiteral("No such file or directory"), false},
        GuardCase{"PermissionDeniedHintsAtDialout",
                  [] { throw EComPortExt(comerr::kOpen, EACCES, QStringLiteral("/dev/ttyS0")); },
                  true, {}, QStringLiteral("Permission denied"), true},
        GuardCase{"NotPermittedHintsAtDialout",
                  [] { throw EComPortExt(comerr::kOpen, EPERM, QStringLiteral("/dev/ttyS0")); },
                  true, {}, QStringLiteral("not permitted"), true},
        GuardCase{"BusyDeviceHasNoDialoutHint",
                  [] { throw EComPortExt(comerr::kOpen, EBUSY, QStringLiteral("/dev/ttyS0")); },
                  true, {}, QStringLiteral("busy"), false},
        GuardCase{"NotAnException", [] { throw 42; }, true, QStringLiteral("Unknown exception"), {},
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

using GuardWindowTest = WindowTest;

TEST_F(GuardWindowTest, SilentAbortShowsNothingAndTheWindowGoesOn) {
  EXPECT_FALSE(form->Guard([] { throw EAbort(); }));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(form->acPortOpen->isEnabled());
}

TEST_F(GuardWindowTest, OperationIsRefusedWhileAnotherHoldsTheBusyFlag) {
  int runs = 0;
  {
    TParvexForm::TBusyLock lock(*form, TParvexForm::TBusyLock::Scope::CursorOnly);
    EXPECT_FALSE(form->StartOperation([&] { ++runs; }));
    // The cursor-only lock leaves actions and panel as they were.
    EXPECT_TRUE(form->acPortOpen->isEnabled());
  }
  EXPECT_TRUE(form->StartOperation([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
}

TEST_F(GuardWindowTest, NestedLocksReleaseTheWindowOnlyAtTheOutermost) {
  {
    TParvexForm::TBusyLock outer(*form);
    { TParvexForm::TBusyLock inner(*form); }
    EXPECT_TRUE(form->Busy());
    EXPECT_FALSE(panel->cbMode->isEnabled());
    EXPECT_FALSE(form->acPortOpen->isEnabled());
  }
  EXPECT_FALSE(form->Busy());
  EXPECT_TRUE(panel->cbMode->isEnabled());
}

}  // namespace
