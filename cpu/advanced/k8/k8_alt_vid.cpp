#include "cpu/advanced/k8/k8_alt_vid.h"

#include <algorithm>
#include <cmath>

#include "cpu/pstate/vid_conversion.h"

namespace pacetta::k8 {

bool IsAltVidProcessor(const CpuInfo& cpu) {
  // The identification's revision E-or-later flag covers exactly extended models 2..7
  // and 12.
  return cpu.isK8 != 0 && cpu.isK8RevEOrLater != 0;
}

AltVidRange AltVidRangeOf(const CpuInfo& cpu) {
  int32_t low = VidToIndex(cpu, cpu.minVid);
  int32_t high = VidToIndex(cpu, cpu.maxVid);
  if (low < 0 || high < 0) return {};
  if (low > high) std::swap(low, high);
  return {low, static_cast<uint32_t>(high - low + 1)};
}

std::optional<uint32_t> AltVidListIndex(const CpuInfo& cpu, int32_t code) {
  const AltVidRange range = AltVidRangeOf(cpu);
  const int32_t index = VidToIndex(cpu, code);
  if (range.count == 0 || index < range.firstIndex) return std::nullopt;
  const auto position = static_cast<uint32_t>(index - range.firstIndex);
  if (position >= range.count) return std::nullopt;
  return position;
}

int32_t AltVidCode(const CpuInfo& cpu, uint32_t index) {
  const AltVidRange range = AltVidRangeOf(cpu);
  if (index >= range.count) return -1;
  return IndexToVid(cpu, range.firstIndex + static_cast<int32_t>(index));
}

uint32_t AutoAdjustedVsTimeUs(double highestVoltage, double altVoltage) {
  const double us = std::round((highestVoltage - altVoltage) * 1000.0);
  return us > 0 ? static_cast<uint32_t>(us) : 0;
}

}  // namespace pacetta::k8
