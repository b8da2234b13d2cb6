#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/linux/lock_file_events.h"
#include "platform/linux/runtime_paths.h"
#include "platform/linux/socket_windows.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

using namespace std::chrono_literals;

TEST(LockFileEvents, OnlyTheFirstCreatorOwnsTheNameUntilItLetsGo) {
  testing::TempFolder folder;
  testing::ScopedEnv env("PACETTA_RUNTIME_DIR", folder.Path());
  LockFileEvents events;
  bool existed = true;
  auto first = events.Create("Global\\PacettaRunningEvent", existed);
  ASSERT_TRUE(first);
  EXPECT_FALSE(existed);
  auto second = events.Create("Global\\PacettaRunningEvent", existed);
  ASSERT_TRUE(second);
  EXPECT_TRUE(existed);
  auto other = events.Create("Global\\Other", existed);
  EXPECT_FALSE(existed);
  first.reset();
  auto third = events.Create("Global\\PacettaRunningEvent", existed);
  EXPECT_FALSE(existed);
}

TEST(LockFileEvents, WaitingEndsWhenTheEventIsSet) {
  testing::TempFolder folder;
  testing::ScopedEnv env("PACETTA_RUNTIME_DIR", folder.Path());
  LockFileEvents events;
  bool existed = false;
  auto event = events.Create("stop", existed);
  EXPECT_FALSE(event->Wait(0ms));
  std::thread setter([&] { event->Set(); });
  EXPECT_TRUE(event->Wait(30s));
  setter.join();
  EXPECT_TRUE(event->IsSet());
  event->Reset();
  EXPECT_FALSE(event->IsSet());
}

// Records what a published window receives, and lets a test wait for it.
class RecordingWindow final : public platform::WindowHandler {
 public:
  void OnPosted(const platform::WindowMessage& message) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(message);
    changed_.notify_all();
  }
  int64_t OnSent(const platform::WindowMessage& message) override {
    return int64_t{message.wParam} * 2 + message.lParam;
  }
  bool IsVisible() override { return visible_; }
  void Show() override { visible_ = true; }
  void BringToForeground() override { ++raised_; }

  std::vector<platform::WindowMessage> WaitForPosted(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, 30s, [&] { return posted_.size() >= count; });
    return posted_;
  }

  std::atomic<bool> visible_{false};
  std::atomic<int> raised_{0};

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<platform::WindowMessage> posted_;
};

TEST(SocketWindows, AWindowIsFoundByClassAndCaptionAndAnswers) {
  testing::TempFolder folder;
  testing::ScopedEnv env("PACETTA_RUNTIME_DIR", folder.Path());
  SocketWindows windows;
  EXPECT_FALSE(windows.Find("#32770", "Tarvello"));
  RecordingWindow handler;
  auto published = windows.Publish("#32770", "Tarvello", handler);
  ASSERT_TRUE(published);
  EXPECT_FALSE(windows.Publish("#32770", "Tarvello", handler)) << "the identity is taken";
  EXPECT_FALSE(windows.Find("#32770", "Other caption"));

  auto peer = windows.Find("#32770", "Tarvello");
  ASSERT_TRUE(peer);
  EXPECT_TRUE(peer->Post({0x0504, 0x101, 2}));
  EXPECT_TRUE(peer->Post({0x0010, 0, 0}));
  const auto posted = handler.WaitForPosted(2);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, 0x0504u);
  EXPECT_EQ(posted[0].wParam, 0x101u);
  EXPECT_EQ(posted[0].lParam, 2);
  EXPECT_EQ(posted[1].message, 0x0010u);

  EXPECT_EQ(peer->Send({0x0505, 20, -3}, 10s), 37);
  EXPECT_FALSE(peer->IsVisible());
  EXPECT_TRUE(peer->Show());
  EXPECT_TRUE(peer->IsVisible());
  EXPECT_TRUE(peer->BringToForeground());
  EXPECT_EQ(handler.raised_, 1);

  published.reset();
  EXPECT_FALSE(windows.Find("#32770", "Tarvello"));
  EXPECT_FALSE(peer->Post({0x0010, 0, 0})) << "the window is gone";
}

TEST(SocketWindows, ASocketLeftByADeadInstanceDoesNotBlockTheNextOne) {
  testing::TempFolder folder;
  testing::ScopedEnv env("PACETTA_RUNTIME_DIR", folder.Path());
  SocketWindows windows;
  RecordingWindow handler;
  {
    auto published = windows.Publish("#32770", "Tarvello", handler);
    ASSERT_TRUE(published);
    // Leave the socket file behind as a crash would: copy it before it is removed.
  }
  // A leftover file with the socket's name and nobody listening.
  const std::string leftover =
      folder.Path() + "/user-" + std::to_string(getuid()) + "/window-%2332770-Tarvello.sock";
  std::ofstream(leftover) << "";
  EXPECT_FALSE(windows.Find("#32770", "Tarvello"));
  auto published = windows.Publish("#32770", "Tarvello", handler);
  EXPECT_TRUE(published);
}

// The machine folder is shared by every user: names another user planted there are never
// followed or trusted.
TEST(RuntimeFolders, NamesPlantedInTheSharedFolderAreNotFollowedOrTrusted) {
  testing::TempFolder folder;
  testing::ScopedEnv env("PACETTA_RUNTIME_DIR", folder.Path());
  const std::string target = folder.Path() + "/precious";
  std::ofstream(target) << "secret";
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  ASSERT_EQ(symlink(target.c_str(), (folder.Path() + "/Global%5CPacettaRunningEvent.lock").c_str()),
            0);
  LockFileEvents events;
  bool existed = false;
  EXPECT_FALSE(events.Create("Global\\PacettaRunningEvent", existed)) << "a link was followed";
  struct stat status {};
  ASSERT_EQ(stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u) << "the link's target was opened up";

  // A user folder that others may enter (as another user's would be) is not used.
  const std::string planted = folder.Path() + "/user-" + std::to_string(getuid());
  ASSERT_EQ(mkdir(planted.c_str(), 0777), 0);
  ASSERT_EQ(chmod(planted.c_str(), 0777), 0);
  const std::string used = UserRuntimeFolder();
  ASSERT_FALSE(used.empty());
  EXPECT_NE(used, planted);
  ASSERT_EQ(lstat(used.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace pacetta::linux_os
