#include "power/legacy_values.h"

namespace pacetta::power {
namespace {

using platform::kPowerActionHibernate;
using platform::kPowerActionSleep;
using platform::PowerAction;
using platform::PowerPolicy;
using platform::ProcessorPolicy;
using platform::ProcessorSourcePolicy;

// Offsets of the values in a profile's 480 bytes: AC at the offset, battery 4 later.
constexpr size_t kMonitorAt = 0;
constexpr size_t kDisksAt = 16;
constexpr size_t kStandbyAt = 32;
constexpr size_t kHibernateAt = 48;
constexpr size_t kLcdAt = 64;

uint32_t Word(const std::array<uint8_t, kOsPolicySize>& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t b = 0; b < 4; ++b) value |= static_cast<uint32_t>(bytes[at + b]) << (8 * b);
  return value;
}

void SetWord(std::array<uint8_t, kOsPolicySize>& bytes, size_t at, uint32_t value) {
  for (size_t b = 0; b < 4; ++b) bytes[at + b] = static_cast<uint8_t>(value >> (8 * b));
}

ProcessorSourcePolicy SourcePolicy(const uint8_t (&percents)[3][2]) {
  ProcessorSourcePolicy policy;
  policy.revision = 1;
  policy.dynamicThrottle = 0;
  policy.disableCStates = false;
  policy.policyCount = 3;
  for (size_t i = 0; i < 3; ++i) {
    policy.steps[i] = {100000, 100000, 100000, percents[i][0], percents[i][1], i != 0, i != 2};
  }
  return policy;
}

void ApplySleep(uint32_t standby, uint32_t hibernate, PowerAction& idle, uint32_t& idleTimeout,
                uint32_t& s4Timeout) {
  if (standby != 0) {
    idle.action = kPowerActionSleep;
    idleTimeout = standby;
    // A hibernation time-out not after the standby one cannot follow the sleep.
    s4Timeout = hibernate > standby ? hibernate - standby : 0;
  } else {
    idle.action = kPowerActionHibernate;
    idleTimeout = hibernate;
  }
}

void CaptureSleep(const PowerAction& idle, uint32_t idleTimeout, uint32_t s4Timeout,
                  uint32_t& standby, uint32_t& hibernate) {
  standby = 0;
  hibernate = 0;
  if (idle.action == kPowerActionSleep) {
    standby = idleTimeout;
    hibernate = s4Timeout != 0 ? idleTimeout + s4Timeout : 0;
  } else if (idle.action == kPowerActionHibernate) {
    hibernate = idleTimeout;
  }
}

uint8_t Level(uint32_t value) {
  return static_cast<uint8_t>(value > 100 ? 100 : value);
}

}  // namespace

PowerPolicy DefaultSchemePolicy() {
  PowerPolicy p;
  p.userRevision = 1;
  p.idleAc = PowerAction{0, 1, 0};
  p.idleDc = PowerAction{0, 0, 0};
  p.idleSensitivityAc = p.idleSensitivityDc = 50;
  p.maxSleepAc = p.maxSleepDc = 4;
  p.optimizeForPowerAc = p.optimizeForPowerDc = 1;
  p.fanThrottleToleranceAc = p.fanThrottleToleranceDc = 100;
  p.forcedThrottleAc = p.forcedThrottleDc = 100;
  p.machineRevision = 1;
  p.minSleepAc = p.minSleepDc = 2;
  p.reducedLatencySleepAc = p.reducedLatencySleepDc = 2;
  p.overThrottledAc = p.overThrottledDc = PowerAction{2, 0xC0000004, 0};
  return p;
}

ProcessorPolicy NoThrottlingProcessorPolicy() {
  static constexpr uint8_t kAc[3][2] = {{40, 50}, {40, 60}, {40, 80}};
  static constexpr uint8_t kDc[3][2] = {{10, 20}, {20, 40}, {20, 80}};
  ProcessorPolicy policy;
  policy.revision = 1;
  policy.ac = SourcePolicy(kAc);
  policy.dc = SourcePolicy(kDc);
  return policy;
}

