#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/sim/driver/msr_bank.h"
#include "platform/sim/models/processor_activity.h"
#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {

// The energy a group of processors (a core, a package) has used since power-on.
class EnergyMeter {
 public:
  explicit EnergyMeter(std::vector<std::shared_ptr<ProcessorActivity>> members)
      : members_(std::move(members)) {}
  double Joules() const;

 private:
  std::vector<std::shared_ptr<ProcessorActivity>> members_;
};

// The counters of today's processors beside their performance-state registers:
//  - IA32_MPERF E7h counts at the time-stamp rate and IA32_APERF E8h at the actual clock,
//    both only while the processor is not halted; both are writable (SDM vol. 4).
//  - RAPL energy, read-only 32-bit counters that wrap: Intel MSR_RAPL_POWER_UNIT 606h
//    (energy unit 1/2^14 J in bits 12:8) and MSR_PKG_ENERGY_STATUS 611h; AMD family 17h
//    RAPL_PWR_UNIT C001_0299h (1/2^16 J), CORE_ENERGY_STAT C001_029Ah and
//    PKG_ENERGY_STAT C001_029Bh.
class ModernCounters final : public MsrHandler {
 public:
  ModernCounters(ModelFamily family, std::shared_ptr<ProcessorActivity> activity,
                 std::shared_ptr<const EnergyMeter> core,
                 std::shared_ptr<const EnergyMeter> package);

  MsrAccess Read(MsrContext& context, uint32_t index, uint64_t& value) override;
  MsrAccess Write(MsrContext& context, uint32_t index, uint64_t value) override;

 private:
  bool Intel() const { return family_ == ModelFamily::kIntelHwp; }
  unsigned EnergyUnitBits() const { return Intel() ? 14 : 16; }
  uint64_t EnergyCount(const EnergyMeter& meter) const;
  bool IsEnergyRegister(uint32_t index) const;

  const ModelFamily family_;
  const std::shared_ptr<ProcessorActivity> activity_;
  const std::shared_ptr<const EnergyMeter> core_, package_;
  uint64_t mperfOffset_ = 0, aperfOffset_ = 0;  // what writes set, against the counts
};

// Adds the counters to every processor of a today's family, with the energy meters of
// its core (threads with one APIC id but for the SMT bit) and its package.
void AttachModernCounters(const std::vector<uint32_t>& apicIds,
                          const std::vector<ModelFamily>& families,
                          std::span<const std::shared_ptr<ProcessorActivity>> activities,
                          const std::function<MsrBank*(unsigned)>& bank);

}  // namespace pacetta::sim
