#pragma once
#include "platform/cpu_instructions.h"
#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/attach_models.h"
#include "platform/sim/pc/sim_processors.h"
#include "platform/sim/workload/workload.h"

namespace pacetta::sim {

// CPUID answers of the simulated processor the calling thread runs on.
class SimCpuInstructions final : public platform::CpuInstructions {
 public:
  SimCpuInstructions(const MachineSpec& machine, SimProcessors& processors);
  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  // The counter of the processor the thread runs on, from the machine's workload; until
  // one is attached, the nominal 1 GHz of the host's monotonic clock on every processor.
  uint64_t ReadTimeStampCounter() override;
  // Counter reads come from the register banks of `hardware`, gated by each
  // processor's CR4.PCE; until attached, every read is refused.
  void AttachHardware(DriverHardware& hardware) { hardware_ = &hardware; }
  // A refused read is a protection fault on the real processor: it is logged as a
  // violation, since the program must enable user-mode reads first.
  std::optional<uint64_t> ReadPerformanceCounter(uint32_t counter) override;
  // The processor the thread runs on is fully busy for as long as the passes take at its
  // clock; until a workload is attached, a plain loop.
  void SpinDelay(uint32_t iterations) override;
  void AttachWorkload(Workload& workload) { workload_ = &workload; }
  // A leaf whose answer a processor's model makes (LongRun's present state) comes from it.
  void AttachModels(const ProcessorModels& models) { models_ = &models; }

 private:
  const MachineSpec& machine_;
  SimProcessors& processors_;
  DriverHardware* hardware_ = nullptr;
  Workload* workload_ = nullptr;
  const ProcessorModels* models_ = nullptr;
};

// What a processor answers for (leaf, sub-leaf): the stored leaf; leaves that take no
// sub-leaf ignore it; an Intel processor answers a standard leaf above its highest with
// the highest one, as the real parts do; anything else reads zeros.
platform::CpuidResult AnswerCpuid(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf);

}  // namespace pacetta::sim
