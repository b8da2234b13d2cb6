// The kernel's frequency policies as each driver lays them out.
#include "platform/linux/kernel_cpu/cpufreq_policies.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "tests/platform_linux_kernel_cpu/fake_sysfs.h"

namespace pacetta::testing {
namespace {

std::string Join(const std::vector<uint32_t>& numbers) {
  std::ostringstream text;
  for (uint32_t n : numbers) text << (text.tellp() > 0 ? "," : "") << n;
  return text.str();
}

std::string Describe(const platform::FrequencyPolicy& p) {
  std::ostringstream text;
  text << "policy" << p.id << " cpus " << Join(p.cpus) << " " << p.driver << "/" << p.governor
       << " hw " << p.hardwareMinKhz << ".." << p.hardwareMaxKhz << " limits " << p.minKhz << ".."
       << p.maxKhz << " base " << p.baseKhz << " steps " << Join(p.stepsKhz) << " boost "
       << (p.boost ? (*p.boost ? "on" : "off") : "none") << " epp " << p.energyPreference << " [";
  for (const auto& e : p.energyPreferences) text << e << ";";
  return text.str() + "]";
}

struct DriverCase {
  const char* name;
  std::function<void(const FakeSysfs&)> build;
  std::vector<std::string> expected;
};

const std::string kEpp = "default performance balance_performance balance_power power";

const DriverCase kDrivers[] = {
    {"acpi-cpufreq: steps listed highest first, cpufreq/boost",
     [](const FakeSysfs& fs) {
       for (unsigned id : {0u, 1u}) {
         fs.Policy(id, {id},
                   {{"scaling_driver", "acpi-cpufreq"},
                    {"scaling_governor", "schedutil"},
                    {"cpuinfo_min_freq", "1400000"},
                    {"cpuinfo_max_freq", "3800000"},
                    {"scaling_min_freq", "1400000"},
                    {"scaling_max_freq", "3000000"},
                    {"scaling_available_frequencies", "3000000 2100000 1400000 "}});
       }
       fs.Write("sys/devices/system/cpu/cpufreq/boost", "1");
     },
     {"policy0 cpus 0 acpi-cpufreq/schedutil hw 1400000..3800000 limits 1400000..3000000 base 0 "
      "steps 1400000,2100000,3000000 boost on epp  []",
      "policy1 cpus 1 acpi-cpufreq/schedutil hw 1400000..3800000 limits 1400000..3000000 base 0 "
      "steps 1400000,2100000,3000000 boost on epp  []"}},
    {"intel_pstate hybrid: two policies of different max, no_turbo inverted",
     [](const FakeSysfs& fs) {
       fs.Policy(0, {0, 1},
                 {{"scaling_driver", "intel_pstate"},
                  {"scaling_governor", "powersave"},
                  {"cpuinfo_min_freq", "400000"},
                  {"cpuinfo_max_freq", "5000000"},
                  {"scaling_min_freq", "400000"},
                  {"scaling_max_freq", "5000000"},
                  {"base_frequency", "2300000"},
                  {"energy_performance_preference", "balance_performance"},
                  {"energy_performance_available_preferences", kEpp}});
       fs.Policy(2, {2},
                 {{"scaling_driver", "intel_pstate"},
                  {"scaling_governor", "powersave"},
                  {"cpuinfo_min_freq", "400000"},
                  {"cpuinfo_max_freq", "3800000"},
                  {"scaling_min_freq", "400000"},
                  {"scaling_max_freq", "3000000"},
                  {"base_frequency", "1700000"},
                  {"energy_performance_preference", "power"},
                  {"energy_performance_available_preferences", kEpp}});
       fs.Write("sys/devices/system/cpu/intel_pstate/no_turbo", "1");
     },
     {"policy0 cpus 0,1 intel_pstate/powersave hw 400000..5000000 limits 400000..5000000 base "
      "2300000 steps  boost off epp balance_performance "
      "[default;performance;balance_performance;balance_power;power;]",
      "policy2 cpus 2 intel_pstate/powersave hw 400000..3800000 limits 400000..3000000 base "
      "1700000 steps  boost off epp power "
      "[default;performance;balance_performance;balance_power;power;]"}},
    {"amd-pstate-epp: nominal clock as base, no boost switch, policy folder of an offline cpu",
     [](const FakeSysfs& fs) {
       fs.Policy(10, {10, 3},
                 {{"scaling_driver", "amd-pstate-epp"},
                  {"scaling_governor", "performance"},
                  {"cpuinfo_min_freq", "400000"},
                  {"cpuinfo_max_freq", "4672000"},
                  {"scaling_min_freq", "400000"},
                  {"scaling_max_freq", "4672000"},
                  {"amd_pstate_nominal_freq", "3000000"},
                  {"energy_performance_preference", "performance"},
                  {"energy_performance_available_preferences", kEpp}});
       // Its only processor is offline: the kernel keeps the folder with an empty list.
       fs.Write(FakeSysfs::PolicyFolder(11) + "/affected_cpus", "");
       fs.Write(FakeSysfs::PolicyFolder(11) + "/scaling_driver", "amd-pstate-epp");
     },
     {"policy10 cpus 3,10 amd-pstate-epp/performance hw 400000..4672000 limits 400000..4672000 "
      "base 3000000 steps  boost none epp performance "
      "[default;performance;balance_performance;balance_power;power;]"}},
};

TEST(CpufreqPoliciesTest, EachDriverReadsIntoItsPolicies) {
  for (const DriverCase& c : kDrivers) {
    SCOPED_TRACE(c.name);
    FakeSysfs fs;
    c.build(fs);
    std::vector<std::string> got;
    for (const auto& policy : linux_os::ReadPolicies(linux_os::SysfsRoot(fs.Root()))) {
      got.push_back(Describe(policy));
    }
    EXPECT_EQ(got, c.expected);
  }
}

TEST(CpufreqPoliciesTest, BoostPrefersTheCpufreqSwitchOverNoTurbo) {
  FakeSysfs fs;
  const linux_os::SysfsRoot root(fs.Root());
  EXPECT_EQ(linux_os::ReadBoost(root), std::nullopt);
  fs.Write("sys/devices/system/cpu/intel_pstate/no_turbo", "0");
  EXPECT_EQ(linux_os::ReadBoost(root), true);
  fs.Write("sys/devices/system/cpu/cpufreq/boost", "0");
  EXPECT_EQ(linux_os::ReadBoost(root), false);
}

TEST(CpufreqPoliciesTest, CurrentClockComesThroughEachProcessorsPolicyLink) {
  FakeSysfs fs;
  fs.Policy(0, {0, 1}, {{"scaling_driver", "acpi-cpufreq"}, {"scaling_cur_freq", "2100000"}});
  fs.Policy(2, {2}, {{"scaling_driver", "acpi-cpufreq"}, {"scaling_cur_freq", " 800000 "}});
  const linux_os::SysfsRoot root(fs.Root());
  EXPECT_EQ(linux_os::ReadCurrentKhz(root, 1), 2100000u);
  EXPECT_EQ(linux_os::ReadCurrentKhz(root, 2), 800000u);
  EXPECT_EQ(linux_os::ReadCurrentKhz(root, 3), std::nullopt);
  fs.Write(FakeSysfs::PolicyFolder(0) + "/scaling_cur_freq", "<unknown>");
  EXPECT_EQ(linux_os::ReadCurrentKhz(root, 0), std::nullopt);
}

}  // namespace
}  // namespace pacetta::testing
