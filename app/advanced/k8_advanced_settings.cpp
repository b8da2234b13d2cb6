#include "app/advanced/k8_advanced_settings.h"

#include "cpu/advanced/k8/k8_alt_vid.h"
#include "cpu/advanced/k8/k8_scheme.h"
#include "cpu/advanced/k8/k8_setup_io.h"
#include "cpu/identify/feature_predicates.h"
#include "cpu/identify/leaves.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/vid_conversion.h"

namespace pacetta {
K8AdvancedSettings::K8AdvancedSettings(CK8Northbridge& northbridge, std::span<const CpuInfo> cpus,
                                       AppSettings& settings)
    : northbridge_(northbridge), cpus_(cpus), settings_(settings) {}

void K8AdvancedSettings::ApplyStored() {
  applied_ = k8::SetupOf(StoredImages(), cpus_.front());
  k8::WriteSetup(northbridge_, cpus_, *applied_);
}

void K8AdvancedSettings::Reapply() {
  if (applied_) k8::WriteSetup(northbridge_, cpus_, *applied_);
}

K8PageFacts K8AdvancedSettings::Facts() const {
  const CpuInfo& cpu0 = cpus_.front();
  K8PageFacts facts;
  facts.altVidProcessor = k8::IsAltVidProcessor(cpu0);
  facts.extendedModel = GetSignature(cpu0).ExtendedModel();
  facts.fidVidControl = SupportsFidVidControl(cpu0);
  facts.hundredMhzSteps = TakesHundredMhzSteps(cpu0);
  facts.partnerCore = cpu0.partnerIndex >= 0;
  const k8::AltVidRange range = k8::AltVidRangeOf(cpu0);
  for (uint32_t i = 0; i < range.count; ++i)
    facts.altVidVoltages.push_back(
        VidIndexToVoltage(cpu0, range.firstIndex + static_cast<int32_t>(i)));
  return facts;
}

k8::CpuSetup K8AdvancedSettings::ReadHardware() {
  return k8::ReadSetup(northbridge_, cpus_.front());
}

k8::RestartValues K8AdvancedSettings::StoredRestartValues() const {
  const AmdK7K8Settings& shared = settings_.family.k7k8;
  const AmdK8Settings& k8 = settings_.family.k8;
  k8::RestartValues values;
  values.stopGrantTimeoutCount = shared.stopGrantTimeoutCount;
  values.fidDelayUs = shared.fidDelayUs;
  values.vidDelayUs = shared.vidDelayUs;
  values.rampVoltageOffsetMv = k8.rampVoltageOffsetMv;
  // The button of what the stored code gives processor 0: the code stored now, which
  // the processors take at the next start.
  values.scheme = k8::SchemeOfProcessorValue(
      k8::ProcessorScheme(static_cast<uint32_t>(k8.pstMethod), cpus_.front()));
  values.tscSyncEnable = k8.tscSyncEnable != 0;
  values.tscSyncSource = k8.tscSyncSource;
  values.tscSyncIntervalMs = k8.tscSyncIntervalMs;
  return values;
}

bool K8AdvancedSettings::RememberAdvanced() const {
  return settings_.rememberAdvanced != 0;
}

bool K8AdvancedSettings::Apply(const k8::CpuSetup& setup, const k8::RestartValues& restart,
                               bool rememberAdvanced) {
  k8::WriteSetup(northbridge_, cpus_, setup);
  applied_ = setup;
  Store(k8::ImagesOf(setup, cpus_.front(), StoredImages()));
  settings_.rememberAdvanced = rememberAdvanced ? 1 : 0;
  const AmdK7K8Settings sharedBefore = settings_.family.k7k8;
  const AmdK8Settings k8Before = settings_.family.k8;
  StoreRestartValues(restart);
  // The setup's images are stored already: only restart-required values can differ.
  return settings_.family.k7k8 != sharedBefore || settings_.family.k8 != k8Before;
}

k8::SetupImages K8AdvancedSettings::StoredImages() const {
  const AmdK8Settings& k8 = settings_.family.k8;
  return {static_cast<uint32_t>(k8.pmm0), static_cast<uint32_t>(k8.pmm1),
          static_cast<uint32_t>(k8.clockPowerTimings), k8.altVid, k8.vsTimeUs};
}

void K8AdvancedSettings::Store(const k8::SetupImages& images) {
  AmdK8Settings& k8 = settings_.family.k8;
  k8.pmm0 = static_cast<int32_t>(images.pmm0);
  k8.pmm1 = static_cast<int32_t>(images.pmm1);
  k8.clockPowerTimings = static_cast<int32_t>(images.clockPowerTimings);
  k8.altVid = images.altVid;
  k8.vsTimeUs = images.vsTimeUs;
}

void K8AdvancedSettings::StoreRestartValues(const k8::RestartValues& restart) {
  AmdK7K8Settings& shared = settings_.family.k7k8;
  shared.stopGrantTimeoutCount = restart.stopGrantTimeoutCount;
  shared.fidDelayUs = restart.fidDelayUs;
  shared.vidDelayUs = restart.vidDelayUs;
  AmdK8Settings& k8 = settings_.family.k8;
  k8.rampVoltageOffsetMv = restart.rampVoltageOffsetMv;
  k8.pstMethod = static_cast<int32_t>(
      k8::CodeToStore(restart.scheme, static_cast<uint32_t>(k8.pstMethod), cpus_.front()));
  k8.tscSyncEnable = restart.tscSyncEnable ? 1 : 0;
  k8.tscSyncSource = restart.tscSyncSource;
  k8.tscSyncIntervalMs = restart.tscSyncIntervalMs;
}

}  // namespace pacetta
