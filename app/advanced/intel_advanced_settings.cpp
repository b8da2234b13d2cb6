#include "app/advanced/intel_advanced_settings.h"

#include "cpu/advanced/intel/tm2_target.h"
#include "cpu/identify/feature_predicates.h"
#include "cpu/identify/leaves.h"

namespace pacetta {
namespace {

// "IntelPMP4.TM": TM1, TM2, TM1 sync, extended throttling.
constexpr uint32_t kStoredTm1 = 1u << 0, kStoredTm2 = 1u << 1, kStoredSyncTm1 = 1u << 2,
                   kStoredExtendedThrottling = 1u << 3;
// Pentium 4 from this signature on: the firmware owns the TM2 target.
constexpr uint32_t kFixedTargetSignature = 0xF40;

IntelPageKind KindOf(const CpuInfo& cpu) {
  if (cpu.isPentium4) return IntelPageKind::kNetBurst;
  if (cpu.isIntelSpeedStep) return IntelPageKind::kCentrino;
  return IntelPageKind::kViaC7;
}

bool TargetEditable(const CpuInfo& cpu) {
  if (!SupportsTm2(cpu)) return false;
  if (cpu.switches.unlockTm2 != 0) return true;
  switch (KindOf(cpu)) {
    case IntelPageKind::kNetBurst:
      return (GetSignature(cpu).raw & 0xFFF) < kFixedTargetSignature;
    case IntelPageKind::kCentrino:
      // Only the Pentium M's own ratio encoding is known to hold in the target field.
      return cpu.isPentiumM != 0;
    case IntelPageKind::kViaC7:
      return true;
  }
  return false;
}

uint32_t Flag(bool on, uint32_t bit) {
  return on ? bit : 0;
}

}  // namespace

IntelAdvancedSettings::IntelAdvancedSettings(const AdvancedHardware& hardware,
                                             AppSettings& settings,
                                             std::unique_ptr<CentrinoChipset> chipset)
    : driver_(hardware.driver),
      processors_(hardware.processors),
      records_(hardware.cpus),
      settings_(settings),
      chipset_(std::move(chipset)) {}

IntelPageFacts IntelAdvancedSettings::Facts() const {
  const CpuInfo& cpu = records_.front();
  IntelPageFacts facts;
  facts.kind = KindOf(cpu);
  facts.tm1 = SupportsTm1(cpu);
  facts.tm2 = SupportsTm2(cpu);
  facts.targetEditable = TargetEditable(cpu);
  facts.targetMultipliers = intel::TargetMultipliers(cpu);
  facts.targetVoltages = intel::TargetVoltages(cpu);
  facts.eistSupported = SupportsSpeedStep(cpu);
  facts.eistBox = facts.eistSupported && cpu.switches.unlockEist == 0 &&
                  !intel::SpeedStepLocked(driver_, processors_, cpu);
  facts.enhancedCStates = SupportsEnhancedHalt(cpu);
  facts.core2 = cpu.isCore2 != 0;
  facts.ida = HasIdaFeature(cpu);
  facts.dffs = HasDffsFeature(cpu);
  return facts;
}

std::optional<IntelProcessorValues> IntelAdvancedSettings::ReadHardware() {
  const CpuInfo& cpu = records_.front();
  const auto read = intel::ReadThermalSettings(driver_, processors_, cpu);
  if (!read) return std::nullopt;
  IntelProcessorValues values;
  values.tm1 = read->tm1;
  values.tm2 = read->tm2;
  values.syncTm1 = read->syncTm1;
  values.extendedThrottling = read->extendedThrottling;
  if (SupportsTm2(cpu)) {
    values.targetFidIndex = intel::FidListIndex(cpu, read->target.fid);
    values.targetVidIndex = intel::VidListIndex(cpu, read->target.vid);
  }
  values.cStates = read->cStates;
  values.idaEngaged = read->idaEngaged;
  values.dffs = read->dffs;
  return values;
}

void IntelAdvancedSettings::Write(const IntelProcessorValues& values) {
  const CpuInfo& cpu = records_.front();
  intel::WriteRequest request;
  intel::ThermalSettings& out = request.values;
  out.tm1 = values.tm1;
  out.tm2 = values.tm2;
  out.syncTm1 = values.syncTm1;
  out.extendedThrottling = values.extendedThrottling;
  const int32_t fid = intel::FidAtListIndex(cpu, values.targetFidIndex);
  const int32_t vid = intel::VidAtListIndex(cpu, values.targetVidIndex);
  // An index outside the lists names no target: the processors keep their own.
  request.writeTarget = TargetEditable(cpu) && fid >= 0 && vid >= 0;
  if (request.writeTarget) out.target = {static_cast<uint32_t>(fid), static_cast<uint32_t>(vid)};
  out.cStates = values.cStates;
  out.idaEngaged = values.idaEngaged;
  out.dffs = values.dffs;
  intel::WriteThermalSettings(driver_, processors_, records_, request);
}

IntelProcessorValues IntelAdvancedSettings::FromStored() {
  const CpuInfo& cpu = records_.front();
  IntelSettings& stored = settings_.family.intel;
  // A monitor the processor lacks is dropped from the stored value for good.
  if (!SupportsTm1(cpu)) stored.thermalMonitor &= ~static_cast<int32_t>(kStoredTm1);
  if (!SupportsTm2(cpu)) stored.thermalMonitor &= ~static_cast<int32_t>(kStoredTm2);
  IntelProcessorValues values = ReadHardware().value_or(IntelProcessorValues{});
  const auto tm = static_cast<uint32_t>(stored.thermalMonitor);
  values.tm1 = (tm & kStoredTm1) != 0;
  values.tm2 = (tm & kStoredTm2) != 0;
  values.syncTm1 = (tm & kStoredSyncTm1) != 0;
  values.extendedThrottling = (tm & kStoredExtendedThrottling) != 0;
  if (SupportsTm2(cpu)) {
    // Codes stored on another processor may lie outside this one's lists: then no target
    // is written and the processor keeps its own.
    values.targetFidIndex = intel::FidListIndex(cpu, stored.tm2Fid);
    values.targetVidIndex = intel::VidListIndex(cpu, stored.tm2Vid);
  }
  if (SupportsEnhancedHalt(cpu)) values.cStates = static_cast<uint32_t>(stored.cStateEnh) & 0x1F;
  values.idaEngaged = stored.ida != 0;
  values.dffs = stored.dffs != 0;
  return values;
}

void IntelAdvancedSettings::Store(const IntelProcessorValues& values) {
  const CpuInfo& cpu = records_.front();
  IntelSettings& stored = settings_.family.intel;
  stored.thermalMonitor =
      static_cast<int32_t>(Flag(values.tm1, kStoredTm1) | Flag(values.tm2, kStoredTm2) |
                           Flag(values.syncTm1, kStoredSyncTm1) |
                           Flag(values.extendedThrottling, kStoredExtendedThrottling));
  const int32_t fid = intel::FidAtListIndex(cpu, values.targetFidIndex);
  const int32_t vid = intel::VidAtListIndex(cpu, values.targetVidIndex);
  if (fid >= 0 && vid >= 0) {
    stored.tm2Fid = fid;
    stored.tm2Vid = vid;
  }
  stored.cStateEnh = static_cast<int32_t>(values.cStates);
  stored.ida = values.idaEngaged ? 1 : 0;
  stored.dffs = values.dffs ? 1 : 0;
}

void IntelAdvancedSettings::ApplyStored() {
  applied_ = FromStored();
  Write(*applied_);
  if (chipset_) {
    appliedChipset_ = chipset_->FromStored(settings_.family.centrino);
    chipset_->Write(*appliedChipset_);
  }
}

void IntelAdvancedSettings::Reapply() {
  if (applied_) Write(*applied_);
  if (chipset_ && appliedChipset_) chipset_->Write(*appliedChipset_);
}

void IntelAdvancedSettings::WriteStartValues() {
  const CpuInfo& cpu = records_.front();
  if (!SupportsSpeedStep(cpu)) return;
  IntelSettings& stored = settings_.family.intel;
  const auto now = intel::WriteSpeedStepEnable(driver_, processors_, records_, stored.eist != 0);
  // The setting follows what the processor does, locked or not.
  if (now) stored.eist = *now ? 1 : 0;
}

IntelRestartValues IntelAdvancedSettings::StoredRestartValues() const {
  return {settings_.family.intel.eist != 0, settings_.family.k7k8.vidDelayUs,
          cpuType_.value_or(records_.front().switches.intelCore2CpuType)};
}

bool IntelAdvancedSettings::Apply(const IntelProcessorValues& values, const ChipsetValues& chipset,
                                  const IntelRestartValues& restart, bool rememberAdvanced) {
  const IntelRestartValues before = StoredRestartValues();
  const bool core2 = records_.front().isCore2 != 0;
  const bool restartChanged = restart.eist != before.eist ||
                              restart.fidVidDelayUs != before.fidVidDelayUs ||
                              (core2 && restart.cpuType != before.cpuType);
  Write(values);
  applied_ = values;
  if (chipset_) {
    chipset_->Write(chipset);
    appliedChipset_ = chipset;
    chipset_->Store(chipset, settings_.family.centrino);
  }
  Store(values);
  settings_.family.intel.eist = restart.eist ? 1 : 0;
  settings_.family.k7k8.vidDelayUs = restart.fidVidDelayUs;
  settings_.rememberAdvanced = rememberAdvanced ? 1 : 0;
  if (core2) cpuType_ = restart.cpuType;
  return restartChanged;
}

void IntelAdvancedSettings::KeepForNextStart() {
  if (!cpuType_) return;
  for (CpuInfo& record : records_) record.switches.intelCore2CpuType = *cpuType_;
}

}  // namespace pacetta
