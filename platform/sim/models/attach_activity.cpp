#include "platform/sim/models/attach_activity.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "platform/sim/machine/k8_northbridge.h"
#include "platform/sim/models/bit_field.h"
#include "platform/sim/models/counter_registers.h"
#include "platform/sim/models/family_model.h"
#include "platform/sim/models/intel_power_on.h"
#include "platform/sim/models/modern_counters.h"
#include "platform/sim/models/thermal_registers.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kFirstNodeDevice = 0x18;
constexpr uint32_t kMiscControlFunction = 3;

bool IsIntelThermal(const ProcessorTraits& traits) {
  const bool amd = traits.family == ModelFamily::kAmdK7 || traits.family == ModelFamily::kAmdK8;
  return traits.family != ModelFamily::kNone && !amd && traits.clockModulation;
}

// Each K8 node's northbridge shows the temperature of the cores it carries.
void AttachK8Sensors(const MachineSpec& machine, DriverHardware& hardware,
                     std::span<const std::shared_ptr<ProcessorActivity>> activities) {
  std::map<uint32_t, std::vector<std::pair<uint32_t, std::shared_ptr<ProcessorActivity>>>> nodes;
  std::map<uint32_t, bool> revisionF;
  for (size_t k = 0; k < machine.processors.size() && k < activities.size(); ++k) {
    const ProcessorSpec& processor = machine.processors[k];
    const ProcessorTraits traits = ClassifyProcessor(processor.leaves);
    if (traits.family != ModelFamily::kAmdK8 || !traits.thermalSensor || !activities[k]) continue;
    const uint32_t node = K8NodeOf(processor);
    nodes[node].emplace_back(processor.apicId, activities[k]);
    revisionF[node] = traits.k8Npt;
  }
  for (auto& [node, cores] : nodes) {
    std::sort(cores.begin(), cores.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::shared_ptr<ProcessorActivity>> ordered;
    for (const auto& core : cores) ordered.push_back(core.second);
    const uint32_t devfn = (kFirstNodeDevice + node) * 8 + kMiscControlFunction;
    hardware.Pci().AttachRegister(
        0, devfn, K8ThermtripRegister::kOffset,
        std::make_shared<K8ThermtripRegister>(std::move(ordered), revisionF[node]));
  }
}

}  // namespace

std::optional<double> ThermalLimitC(const ProcessorSpec& processor) {
  const ProcessorTraits traits = ClassifyProcessor(processor.leaves);
  if (!IsIntelThermal(traits)) return std::nullopt;
  if (traits.family == ModelFamily::kCore2) {
    const bool junction85 = PowerOnDataFor(traits).junction85;
    const uint64_t pmConfig =
        StartValue(processor.msrStart, intel::kPmConfig, junction85 ? intel::kJunction85 : 0);
    if ((pmConfig & intel::kJunction85) != 0) return 85.0;
  }
  return 100.0;
}

void AttachActivityRegisters(const MachineSpec& machine, DriverHardware& hardware,
                             std::span<const std::shared_ptr<ProcessorActivity>> activities) {
  for (unsigned k = 0; k < machine.processors.size() && k < activities.size(); ++k) {
    MsrBank* bank = hardware.Bank(k);
    if (bank == nullptr || activities[k] == nullptr) continue;
    const ProcessorSpec& processor = machine.processors[k];
    const ProcessorTraits traits = ClassifyProcessor(processor.leaves);
    auto counters = std::make_shared<CounterRegisters>(traits.family, activities[k]);
    bank->SetPerformanceCounterBase(counters->CounterBase());
    bank->AddHandler(std::move(counters));
    if (const auto limit = ThermalLimitC(processor)) {
      bank->AddHandler(
          std::make_shared<IntelThermalRegisters>(activities[k], traits.thermalSensor, *limit));
    }
  }
  AttachK8Sensors(machine, hardware, activities);
  std::vector<uint32_t> apicIds;
  std::vector<ModelFamily> families;
  for (const ProcessorSpec& processor : machine.processors) {
    apicIds.push_back(processor.apicId);
    families.push_back(ClassifyProcessor(processor.leaves).family);
  }
  AttachModernCounters(apicIds, families, activities,
                       [&hardware](unsigned k) { return hardware.Bank(k); });
}

}  // namespace pacetta::sim
