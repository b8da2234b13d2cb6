#pragma once
#include <optional>
#include <span>

#include "app/advanced/k7_advanced.h"

namespace pacetta {

// The stored "AMDK7.*" values as register fields (ramp delay n in bits 4n+1:4n of
// "AMDK7.RampDelays"), and back.
k7::ClockControl ClockControlFromStored(const AmdK7Settings& stored);
AmdK7Settings StoredFromClockControl(const k7::ClockControl& clock);

class K7AdvancedSettings final : public K7Advanced {
 public:
  K7AdvancedSettings(const AdvancedHardware& hardware, AppSettings& settings);

  void ApplyStored() override;
  void Reapply() override;

  K7PageFacts Facts() const override;
  std::optional<k7::ClockControl> ReadHardware() override;
  K7RestartValues StoredRestartValues() const override;
  bool RememberAdvanced() const override { return settings_.rememberAdvanced != 0; }
  bool Apply(const k7::ClockControl& clock, const K7RestartValues& restart,
             bool rememberAdvanced) override;
  void KeepForNextStart() override;

 private:
  void Write(const k7::ClockControl& clock);

  CPortexDriver& driver_;
  platform::Processors& processors_;
  // Every processor's record, where the VID table choice is kept.
  std::span<CpuInfo> records_;
  AppSettings& settings_;
  // The values last applied (by the page, or the stored ones at start); none until then,
  // and then nothing is written again.
  std::optional<k7::ClockControl> applied_;
  // The VID table chosen on the page during this run, for the next start.
  std::optional<bool> desktopVids_;
};

}  // namespace pacetta
