#include "app/advanced/k7_advanced_settings.h"

#include "cpu/identify/feature_predicates.h"

namespace pacetta {
namespace {

constexpr unsigned kRampDelayBits = 4;  // ramp delay n in bits 4n+1:4n

uint32_t Unsigned(int32_t value) {
  return static_cast<uint32_t>(value);
}

}  // namespace

k7::ClockControl ClockControlFromStored(const AmdK7Settings& stored) {
  k7::ClockControl clock;
  const uint32_t delays = Unsigned(stored.rampDelays);
  for (size_t n = 0; n < k7::kRampDelayCount; ++n) {
    clock.rampDelays[n] = delays >> (kRampDelayBits * n) & 3u;
  }
  // Values out of range stay so: the register keeps its own bits for them.
  clock.haltDivisor = Unsigned(stored.haltDivisor);
  clock.stopGrantDivisor = Unsigned(stored.stopGrantDivisor);
  clock.apicDisconnect = stored.apicDisconnect != 0;
  clock.fullRamp = Unsigned(stored.fullRamp);
  return clock;
}

AmdK7Settings StoredFromClockControl(const k7::ClockControl& clock) {
  AmdK7Settings stored;
  uint32_t delays = 0;
  for (size_t n = 0; n < k7::kRampDelayCount; ++n) {
    delays |= (clock.rampDelays[n] & 3u) << (kRampDelayBits * n);
  }
  stored.rampDelays = static_cast<int32_t>(delays);
  stored.haltDivisor = static_cast<int32_t>(clock.haltDivisor);
  stored.stopGrantDivisor = static_cast<int32_t>(clock.stopGrantDivisor);
  stored.apicDisconnect = clock.apicDisconnect ? 1 : 0;
  stored.fullRamp = static_cast<int32_t>(clock.fullRamp);
  return stored;
}

K7AdvancedSettings::K7AdvancedSettings(const AdvancedHardware& hardware, AppSettings& settings)
    : driver_(hardware.driver),
      processors_(hardware.processors),
      records_(hardware.cpus),
      settings_(settings) {}

void K7AdvancedSettings::Write(const k7::ClockControl& clock) {
  k7::WriteClockControl(driver_, processors_, records_, clock);
}

void K7AdvancedSettings::ApplyStored() {
  applied_ = ClockControlFromStored(settings_.family.k7);
  Write(*applied_);
}

void K7AdvancedSettings::Reapply() {
  if (applied_) Write(*applied_);
}

K7PageFacts K7AdvancedSettings::Facts() const {
  return {SupportsFidVidControl(records_.front())};
}

std::optional<k7::ClockControl> K7AdvancedSettings::ReadHardware() {
  return k7::ReadClockControl(driver_, processors_, records_.front().index);
}

K7RestartValues K7AdvancedSettings::StoredRestartValues() const {
  const AmdK7K8Settings& shared = settings_.family.k7k8;
  return {shared.stopGrantTimeoutCount, shared.fidDelayUs, shared.vidDelayUs,
          desktopVids_.value_or(records_.front().switches.amdK7DesktopVids != 0)};
}

bool K7AdvancedSettings::Apply(const k7::ClockControl& clock, const K7RestartValues& restart,
                               bool rememberAdvanced) {
  const bool restartChanged = !(restart == StoredRestartValues());
  Write(clock);
  applied_ = clock;
  settings_.family.k7 = StoredFromClockControl(clock);
  settings_.family.k7k8 = {restart.stopGrantTimeoutCount, restart.fidDelayUs, restart.vidDelayUs};
  settings_.rememberAdvanced = rememberAdvanced ? 1 : 0;
  desktopVids_ = restart.desktopVids;
  return restartChanged;
}

void K7AdvancedSettings::KeepForNextStart() {
  if (!desktopVids_) return;
  for (CpuInfo& record : records_) record.switches.amdK7DesktopVids = *desktopVids_ ? 1 : 0;
}

}  // namespace pacetta
