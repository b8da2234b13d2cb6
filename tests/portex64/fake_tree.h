#pragma once
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/helper_device.h"
#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// Ordinary files standing in for /dev/cpu/N/msr, /dev/port, /dev/mem and the PCI
// configuration files, laid out as the helper's options expect.
class FakeTree {
 public:
  FakeTree();

  std::string SocketPath() const { return root_.File("Portex64.sock"); }
  const std::string& Root() const { return root_.Path(); }
  unsigned Processors() const { return processors_; }
  // The options that point the helper at this tree.
  std::vector<std::string> DeviceArguments() const;

  void SetMsr(unsigned cpu, uint32_t index, uint64_t value);
  uint64_t Msr(unsigned cpu, uint32_t index) const;
  void SetPortByte(uint32_t port, uint8_t value);
  uint32_t Port(uint32_t port, unsigned width) const;
  // A bus 0 function's configuration file, created on first use.
  void SetConfig(uint32_t devfn, uint32_t reg, uint32_t value);
  uint32_t Config(uint32_t devfn, uint32_t reg) const;
  // The byte the fake physical memory holds at `address`.
  static uint8_t MemoryByte(uint32_t address) { return static_cast<uint8_t>(address * 7 + 3); }

 private:
  std::string ConfigPath(uint32_t devfn) const;

  TempFolder root_;
  unsigned processors_;
};

// The real helper binary on a fake tree, in the foreground, ended with the object.
class HelperProcess {
 public:
  // `environment` adds to or replaces variables of the test's own environment.
  explicit HelperProcess(const FakeTree& tree, std::vector<std::string> extra = {},
                         std::vector<std::string> environment = {});
  bool Ready() const { return ready_; }
  ChildProcess& Child() { return *child_; }
  std::string Diagnostics();

 private:
  std::unique_ptr<ChildProcess> child_;
  bool ready_ = false;
};

std::string HelperBinary();

// Runs `body` in a child process as user `uid` with the given groups; its exit code.
template <typename Body>
int RunAs(uid_t uid, gid_t gid, std::vector<gid_t> groups, Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgroups(groups.size(), groups.data()) != 0 || setgid(gid) != 0 || setuid(uid) != 0) {
      _exit(90);
    }
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

// A device connected to the helper of `tree`, reporting `processor` as the caller's
// processor (the scheduler's answer when negative).
std::unique_ptr<platform::Device> OpenHelperDevice(const FakeTree& tree, int processor = 0);

// One request with words in and out; false when the helper refused it.
bool Request(platform::Device& device, uint32_t code, std::vector<uint32_t> in, uint32_t outWords,
             std::vector<uint32_t>* out = nullptr);

}  // namespace pacetta::testing
