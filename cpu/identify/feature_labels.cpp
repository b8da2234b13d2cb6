#include "cpu/identify/feature_labels.h"

#include "cpu/identify/feature_predicates.h"

namespace pacetta {

std::vector<FeatureLabel> GetFeatureLabels(const CpuInfo& info, platform::CpuInstructions& cpu) {
  if (info.isK8) return {{"Cool`n'Quiet", SupportsFidVidControl(info)}};
  if (info.isK7) return {{"PowerNow!", SupportsFidVidControl(info)}};
  if (info.isIntelPState) {
    return {
        {"EIST", SupportsSpeedStep(info)},
        {"TM1", SupportsTm1(info)},
        {"TM2", SupportsTm2(info)},
        {"ODCM", SupportsOdcm(info)},
        // Core processors extend the enhanced halt to their deeper C states.
        {info.isIntelCore ? "CxE" : "C1E", SupportsEnhancedHalt(info)},
        {"DTS", HasDts(info)},
        {"IDA", HasIdaFeature(info)},
        {"DFFS", HasDffsFeature(info)},
    };
  }
  if (info.isVia6) {
    return {
        {"PowerSaver", SupportsSpeedStep(info)},
        {"TM1", SupportsTm1(info)},
        {"TM2", SupportsTm2(info)},
    };
  }
  if (info.isTransmeta) return {{"LongRun with LRTI", SupportsLongRun(info, cpu)}};
  return {{kNotAvailableText, std::nullopt}};
}

}  // namespace pacetta
