#include "platform/sim/driver/driver_hardware.h"

#include "platform/sim/driver/register_trace.h"

namespace pacetta::sim {
namespace {

std::function<void(const Violation&)> ReportTo(RegisterTrace* trace) {
  if (trace == nullptr) return nullptr;
  return [trace](const Violation& violation) { trace->Note(violation); };
}

}  // namespace

DriverHardware::DriverHardware(const MachineSpec& machine, std::function<uint64_t()> clockNs,
                               std::shared_ptr<RegisterTrace> trace)
    : trace_(std::move(trace)),
      violations_(ReportTo(trace_.get())),
      pci_(machine.pciDevices),
      timer_(std::move(clockNs)),
      ports_(pci_, timer_),
      biosArea_(machine.biosArea),
      system64_(machine.system64),
      pce_(machine.processors.size(), false) {
  for (unsigned k = 0; k < machine.processors.size(); ++k) {
    banks_.push_back(std::make_unique<MsrBank>(k, machine.processors[k].msrStart, violations_));
  }
}

MsrBank* DriverHardware::Bank(unsigned processor) {
  return processor < banks_.size() ? banks_[processor].get() : nullptr;
}

bool DriverHardware::UserCountersEnabled(unsigned processor) const {
  std::lock_guard lock(pceMutex_);
  return processor < pce_.size() && pce_[processor];
}

void DriverHardware::SetUserCounters(unsigned processor, bool enabled) {
  std::lock_guard lock(pceMutex_);
  if (processor < pce_.size()) pce_[processor] = enabled;
}

}  // namespace pacetta::sim
