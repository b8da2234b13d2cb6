#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "cpu/cpu_info.h"
#include "cpu/pstate/pstate_settings.h"
#include "engine/profiles/default_list.h"
#include "engine/profiles/profile_store.h"
#include "platform/registry.h"

namespace pacetta {

// The version this program writes into "ProgramVersion": 2.3.5.0, one byte per part.
inline constexpr uint32_t kProgramVersion = 0x02030500;

// What the settings need to know about the machine before their defaults can be set.
struct SettingsMachine {
  const CpuInfo& processor0;
  // Processor 0 has a temperature sensor the program reads.
  bool hasTemperatureSensor = false;
  // Enhanced SpeedStep (or VIA PowerSaver) was found switched on in processor 0.
  bool eistEnabled = false;
  // A 32-bit process on a 64-bit system, where the idle helper cannot run.
  bool runsUnderEmulation = false;
  // The events module is loaded: room for 32 profiles instead of the 4 fixed ones.
  bool proFeaturesLoaded = false;
  // The operating system's major version, which decides the fresh profiles' OS data.
  uint32_t osMajorVersion = 6;
  // Called on a K8 once "AMDK8.PSTMethod" is known (stored or default), before the
  // stored performance states are checked: the method chooses every processor's FID
  // table, and with it the states those rows may hold. Empty: the records stay as they are.
  std::function<void(uint32_t pstMethod)> k8MethodLoaded = nullptr;
  // The default performance-state list of this run. With it, a load that finds no stored
  // profile gives profiles 1 to 3 (and a table not stored either) what their "Defaults"
  // give; null: they keep the empty defaults.
  const DefaultList* defaultList = nullptr;
};

// What the save needs to know about the run.
struct SettingsSaveContext {
  const CpuInfo& processor0;
  // Performance states can be controlled or the clock modulated: only then are the
  // profiles, the table and the management values written.
  bool managementAllowed = false;
};

// What a load found.
struct SettingsLoadReport {
  bool keyFound = false;
  bool versionKnown = false;      // the general values were read
  bool processorMatches = false;  // the processor-dependent values could be read
  ProfileLoadReport profiles;
  // The settings file was damaged and set aside: the text to show the user, once.
  std::optional<std::string> damageNotice;
};

struct IntervalSettings {
  int32_t refreshMs = 1000;
  int32_t controlMs = 100;
  int32_t loadAverageMs = 100;
  int32_t cpuTempAverageMs = 5000;
  int32_t mgmtStartDelayS = 0;
  int32_t noRealtimePriority = 0;

  bool operator==(const IntervalSettings&) const = default;
};

struct ManagementSettings {
  int32_t cpuLoadMethod = 2;
  int32_t cpuOsLoadSelect = 0;
  int32_t transitionsMethod = 1;
  int32_t suspendAction = 0;
  int32_t defaultsOnExit = 1;
  int32_t defaultsOnDisable = 1;
  int32_t defaultsMode = 1;
  int32_t defaultFid = 0;
  int32_t defaultVid = 0;
  int32_t autoAdjustVid = 1;
  // The stored selection; the one in use is AppSettings::currentProfileAc/Dc.
  int32_t profileAc = 0;
  int32_t profileDc = 0;
  int32_t runHltOnIdle = 0;
  int32_t manageOsPowerSettings = 1;
  int32_t overheatAlert = 1;

  bool operator==(const ManagementSettings&) const = default;
};

struct LoggingSettings {
  int32_t enableLogging = 0;
  int32_t loggingFlags = 0;
  int32_t maxLoggingPeriodS = 86400;

  bool operator==(const LoggingSettings&) const = default;
};

struct TraySettings {
  int32_t showInfoBalloons = 0;
  int32_t showCriticalBalloons = 1;
  int32_t showPerfLevel = 1;
  int32_t showFreqInTray = 1;
  int32_t freqIconMode = 0;
  int32_t freqIconUnits = 1;
  int32_t showLoadInTray = 1;
  int32_t loadIconMode = 2;
  int32_t loadIconType = 0;
  int32_t showTempInTray = 0;
  int32_t tempUnits = 0;
  int32_t showBatteryDischarging = 1;
  int32_t showBatteryCharging = 1;
  int32_t showBatteryOnAc = 0;
  int32_t batteryIconModeCharging = 1;
  int32_t batteryIconModeDischarging = 0;
  int32_t leftClickMenu = 0;

  bool operator==(const TraySettings&) const = default;
};

struct BatterySettings {
  int32_t hideWindowsPowerIcon = 0;
  int32_t devNotifyEnable = 1;
  int32_t pollEnable = 1;
  int32_t pollIntervalMs = 10000;
  int32_t estimationAverageMs = 30000;
  int32_t chargeRateForceEstimate = 0;
  int32_t lifeTimeForceEstimate = 0;

  bool operator==(const BatterySettings&) const = default;
};

struct WindowSettings {
  // 1024, "User default": a fresh start speaks the desktop's language.
  int32_t resourceLocaleId = 1024;
  int32_t hideMonitoring = 0;
  int32_t alwaysOnTop = 0;
  int32_t taskbarButton = 1;
  int32_t autoRun = 0;
  int32_t runMinimized = 0;
  int32_t left = 0;
  int32_t top = 0;
  int32_t collapsed = 0;
  int32_t activePage = 0;

