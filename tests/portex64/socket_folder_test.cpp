// Where the helper's socket and the program's service record may live: only in a folder
// that nobody but root or their own user can change, made with its own mode.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/linux/helper_config.h"
#include "platform/linux/helper_service_control.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// Sets the process's umask for the lifetime of the object (the helper inherits it).
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(umask(mask)) {}
  ~ScopedUmask() { umask(previous_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t previous_;
};

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The helper on the fake tree with its socket at `socket`.
std::unique_ptr<ChildProcess> StartHelper(const FakeTree& tree, const std::string& socket,
                                          std::vector<std::string> extra = {}) {
  std::vector<std::string> arguments = tree.DeviceArguments();
  arguments.insert(arguments.end(), {"--foreground", "--socket=" + socket});
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return std::make_unique<ChildProcess>(HelperBinary(), arguments, std::vector<std::string>{});
}

TEST(HelperSocketFolderTest, TheHelperListensOnlyInAFolderNobodyElseCanChange) {
  FakeTree tree;
  const std::string good = tree.Root() + "/good";
  fs::create_directory(good);
  fs::permissions(good, fs::perms(0755));
  struct Case {
    std::string folder;
    mode_t mode;  // 0: a link to the good folder
    uid_t owner;
  };
  std::vector<Case> cases = {
      {tree.Root() + "/shared", 01777, geteuid()},
      {tree.Root() + "/group", 0775, geteuid()},
      {tree.Root() + "/link", 0, geteuid()},
  };
  if (geteuid() == 0) cases.push_back({tree.Root() + "/others", 0755, kNobody});
  for (const Case& c : cases) {
    if (c.mode == 0) {
      fs::create_directory_symlink(good, c.folder);
    } else {
      fs::create_directory(c.folder);
      fs::permissions(c.folder, fs::perms(c.mode));
      ASSERT_EQ(chown(c.folder.c_str(), c.owner, static_cast<gid_t>(-1)), 0);
    }
    auto helper = StartHelper(tree, c.folder + "/Portex64.sock");
    EXPECT_EQ(helper->WaitForExit(30s), 1) << c.folder;
    EXPECT_NE(helper->Errors().find(c.folder), std::string::npos) << helper->Errors();
    EXPECT_FALSE(fs::exists(fs::symlink_status(good + "/Portex64.sock"))) << c.folder;
    EXPECT_FALSE(fs::exists(fs::symlink_status(c.folder + "/Portex64.sock"))) << c.folder;
  }
  // The same helper listens in a folder of its own.
  auto helper = StartHelper(tree, good + "/Portex64.sock");
  EXPECT_TRUE(helper->WaitForOutput("listening on", 30s)) << helper->Errors();
}

TEST(HelperSocketFolderTest, FolderAndSocketGetTheirModesWhateverTheUmask) {
  FakeTree tree;
  const ScopedUmask mask(0077);
  struct Case {
    std::vector<std::string> options;
    mode_t socketMode;
  } cases[] = {
      {{}, 0600},
      {{"--group=" + std::to_string(getegid())}, 0660},
      {{"--allow-uid=" + std::to_string(kNobody)}, 0666},
      // Polkit may let in anyone: the group no longer bounds who reaches the socket.
      {{"--group=" + std::to_string(getegid()), "--polkit"}, 0666},
  };
  for (const Case& c : cases) {
    const std::string folder = tree.Root() + "/made";
    auto helper = StartHelper(tree, folder + "/Portex64.sock", c.options);
    ASSERT_TRUE(helper->WaitForOutput("listening on", 30s)) << helper->Errors();
    EXPECT_EQ(ModeOf(folder), 0755u);
    EXPECT_EQ(ModeOf(folder + "/Portex64.sock"), c.socketMode);
    helper->Signal(SIGTERM);
    EXPECT_EQ(helper->WaitForExit(30s), 0);
    fs::remove(folder);
  }
}

TEST(HelperSocketFolderTest, AProgramWithRightsKeepsItsRecordOnlyInAFolderNobodyElseCanChange) {
  FakeTree tree;
  const ScopedUmask mask(0077);
  linux_os::HelperConfig config;
  config.mayStartHelper = [] { return true; };
  const std::string shared = tree.Root() + "/shared";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms(01777));
  config.socketPath = shared + "/Portex64.sock";
  EXPECT_EQ(linux_os::HelperServiceControl(config).OpenManager()->CreateDriverService(
                "Portex64", "Portex64", HelperBinary()),
            nullptr);
  EXPECT_FALSE(fs::exists(config.RecordPath()));

  // A folder it makes itself is open to all for reading, whatever the umask.
  config.socketPath = tree.Root() + "/made/Portex64.sock";
  EXPECT_NE(linux_os::HelperServiceControl(config).OpenManager()->CreateDriverService(
                "Portex64", "Portex64", HelperBinary()),
            nullptr);
  EXPECT_EQ(ModeOf(tree.Root() + "/made"), 0755u);
  EXPECT_EQ(ModeOf(config.RecordPath()), 0644u);
}

TEST(HelperSocketFolderTest, APrivilegedRunIgnoresTheSocketVariable) {
  const std::string fallback = "/run/pacetta/Portex64.sock";
  struct Case {
    const char* configured;
    uid_t real, effective;
    std::string expected;
  } cases[] = {
      {"/tmp/x/Portex64.sock", 1000, 1000, "/tmp/x/Portex64.sock"},
      {nullptr, 1000, 1000, fallback},
      {"", 1000, 1000, fallback},
      {"/tmp/x/Portex64.sock", 0, 0, fallback},     // sudo -E
      {"/tmp/x/Portex64.sock", 1000, 0, fallback},  // set-user root
      {"/tmp/x/Portex64.sock", 0, 1000, fallback},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(linux_os::HelperSocketPath(c.configured, c.real, c.effective), c.expected)
        << c.real << " " << c.effective;
  }
}

}  // namespace
}  // namespace pacetta::testing
