#pragma once
// The pages' model on a simulated machine as a first start leaves it (nothing stored), with
// the operations done on its own settings and every call recorded in order. The engine
// behind the real operations is tested on the running program.
#include <string>
#include <vector>

#include "app/desktop/desktop_model.h"
#include "engine/profiles/default_list.h"
#include "testing/identified_machine.h"

namespace pacetta::ui::testing {

class PageModel final : public DesktopModel {
  // First: everything below is read from it.
  pacetta::testing::IdentifiedMachine machine_;
  StringTable strings_;
  ControlAbilities abilities_;
  DefaultList defaults_;
  bool proFeatures_;
  bool eist_;  // enhanced SpeedStep found switched on

 public:
  // `machine`: a catalogue name or a machine file.
  PageModel(const std::string& machine, bool proFeatures);

  const StringTable& Strings() const override { return strings_; }
  std::span<const CpuInfo> Processors() const override { return machine_.Records(); }
  ControlAbilities Abilities() const override { return abilities_; }
  const AppSettings& Settings() const override { return settings; }
  ManagementSettings DefaultManagement() const override;
  bool IdleHelperAvailable() const override { return true; }
  bool ProFeaturesLoaded() const override { return proFeatures_; }
  ProfileSelection SelectionInUse() const override { return inUse; }
  int32_t CurrentProfile() const override { return inUse.ac; }
  bool OnBattery() const override { return false; }
  void SetWindowSettings(const WindowSettings& window) override { settings.window = window; }
  void ApplyManagement(const ManagementSettings& edited) override;
  void ApplyProfiles(const PStateTable& table, bool rangeChanged, int32_t autoAdjustVid,
                     ProfileSelection current, ProfileSelection startup) override;
  void ApplyProfile(int32_t index, const Profile& edited) override;
  std::optional<int32_t> AddProfile(const std::string& name) override;
  bool RenameProfile(int32_t index, const std::string& name) override;
  bool DeleteProfile(int32_t index) override;
  PStateTable DefaultTable(int32_t editorLastIndex, bool& rangeChanged) override;
  Profile DefaultProfile(int32_t index, const Profile& edited, const PStateTable& table) override;
  void RequestRestart() override { calls.push_back("RequestRestart"); }
  void ForceRefresh() override {}
  TrayValues TrayNow() const override { return {}; }
  void TrayRestored() override {}
  bool TemperatureReadable() const override { return true; }
  void SetTraySettings(const TraySettings& edited) override { settings.tray = edited; }
  bool SelectProfileForSource(int32_t) override { return false; }
  // The CPU information page: the processors named as the program names them, no values
  // measured; a dump asked for is recorded and fails.
  std::vector<ProcessorIdentity> ProcessorIdentities() override;
  CpuSample ProcessorSample(uint32_t) const override { return {}; }
  bool SaveDiagnosticDump(const std::string& path) override {
    calls.push_back("SaveDiagnosticDump(" + path + ")");
    return false;
  }
  // The Monitoring page: the series a test adds.
  const MonitorHistory& Monitoring() const override { return monitoring; }
  // The advanced page: the family settings a test hands in (none by default).
  AdvancedSettings* Advanced() const override { return advanced; }
  // The battery pages: the monitor a test hands in (none by default); "Apply" stores the
  // values and is recorded.
  BatteryMonitor* Battery() const override { return battery; }
  void ApplyBattery(const BatterySettings& edited, const TraySettings& tray) override {
    settings.battery = edited;
    settings.tray = tray;
    calls.push_back("ApplyBattery");
  }

  // The professional features page: the lists a test hands in (none by default, so no
  // page) and whether the desktop tells the idle time.
  ProFeatures* ProFeaturesLists() const override { return proLists; }
  bool IdleTimeAvailable() const override { return idleTimeAvailable; }

  // The Settings page: the languages a test offers; "Apply" stores the values.
  LanguageOffer Languages() const override { return languages; }
  void ApplyInterface(const InterfaceSettings& edited) override;

  const CpuInfo& Processor0() const { return machine_.Records().front(); }

  AppSettings settings;
  ProfileSelection inUse;
  // "ApplyProfiles(rangeChanged)", "ApplyProfile(3)", ...: what the pages asked, in order.
  std::vector<std::string> calls;
  LanguageOffer languages;
  MonitorHistory monitoring;
  AdvancedSettings* advanced = nullptr;
  BatteryMonitor* battery = nullptr;
  ProFeatures* proLists = nullptr;
  bool idleTimeAvailable = true;
};

}  // namespace pacetta::ui::testing
