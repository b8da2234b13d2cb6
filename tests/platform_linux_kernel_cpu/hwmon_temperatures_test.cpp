// Processor temperatures from the hardware-monitoring drivers, mapped to processors.
#include "platform/linux/kernel_cpu/hwmon_temperatures.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "tests/platform_linux_kernel_cpu/fake_sysfs.h"

namespace pacetta::testing {
namespace {

std::string Describe(const platform::CpuTemperature& t) {
  std::ostringstream text;
  text << t.driver << " " << t.label << " " << t.celsius << " :";
  for (uint32_t cpu : t.cpus) text << " " << cpu;
  return text.str();
}

// Processors `first`.. of `package`, `threads` per core, numbered core after core per
// thread as the kernel numbers siblings: thread t of core c is first + t * cores + c.
void Package(const FakeSysfs& fs, unsigned package, unsigned first, unsigned cores,
             unsigned threads, unsigned coreBase = 0) {
  for (unsigned t = 0; t < threads; ++t) {
    for (unsigned c = 0; c < cores; ++c) fs.Topology(first + t * cores + c, package, coreBase + c);
  }
}

struct MachineCase {
  const char* name;
  std::function<void(const FakeSysfs&)> build;
  std::vector<std::string> expected;
};

const MachineCase kMachines[] = {
    {"coretemp, two packages: cores by core id within the device's package",
     [](const FakeSysfs& fs) {
       // Package 0: cpus 0-3 (cores 0, 4, two threads each); package 1: cpus 4-7.
       for (unsigned package : {0u, 1u}) {
         const unsigned first = package * 4;
         fs.Topology(first, package, 0);
         fs.Topology(first + 1, package, 4);
         fs.Topology(first + 2, package, 0);
         fs.Topology(first + 3, package, 4);
       }
       fs.Hwmon(0, "acpitz", "", {{"", 27800}});
       fs.Hwmon(1, "coretemp", "coretemp.0",
                {{"Package id 0", 52000}, {"Core 0", 50000}, {"Core 4", 48500}});
       // Named by its device alone: an older kernel without the package sensor.
       fs.Hwmon(2, "coretemp", "coretemp.1", {{"Core 0", 41000}, {"Core 4", 43000}});
       fs.Hwmon(3, "nvme", "nvme0", {{"Composite", 38850}});
     },
     {"coretemp Package id 0 52 : 0 1 2 3", "coretemp Core 0 50 : 0 2",
      "coretemp Core 4 48.5 : 1 3", "coretemp Core 0 41 : 4 6", "coretemp Core 4 43 : 5 7"}},
    {"k10temp, one package: Tctl and every Tccd stand for all processors",
     [](const FakeSysfs& fs) {
       Package(fs, 0, 0, 2, 2);
       fs.Hwmon(0, "k10temp", "0000:00:18.3",
                {{"Tctl", 61250}, {"Tccd1", 55000}, {"Tccd2", -1000}});
     },
     {"k10temp Tctl 61.25 : 0 1 2 3", "k10temp Tccd1 55 : 0 1 2 3", "k10temp Tccd2 -1 : 0 1 2 3"}},
    {"k10temp, two sockets: the northbridge slot names the package",
     [](const FakeSysfs& fs) {
       Package(fs, 0, 0, 2, 1);
       Package(fs, 1, 2, 2, 1);
       fs.Hwmon(4, "k10temp", "0000:00:19.3", {{"Tctl", 70000}});
       fs.Hwmon(5, "k10temp", "0000:00:18.3", {{"Tctl", 60000}});
     },
     {"k10temp Tctl 70 : 2 3", "k10temp Tctl 60 : 0 1"}},
    {"unlabelled k8temp, a VIA core sensor and a board's CPU zone",
     [](const FakeSysfs& fs) {
       Package(fs, 0, 0, 2, 1);
       fs.Hwmon(0, "k8temp", "0000:00:18.3", {{"", 45000}});
       fs.Hwmon(1, "via_cputemp", "via_cputemp.1", {{"Core 1", 39000}});
       fs.Hwmon(2, "cpu_thermal", "", {{"", 44500}});
     },
     {"k8temp temp1 45 : 0 1", "via_cputemp Core 1 39 : 1", "cpu_thermal temp1 44.5 : 0 1"}},
};

TEST(HwmonTemperaturesTest, EachMachineMapsItsSensorsToProcessors) {
  for (const MachineCase& c : kMachines) {
    SCOPED_TRACE(c.name);
    FakeSysfs fs;
    c.build(fs);
    std::vector<std::string> got;
    for (const auto& t : linux_os::ReadCpuTemperatures(linux_os::SysfsRoot(fs.Root()))) {
      got.push_back(Describe(t));
    }
    EXPECT_EQ(got, c.expected);
  }
}

TEST(HwmonTemperaturesTest, ProcessorDriverNames) {
  for (const char* name : {"coretemp", "k10temp", "zenpower", "k8temp", "via_cputemp",
                           "cpu_thermal", "cpu0_thermal", "cpu_little_thermal"}) {
    EXPECT_TRUE(linux_os::IsCpuHwmon(name)) << name;
  }
  for (const char* name :
       {"acpitz", "nvme", "amdgpu", "gpu_thermal", "cpu", "_thermal", "cpu_thermalx"}) {
    EXPECT_FALSE(linux_os::IsCpuHwmon(name)) << name;
  }
}

}  // namespace
}  // namespace pacetta::testing
