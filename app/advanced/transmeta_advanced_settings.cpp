#include "app/advanced/transmeta_advanced_settings.h"

#include <algorithm>

#include "cpu/advanced/longrun/longrun_atm.h"
#include "cpu/advanced/longrun/longrun_control.h"

namespace pacetta {
namespace {

uint32_t Unsigned(int32_t value) {
  return static_cast<uint32_t>(std::max(value, 0));
}

}  // namespace

LongRunValues LongRunValuesFromStored(const TransmetaSettings& stored) {
  return {{stored.minBoundAc, stored.maxBoundAc, stored.perfModeAc != 0, stored.atmModeAc},
          {stored.minBoundDc, stored.maxBoundDc, stored.perfModeDc != 0, stored.atmModeDc}};
}

TransmetaSettings StoredFromLongRunValues(const LongRunValues& values) {
  const LongRunColumn& ac = values.ac;
  const LongRunColumn& dc = values.battery;
  return {ac.minBound,
          dc.minBound,
          ac.maxBound,
          dc.maxBound,
          ac.performance ? 1 : 0,
          dc.performance ? 1 : 0,
          ac.atmLevel,
          dc.atmLevel};
}

TransmetaAdvancedSettings::TransmetaAdvancedSettings(const AdvancedHardware& hardware,
                                                     AppSettings& settings)
    : driver_(hardware.driver),
      processors_(hardware.processors),
      cpus_(hardware.cpus),
      power_(hardware.power),
      settings_(settings) {}

bool TransmetaAdvancedSettings::OnBattery() {
  if (power_ == nullptr) return false;
  const auto status = power_->Status();
  return status && status->acLine == platform::kAcOffline;
}

void TransmetaAdvancedSettings::WritePresentColumn(const LongRunValues& values) {
  const LongRunColumn& column = OnBattery() ? values.battery : values.ac;
  longrun::WriteControl(driver_, processors_, cpus_,
                        {Unsigned(column.minBound), Unsigned(column.maxBound), column.performance});
  // The northbridge's register serves every processor: one write.
  if (longrun::ReadAtm(driver_)) longrun::WriteAtm(driver_, Unsigned(column.atmLevel));
}

void TransmetaAdvancedSettings::ApplyStored() {
  applied_ = OrderedBounds(LongRunValuesFromStored(settings_.family.transmeta));
  WritePresentColumn(*applied_);
}

void TransmetaAdvancedSettings::Reapply() {
  if (applied_ && settings_.rememberAdvanced != 0) WritePresentColumn(*applied_);
}

TransmetaPageFacts TransmetaAdvancedSettings::Facts() {
  return {longrun::ReadAtm(driver_).has_value()};
}

LongRunValues TransmetaAdvancedSettings::StoredValues() const {
  return LongRunValuesFromStored(settings_.family.transmeta);
}

std::optional<LongRunColumn> TransmetaAdvancedSettings::ReadHardware() {
  const auto control = longrun::ReadControl(driver_, processors_, cpus_.front().index);
  if (!control) return std::nullopt;
  const auto atm = longrun::ReadAtm(driver_);
  return LongRunColumn{static_cast<int32_t>(control->lowerPercent),
                       static_cast<int32_t>(control->upperPercent), control->performance,
                       atm ? static_cast<int32_t>(atm->level) : 0};
}

std::vector<longrun::Level> TransmetaAdvancedSettings::ReadTable() {
  return longrun::ReadTable(driver_, processors_, cpus_.front().index);
}

void TransmetaAdvancedSettings::Apply(const LongRunValues& values, bool rememberAdvanced) {
  applied_ = OrderedBounds(values);
  WritePresentColumn(*applied_);
  settings_.family.transmeta = StoredFromLongRunValues(*applied_);
  settings_.rememberAdvanced = rememberAdvanced ? 1 : 0;
}

}  // namespace pacetta
