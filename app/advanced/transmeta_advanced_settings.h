#pragma once
#include <optional>
#include <span>

#include "app/advanced/transmeta_advanced.h"

namespace pacetta {

// The stored "Transmeta.*" values as columns, and back (modes as 1 for performance).
LongRunValues LongRunValuesFromStored(const TransmetaSettings& stored);
TransmetaSettings StoredFromLongRunValues(const LongRunValues& values);

class TransmetaAdvancedSettings final : public TransmetaAdvanced {
 public:
  TransmetaAdvancedSettings(const AdvancedHardware& hardware, AppSettings& settings);

  void ApplyStored() override;
  // Follows the power source only while "Apply these settings at startup" is ticked.
  void Reapply() override;

  TransmetaPageFacts Facts() override;
  bool OnBattery() override;
  LongRunValues StoredValues() const override;
  std::optional<LongRunColumn> ReadHardware() override;
  std::vector<longrun::Level> ReadTable() override;
  bool RememberAdvanced() const override { return settings_.rememberAdvanced != 0; }
  void Apply(const LongRunValues& values, bool rememberAdvanced) override;

 private:
  void WritePresentColumn(const LongRunValues& values);

  CPortexDriver& driver_;
  platform::Processors& processors_;
  std::span<const CpuInfo> cpus_;
  platform::Power* power_;
  AppSettings& settings_;
  // The values last applied; none until then, and then nothing is written again.
  std::optional<LongRunValues> applied_;
};

}  // namespace pacetta
