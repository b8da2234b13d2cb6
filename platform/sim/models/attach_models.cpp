#include "platform/sim/models/attach_models.h"

#include "platform/sim/models/intel_perf_model.h"
#include "platform/sim/models/k7_model.h"
#include "platform/sim/models/k8_model.h"
#include "platform/sim/models/k8_power_management.h"
#include "platform/sim/models/longrun_model.h"
#include "platform/sim/models/modern_model.h"

namespace pacetta::sim {

FamilyModel* ProcessorModels::Model(unsigned processor) const {
  return processor < models_.size() ? models_[processor].get() : nullptr;
}

std::optional<ModelState> ProcessorModels::State(unsigned processor) const {
  FamilyModel* model = Model(processor);
  if (model == nullptr) return std::nullopt;
  return model->State();
}

std::shared_ptr<FamilyModel> CreateFamilyModel(const ProcessorSpec& processor, ClockNs clockNs) {
  const ProcessorTraits traits = ClassifyProcessor(processor.leaves);
  if (traits.family == ModelFamily::kNone) return nullptr;
  const PowerOnData data = PowerOnDataFor(traits);
  switch (traits.family) {
    case ModelFamily::kAmdK8:
      return std::make_shared<K8Model>(traits, data, processor.msrStart, std::move(clockNs));
    case ModelFamily::kAmdK7:
      return std::make_shared<K7Model>(traits, data, processor.msrStart, std::move(clockNs));
    case ModelFamily::kTransmeta:
      return std::make_shared<LongRunModel>(Tm5800Levels(), processor.msrStart, std::move(clockNs));
    case ModelFamily::kAmdZen:
    case ModelFamily::kIntelHwp:
      return std::make_shared<ModernModel>(traits, processor.msrStart, std::move(clockNs));
    default:
      return std::make_shared<IntelPerfModel>(traits, data, processor.msrStart, std::move(clockNs));
  }
}

ProcessorModels AttachProcessorModels(const MachineSpec& machine, DriverHardware& hardware,
                                      ClockNs clockNs) {
  std::vector<std::shared_ptr<FamilyModel>> models;
  for (unsigned k = 0; k < machine.processors.size(); ++k) {
    MsrBank* bank = hardware.Bank(k);
    auto model = bank != nullptr ? CreateFamilyModel(machine.processors[k], clockNs) : nullptr;
    if (model) {
      bank->WithStorage([&](MsrStorage& storage) {
        for (uint32_t index : model->AnsweredRegisters()) storage.Remove(index);
      });
      bank->AddHandler(model);
    }
    models.push_back(std::move(model));
  }
  AttachK8PowerManagement(machine, hardware, models);
  AttachLongRunAtm(machine, hardware, models);
  return ProcessorModels(std::move(models));
}

}  // namespace pacetta::sim
