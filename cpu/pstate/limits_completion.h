#pragma once
#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/pstate_limits.h"

namespace pacetta {

// Completes identification with the performance-state limits and the candidate list
// (the current-state readings and counters join here with the sensor code).
class LimitsCompletion final : public IdentificationCompletion {
 public:
  explicit LimitsCompletion(PStateHardware& hardware) : hardware_(hardware) {}
  void ReadPerformanceStates(CpuInfo& info) override {
    ReadPStateLimits(info, hardware_);
    BuildCandidateList(info, hardware_);
  }
  void PrepareProcessor(CpuInfo&) override {}

 private:
  PStateHardware& hardware_;
};

}  // namespace pacetta
