// A policy's governor switched through the real helper: only a policy's own
// scaling_governor, only to a governor the policy offers.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>

#include "platform/linux/helper_device.h"
#include "platform/linux/kernel_cpu/linux_kernel_cpu.h"
#include "tests/platform_linux_kernel_cpu/fake_sysfs.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

const std::string kPolicy0 = FakeSysfs::PolicyFolder(0) + "/";

TEST(GovernorHelperTest, SwitchesOnlyAnOfferedGovernorInThePolicysOwnFile) {
  FakeSysfs fs;
  fs.Policy(0, {0, 1},
            {{"scaling_driver", "acpi-cpufreq"},
             {"scaling_governor", "ondemand"},
             {"scaling_available_governors",
              "conservative ondemand userspace powersave performance schedutil"}});
  // A policy that lists no governors, and one whose governor file is a planted link.
  fs.Policy(1, {2}, {{"scaling_driver", "acpi-cpufreq"}, {"scaling_governor", "ondemand"}});
  fs.Policy(
      2, {3},
      {{"scaling_driver", "acpi-cpufreq"}, {"scaling_available_governors", "ondemand userspace"}});
  fs.Write("decoy", "untouched");
  fs.Link(FakeSysfs::PolicyFolder(2) + "/scaling_governor", "../../../../../../decoy");
  FakeTree tree;
  HelperProcess helper(tree, {"--sys-root=" + fs.Root()});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  linux_os::HelperConfig config;
  config.socketPath = tree.SocketPath();
  linux_os::HelperDeviceIo io(config);
  linux_os::LinuxKernelCpu cpu(linux_os::SysfsRoot(fs.Root()), io, "\\\\.\\Portex64",
                               fs.Path("record"));

  struct Refusal {
    uint32_t policy;
    const char* governor;
  };
  const Refusal refusals[] = {
      {0, "turbo"},                         // not offered
      {0, "user"},                          // only part of an offered one
      {0, "userspace "},                    // a blank: no governor has one
      {0, ""},           {7, "userspace"},  // no such policy
      {1, "userspace"},                     // the policy lists no governors
      {2, "userspace"},                     // its governor file leads outside the policy
  };
  for (const Refusal& r : refusals) {
    EXPECT_FALSE(cpu.SetGovernor(r.policy, r.governor)) << r.policy << " " << r.governor;
  }
  EXPECT_EQ(fs.Read(kPolicy0 + "scaling_governor"), "ondemand");
  EXPECT_EQ(fs.Read("decoy"), "untouched");

  ASSERT_TRUE(cpu.SetGovernor(0, "userspace"));
  EXPECT_EQ(cpu.Policies().at(0).governor, "userspace");
  ASSERT_TRUE(cpu.SetGovernor(0, "ondemand"));
  EXPECT_EQ(fs.Read(kPolicy0 + "scaling_governor"), "ondemand");

  helper.Child().Signal(SIGTERM);
  ASSERT_EQ(helper.Child().WaitForExit(30s), 0);
  const std::string errors = helper.Child().Errors();
  EXPECT_NE(errors.find("does not offer the governor turbo"), std::string::npos) << errors;
  EXPECT_NE(errors.find("policy1 lists no governors"), std::string::npos) << errors;
}

}  // namespace
}  // namespace pacetta::testing
