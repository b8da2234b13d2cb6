#pragma once
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel_cpu.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/attach_models.h"
#include "platform/sim/workload/processor_timeline.h"

namespace pacetta::sim {

class ModernModel;

// A frequency driver of the older kind (acpi-cpufreq) loaded on a machine whose processors
// the program steers by their registers: one policy per processor with a governor that
// would move the performance state behind the program. `--sim-cpufreq=GOVERNOR[:OFFERED]`
// loads it; OFFERED is a comma-separated list, by default the kernel's usual six.
struct SimCpufreqDriver {
  std::string governor;                // at boot; empty = no such driver loaded
  std::vector<std::string> governors;  // scaling_available_governors
  // The governors as the simulated kernel keeps them across program runs; empty = in memory.
  std::string stateFile;
};
// Parses the option; nullopt when malformed (the boot governor must be offered).
std::optional<SimCpufreqDriver> ParseSimCpufreq(const std::string& option);
// The driver of the policies above.
inline constexpr const char* kRegisterMachineDriver = "acpi-cpufreq";

// The simulated kernel's frequency driver and hardware monitors of a machine with
// today's processors: one cpufreq policy per processor, as amd-pstate-epp and
// intel_pstate create them, whose limits steer the processor's clock through its
// model. The limits behave as the kernel's behind the program's helper: a value outside
// the hardware's range or a maximum below the minimum is refused, and with boost off the
// maximum stays at the base clock while the asked maximum is kept for when boost returns.
// Machines of older families have no frequency driver (no policy and no temperature)
// unless `older` loads one; its policies have governors and no limits to steer.
class SimKernelCpu final : public platform::KernelCpu {
 public:
  // `truth`: processor k's clock and temperature, read past its registers.
  SimKernelCpu(const MachineSpec& machine, const ProcessorModels& models,
               std::function<std::optional<ProcessorTruth>(unsigned)> truth,
               const SimCpufreqDriver& older = {});

  std::vector<platform::FrequencyPolicy> Policies() override;
  std::optional<uint32_t> CurrentKhz(uint32_t cpu) override;
  std::vector<platform::CpuTemperature> Temperatures() override;
  std::vector<platform::FrequencyCompetitor> Competitors() override { return competitors_; }
  // Another frequency manager starts on the machine (a user installs one).
  void StartCompetitor(platform::FrequencyCompetitor competitor) {
    competitors_.push_back(std::move(competitor));
  }
  bool SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) override;
  bool SetEnergyPreference(uint32_t id, const std::string& preference) override;
  bool SetBoost(bool on) override;
  // Only a governor the policy offers; kept in the driver's state file.
  bool SetGovernor(uint32_t id, const std::string& governor) override;
  // The program's record lives beside the program, not in the kernel.
  std::vector<platform::TakenGovernor> TakenGovernors() override { return {}; }
  bool RecordTakenGovernors(const std::vector<platform::TakenGovernor>&) override { return false; }

 private:
  std::vector<platform::FrequencyCompetitor> competitors_;
  struct Policy {
    platform::FrequencyPolicy shown;  // maxKhz and boost filled in when shown
    uint32_t askedMaxKhz = 0;         // scaling_max_freq as written, before boost's cap
    ModernModel* model = nullptr;
    uint32_t coreId = 0;  // for the hardware monitor's per-core label
  };

  platform::FrequencyPolicy ShownLocked(const Policy& policy) const;
  void SteerLocked(const Policy& policy) const;
  Policy* FindLocked(uint32_t id);

  const std::function<std::optional<ProcessorTruth>(unsigned)> truth_;
  bool intel_ = false;
  std::string governorFile_;  // the older driver's governors across runs
  std::mutex mutex_;
  std::vector<Policy> policies_;
  bool boost_ = true;
};

}  // namespace pacetta::sim
