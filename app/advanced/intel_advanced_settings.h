#pragma once
#include <memory>
#include <optional>
#include <span>

#include "app/advanced/intel_advanced.h"
#include "cpu/advanced/intel/thermal_registers.h"

namespace pacetta {

// The Intel pages' register values and the VIA C7's, on the Pentium 4, the Pentium M and
// Core families and the C7; on the Centrino-class systems also the chipset's.
class IntelAdvancedSettings final : public IntelAdvanced {
 public:
  // `chipset`: the hub behind the container's chipset tabs; null where there is none.
  IntelAdvancedSettings(const AdvancedHardware& hardware, AppSettings& settings,
                        std::unique_ptr<CentrinoChipset> chipset);

  void ApplyStored() override;
  void Reapply() override;
  void WriteStartValues() override;

  IntelPageFacts Facts() const override;
  std::optional<IntelProcessorValues> ReadHardware() override;
  IntelRestartValues StoredRestartValues() const override;
  bool RememberAdvanced() const override { return settings_.rememberAdvanced != 0; }
  bool Apply(const IntelProcessorValues& values, const ChipsetValues& chipset,
             const IntelRestartValues& restart, bool rememberAdvanced) override;
  CentrinoChipset* Chipset() override { return chipset_.get(); }
  void KeepForNextStart() override;

 private:
  void Write(const IntelProcessorValues& values);
  // The stored values as the page would show them, on top of processor 0's registers.
  IntelProcessorValues FromStored();
  void Store(const IntelProcessorValues& values);

  CPortexDriver& driver_;
  platform::Processors& processors_;
  std::span<CpuInfo> records_;
  AppSettings& settings_;
  std::unique_ptr<CentrinoChipset> chipset_;
  // The values last applied (by the page, or the stored ones at start); none until then,
  // and then nothing is written again.
  std::optional<IntelProcessorValues> applied_;
  std::optional<ChipsetValues> appliedChipset_;
  // The Core 2 CPU type chosen on the page during this run, for the next start.
  std::optional<int32_t> cpuType_;
};

}  // namespace pacetta
