#include "tests/ui_pages/page_model.h"

#include "app/lifecycle/start_calibration.h"
#include "app/settings/fixed_profile_names.h"

namespace pacetta::ui::testing {
namespace {

SettingsMachine MachineOf(const CpuInfo& cpu, bool proFeatures, bool eist,
                          const DefaultList* defaults) {
  SettingsMachine machine{cpu};
  machine.proFeaturesLoaded = proFeatures;
  machine.eistEnabled = eist;
  machine.defaultList = defaults;
  return machine;
}

}  // namespace

PageModel::PageModel(const std::string& machine, bool proFeatures)
    : machine_(pacetta::testing::MachineOptions{.machine = machine}),
      defaults_(BuildDefaultList(machine_.Records().front(), {})),
      proFeatures_(proFeatures),
      eist_(EnhancedSpeedStepOn(machine_.Records().front(), machine_.Sensors(),
                                machine_.View().processors)),
      settings(MachineOf(machine_.Records().front(), proFeatures, eist_, &defaults_)) {
  const CpuInfo& cpu = Processor0();
  abilities_ = AbilitiesOf(cpu, eist_);
  settings.LoadFrom(nullptr, MachineOf(cpu, proFeatures, eist_, &defaults_),
                    FixedProfileNames(strings_));
  if (!abilities_.performanceStates) settings.profiles.ApplyTable(PStateTable{}, cpu, true);
}

ManagementSettings PageModel::DefaultManagement() const {
  return AppSettings(MachineOf(Processor0(), proFeatures_, eist_, &defaults_)).management;
}

void PageModel::ApplyManagement(const ManagementSettings& edited) {
  calls.push_back("ApplyManagement");
  settings.management = edited;
}

void PageModel::ApplyProfiles(const PStateTable& table, bool rangeChanged, int32_t autoAdjustVid,
                              ProfileSelection current, ProfileSelection startup) {
  calls.push_back(rangeChanged ? "ApplyProfiles(rangeChanged)" : "ApplyProfiles");
  settings.profiles.ApplyTable(table, Processor0(), rangeChanged);
  settings.management.autoAdjustVid = autoAdjustVid;
  inUse = current;
  settings.management.profileAc = startup.ac;
  settings.management.profileDc = startup.dc;
}

void PageModel::ApplyProfile(int32_t index, const Profile& edited) {
  calls.push_back("ApplyProfile(" + std::to_string(index) + ")");
  Profile* profile = settings.profiles.At(index);
  profile->ac = edited.ac;
  profile->dc = edited.dc;
  settings.profiles.Validate(index, Processor0());
}

std::optional<int32_t> PageModel::AddProfile(const std::string& name) {
  calls.push_back("AddProfile(" + name + ")");
  return settings.profiles.Add(name);
}

bool PageModel::RenameProfile(int32_t index, const std::string& name) {
  calls.push_back("RenameProfile(" + std::to_string(index) + ", " + name + ")");
  Profile* profile = settings.profiles.At(index);
  if (profile == nullptr) return false;
  SetName(*profile, name);
  return true;
}

bool PageModel::DeleteProfile(int32_t index) {
  calls.push_back("DeleteProfile(" + std::to_string(index) + ")");
  return settings.profiles.Delete(index);
}

PStateTable PageModel::DefaultTable(int32_t editorLastIndex, bool& rangeChanged) {
  return ApplyDefaultsToTable(Processor0(), defaults_, editorLastIndex, rangeChanged);
}

Profile PageModel::DefaultProfile(int32_t index, const Profile& edited, const PStateTable& table) {
  Profile profile = edited;
  ResetProfileDefaults(profile, index, table, Processor0(), defaults_, abilities_.performanceStates,
                       abilities_.clockModulation);
  return profile;
}

std::vector<ProcessorIdentity> PageModel::ProcessorIdentities() {
  DriverNamingHardware naming(machine_.Driver(), machine_.View().cpu,
                              machine_.Sensors().northbridge);
  return IdentifyForDisplay(machine_.Records(), machine_.View().processors, machine_.View().cpu,
                            naming);
}

void PageModel::ApplyInterface(const InterfaceSettings& edited) {
  calls.push_back("ApplyInterface");
  settings.window.resourceLocaleId = edited.resourceLocaleId;
  settings.window.alwaysOnTop = edited.alwaysOnTop;
  settings.window.taskbarButton = edited.taskbarButton;
  settings.window.runMinimized = edited.runMinimized;
  settings.window.autoRun = edited.autoRun;
  settings.tray.showInfoBalloons = edited.showInfoBalloons;
  settings.tray.showCriticalBalloons = edited.showCriticalBalloons;
  settings.tray.tempUnits = edited.tempUnits;
  settings.colors = edited.colors;
  settings.logging = edited.logging;
}

}  // namespace pacetta::ui::testing
