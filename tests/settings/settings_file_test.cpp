#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/file_registry.h"
#include "tests/settings/settings_test_support.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::settings_test {
namespace {

using linux_os::FileRegistry;
using linux_os::SettingsFileCalls;

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

size_t FilesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                           std::filesystem::directory_iterator()));
}

// The points at which a save can fail or stop, in the order the save reaches them.
enum class Step { kCreate, kWrite, kSync, kClose, kRename, kDone };
const Step kSteps[] = {Step::kCreate, Step::kWrite, Step::kSync, Step::kClose, Step::kRename};

// Real calls, except at `step`: `fail` makes it fail as a full or broken disk would (a
// write first puts half its bytes down); otherwise the process ends there, as in a power
// cut, after `step` has done its work when `afterStep` is set.
class BrokenCalls final : public SettingsFileCalls {
 public:
  BrokenCalls(Step step, bool fail, bool afterStep = false)
      : step_(step), fail_(fail), afterStep_(afterStep) {}

  int CreateTemporary(const std::string& path) override {
    return At(Step::kCreate, [&] { return SettingsFileCalls::CreateTemporary(path); });
  }
  ssize_t Write(int fd, const void* data, size_t size) override {
    if (step_ == Step::kWrite && !afterStep_) {
      SettingsFileCalls::Write(fd, data, size / 2);
      if (fail_) {
        errno = ENOSPC;
        return -1;
      }
      _exit(0);
    }
    return At(Step::kWrite, [&] { return SettingsFileCalls::Write(fd, data, size); });
  }
  int Sync(int fd) override {
    return At(Step::kSync, [&] { return SettingsFileCalls::Sync(fd); });
  }
  int Close(int fd) override {
    return At(Step::kClose, [&] { return SettingsFileCalls::Close(fd); });
  }
  int Rename(const std::string& from, const std::string& to) override {
    return At(Step::kRename, [&] { return SettingsFileCalls::Rename(from, to); });
  }

 private:
  template <class Call>
  auto At(Step step, Call call) -> decltype(call()) {
    if (step != step_) return call();
    if (fail_) {
      // A failed close or sync still releases the descriptor.
      if (step == Step::kClose) call();
      errno = EIO;
      return -1;
    }
    if (!afterStep_) _exit(0);
    auto result = call();
    _exit(0);
    return result;
  }

  Step step_;
  bool fail_;
  bool afterStep_;
};

class SettingsFile : public ::testing::Test {
 protected:
  SettingsFile() : machine_(AthlonK8RevE()), path_(folder_.File("settings.json")) {
    FileRegistry registry(path_);
    AppSettings first = LoadFresh(machine_, registry);
    first.tray.tempUnits = 1;
    first.window.left = 111;
    SaveAll(first, machine_, registry);
    oldText_ = ReadAll(path_);
  }

  // Loads, changes and saves the settings through `calls`.
  bool SaveChanged(std::shared_ptr<SettingsFileCalls> calls) {
    FileRegistry registry(path_, std::move(calls));
    AppSettings settings = LoadFresh(machine_, registry);
    settings.window.left = 222;
    return settings.Save(registry, SettingsSaveContext{machine_.processor, true});
  }

  // The window position of the settings now on disk; the file must load cleanly.
  int32_t StoredLeft() {
    FileRegistry registry(path_);
    SettingsLoadReport report;
    const AppSettings settings = LoadFresh(machine_, registry, &report);
    EXPECT_FALSE(report.damageNotice);
    EXPECT_EQ(settings.tray.tempUnits, 1);
    return settings.window.left;
  }

  testing::TempFolder folder_;
  Machine machine_;
  std::string path_;
  std::string oldText_;
};

TEST_F(SettingsFile, ASaveThatFailsAtAnyStepLeavesTheOldFileAndNoLeftovers) {
  for (Step step : kSteps) {
    SCOPED_TRACE(static_cast<int>(step));
    EXPECT_FALSE(SaveChanged(std::make_shared<BrokenCalls>(step, true)));
    EXPECT_EQ(ReadAll(path_), oldText_);
    EXPECT_EQ(FilesIn(folder_.Path()), 1u);
    EXPECT_EQ(StoredLeft(), 111);
  }
  EXPECT_TRUE(SaveChanged(nullptr));
  EXPECT_EQ(StoredLeft(), 222);
}

TEST_F(SettingsFile, ASaveCutOffAtAnyStepLeavesTheOldOrTheNewFile) {
  // Forked where it stands, so the child saves into this test's folder. Nothing else runs
  // in this process.
  GTEST_FLAG_SET(death_test_style, "fast");
  for (Step step : kSteps) {
    for (bool afterStep : {false, true}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(step)) + (afterStep ? " after" : " before"));
      std::filesystem::remove_all(folder_.Path());
      std::filesystem::create_directory(folder_.Path());
      std::ofstream(path_, std::ios::binary) << oldText_;
      EXPECT_EXIT(
          {
            SaveChanged(std::make_shared<BrokenCalls>(step, false, afterStep));
            _exit(1);  // the save must not get past the cut
          },
          ::testing::ExitedWithCode(0), "");
      // Only a completed rename publishes the new file.
      const bool renamed = step == Step::kRename && afterStep;
      EXPECT_EQ(StoredLeft(), renamed ? 222 : 111);
    }
  }
}

TEST_F(SettingsFile, ADamagedFileIsKeptAsideReportedOnceAndTheDefaultsAreUsed) {
  std::ofstream(path_, std::ios::binary) << oldText_.substr(0, oldText_.size() / 2);
  FileRegistry registry(path_);
  SettingsLoadReport report;
  const AppSettings settings = LoadFresh(machine_, registry, &report);
  ASSERT_TRUE(report.damageNotice);
  EXPECT_NE(report.damageNotice->find(path_ + ".damaged"), std::string::npos);
  EXPECT_FALSE(report.keyFound);
  EXPECT_EQ(settings.tray.tempUnits, 0);
  EXPECT_EQ(ReadAll(path_ + ".damaged"), oldText_.substr(0, oldText_.size() / 2));

  SettingsLoadReport second;
  LoadFresh(machine_, registry, &second);
  EXPECT_FALSE(second.damageNotice);

  // The next orderly exit writes a sound file beside the kept one.
  AppSettings fresh = LoadFresh(machine_, registry);
  SaveAll(fresh, machine_, registry);
  FileRegistry reopened(path_);
  EXPECT_FALSE(reopened.DamageNotice());
  EXPECT_TRUE(std::filesystem::exists(path_ + ".damaged"));
}

}  // namespace
}  // namespace pacetta::settings_test
