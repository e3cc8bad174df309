#pragma once

#include <QApplication>

#include <gtest/gtest.h>

// One QApplication for every case of a widget test executable.
class QtTestApp : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!QApplication::instance()) app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  int argc_ = 1;
  char name_[16] = "parvex-tests";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};

inline ::testing::Environment* const kQtTestApp =
    ::testing::AddGlobalTestEnvironment(new QtTestApp);
