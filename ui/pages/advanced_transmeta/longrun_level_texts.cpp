#include "ui/pages/advanced_transmeta/longrun_level_texts.h"

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "cpu/advanced/longrun/longrun_atm.h"

namespace pacetta::ui {
namespace {

constexpr double kAtmStepPercent = 12.5;

std::string Number(const StringTable& strings, uint32_t id, uint32_t value) {
  return FormatText(strings.Get(id), {static_cast<int64_t>(value)});
}

}  // namespace

LevelTexts LongRunLevelTexts(const StringTable& strings, const longrun::Level& level) {
  const std::string gateDelay = level.gateDelayFs != 0
                                    ? Number(strings, kStrLongRunGateDelayFs, level.gateDelayFs)
                                    : strings.Get(kStrNotAvailableShort);
  return {Number(strings, kStrLongRunLevel, level.level),
          {Number(strings, kStrLongRunPerformanceIndex, level.performanceIndex),
           Number(strings, kStrLongRunFrequency, level.mhz),
           FormatText(strings.Get(kStrLongRunVoltage), {level.millivolts / 1000.0}),
           Number(strings, kStrLongRunSdrDivisor, level.sdrDivisor),
           Number(strings, kStrLongRunDdrDivisor, level.ddrDivisor),
           Number(strings, kStrLongRunPciDivisor, level.pciDivisor),
           FormatText(strings.Get(kStrLongRunGateDelay), {gateDelay})}};
}

std::vector<std::string> AtmLevelTexts(const StringTable& strings) {
  std::vector<std::string> texts{strings.Get(kStrAtmOff)};
  for (uint32_t level = 1; level <= longrun::kAtmLevelMax; ++level) {
    texts.push_back(FormatText(strings.Get(kStrAtmReduction), {kAtmStepPercent * level}));
  }
  return texts;
}

}  // namespace pacetta::ui
