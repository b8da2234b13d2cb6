#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/driver_service.h"
#include "platform/kernel_cpu.h"
#include "platform/linux/kernel_cpu/governor_record.h"
#include "platform/linux/kernel_cpu/helper_policy_writes.h"
#include "platform/linux/kernel_cpu/sysfs_root.h"

namespace pacetta::linux_os {

// The kernel's frequency policies, processor temperatures and competing frequency
// managers, read from sysfs and /proc under a root. The writes go as driver requests to
// the device at `devicePath` (the Portex64 helper), which checks and performs them: the
// program itself runs without the right to write the policy files.
class LinuxKernelCpu final : public platform::KernelCpu {
 public:
  // `recordPath`: the file of the governors switched by this program.
  LinuxKernelCpu(SysfsRoot root, platform::DeviceIo& deviceIo, std::string devicePath,
                 std::string recordPath = MachineGovernorRecordPath());

  std::vector<platform::FrequencyPolicy> Policies() override;
  std::optional<uint32_t> CurrentKhz(uint32_t cpu) override;
  std::vector<platform::CpuTemperature> Temperatures() override;
  // Found once, at the first call: a daemon started later is not noticed, and the
  // governors are judged as they were then.
  std::vector<platform::FrequencyCompetitor> Competitors() override;

  bool SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) override;
  bool SetEnergyPreference(uint32_t id, const std::string& preference) override;
  bool SetBoost(bool on) override;
  bool SetGovernor(uint32_t id, const std::string& governor) override;
  std::vector<platform::TakenGovernor> TakenGovernors() override { return record_.Read(); }
  bool RecordTakenGovernors(const std::vector<platform::TakenGovernor>& taken) override {
    return record_.Write(taken);
  }

 private:
  SysfsRoot root_;
  HelperPolicyWrites writes_;
  GovernorRecord record_;
  std::mutex mutex_;
  std::optional<std::vector<platform::FrequencyCompetitor>> competitors_;
};

// The real machine's: sysfs at "/", writes through `deviceIo`'s device `devicePath`.
std::unique_ptr<platform::KernelCpu> MakeLinuxKernelCpu(platform::DeviceIo& deviceIo,
                                                        const std::string& devicePath);

}  // namespace pacetta::linux_os
