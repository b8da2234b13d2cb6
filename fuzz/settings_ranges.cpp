#include "fuzz/settings_ranges.h"

#include <cstdio>

#include "fuzz/fuzz_support.h"

namespace pacetta::fuzz {
namespace {

void Within(const char* name, int64_t value, int64_t lowest, int64_t highest) {
  if (value >= lowest && value <= highest) return;
  std::fprintf(stderr, "%s = %lld, outside %lld..%lld\n", name, static_cast<long long>(value),
               static_cast<long long>(lowest), static_cast<long long>(highest));
  FUZZ_CHECK(!"a loaded setting is out of its range");
}

}  // namespace

void SettingsRangeCheck::Boolean(const char* name, int32_t& value, Stored) {
  Within(name, value, 0, 1);
}

void SettingsRangeCheck::Clamped(const char* name, int32_t& value, int32_t lowest, int32_t highest,
                                 Stored) {
  Within(name, value, lowest, highest);
}

void SettingsRangeCheck::Choice(const char* name, int32_t& value, int32_t lowest, int32_t highest) {
  Within(name, value, lowest, highest);
}

void SettingsRangeCheck::Color(const char* name, uint32_t& value) {
  Within(name, value, 0, 0x00FFFFFF);
}

void CheckSettingsRanges(AppSettings& settings, const CpuInfo& cpu) {
  SettingsRangeCheck check;
  SettingsVisitor& v = check;
  v.Boolean("ManageOsPowerSettings", settings.management.manageOsPowerSettings);
  VisitK8Values(v, settings, cpu);
  VisitIntelBasics(v, settings, cpu);
  VisitAdvancedValues(v, settings, cpu);
  VisitSuspendAndDefaults(v, settings);
  VisitGeneralValues(v, settings);
  VisitColors(v, settings.colors);
  VisitWindowPlace(v, settings.window);
}

}  // namespace pacetta::fuzz
