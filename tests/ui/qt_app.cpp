#include "tests/ui/qt_app.h"

#include <gtest/gtest.h>

#include <memory>

namespace pacetta::ui::testing {
namespace {

class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void TearDown() override { application_.reset(); }
  QApplication& Application() { return *application_; }

 private:
  int argc_ = 1;
  char name_[8] = "test_ui";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

// Google Test owns its environments.
QtEnvironment* const kEnvironment = static_cast<QtEnvironment*>(
    ::testing::AddGlobalTestEnvironment(std::make_unique<QtEnvironment>().release()));

}  // namespace

QApplication& TestApp() {
  return kEnvironment->Application();
}

}  // namespace pacetta::ui::testing
