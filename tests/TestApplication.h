#pragma once

#include <QCoreApplication>

#include <gtest/gtest.h>

// One application object for every case of a test executable: QApplication where widgets are
// made, QCoreApplication where only an event loop is needed (the port, the command line).
template <typename App>
class QtTestApp : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!QCoreApplication::instance()) app_ = new App(argc_, argv_);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  int argc_ = 1;
  char name_[16] = "parvex-tests";
  char* argv_[2] = {name_, nullptr};
  App* app_ = nullptr;
};

// Registers the application once per executable, however many of its files ask for it.
template <typename App>
bool UseQtTestApp() {
  static const bool registered = (::testing::AddGlobalTestEnvironment(new QtTestApp<App>), true);
  return registered;
}
