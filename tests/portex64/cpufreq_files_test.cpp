// The frequency policy writes of the helper: what it refuses, and what it writes.
#include "tools/portex64/cpufreq_files.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/platform_linux_kernel_cpu/fake_sysfs.h"

namespace pacetta::testing {
namespace {

const std::string kPolicy0 = FakeSysfs::PolicyFolder(0) + "/";
const std::string kNoTurbo = "sys/devices/system/cpu/intel_pstate/no_turbo";

// An intel_pstate policy: hardware 800..3600 MHz, limits 800..3000 MHz, and a file
// outside the policy that a planted link could point at.
void BuildPolicy(const FakeSysfs& fs) {
  fs.Policy(0, {0, 1},
            {{"scaling_driver", "intel_pstate"},
             {"cpuinfo_min_freq", "800000"},
             {"cpuinfo_max_freq", "3600000"},
             {"scaling_min_freq", "800000"},
             {"scaling_max_freq", "3000000"},
             {"energy_performance_preference", "balance_performance"},
             {"energy_performance_available_preferences",
              "default performance balance_performance balance_power power"}});
  fs.Write(kNoTurbo, "0");
  fs.Write("decoy", "untouched");
}

struct RefusalCase {
  const char* name;
  std::function<void(const FakeSysfs&)> prepare;
  std::function<std::string(portex::CpufreqFiles&)> request;
};

const RefusalCase kRefusals[] = {
    {"a policy that does not exist",
     {},
     [](portex::CpufreqFiles& f) { return f.SetLimits(7, 800000, 3000000); }},
    {"min below the hardware minimum",
     {},
     [](portex::CpufreqFiles& f) { return f.SetLimits(0, 799999, 3000000); }},
    {"max above the hardware maximum",
     {},
     [](portex::CpufreqFiles& f) { return f.SetLimits(0, 800000, 3600001); }},
    {"min above max", {}, [](portex::CpufreqFiles& f) { return f.SetLimits(0, 2000000, 1900000); }},
    {"a preference the policy does not offer",
     {},
     [](portex::CpufreqFiles& f) { return f.SetEnergyPreference(0, "turbo"); }},
    {"a preference that is only part of an offered one",
     {},
     [](portex::CpufreqFiles& f) { return f.SetEnergyPreference(0, "balance"); }},
    {"an empty (or unprintable) preference",
     {},
     [](portex::CpufreqFiles& f) { return f.SetEnergyPreference(0, ""); }},
    {"a preference for a policy that does not exist",
     {},
     [](portex::CpufreqFiles& f) { return f.SetEnergyPreference(3, "power"); }},
    {"boost neither 0 nor 1", {}, [](portex::CpufreqFiles& f) { return f.SetBoost(2); }},
    {"a limit file that is a link elsewhere",
     [](const FakeSysfs& fs) {
       std::filesystem::remove(fs.Path(kPolicy0 + "scaling_max_freq"));
       fs.Link(kPolicy0 + "scaling_max_freq", "../../../../../../decoy");
     },
     [](portex::CpufreqFiles& f) { return f.SetLimits(0, 1000000, 2000000); }},
    {"a preference file that is a link elsewhere",
     [](const FakeSysfs& fs) {
       std::filesystem::remove(fs.Path(kPolicy0 + "energy_performance_preference"));
       fs.Link(kPolicy0 + "energy_performance_preference", "../../../../../../decoy");
     },
     [](portex::CpufreqFiles& f) { return f.SetEnergyPreference(0, "power"); }},
    {"a policy folder that is a link to a real policy",
     [](const FakeSysfs& fs) { fs.Link(FakeSysfs::PolicyFolder(4), "policy0"); },
     [](portex::CpufreqFiles& f) { return f.SetLimits(4, 1000000, 2000000); }},
    {"a boost switch that is a link elsewhere",
     [](const FakeSysfs& fs) {
       std::filesystem::remove(fs.Path(kNoTurbo));
       fs.Link(kNoTurbo, "../../../../../decoy");
     },
     [](portex::CpufreqFiles& f) { return f.SetBoost(1); }},
};

TEST(CpufreqFilesTest, RefusesAndLeavesEveryFileAsItWas) {
  for (const RefusalCase& c : kRefusals) {
    SCOPED_TRACE(c.name);
    FakeSysfs fs;
    BuildPolicy(fs);
    if (c.prepare) c.prepare(fs);
    portex::CpufreqFiles files(fs.Root());
    EXPECT_NE(c.request(files), "");
    EXPECT_EQ(fs.Read(kPolicy0 + "scaling_min_freq"), "800000");
    if (!std::filesystem::is_symlink(fs.Path(kPolicy0 + "scaling_max_freq"))) {
      EXPECT_EQ(fs.Read(kPolicy0 + "scaling_max_freq"), "3000000");
    }
    EXPECT_EQ(fs.Read("decoy"), "untouched");
  }
}

TEST(CpufreqFilesTest, WritesCheckedValues) {
  FakeSysfs fs;
  BuildPolicy(fs);
  portex::CpufreqFiles files(fs.Root());
  // Above the present ceiling (the ceiling goes first), then below it, then the
  // hardware limits themselves.
  for (auto [min, max] : {std::pair{3200000u, 3600000u},
                          {900000u, 1200000u},
                          {800000u, 3600000u},
                          {2000000u, 2000000u}}) {
    ASSERT_EQ(files.SetLimits(0, min, max), "");
    EXPECT_EQ(fs.Read(kPolicy0 + "scaling_min_freq"), std::to_string(min));
    EXPECT_EQ(fs.Read(kPolicy0 + "scaling_max_freq"), std::to_string(max));
  }
  ASSERT_EQ(files.SetEnergyPreference(0, "balance_power"), "");
  EXPECT_EQ(fs.Read(kPolicy0 + "energy_performance_preference"), "balance_power");
  // intel_pstate: boost is the inverse of no_turbo; cpufreq/boost wins where it exists.
  ASSERT_EQ(files.SetBoost(0), "");
  EXPECT_EQ(fs.Read(kNoTurbo), "1");
  fs.Write("sys/devices/system/cpu/cpufreq/boost", "0");
  ASSERT_EQ(files.SetBoost(1), "");
  EXPECT_EQ(fs.Read("sys/devices/system/cpu/cpufreq/boost"), "1");
  EXPECT_EQ(fs.Read(kNoTurbo), "1");
}

TEST(CpufreqFilesTest, PaddedTextIsPrintableAsciiThenOnlyNuls) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {std::string("power") + std::string(19, '\0'), "power"},
      {std::string(24, 'a'), std::string(24, 'a')},
      {std::string(24, '\0'), ""},
      {std::string("pow\x01r") + std::string(19, '\0'), ""},
      {std::string("power\0x", 7) + std::string(17, '\0'), ""},
      {std::string("po wer") + std::string(18, '\0'), ""},
      {std::string("power\n") + std::string(18, '\0'), ""},
      {std::string("caf\xC3\xA9") + std::string(19, '\0'), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(portex::CpufreqFiles::PaddedText(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                               c.bytes.size()),
              c.text);
  }
}

}  // namespace
}  // namespace pacetta::testing
