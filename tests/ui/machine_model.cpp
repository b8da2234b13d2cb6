#include "tests/ui/machine_model.h"

#include "app/lifecycle/start_calibration.h"
#include "app/settings/fixed_profile_names.h"

namespace pacetta::ui::testing {
namespace {

SettingsMachine MachineOf(const CpuInfo& cpu, bool proFeatures) {
  SettingsMachine machine{cpu};
  machine.proFeaturesLoaded = proFeatures;
  return machine;
}

}  // namespace

MachineModel::MachineModel(const std::string& machine, bool proFeatures)
    : machine_(pacetta::testing::MachineOptions{.machine = machine}),
      proFeatures_(proFeatures),
      settings(MachineOf(machine_.Records().front(), proFeatures)) {
  const CpuInfo& cpu = machine_.Records().front();
  abilities_ =
      AbilitiesOf(cpu, EnhancedSpeedStepOn(cpu, machine_.Sensors(), machine_.View().processors));
  // As a first start loads: nothing stored; without control the table stays empty.
  settings.LoadFrom(nullptr, MachineOf(cpu, proFeatures), FixedProfileNames(strings_));
  if (!abilities_.performanceStates) settings.profiles.ApplyTable(PStateTable{}, cpu, true);
}

std::vector<ProcessorIdentity> MachineModel::ProcessorIdentities() {
  DriverNamingHardware naming(machine_.Driver(), machine_.View().cpu,
                              machine_.Sensors().northbridge);
  return IdentifyForDisplay(machine_.Records(), machine_.View().processors, machine_.View().cpu,
                            naming);
}

}  // namespace pacetta::ui::testing
