// A walk over the settings that checks each value against the rule its loader applies:
// clamped values within their bounds, choices among theirs, flags 0 or 1, colours
// without a top byte. Walked after a load, it finds any value the load let through.
#pragma once
#include "app/settings/settings_visitor.h"

namespace pacetta::fuzz {

class SettingsRangeCheck final : public SettingsVisitor {
 public:
  bool Allows(SettingsGroup) const override { return true; }
  void Plain(const char*, int32_t&, Stored) override {}
  void Boolean(const char* name, int32_t& value, Stored) override;
  void Clamped(const char* name, int32_t& value, int32_t lowest, int32_t highest, Stored) override;
  void Choice(const char* name, int32_t& value, int32_t lowest, int32_t highest) override;
  void Color(const char* name, uint32_t& value) override;
};

// Walks every group of `settings` for processor `cpu` with the check.
void CheckSettingsRanges(AppSettings& settings, const CpuInfo& cpu);

}  // namespace pacetta::fuzz