  bool operator==(const WindowSettings&) const = default;
};

// COLORREF values, 0x00BBGGRR.
struct ColorSettings {
  uint32_t graphBackground = 0x000000;
  uint32_t graphGrid = 0x004000;
  uint32_t frequencyGraph = 0x0000FF;
  uint32_t throttleGraph = 0xFF00FF;
  uint32_t cpuLoadGraph = 0x00FF00;
  uint32_t osLoadGraph = 0xFFFF00;
  uint32_t fidGraph = 0x00FFFF;
  uint32_t vidGraph = 0xFFFFFF;
  uint32_t temperatureGraph = 0x0000FF;
  uint32_t frequencyIconText = 0x80FFFF;
  uint32_t temperatureIconText = 0x80FFFF;
  uint32_t batteryIconText = 0x80FFFF;

  bool operator==(const ColorSettings&) const = default;
};

// AMD K7 and K8 values shared by both families; on Intel and VIA the VID delay doubles
// as "IntelPMP4.FidVidDelay".
struct AmdK7K8Settings {
  int32_t stopGrantTimeoutCount = 2000;
  int32_t fidDelayUs = 80;
  int32_t vidDelayUs = 100;

  bool operator==(const AmdK7K8Settings&) const = default;
};

struct AmdK8Settings {
  int32_t pstMethod = 0;
  int32_t rampVoltageOffsetMv = 50;
  int32_t tscSyncEnable = 0;
  int32_t tscSyncSource = 0;
  int32_t tscSyncIntervalMs = 10000;
  int32_t pmm0 = 0;
  int32_t pmm1 = 0;
  int32_t clockPowerTimings = 0;
  int32_t altVid = 0;
  int32_t vsTimeUs = 0;

  bool operator==(const AmdK8Settings&) const = default;
};

struct AmdK7Settings {
  int32_t haltDivisor = 0;
  int32_t stopGrantDivisor = 0;
  int32_t fullRamp = 0;
  int32_t rampDelays = 0;
  int32_t apicDisconnect = 0;

  bool operator==(const AmdK7Settings&) const = default;
};

struct IntelSettings {
  int32_t eist = 0;
  int32_t thermalMonitor = 1;
  int32_t tm2Fid = -1;
  int32_t tm2Vid = -1;
  int32_t cStateEnh = 0;
  int32_t ida = 1;
  int32_t dffs = 1;

  bool operator==(const IntelSettings&) const = default;
};

// The ICH chipset values, in the order of kCentrinoSettingNames.
inline constexpr size_t kCentrinoSettingCount = 17;
extern const std::array<const char*, kCentrinoSettingCount> kCentrinoSettingNames;

struct TransmetaSettings {
  int32_t minBoundAc = 0;
  int32_t minBoundDc = 0;
  int32_t maxBoundAc = 100;
  int32_t maxBoundDc = 100;
  int32_t perfModeAc = 1;
  int32_t perfModeDc = 1;
  int32_t atmModeAc = 0;
  int32_t atmModeDc = 0;

  bool operator==(const TransmetaSettings&) const = default;
};

struct FamilySettings {
  AmdK7K8Settings k7k8;
  AmdK8Settings k8;
  AmdK7Settings k7;
  IntelSettings intel;
  std::array<int32_t, kCentrinoSettingCount> centrino{};
  TransmetaSettings transmeta;

  bool operator==(const FamilySettings&) const = default;
};

// Values worked out from the stored ones at the end of a load.
struct DerivedSettings {
  int32_t loadDepth = 1;         // samples in the management load average, 1..63
  int32_t temperatureDepth = 5;  // samples in the temperature average, 1..63
  int32_t mgmtStartDelayMs = 0;
  // "AMDK8.PSTMethod" as loaded: a change during the run empties the saved table.
  int32_t k8PstMethodAtLoad = 0;

  bool operator==(const DerivedSettings&) const = default;
};

// Every persisted setting of the program, in the program's settings key. The constructor
// sets the defaults for the machine; Load runs once at start, Save once at orderly exit.
struct AppSettings {
  explicit AppSettings(const SettingsMachine& machine);

  // Reads what the stamps allow, clamps, and derives the run-time values. Whatever is
  // missing, damaged or not to be trusted keeps its default. `fixedProfileNames` are the
  // four fixed profiles' names in the language in use.
  SettingsLoadReport Load(platform::Registry& registry, const SettingsMachine& machine,
                          std::span<const std::string> fixedProfileNames);
  // The same from an open key; null = no key stored.
  SettingsLoadReport LoadFrom(platform::RegistryKey* key, const SettingsMachine& machine,
                              std::span<const std::string> fixedProfileNames);
  // Writes every stored value and flushes; false when the key could not be opened or a
  // write or the flush failed (the program ignores this).
  bool Save(platform::Registry& registry, const SettingsSaveContext& context);

  IntervalSettings intervals;
  ManagementSettings management;
  LoggingSettings logging;
  TraySettings tray;
  BatterySettings battery;
  WindowSettings window;
  ColorSettings colors;
  FamilySettings family;
  int32_t rememberAdvanced = 0;
  int32_t skipCpuidCheck = 0;  // read, never written
  // The performance-state table and the profiles.
  ProfileStore profiles;

  DerivedSettings derived;
  // The profile selection in use; starts from the stored one and is never written.
  int32_t currentProfileAc = 0;
  int32_t currentProfileDc = 0;

  // The values the performance-state transitions read.
  PStateSettings TransitionSettings() const;
  // After custom profile `index` was removed from the store: the stored AC and battery
  // selection follow it as the one in use does (later indices move down, the removed
  // one becomes 0), so the next start does not select a wrong profile or none.
  void ForgetDeletedProfile(int32_t index);
};

}  // namespace pacetta
