#pragma once
// What the window sees of a program running on a simulated machine, as it would be right
// after a start with no stored settings. Records what the window hands back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/desktop/desktop_model.h"
#include "testing/identified_machine.h"

namespace pacetta::ui::testing {

class MachineModel final : public DesktopModel {
  // First: everything below is read from it.
  pacetta::testing::IdentifiedMachine machine_;
  StringTable strings_;
  ControlAbilities abilities_;
  bool proFeatures_;

 public:
  // `machine`: a catalogue name or a machine file.
  explicit MachineModel(const std::string& machine, bool proFeatures = false);

  const StringTable& Strings() const override { return strings_; }
  std::span<const CpuInfo> Processors() const override { return machine_.Records(); }
  ControlAbilities Abilities() const override { return abilities_; }
  const AppSettings& Settings() const override { return settings; }
  ManagementSettings DefaultManagement() const override {
    Unexpected("DefaultManagement");
    return settings.management;
  }
  bool IdleHelperAvailable() const override { return false; }
  bool ProFeaturesLoaded() const override { return proFeatures_; }
  ProfileSelection SelectionInUse() const override {
    return {settings.currentProfileAc, settings.currentProfileDc};
  }
  int32_t CurrentProfile() const override { return settings.currentProfileAc; }
  bool OnBattery() const override { return false; }
  void SetWindowSettings(const WindowSettings& window) override {
    settings.window = window;
    storedWindows.push_back(window);
  }
  void ForceRefresh() override { ++forcedRefreshes; }
  // The battery monitor a test hands in (none by default).
  BatteryMonitor* Battery() const override { return battery; }

  // The window never asks these; the pages that do are tested on the running program.
  void ApplyManagement(const ManagementSettings&) override { Unexpected("ApplyManagement"); }
  void ApplyProfiles(const PStateTable&, bool, int32_t, ProfileSelection,
                     ProfileSelection) override {
    Unexpected("ApplyProfiles");
  }
  void ApplyProfile(int32_t, const Profile&) override { Unexpected("ApplyProfile"); }
  std::optional<int32_t> AddProfile(const std::string&) override {
    Unexpected("AddProfile");
    return std::nullopt;
  }
  bool RenameProfile(int32_t, const std::string&) override {
    Unexpected("RenameProfile");
    return false;
  }
  bool DeleteProfile(int32_t) override {
    Unexpected("DeleteProfile");
    return false;
  }
  PStateTable DefaultTable(int32_t, bool&) override {
    Unexpected("DefaultTable");
    return {};
  }
  Profile DefaultProfile(int32_t, const Profile& edited, const PStateTable&) override {
    Unexpected("DefaultProfile");
    return edited;
  }
  void RequestRestart() override { Unexpected("RequestRestart"); }
  TrayValues TrayNow() const override { return tray; }
  void TrayRestored() override { ++traysRestored; }
  bool TemperatureReadable() const override { return temperatureReadable; }
  void SetTraySettings(const TraySettings& edited) override { settings.tray = edited; }
  bool SelectProfileForSource(int32_t index) override {
    settings.currentProfileAc = index;
    return true;
  }
  // The CPU information page: the processors named as the program names them, the
  // samples a test gives (none: nothing measured yet).
  std::vector<ProcessorIdentity> ProcessorIdentities() override;
  CpuSample ProcessorSample(uint32_t processor) const override {
    return processor < samples.size() ? samples[processor] : CpuSample{};
  }
  bool SaveDiagnosticDump(const std::string&) override {
    Unexpected("SaveDiagnosticDump");
    return false;
  }
  // The Monitoring page: the series a test adds.
  const MonitorHistory& Monitoring() const override { return monitoring; }

  // The Settings page: only the built-in texts are offered.
  LanguageOffer Languages() const override { return {}; }
  void ApplyInterface(const InterfaceSettings&) override { Unexpected("ApplyInterface"); }

  // Open to the tests: what a start loaded, changed as a test needs before the window is
  // built.
  AppSettings settings;
  std::vector<WindowSettings> storedWindows;
  TrayValues tray;
  std::vector<CpuSample> samples;
  bool temperatureReadable = true;
  int forcedRefreshes = 0;
  BatteryMonitor* battery = nullptr;
  int traysRestored = 0;
  MonitorHistory monitoring;

 private:
  static void Unexpected(const char* what) { ADD_FAILURE() << what << " is not the window's"; }
};

}  // namespace pacetta::ui::testing
