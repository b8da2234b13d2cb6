#include "platform/sim/catalogue/modern_machines.h"

#include <initializer_list>

#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {
namespace {

void Keep(MachineSpec& machine, std::initializer_list<unsigned> kept) {
  std::vector<ProcessorSpec> processors;
  for (unsigned k : kept) {
    if (k < machine.processors.size()) processors.push_back(machine.processors[k]);
  }
  machine.processors = std::move(processors);
}

}  // namespace

void KeepZenLaptopProcessors(MachineSpec& machine) {
  Keep(machine, {0, 1, 2, 3});
}

void KeepHybridLaptopProcessors(MachineSpec& machine) {
  // The dump lists the six performance cores' twelve threads first, then the
  // efficiency cores.
  std::vector<unsigned> performance, efficiency;
  for (unsigned k = 0; k < machine.processors.size(); ++k) {
    auto& list =
        ClassifyProcessor(machine.processors[k].leaves).efficiencyCore ? efficiency : performance;
    list.push_back(k);
  }
  if (performance.size() < 2 || efficiency.size() < 2) return;
  Keep(machine, {performance[0], performance[1], efficiency[0], efficiency[1]});
}

}  // namespace pacetta::sim
