// Start at logon written for real into a temporary home: the desktop's autostart entry and
// the graphical session's service, created, switched and removed, the program found
// whatever its path, and what the user switched off in the desktop left off.
#include "platform/linux/autostart/linux_autostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>

#include "platform/linux/autostart/config_files.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

using pacetta::testing::ScopedEnv;
using pacetta::testing::TempFolder;
using platform::AutostartWay;

bool Exists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

std::string Read(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The value of the first line "key=value" of `text`.
std::string ValueOf(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<no " + key + ">";
}

// What `command` prints on its standard output, run by the shell, and how it ended.
struct ShellRun {
  std::string output;
  int status = -1;
};
ShellRun RunShell(const std::string& command) {
  ShellRun run;
  {
    // Closed, and its status taken, before the result leaves.
    const auto close = [&run](FILE* pipe) { run.status = pclose(pipe); };
    const std::unique_ptr<FILE, decltype(close)> pipe(popen(command.c_str(), "r"), close);
    char buffer[256];
    while (pipe) {
      const size_t n = fread(buffer, 1, sizeof buffer, pipe.get());
      if (n == 0) break;
      run.output.append(buffer, n);
    }
  }
  return run;
}

// What a desktop runs for an Exec value of one argument: the value's escapes undone,
// "%%" read as "%", and the word read as a POSIX shell reads it (an entry's quoting is
// the shell's double quotes).
std::string ExecutedPath(const std::string& exec) {
  std::string word;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size()) {
      constexpr std::string_view kEscapes = "sntr\\", kMeanings = " \n\t\r\\";
      const char next = exec[++i];
      const size_t k = kEscapes.find(next);
      word += k == std::string_view::npos ? std::string{'\\', next} : std::string(1, kMeanings[k]);
    } else if (exec[i] == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
      word += '%';
      ++i;
    } else {
      word += exec[i];
    }
  }
  return RunShell("printf '%s' " + word).output;
}

bool MakeProgram(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path) << "#!/bin/sh\n";
  return chmod(path.c_str(), 0755) == 0;
}

TEST(LinuxAutostart, WaysAreCreatedSwitchedAndRemovedInTheUsersConfigFolder) {
  struct Case {
    const char* xdgConfigHome;   // "" unset; "%": the temporary folder's "cfg"
    const char* expectedFolder;  // below the temporary folder
  };
  const Case cases[] = {
      {"%", "cfg"},
      {"", "home/.config"},
      {"relative/cfg", "home/.config"},  // only an absolute path counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xdgConfigHome);
    TempFolder temp;
    const std::string xdg =
        std::string(c.xdgConfigHome) == "%" ? temp.File("cfg") : c.xdgConfigHome;
    ScopedEnv home("HOME", temp.File("home"));
    ScopedEnv config("XDG_CONFIG_HOME", xdg);
    const std::string folder = temp.File(c.expectedFolder);
    ASSERT_EQ(UserConfigFolder(), folder);

    LinuxAutostart autostart(UserConfigFolder());
    const std::string entry = folder + "/autostart/pacetta.desktop";
    const std::string unit = folder + "/systemd/user/pacetta.service";
    const std::string link =
        folder + "/systemd/user/graphical-session.target.wants/pacetta.service";
    const platform::AutostartProgram program{"/opt/My Programs/pacetta", "Tarvello"};

    ASSERT_TRUE(autostart.Set(AutostartWay::kLoginEntry, program));
    const std::string text = Read(entry);
    EXPECT_EQ(ValueOf(text, "Exec"), "\"/opt/My Programs/pacetta\"");
    EXPECT_EQ(ValueOf(text, "Name"), "Tarvello");
    EXPECT_EQ(ValueOf(text, "Type"), "Application");
    EXPECT_FALSE(Exists(unit) || Exists(link));
    EXPECT_FALSE(autostart.SwitchedOff(AutostartWay::kLoginEntry));

    ASSERT_TRUE(autostart.Set(AutostartWay::kSessionService, program));
    EXPECT_FALSE(Exists(entry));
    EXPECT_EQ(ValueOf(Read(unit), "ExecStart"), "\"/opt/My Programs/pacetta\"");
    EXPECT_EQ(ValueOf(Read(unit), "WantedBy"), "graphical-session.target");
    // Enabled as the service manager enables it, without one running.
    EXPECT_EQ(LinkTarget(link), unit);
    EXPECT_FALSE(autostart.SwitchedOff(AutostartWay::kSessionService));

    ASSERT_TRUE(autostart.Set(AutostartWay::kLoginEntry, program));
    EXPECT_TRUE(Exists(entry));
    EXPECT_FALSE(Exists(unit) || Exists(link));

    ASSERT_TRUE(autostart.Set(AutostartWay::kSessionService, program));
    ASSERT_TRUE(autostart.Set(AutostartWay::kOff, program));
    EXPECT_FALSE(Exists(entry) || Exists(unit) || Exists(link));
    // Nothing left half-written beside them.
    for (const auto& left : std::filesystem::recursive_directory_iterator(folder)) {
      EXPECT_TRUE(left.is_directory()) << left.path();
    }
  }
}

