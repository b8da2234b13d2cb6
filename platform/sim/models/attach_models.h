#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/family_model.h"

namespace pacetta::sim {

// The register models of a machine's processors, one per processor whose family has one.
class ProcessorModels {
 public:
  ProcessorModels() = default;
  explicit ProcessorModels(std::vector<std::shared_ptr<FamilyModel>> models)
      : models_(std::move(models)) {}

  // Null for a processor without a model (or one the machine does not have).
  FamilyModel* Model(unsigned processor) const;
  // The hardware's true state now, without going through registers.
  std::optional<ModelState> State(unsigned processor) const;

 private:
  std::vector<std::shared_ptr<FamilyModel>> models_;
};

// The model of one processor, chosen by its CPUID vendor, family and model, with the
// power-on values of its published data or family rule, each register overridden by the
// processor's `msrStart` value where it gives one. Null for a family without a model.
std::shared_ptr<FamilyModel> CreateFamilyModel(const ProcessorSpec& processor, ClockNs clockNs);

// Plugs a model into the register bank of every processor of `hardware` (the machine it
// was built from): the models answer their registers before the bank's storage, which
// forgets its own copies of them. Call once, before the machine runs.
ProcessorModels AttachProcessorModels(const MachineSpec& machine, DriverHardware& hardware,
                                      ClockNs clockNs);

}  // namespace pacetta::sim
