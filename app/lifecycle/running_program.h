#pragma once
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "app/addins/engine_host_window.h"
#include "app/addins/pro_features.h"
#include "app/application.h"
#include "app/desktop/desktop_model.h"
#include "app/lifecycle/front_end.h"
#include "app/lifecycle/governor_takeover.h"
#include "app/lifecycle/lifecycle_options.h"
#include "app/lifecycle/main_window.h"
#include "app/lifecycle/start_calibration.h"
#include "app/lifecycle/window_program.h"
#include "app/settings/app_settings.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/idle/idle_helpers.h"
#include "engine/log/monitoring_log.h"
#include "engine/management/performance_manager.h"
#include "engine/management/sampler_load_source.h"
#include "engine/monitor/sampler.h"
#include "engine/profiles/default_list.h"
#include "platform/power.h"

namespace pacetta {

// The running program behind the main window: brings the engine up in its order, acts on
// the window's timer and messages and on the system's power notices, and takes it all
// down in order at the end.
class RunningProgram final : public WindowProgram,
                             public DesktopModel,
                             private RefreshObserver,
                             private platform::PowerListener {
 public:
  RunningProgram(Application& application, MainWindow& window, FrontEnd& frontEnd,
                 LifecycleOptions options);
  ~RunningProgram() override;
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // The main window's initialisation. False when the engine could not be brought up
  // (a thread could not be created); the program must not run then.
  bool Initialise();

  // WindowProgram.
  void OnPosted(const platform::WindowMessage& message) override;
  int64_t OnSent(const platform::WindowMessage& message) override;
  void OnRefreshTimer() override;
  void Shutdown() override;

  // DesktopModel: what the pages show and the operations they ask
  // (running_program_desktop.cpp).
  const StringTable& Strings() const override;
  std::span<const CpuInfo> Processors() const override;
  ControlAbilities Abilities() const override;
  const AppSettings& Settings() const override { return settings_; }
  ManagementSettings DefaultManagement() const override;
  bool IdleHelperAvailable() const override;
  bool ProFeaturesLoaded() const override;
  ProfileSelection SelectionInUse() const override;
  int32_t CurrentProfile() const override;
  bool OnBattery() const override;
  void SetWindowSettings(const WindowSettings& window) override;
  void ApplyManagement(const ManagementSettings& edited) override;
  void ApplyProfiles(const PStateTable& table, bool rangeChanged, int32_t autoAdjustVid,
                     ProfileSelection current, ProfileSelection startup) override;
  void ApplyProfile(int32_t index, const Profile& edited) override;
  std::optional<int32_t> AddProfile(const std::string& name) override;
  bool RenameProfile(int32_t index, const std::string& name) override;
  PStateTable DefaultTable(int32_t editorLastIndex, bool& rangeChanged) override;
  Profile DefaultProfile(int32_t index, const Profile& edited, const PStateTable& table) override;
  OsSettingsOffer OsSettings() const override;
  // The events engine's request 0x050A: the active OS scheme's identifier into `buffer`.
  int64_t AnswerSchemeRequest(std::span<uint8_t, 16> buffer);
  void RequestRestart() override;
  void ForceRefresh() override;
  // The tray's part of the model (running_program_tray.cpp).
  TrayValues TrayNow() const override;
  bool TemperatureReadable() const override;
  void SetTraySettings(const TraySettings& tray) override;
  bool SelectProfileForSource(int32_t index) override;
  void TrayRestored() override;
  // The CPU information page's part (running_program_cpuinfo.cpp).
  std::vector<ProcessorIdentity> ProcessorIdentities() override;
  CpuSample ProcessorSample(uint32_t processor) const override;
  bool SaveDiagnosticDump(const std::string& path) override;
  // The Settings page's part (running_program_settings.cpp).
  LanguageOffer Languages() const override;
  void ApplyInterface(const InterfaceSettings& edited) override;
  // The Monitoring page's part (running_program_monitoring.cpp).
  const MonitorHistory& Monitoring() const override { return monitoring_; }
  AdvancedSettings* Advanced() const override { return advanced_.get(); }
  // The battery monitor's part (running_program_battery.cpp).
  BatteryMonitor* Battery() const override { return battery_.get(); }
  void ApplyBattery(const BatterySettings& battery, const TraySettings& tray) override;
  // The events module's part (running_program_events.cpp).
  ProFeatures* ProFeaturesLists() const override;
  bool IdleTimeAvailable() const override;
  // The updates module's part (running_program_updates.cpp).
  UpdateService* Updates() const override { return updates_.get(); }

  // The default performance-state list, built once per run at the settings load.
  const DefaultList& DefaultStates() const { return defaultList_; }
  // Deletes custom profile `index` (the profiles page): the management threads are held
  // while it goes, the selections in use and stored follow, and the profile of the
  // current power source is activated. False for a fixed or unknown profile.
  bool DeleteProfile(int32_t index) override;

 private:
  // RefreshObserver.
  void ShowWarningBalloon(const Balloon& balloon) override;
  void WriteLogRecord() override;
  void SuperviseIdleHelpers() override;
  void UpdateViews(bool redraw) override;
  // PowerListener, on a platform thread.
  void OnPowerNotice(platform::PowerNotice notice) override;

  void LoadSettings();
  std::string ProgramFolder() const;
  std::string DefaultLogFolder() const;
  // The updates' side, when the updates module is loaded: started at the window's start
  // (with the start-up check when due), stored at shutdown after a running operation ended.
  void StartUpdates();
  void EndUpdates();
  // The events module's lists and engines, when the module is loaded: started after the
  // settings, evaluated on the timer, on showing the window and around standby, ended
  // and stored at shutdown.
  void StartProFeatures();
  int64_t AnswerEngineRequest(uint32_t message, uint64_t wParam, int64_t lParam);
  void EvaluateEvents();
  void EndProFeatures();
  // The system's power schemes at start: the list, and the program's own scheme when
  // "ManageOsPowerSettings" is on; profiles without OS values take the current ones.
  void StartOsPowerPolicy();
  // A profile became current: its OS scheme, when it names one and the setting is on.
  void ActivateOsScheme(int32_t index);
  // Names, once, every other manager of the kernel's frequency policies.
  void NameCompetingManagers();
  // The kernel's governors of the processors steered by their registers go to
  // `userspace`; false (said why) when they cannot.
  bool TakeOverGovernors();
  // A stored custom defaults pair the processor does not offer is never written to it:
  // the pair found at start-up takes its place.
  void KeepDefaultPairOffered();
  // The sampler's settings: the loaded ones as the pages changed them, with the idle
  // helpers as they were started.
  SamplerSettings SamplerSettingsNow() const;
  void ClearStaleOverheat();
  void StartEngine();
  void Refresh(RefreshFlags flags);
  bool SetProfile(uint32_t wParam, int32_t lParam);
  void PowerStatusChange();
  void Suspend();
  void Resume();
  int32_t AcLineStatus();
  PowerSource Source() const;
  // The general notification of `event` when information balloons are on.
  void InfoBalloon(uint32_t event);
  // The general notification: the event in the title, the profile and power source below.
  void Notify(uint32_t event);
  void ShowBalloon(uint32_t title, uint32_t text, BalloonKind kind);
  void LogHaltNotice(const std::optional<LogHalted>& halted);
  std::string ProfileName(int32_t index) const;
  // Start at logon (running_program_settings.cpp): after the load, a way the user
  // switched off in the desktop's settings counts as off; right before the save, the
  // entries are made to follow "AutoRun".
  void FollowAutostartSwitchedOff();
  void SaveAutostart();

  Application& application_;
  MainWindow& window_;
  FrontEnd& frontEnd_;
  platform::Platform& platform_;
  LifecycleOptions options_;
  SensorHardware sensors_;
  SettingsMachine machine_;  // read from the processor once, for the load and the defaults
  DefaultList defaultList_;
  AppSettings settings_;
  ControlAbilities abilities_;
  Calibration calibration_;
  // Before the engine: what it holds goes back after the engine's threads have ended.
  GovernorTakeover governors_{platform_.kernelCpu};
  std::optional<platform::PowerStatus> power_;
  int32_t powerEvent_ = 0;
  // "RunHltOnIdle" as loaded: the idle helpers run (a change takes effect at a restart).
  bool idleHelpersStarted_ = false;
  // "ManageOsPowerSettings" as loaded (a change takes effect at a restart).
  bool manageOsPower_ = false;
  bool logging_ = false;
  bool shutDown_ = false;
  // The Settings page applied a way of starting at logon during this run.
  bool autostartChosen_ = false;

  // The advanced page's registers: written at start with "RememberAdvanced", again after
  // every change of power source and resume, and by the page's "Apply".
  std::unique_ptr<AdvancedSettings> advanced_;
  std::unique_ptr<IdleHelpers> idleHelpers_;
  std::unique_ptr<MonitoringLog> log_;
  std::unique_ptr<Sampler> sampler_;
  std::unique_ptr<management::SamplerLoadSource> loads_;
  std::unique_ptr<management::PerformanceManager> manager_;
  // The Monitoring page's series: FeedMonitoring adds each refresh's new samples.
  void FeedMonitoring();
  MonitorHistory monitoring_;
  // Built at the window's start; a battery's arrival or removal reaches the loop here.
  void StartBatteryMonitor();
  void OnBatteryDevicesChanged();
  std::unique_ptr<BatteryMonitor> battery_;
  std::unique_ptr<EngineHostWindow> engineWindow_;
  std::unique_ptr<ProFeatures> proFeatures_;
  // Lines and answers on the console; the desktop's page takes over when it is built.
  std::unique_ptr<UpdateViewer> consoleUpdates_;
  std::unique_ptr<UpdateService> updates_;
  // Last: no notice arrives once the rest begins to go.
  std::unique_ptr<platform::PowerSubscription> powerNotices_;
};

}  // namespace pacetta