TEST(LinuxAutostart, TheEntriesStartTheProgramWhateverItsPath) {
  const char* const folders[] = {"plain", "My Programs", "100%n sure", "$HOME's & (co)",
                                 "back\\slash \"quoted\" `tick`"};
  const bool analyzer = access("/usr/bin/systemd-analyze", X_OK) == 0;
  for (const char* name : folders) {
    SCOPED_TRACE(name);
    TempFolder temp;
    const std::string path = temp.Path() + "/" + name + "/pacetta";
    ASSERT_TRUE(MakeProgram(path));
    LinuxAutostart autostart(temp.File("cfg"));

    ASSERT_TRUE(autostart.Set(AutostartWay::kLoginEntry, {path, "Tarvello"}));
    EXPECT_EQ(ExecutedPath(ValueOf(Read(autostart.EntryPath()), "Exec")), path);

    ASSERT_TRUE(autostart.Set(AutostartWay::kSessionService, {path, "Tarvello"}));
    if (!analyzer) continue;
    // The service manager's own check: the unit parses and its program exists.
    const ShellRun check =
        RunShell("/usr/bin/systemd-analyze verify '" + autostart.UnitPath() + "' 2>&1");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output.find("pacetta.service"), std::string::npos) << check.output;
  }
}

TEST(LinuxAutostart, WhatTheUserSwitchedOffCountsAsOff) {
  TempFolder temp;
  LinuxAutostart autostart(temp.File("cfg"));
  const platform::AutostartProgram program{"/usr/bin/pacetta", "Tarvello"};

  // The desktop's settings write "Hidden=true" (older ones their own key) into the entry.
  for (const char* line : {"Hidden=true", "Hidden = true", "X-GNOME-Autostart-enabled=false"}) {
    SCOPED_TRACE(line);
    ASSERT_TRUE(autostart.Set(AutostartWay::kLoginEntry, program));
    std::ofstream(autostart.EntryPath(), std::ios::app) << line << "\n";
    EXPECT_TRUE(autostart.SwitchedOff(AutostartWay::kLoginEntry));
    EXPECT_FALSE(autostart.SwitchedOff(AutostartWay::kSessionService));
  }
  // A key of another group, or switched on again, does not count.
  ASSERT_TRUE(autostart.Set(AutostartWay::kLoginEntry, program));
  std::ofstream(autostart.EntryPath(), std::ios::app)
      << "Hidden=false\n[Desktop Action x]\nHidden=true\n";
  EXPECT_FALSE(autostart.SwitchedOff(AutostartWay::kLoginEntry));

  // `systemctl --user disable` removes the link.
  ASSERT_TRUE(autostart.Set(AutostartWay::kSessionService, program));
  ASSERT_EQ(unlink(autostart.WantsLinkPath().c_str()), 0);
  EXPECT_TRUE(autostart.SwitchedOff(AutostartWay::kSessionService));
  // `systemctl --user mask` replaces the unit by a link to /dev/null, which stays: off
  // removes only the program's own files.
  ASSERT_EQ(unlink(autostart.UnitPath().c_str()), 0);
  ASSERT_EQ(symlink("/dev/null", autostart.UnitPath().c_str()), 0);
  EXPECT_TRUE(autostart.SwitchedOff(AutostartWay::kSessionService));
  ASSERT_TRUE(autostart.Set(AutostartWay::kOff, program));
  EXPECT_EQ(LinkTarget(autostart.UnitPath()), "/dev/null");
  // Chosen again on the page: a unit of its own, enabled.
  ASSERT_TRUE(autostart.Set(AutostartWay::kSessionService, program));
  EXPECT_FALSE(autostart.SwitchedOff(AutostartWay::kSessionService));
  EXPECT_EQ(ValueOf(Read(autostart.UnitPath()), "ExecStart"), "\"/usr/bin/pacetta\"");
}

}  // namespace
}  // namespace pacetta::linux_os