void TakeFromActive(PowerPolicy& own, const PowerPolicy& active) {
  own.userRevision = active.userRevision;
  own.idleAc = active.idleAc;
  own.idleDc = active.idleDc;
  own.idleTimeoutAc = active.idleTimeoutAc;
  own.idleTimeoutDc = active.idleTimeoutDc;
  own.videoTimeoutAc = active.videoTimeoutAc;
  own.videoTimeoutDc = active.videoTimeoutDc;
  own.spindownTimeoutAc = active.spindownTimeoutAc;
  own.spindownTimeoutDc = active.spindownTimeoutDc;
  own.machineRevision = active.machineRevision;
  own.dozeS4TimeoutAc = active.dozeS4TimeoutAc;
  own.dozeS4TimeoutDc = active.dozeS4TimeoutDc;
}

void TakeFromActive(ProcessorPolicy& own, const ProcessorPolicy& active) {
  own.revision = active.revision;
  own.ac.revision = active.ac.revision;
  own.dc.revision = active.dc.revision;
}

LegacyCustomValues ReadCustomValues(const std::array<uint8_t, kOsPolicySize>& policy) {
  LegacyCustomValues v;
  for (size_t s = 0; s < 2; ++s) {
    v.monitor[s] = Word(policy, kMonitorAt + 4 * s);
    v.disks[s] = Word(policy, kDisksAt + 4 * s);
    v.standby[s] = Word(policy, kStandbyAt + 4 * s);
    v.hibernate[s] = Word(policy, kHibernateAt + 4 * s);
    v.lcd[s] = Word(policy, kLcdAt + 4 * s);
  }
  return v;
}

void WriteCustomValues(const LegacyCustomValues& v, std::array<uint8_t, kOsPolicySize>& policy) {
  for (size_t s = 0; s < 2; ++s) {
    SetWord(policy, kMonitorAt + 4 * s, v.monitor[s]);
    SetWord(policy, kDisksAt + 4 * s, v.disks[s]);
    SetWord(policy, kStandbyAt + 4 * s, v.standby[s]);
    SetWord(policy, kHibernateAt + 4 * s, v.hibernate[s]);
    SetWord(policy, kLcdAt + 4 * s, v.lcd[s]);
  }
}

bool ValuesCaptured(const std::array<uint8_t, kOsPolicySize>& policy) {
  return Word(policy, 0) != 0xFFFFFFFFu;
}

void ApplyCustomValues(const LegacyCustomValues& v, PowerPolicy& p, platform::PanelLevels& lcd) {
  p.videoTimeoutAc = v.monitor[0];
  p.videoTimeoutDc = v.monitor[1];
  p.spindownTimeoutAc = v.disks[0];
  p.spindownTimeoutDc = v.disks[1];
  lcd = {Level(v.lcd[0]), Level(v.lcd[1])};
  ApplySleep(v.standby[0], v.hibernate[0], p.idleAc, p.idleTimeoutAc, p.dozeS4TimeoutAc);
  ApplySleep(v.standby[1], v.hibernate[1], p.idleDc, p.idleTimeoutDc, p.dozeS4TimeoutDc);
}

LegacyCustomValues CaptureCustomValues(const PowerPolicy& p, platform::PanelLevels lcd) {
  LegacyCustomValues v;
  v.monitor = {p.videoTimeoutAc, p.videoTimeoutDc};
  v.disks = {p.spindownTimeoutAc, p.spindownTimeoutDc};
  v.lcd = {lcd.ac, lcd.dc};
  CaptureSleep(p.idleAc, p.idleTimeoutAc, p.dozeS4TimeoutAc, v.standby[0], v.hibernate[0]);
  CaptureSleep(p.idleDc, p.idleTimeoutDc, p.dozeS4TimeoutDc, v.standby[1], v.hibernate[1]);
  return v;
}

}  // namespace pacetta::power
