// A real update of a copy of the program: the program checks an FTP server on this
// machine at its start, downloads and verifies the package, installs it when the user
// agrees, and restarts into the new files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/updates/update_settings.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/lock_file_events.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/settings_seed.h"
#include "tests/platform_linux/ftp_server_rig.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char kMachine[] = "k8-x2-laptop";
// What the new version's program file carries at its end: the test finds it there after
// the update, and the restarted program runs it.
constexpr char kNewVersionMark[] = "\n#pacetta 2.3.6.0 update\n";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(Update, TheProgramChecksDownloadsInstallsAndRestartsIntoTheNewVersion) {
  if (!FtpServerRig::Available()) GTEST_SKIP() << "pyftpdlib is not installed";
  const std::string keyFolder = PACETTA_UPDATE_TEST_KEY_DIR;
  if (keyFolder.empty()) GTEST_SKIP() << "this build trusts no throwaway update key";

  TempFolder runtime, config, work;
  // The installed copy: the program and its updates module in a folder of their own.
  const fs::path program = work.File("program");
  fs::create_directories(program);
  for (const char* name : {"pacetta", "Tollund.so"}) {
    fs::copy_file(fs::path(PACETTA_BIN_DIR) / name, program / name);
  }
  const std::string oldProgram = ReadFile(program / "pacetta");

  // The update: a new program file and a new note, published as a publisher does.
  const fs::path files = work.File("files");
  WriteFile(files / "pacetta", oldProgram + kNewVersionMark);
  fs::permissions(files / "pacetta", fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
  WriteFile(files / "notes" / "update.txt", "2.3.6.0\n");
  WriteFile(work.File("description.txt"), "Tarvello 2.3.6.0: faster checks.\n");
  const fs::path published = work.File("published");
  fs::create_directories(published);
  const std::string publish =
      std::string(PACETTA_SOURCE_DIR) + "/scripts/publish-update.sh --key " + keyFolder +
      "/private.pem --name pacetta-2.3.6.0 --from 2.3.0.0 " + "--to 2.3.6.0 --description " +
      work.File("description.txt") + " --out " + published.string() + " " + files.string() + " >" +
      work.File("publish.log") + " 2>&1";
  ASSERT_EQ(std::system(publish.c_str()), 0) << ReadFile(work.File("publish.log"));

  FtpServerRig server("plain", "quillmerrows", "plomvetch");
  ASSERT_TRUE(server.Running()) << server.Log();
  for (const auto& entry : fs::directory_iterator(published)) {
    server.Put("pacetta/" + entry.path().filename().string(), ReadFile(entry.path()));
  }

  // Checks at every start, downloading at once.
  SeedValues values;
  values.machine = kMachine;
  values.enableLogging = 0;  // the log would be written into the program folder
  ScopedEnv configHome("XDG_CONFIG_HOME", config.Path());
  const SeededMachine seeded = SeedSettings(config.Path(), values);
  {
    linux_os::FileRegistry registry(seeded.settingsPath);
    auto key = registry.OpenUserKey(kUpdatesKey, true);
    ASSERT_TRUE(key && key->WriteDword("AutoCheck", 1) &&
                key->WriteDword("Method", kUpdateMethodDownload) && key->Flush());
  }

  const std::vector<std::string> env = {"PACETTA_RUNTIME_DIR=" + runtime.Path(),
                                        "XDG_CONFIG_HOME=" + config.Path(),
                                        "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  const std::string programFile = (program / "pacetta").string();
  const std::string simulate = std::string("--simulate=") + kMachine;
  // The restarted instance is not our child: it is ended whatever happens.
  struct EndInstance {
    std::string program, simulate;
    std::vector<std::string> env;
    ~EndInstance() {
      ScopedEnv runtimeDir("PACETTA_RUNTIME_DIR", env[0].substr(env[0].find('=') + 1));
      linux_os::LockFileEvents events;
      bool existed = false;
      events.Create("Global\\PacettaRunningEvent", existed);
      if (existed) RunToEnd(program, {simulate, "-exit"}, env);
    }
  } endInstance{programFile, simulate, env};

  const std::string serverOption =
      "--update-server=127.0.0.1:" + std::to_string(server.Server().port);
  ChildProcess first(programFile, {simulate, "--console", "--answer=yes", serverOption}, env);
  ASSERT_TRUE(first.WaitForOutput("Updates: Update successful", 120s))
      << first.Output() << first.Errors() << server.Log();
  ASSERT_EQ(first.WaitForExit(60s), 0) << first.Output() << first.Errors();

  // The restarted program shares our output: its status lines appear a second time.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (Count(first.Output(), "CPU 1:") < 2 && std::chrono::steady_clock::now() < deadline) {
    first.WaitForOutput("never printed", 100ms);
  }
  ASSERT_GE(Count(first.Output(), "CPU 1:"), 2u) << first.Output() << first.Errors();
  const std::string output = first.Output();
  EXPECT_NE(output.find("Updates: New update downloaded"), std::string::npos) << output;
  EXPECT_NE(output.find("Do you want to install it now?"), std::string::npos) << output;

  // The new files are in place, the package's folder is gone, and the restarted program
  // (the new one) removed the backup of the old program file at its start.
  EXPECT_EQ(ReadFile(program / "pacetta"), oldProgram + kNewVersionMark);
  EXPECT_EQ(ReadFile(program / "notes" / "update.txt"), "2.3.6.0\n");
  EXPECT_FALSE(fs::exists(program / "pacetta-2.3.6.0"));
  const auto backupGone = std::chrono::steady_clock::now() + 30s;
  while (fs::exists(program / "pacetta.bak") && std::chrono::steady_clock::now() < backupGone) {
    first.WaitForOutput("never printed", 100ms);
  }
  EXPECT_FALSE(fs::exists(program / "pacetta.bak"));
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(program)) names.insert(entry.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"pacetta", "Tollund.so", "notes"}));
  // The instance running now was started from the new program file.
  bool runsNewFile = false;
  for (const auto& process : fs::directory_iterator("/proc")) {
    std::error_code error;
    if (fs::equivalent(process.path() / "exe", program / "pacetta", error)) runsNewFile = true;
  }
  EXPECT_TRUE(runsNewFile);
}

}  // namespace
}  // namespace pacetta::testing
