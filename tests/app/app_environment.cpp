#include "tests/app/app_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "settings/file_store.h"

namespace tessil::testing {

namespace {

// One application object for the whole run; Qt's own settings (the file
// dialogs' history) go to a temporary folder instead of the user's.
class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(config_.isValid());
    setenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit().constData(), 1);
    app_ = std::make_unique<TessilApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

  static inline AppEnvironment* instance = nullptr;
  std::unique_ptr<TessilApplication> app_;

 private:
  QTemporaryDir config_;
  int argc_ = 1;
  char name_[16] = "tessil_app_test";
  char* argv_[2] = {name_, nullptr};
};

AppEnvironment* const environment = [] {
  auto* env = new AppEnvironment;
  AppEnvironment::instance = env;
  ::testing::AddGlobalTestEnvironment(env);
  return env;
}();

}  // namespace

TessilApplication& App() {
  return *AppEnvironment::instance->app_;
}

StoreFactory TempStore::Factory() const {
  return [path = Path()] { return std::make_unique<FileStore>(path); };
}

std::filesystem::path TempStore::Path() const {
  return std::filesystem::path(dir_.path().toStdString()) / "registry.reg";
}

}  // namespace tessil::testing
