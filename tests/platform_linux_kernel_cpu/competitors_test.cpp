// Other frequency managers, found from /proc, TLP's run folder and the governors.
#include "platform/linux/kernel_cpu/competitors.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/platform_linux_kernel_cpu/fake_sysfs.h"

namespace pacetta::testing {
namespace {

platform::FrequencyPolicy Governed(const char* driver, const char* governor, bool epp = false) {
  platform::FrequencyPolicy policy;
  policy.driver = driver;
  policy.governor = governor;
  if (epp) policy.energyPreferences = {"default", "performance", "power"};
  return policy;
}

struct CompetitorCase {
  const char* name;
  std::function<void(const FakeSysfs&)> build;
  std::vector<platform::FrequencyPolicy> policies;
  std::vector<std::string> expected;
};

const CompetitorCase kCases[] = {
    {"quiet machine: thermald, a default intel_pstate governor and schedutil elsewhere",
     [](const FakeSysfs& fs) {
       fs.Process(1, "systemd", "/sbin/init");
       fs.Process(612, "thermald", "/usr/sbin/thermald --systemd");
       // An editor on a file of that name is no daemon.
       fs.Process(900, "vim", "vim /usr/bin/auto-cpufreq");
       fs.Folder("run/user/1000");
     },
     {Governed("intel_pstate", "powersave", true), Governed("acpi-cpufreq", "schedutil"),
      Governed("amd-pstate", "ondemand"), Governed("intel_pstate", "performance", false)},
     {}},
    {"daemons by their kernel names, cut to 15 characters, and by the script Python runs",
     [](const FakeSysfs& fs) {
       fs.Process(700, "power-profiles-", "/usr/libexec/power-profiles-daemon");
       fs.Process(701, "python3", "/usr/bin/python3 /usr/local/bin/auto-cpufreq --daemon");
       fs.Process(702, "tuned-ppd", "/usr/bin/python3 -Es /usr/sbin/tuned-ppd");
     },
     {},
     {"power-profiles-daemon", "tuned-ppd", "auto-cpufreq"}},
    {"TLP has run and is enabled; governors that pin or hand over the clock, once each",
     [](const FakeSysfs& fs) {
       fs.Folder("run/tlp");
       fs.Write("etc/tlp.conf", "# TLP_ENABLE=0\nTLP_ENABLE=1");
     },
     {Governed("acpi-cpufreq", "performance"), Governed("acpi-cpufreq", "performance"),
      Governed("intel_cpufreq", "userspace"), Governed("amd-pstate-epp", "performance", true),
      Governed("acpi-cpufreq", "powersave")},
     {"TLP", "governor performance", "governor userspace", "governor powersave"}},
    {"TLP switched off in its configuration",
     [](const FakeSysfs& fs) {
       fs.Folder("run/tlp");
       fs.Write("etc/tlp.conf", "TLP_ENABLE=\"0\"");
     },
     {},
     {}},
};

TEST(CompetitorsTest, EachMachineReportsItsCompetitorsWithAdvice) {
  for (const CompetitorCase& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeSysfs fs;
    c.build(fs);
    std::vector<std::string> names;
    for (const auto& found :
         linux_os::FindCompetitors(linux_os::SysfsRoot(fs.Root()), c.policies)) {
      names.push_back(found.name);
      EXPECT_NE(found.advice.find("sudo"), std::string::npos) << found.name << ": " << found.advice;
    }
    EXPECT_EQ(names, c.expected);
  }
}

}  // namespace
}  // namespace pacetta::testing
