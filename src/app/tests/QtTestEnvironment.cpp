// One QApplication for the whole test program, on the offscreen platform unless the caller
// chose another, made before the first test and destroyed before the program ends.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class QtTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // Dialog tests run without a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[20] = "korvel_app_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace
