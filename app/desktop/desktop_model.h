#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "app/addins/pro_features.h"
#include "app/advanced/advanced_settings.h"
#include "app/battery/battery_monitor.h"
#include "app/desktop/monitor_history.h"
#include "app/desktop/processor_identity.h"
#include "app/desktop/profile_os.h"
#include "app/desktop/tray_values.h"
#include "app/lifecycle/start_calibration.h"
#include "app/settings/app_settings.h"
#include "app/strings/installed_languages.h"
#include "app/strings/string_table.h"
#include "app/updates/update_service.h"
#include "cpu/cpu_info.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/profile_store.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// What the Settings page edits. The initial values are its "Defaults", apart from the
// language, which "Defaults" takes from a fresh start's settings.
struct InterfaceSettings {
  int32_t resourceLocaleId = 0;
  int32_t showInfoBalloons = 0;
  int32_t showCriticalBalloons = 1;
  int32_t alwaysOnTop = 0;
  int32_t taskbarButton = 1;
  int32_t tempUnits = 0;
  ColorSettings colors;
  int32_t runMinimized = 0;
  int32_t autoRun = 0;  // 0 off, 1 the desktop's autostart entry, 2 a session service
  LoggingSettings logging;

  bool operator==(const InterfaceSettings&) const = default;
};

// The languages the Settings page offers besides the built-in texts: the user's and the
// system's default language (and whether a module shows the program in it) and the
// language modules installed beside the program.
struct LanguageOffer {
  uint32_t userDefault = 1033;
  bool userDefaultAvailable = true;
  uint32_t systemDefault = 1033;
  bool systemDefaultAvailable = true;
  std::vector<LanguageChoice> installed;
};

// What the desktop's window and pages see of the running program, and the operations
// their buttons ask of it, each carried out in the order the program specifies (the
// engine's values exchanged while its threads run, management activated again). Called
// on the loop's thread only. No Qt here: the running program implements it.
class DesktopModel {
 public:
  virtual ~DesktopModel() = default;

  // What the pages show.
  virtual const StringTable& Strings() const = 0;
  virtual std::span<const CpuInfo> Processors() const = 0;
  virtual ControlAbilities Abilities() const = 0;
  // The settings as loaded and applied so far (the pages edit their own copies).
  virtual const AppSettings& Settings() const = 0;
  // The management values a fresh install starts with on this machine (the Management
  // page's "Defaults").
  virtual ManagementSettings DefaultManagement() const = 0;
  // The idle helper can run here ("Run HLT command when OS is idle").
  virtual bool IdleHelperAvailable() const = 0;
  // The events module is loaded: custom profiles may be added and renamed.
  virtual bool ProFeaturesLoaded() const = 0;
  // The selection in use and the profile it activates now.
  virtual ProfileSelection SelectionInUse() const = 0;
  virtual int32_t CurrentProfile() const = 0;
  virtual bool OnBattery() const = 0;

  // The window's state, written with the other settings at the orderly end.
  virtual void SetWindowSettings(const WindowSettings& window) = 0;

  // The Management page's "Apply".
  virtual void ApplyManagement(const ManagementSettings& edited) = 0;
  // The Profiles page's "Apply": the table (`rangeChanged`: its row count changed, so
  // every profile's state choices are reset), "AutoAdjustVid", the selection in use and
  // the stored (start-up) one.
  virtual void ApplyProfiles(const PStateTable& table, bool rangeChanged, int32_t autoAdjustVid,
                             ProfileSelection current, ProfileSelection startup) = 0;
  // A profile page's "Apply": profile `index`'s CPU settings (both halves).
  virtual void ApplyProfile(int32_t index, const Profile& edited) = 0;
  // "New Profile", "Rename", "Delete": nullopt / false when refused.
  virtual std::optional<int32_t> AddProfile(const std::string& name) = 0;
  virtual bool RenameProfile(int32_t index, const std::string& name) = 0;
  virtual bool DeleteProfile(int32_t index) = 0;

  // The two "Defaults": the table the performance-state editor's gives, and profile
  // `index` with its CPU settings as a profile page's gives (both from the default
  // performance-state list, built once per run). `rangeChanged` is set when the default
  // table's row count differs from `editorLastIndex` + 1.
  virtual PStateTable DefaultTable(int32_t editorLastIndex, bool& rangeChanged) = 0;
  virtual Profile DefaultProfile(int32_t index, const Profile& edited,
                                 const PStateTable& table) = 0;

  // The tray: the values of the latest refresh, whether a temperature sensor can be
  // read, the tray's own settings (menu checks, icon modes) stored at once, and a
  // profile picked from its menus, which becomes the current one for the present power
  // source (false when refused).
  virtual TrayValues TrayNow() const = 0;
  virtual bool TemperatureReadable() const = 0;
  virtual void SetTraySettings(const TraySettings& tray) = 0;
  virtual bool SelectProfileForSource(int32_t index) = 0;
  // The tray came back after its host restarted and holds the icons again.
  virtual void TrayRestored() = 0;

  // The CPU information page: every processor's names and features (read from the
  // processors each time, so asked once), processor k's values of the latest refresh, and
  // "Save diagnostic info" into `path` (false when the file could not be written).
  virtual std::vector<ProcessorIdentity> ProcessorIdentities() = 0;
  virtual CpuSample ProcessorSample(uint32_t processor) const = 0;
  virtual bool SaveDiagnosticDump(const std::string& path) = 0;

  // The Settings page: the languages it offers, and its "Apply", which stores every value
  // and applies all but the language at once (the window's style is the page's to
  // change); the log, when on, is stopped and started again.
  virtual LanguageOffer Languages() const = 0;
  virtual void ApplyInterface(const InterfaceSettings& edited) = 0;

  // The Monitoring page: every processor's series since the start, fed at every refresh
  // whether or not the page is shown.
  virtual const MonitorHistory& Monitoring() const = 0;

  // The "Advanced CPU settings" page's family part (the page knows its family's type);
  // null where the processor has none.
  virtual AdvancedSettings* Advanced() const { return nullptr; }

  // The battery monitor the Battery info page, the device pages and the tray's battery
  // icon show; null where the program has none. The info page's "Apply" stores the
  // monitor's settings and the tray's battery rules, after which the derived values are
  // recomputed and the devices listed afresh.
  virtual BatteryMonitor* Battery() const { return nullptr; }
  virtual void ApplyBattery(const BatterySettings& /*battery*/, const TraySettings& /*tray*/) {}

  // The Profile page's OS settings tab: the system's schemes or plans, what it allows and
  // whether the program manages them this run. A profile page's "Apply" and "Defaults"
  // carry the profile's OS data under the same rules.
  virtual OsSettingsOffer OsSettings() const { return {}; }

  // The professional features page's events and actions; null while the events module is
  // not loaded. Whether the desktop tells the time since the user's last input (the "No
  // user input activity" events need it).
  virtual ProFeatures* ProFeaturesLists() const { return nullptr; }
  virtual bool IdleTimeAvailable() const { return false; }

  // The Updates page's side of the program; null while the updates module is not loaded.
  virtual UpdateService* Updates() const { return nullptr; }

  // Pages that changed a "(restart required)" setting ask for the restart.
  virtual void RequestRestart() = 0;
  // Refreshes the shown values at once (show window).
  virtual void ForceRefresh() = 0;
};

}  // namespace pacetta
