#pragma once
#include <cstdint>
#include <functional>

#include "cpu/pstate/pstate_settings.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/management/decision.h"
#include "platform/priorities.h"
#include "platform/processors.h"

namespace pacetta::management {

// "SuspendAction".
inline constexpr int32_t kSuspendKeepProfile = 0;
inline constexpr int32_t kSuspendPowerSaving = 1;
inline constexpr int32_t kSuspendMaximalPerformance = 2;

// "DefaultsMode": which FID/VID pair restoring defaults writes.
inline constexpr int32_t kDefaultsProcessorDefined = 0;  // the processor's highest state
inline constexpr int32_t kDefaultsFoundAtStart = 1;
inline constexpr int32_t kDefaultsCustom = 2;

// Texts of the balloons the engine asks for.
inline constexpr uint32_t kStrPowerSourceChanged = 10032;
inline constexpr uint32_t kStrEnteringSuspend = 10033;
inline constexpr uint32_t kStrSwitchingToPowerSaving = 10025;
inline constexpr uint32_t kStrSwitchingToMaximalPerformance = 10026;

// The profile index while defaults are being restored (the defaults profile, never stored).
inline constexpr int32_t kDefaultsProfileIndex = 32;

// The stored settings management reads, as loaded (already clamped).
struct ManagementSettings {
  int32_t controlIntervalMs = 100;
  int32_t startDelayMs = 0;  // "MgmtStartDelay" x 1000
  int32_t noRealtimePriority = 0;
  int32_t transitionsMethod = kMultiStep;
  int32_t cpuLoadMethod = 2;
  int32_t suspendAction = kSuspendKeepProfile;
  int32_t defaultsOnExit = 1;
  int32_t defaultsOnDisable = 1;
  int32_t defaultsMode = kDefaultsFoundAtStart;
  int32_t defaultFid = 0;
  int32_t defaultVid = 0;
  int32_t showInfoBalloons = 0;
  // Stop-grant count, FID and VID delays ("IntelPMP4.FidVidDelay" as the VID delay on
  // Intel), K8 transition method and ramp offset.
  PStateSettings pstate;
  // Calibration: bus clock in MHz and time-stamp cycles per busy-loop pass.
  double busClockMhz = 0.0;
  double cyclesPerPass = 0.0;
};

// What the engine reaches the processors and the scheduler through.
struct ManagementHardware {
  SensorHardware sensors;
  platform::Processors& processors;
  // Null: priorities stay as they are.
  platform::Priorities* priorities = nullptr;
};

// What a management thread did in one control period.
struct PeriodReport {
  uint32_t generation = 0;  // of the publication the period used
  ListPositions positions;  // applied
  int32_t load = -1;        // combined load decided on; -1 on a secondary
  bool changed = false;     // a transition or throttle write was issued
};

// Calls out of the engine; each may be empty.
struct ManagementHooks {
  // An information balloon (title and text string numbers); asked only with
  // "ShowInfoBalloons" on.
  std::function<void(uint32_t title, uint32_t text)> infoBalloon;
  // The general notification of an event (its string number): the event with the profile
  // and power source in use. Asked only with "ShowInfoBalloons" on.
  std::function<void(uint32_t event)> notification;
  // A profile became current (operating-system power scheme, tray icon).
  std::function<void(int32_t index)> profileActivated;
  // The sampler's last measured clock of processor k in MHz, for a FID without a
  // multiplier.
  std::function<double(unsigned k)> lastClockMhz;
  // Runs on processor k's management thread at the end of each period.
  std::function<void(unsigned k, const PeriodReport& report)> periodEnded;
};

}  // namespace pacetta::management
