// The program's frequency policy writes through the real helper, end to end.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>

#include "platform/linux/helper_device.h"
#include "platform/linux/kernel_cpu/linux_kernel_cpu.h"
#include "tests/platform_linux_kernel_cpu/fake_sysfs.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

TEST(CpufreqHelperTest, LinuxKernelCpuWritesThroughTheHelperWhichLogsRefusals) {
  FakeSysfs fs;
  fs.Policy(2, {2, 3},
            {{"scaling_driver", "amd-pstate-epp"},
             {"cpuinfo_min_freq", "400000"},
             {"cpuinfo_max_freq", "4672000"},
             {"scaling_min_freq", "400000"},
             {"scaling_max_freq", "4672000"},
             {"energy_performance_preference", "performance"},
             {"energy_performance_available_preferences",
              "default performance balance_performance balance_power power"}});
  fs.Write("sys/devices/system/cpu/cpufreq/boost", "1");
  FakeTree tree;
  HelperProcess helper(tree, {"--sys-root=" + fs.Root()});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  linux_os::HelperConfig config;
  config.socketPath = tree.SocketPath();
  linux_os::HelperDeviceIo io(config);
  linux_os::LinuxKernelCpu cpu(linux_os::SysfsRoot(fs.Root()), io, "\\\\.\\Portex64");

  EXPECT_TRUE(cpu.SetLimits(2, 1200000, 3000000));
  EXPECT_TRUE(cpu.SetEnergyPreference(2, "balance_power"));
  EXPECT_TRUE(cpu.SetBoost(false));
  const auto policy = cpu.Policies().at(0);
  EXPECT_EQ(policy.minKhz, 1200000u);
  EXPECT_EQ(policy.maxKhz, 3000000u);
  EXPECT_EQ(policy.energyPreference, "balance_power");
  EXPECT_EQ(policy.boost, false);

  EXPECT_FALSE(cpu.SetLimits(2, 300000, 3000000));
  EXPECT_FALSE(cpu.SetEnergyPreference(2, "turbo"));
  EXPECT_FALSE(cpu.SetLimits(5, 1200000, 3000000));
  EXPECT_EQ(cpu.Policies().at(0).minKhz, 1200000u);

  helper.Child().Signal(SIGTERM);
  ASSERT_EQ(helper.Child().WaitForExit(30s), 0);
  const std::string errors = helper.Child().Errors();
  EXPECT_NE(errors.find("refused a frequency request of user"), std::string::npos) << errors;
  EXPECT_NE(errors.find("does not offer the energy preference turbo"), std::string::npos);
  EXPECT_NE(errors.find("no frequency policy5"), std::string::npos);
}

}  // namespace
}  // namespace pacetta::testing
